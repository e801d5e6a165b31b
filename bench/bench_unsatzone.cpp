// Cost of one unsaturated-zone coefficient U(p'): equal exponents, the
// Bessel branch at small orders (package values), and orders near 3000
// where the logarithms of model/bessel_iklog take over.
#include <benchmark/benchmark.h>

#include <complex>

#include "model/bessel_iklog.hpp"
#include "model/unsat_coefficient.hpp"

namespace {

// The coefficient as the time loop evaluates it: on the model, with a log
// of the package's conditions (emptied between evaluations).
void run(benchmark::State& state, double a1, double a2, double ul1, std::complex<double> pp) {
    slug::WellModel m;
    m.UA1 = a1;
    m.UA2 = a2;
    m.UL1 = ul1;
    m.XKD2 = 0.05;
    m.UL2 = 10.0;
    slug::ModelLog log;
    for (auto _ : state) {
        const std::complex<double> u = slug::unsat_coefficient(m, pp, &log);
        benchmark::DoNotOptimize(u);
        log.events.clear();
    }
}

void BM_EqualExponents(benchmark::State& s) { run(s, 1.3, 1.3, 2.0, {0.3, 4.0}); }
void BM_SmallOrderUnbounded(benchmark::State& s) { run(s, 1.0, 2.0, 50.0, {0.3, 4.0}); }
void BM_SmallOrderBounded(benchmark::State& s) { run(s, 2.0, 1.0, 1.5, {0.3, 4.0}); }
void BM_LargeOrderUnbounded(benchmark::State& s) { run(s, 60.0, 60.02, 50.0, {1e-3, 1e-2}); }
void BM_LargeOrderBounded(benchmark::State& s) { run(s, 60.02, 60.0, 0.5, {1e-3, 1e-2}); }

void BM_IKLogDebye(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(slug::bessel_iklog(3000.0, {5.0, 5.0}));
}
void BM_IKLogTrapezoid(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(slug::bessel_iklog(7.3, {2.0, 1.0}));
}

BENCHMARK(BM_EqualExponents);
BENCHMARK(BM_SmallOrderUnbounded);
BENCHMARK(BM_SmallOrderBounded);
BENCHMARK(BM_LargeOrderUnbounded);
BENCHMARK(BM_LargeOrderBounded);
BENCHMARK(BM_IKLogDebye);
BENCHMARK(BM_IKLogTrapezoid);

}  // namespace

BENCHMARK_MAIN();
