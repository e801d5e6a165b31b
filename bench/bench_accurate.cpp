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

// The accurate response of a gravel well (KR = 0.02 m/s, KZ/KR = 4, SS =
// 1e-5 1/m, a 1 m screen in 2 m, RC = 0.05 m, RW = 0.1 m) at 60 times over
// four periods of its water column (LE = 10 m, g = 9.80665 m/s^2, no
// friction; C_D about 0.2, eight zero crossings), serial: the forward run
// of a fit for le. Arg 1: with the column; 0: the same times without it.
// Counters: the transform calls and whether the pole pair was taken out.
void BM_ColumnAccurate(benchmark::State& state) {
    slug::WellInput in;
    in.bb = 2.0, in.kr = 0.02, in.kz = 0.08, in.ss = 1.0e-5, in.u1 = 1.0, in.u2 = 1.0;
    in.ho = 0.5, in.rw = 0.1, in.rc = 0.05, in.zpd = 0.5, in.zpl = 1.5;
    const slug::WellModel m = slug::make_well_model(in);
    std::vector<double> t;
    for (int i = 1; i <= 60; ++i) t.push_back(0.4 * i);
    const slug::InertialGroups g =
        state.range(0) == 1 ? slug::inertial_groups(slug::WaterColumn{10.0, 10.0, 9.80665, 0.0}, m.RC, m.TC)
                            : slug::InertialGroups{};
    slug::AccurateResponse r;
    for (auto _ : state) {
        r = slug::accurate_response(m, t, g, 1);
        benchmark::DoNotOptimize(r.h_over_ho.data());
    }
    state.counters["times"] = static_cast<double>(t.size());
    state.counters["calls"] = static_cast<double>(r.transform_calls);
    state.counters["pole"] = r.pole.found ? 1 : 0;
}
BENCHMARK(BM_ColumnAccurate)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
