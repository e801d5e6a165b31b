// Cost of the fit: one forward run (the time loop at 24 observation times)
// and one whole least-squares fit of KR and SS, for a confined aquifer with
// a partial screen and the base count of 30 series terms.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fit/fit_model.hpp"
#include "fit/fit_solve.hpp"
#include "run/input_reader.hpp"

namespace {

slug::BaseInput load_input() {
    namespace fs = std::filesystem;
    const fs::path file = fs::temp_directory_path() / ("slug_bench_fit_" + std::to_string(::getpid()) + ".txt");
    std::ofstream(file) << "bench\ns\ns\n2 1e-4 4e-4 0 2e-4 0\ns\ns\n1 1 0 0\ns\ns\n0.5 0.1 0.05 0.5 1.5 0\ns\ns\ns\n1\n1\n";
    std::fflush(stdout);
    const slug::InputValues values = slug::read_input(file.string());
    fs::remove(file);
    return slug::BaseInput{values.well, slug::Numerics{}};
}

std::vector<double> times() {
    std::vector<double> t;
    for (int i = 0; i < 24; ++i) t.push_back(0.2 * std::pow(300.0, i / 23.0));
    return t;
}

void BM_ForwardRun24(benchmark::State& state) {
    const slug::BaseInput base = load_input();
    const std::vector<double> t = times();
    std::vector<double> ratio;
    std::string err;
    for (auto _ : state) {
        slug::forward_ratio(base, slug::base_values(base), t, ratio, err);
        benchmark::DoNotOptimize(ratio.data());
    }
}
BENCHMARK(BM_ForwardRun24)->Unit(benchmark::kMillisecond);

void BM_FitKrSs(benchmark::State& state) {
    const slug::BaseInput base = load_input();
    slug::FitValues truth = slug::base_values(base);
    truth.kr *= 2.0;
    truth.kz *= 2.0;
    truth.ss *= 0.4;
    slug::Observations obs;
    std::string err;
    obs.time = times();
    slug::forward_ratio(base, truth, obs.time, obs.value, err);
    for (double& v : obs.value) v *= base.well.ho;
    obs.line.assign(obs.time.size(), 0);
    int runs = 0;
    // state.range(0): starts of the global search (0: the local fit alone).
    slug::FitOptions opt;
    opt.starts = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const slug::FitResult r = slug::run_fit(base, obs, opt);
        runs = r.forward_runs;
        benchmark::DoNotOptimize(r.estimate.data());
    }
    state.counters["forward_runs"] = runs;
}
BENCHMARK(BM_FitKrSs)->Arg(0)->Arg(16)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
