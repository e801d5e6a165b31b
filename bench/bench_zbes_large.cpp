// Cost of one scaled J or Y evaluation (KODE 2, N = 1) at large orders,
// where the uniform asymptotic expansions are used: orders 100, 1000 and
// 20000, at an argument near the turning point on the imaginary-axis side
// (Airy form, as the unsaturated-zone coupling produces: z = i 2 q) and at
// one with |z| = nu/2 in the first quadrant off the axis.
#include <benchmark/benchmark.h>

#include <complex>

#include "special/besselsub/zbes.hpp"

namespace {

void args(benchmark::internal::Benchmark* b) {
    for (int nu : {100, 1000, 20000})
        for (int where : {0, 1}) b->Args({nu, where});
}

std::complex<double> argument(double nu, int where) {
    // 0: z = 0.9 nu e^(i 80 deg) (turning-point region of the coupling);
    // 1: z = 0.5 nu e^(i 20 deg).
    return where == 0 ? std::polar(0.9 * nu, 80.0 * M_PI / 180.0) : std::polar(0.5 * nu, 20.0 * M_PI / 180.0);
}

void BM_ZbesjLarge(benchmark::State& state) {
    const double nu = static_cast<double>(state.range(0));
    const auto z = argument(nu, static_cast<int>(state.range(1)));
    double cr, ci;
    int nz, ierr;
    for (auto _ : state) {
        slug::zbesj(z.real(), z.imag(), nu, 2, 1, &cr, &ci, nz, ierr);
        benchmark::DoNotOptimize(cr);
        benchmark::DoNotOptimize(ci);
    }
}
BENCHMARK(BM_ZbesjLarge)->Apply(args);

void BM_ZbesyLarge(benchmark::State& state) {
    const double nu = static_cast<double>(state.range(0));
    const auto z = argument(nu, static_cast<int>(state.range(1)));
    double cr, ci, wr, wi;
    int nz, ierr;
    for (auto _ : state) {
        slug::zbesy(z.real(), z.imag(), nu, 2, 1, &cr, &ci, nz, &wr, &wi, ierr);
        benchmark::DoNotOptimize(cr);
        benchmark::DoNotOptimize(ci);
    }
}
BENCHMARK(BM_ZbesyLarge)->Apply(args);

}  // namespace

BENCHMARK_MAIN();
