// One evaluation of the classic time loop at 30 output times (the first 30
// of examples/input.txt), serial and on all threads: the C++ side of the
// Python module's overhead figure (bench/bench_python_head.py makes the
// same call through slugwell.Well.head and compares).
#include <benchmark/benchmark.h>

#include <span>
#include <string>

#include "fio/capture.hpp"
#include "model/well_model.hpp"
#include "run/input_reader.hpp"
#include "run/time_loop.hpp"

namespace {

void BM_Head30(benchmark::State& state) {
    slug::InputValues v;
    {
        slug::WriteCapture echo;  // the reader's console echo, not shown
        slug::ScopedWriteCapture capture(&echo);
        v = slug::read_input(std::string(SLUG_SOURCE_DIR) + "/examples/input.txt");
    }
    if (v.input_error || v.times.size() < 30) {
        state.SkipWithError("examples/input.txt not read");
        return;
    }
    const slug::WellModel m = slug::make_well_model(v.well);
    const std::span<const double> times(v.times.data(), 30);
    const int threads = state.range(0) == 0 ? slug::time_loop::worker_count() : 1;
    slug::time_loop::Results r;
    for (auto _ : state) {
        slug::time_loop::compute_results(m, times, r, threads);
        benchmark::DoNotOptimize(r.ratio.data());
    }
    state.counters["threads"] = threads;
}
// Arg 1: serial; 0: all hardware threads (SLUGWELL_THREADS).
BENCHMARK(BM_Head30)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
