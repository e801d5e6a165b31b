// Cost of a run's computation in its three modes, on one machine in one
// run: the classic time loop (--no-check), the accurate response
// (--accurate), and the default run, the classic loop followed by its
// check against the accurate response. bench/heavy.txt (200 times over
// three log cycles, 480 classic series terms, the unsaturated zone's
// Bessel branch with orders 200 and 201) and examples/input.txt. Arg 1:
// serial; 0: the run's threads (SLUGWELL_THREADS, else all cores).
// Counters: times, threads, and for the accurate response its transform
// calls (the classic loop makes 7 per time).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "model/well_model.hpp"
#include "run/accurate_response.hpp"
#include "run/accurate_run.hpp"
#include "run/input_reader.hpp"
#include "run/time_loop.hpp"

namespace {

// Reads an input file as a run does, with the reader's console echo sent
// to /dev/null.
slug::InputValues load(const std::string& path) {
    std::fflush(stdout);
    const int saved = ::dup(1);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::close(null);
    slug::InputValues v = slug::read_input(path);
    std::fflush(stdout);
    ::dup2(saved, 1);
    ::close(saved);
    return v;
}

enum class Mode { Classic, Accurate, Checked };

void run_mode(benchmark::State& state, const char* file, Mode mode) {
    const slug::InputValues v = load(std::string(SLUG_SOURCE_DIR) + "/" + file);
    if (v.input_error) {
        state.SkipWithError("input file not read");
        return;
    }
    const slug::WellModel m = slug::make_well_model(v.well);
    const int threads = state.range(0) == 0 ? slug::time_loop::worker_count() : 1;
    static slug::time_loop::Results r;
    std::vector<double> estimate;
    for (auto _ : state) {
        if (mode == Mode::Accurate) {
            slug::compute_accurate(m, v.times, r, estimate, threads);
        } else {
            slug::time_loop::compute_results(m, v.times, r, threads);
            if (mode == Mode::Checked) benchmark::DoNotOptimize(slug::check_classic(m, v.times, r, threads));
        }
        benchmark::DoNotOptimize(r.ratio.data());
    }
    state.counters["threads"] = threads;
    state.counters["times"] = r.count;
    if (mode != Mode::Classic)
        state.counters["calls"] = static_cast<double>(slug::accurate_response(m, v.times, threads).transform_calls);
}

void BM_HeavyClassic(benchmark::State& s) { run_mode(s, "bench/heavy.txt", Mode::Classic); }
void BM_HeavyAccurate(benchmark::State& s) { run_mode(s, "bench/heavy.txt", Mode::Accurate); }
void BM_HeavyChecked(benchmark::State& s) { run_mode(s, "bench/heavy.txt", Mode::Checked); }
void BM_LightClassic(benchmark::State& s) { run_mode(s, "examples/input.txt", Mode::Classic); }
void BM_LightAccurate(benchmark::State& s) { run_mode(s, "examples/input.txt", Mode::Accurate); }
void BM_LightChecked(benchmark::State& s) { run_mode(s, "examples/input.txt", Mode::Checked); }
BENCHMARK(BM_HeavyClassic)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HeavyAccurate)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HeavyChecked)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LightClassic)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LightAccurate)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LightChecked)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
