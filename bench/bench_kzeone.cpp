// Cost of one kzeone / beskz1 call in each of the three regions of |z|:
// power series (|z| < 4.3, up to 13 terms), Gauss-Hermite quadrature
// (8 nodes) and Hankel expansion (|z| >= 14, 9 terms at most).
#include <benchmark/benchmark.h>

#include <complex>

#include "special/kzeone.hpp"

namespace {

// Arguments spread over the region in direction, so that the loop does
// not run on one cached branch pattern only.
void run_kernel(benchmark::State& state, double r) {
    const double dirs[4][2] = {{1.0, 0.0}, {0.8, 0.6}, {0.28, 0.96}, {0.0, 1.0}};
    int i = 0;
    for (auto _ : state) {
        double re0, im0, re1, im1;
        const double x = r * dirs[i][0], y = r * dirs[i][1];
        slug::kzeone(x, y, re0, im0, re1, im1);
        benchmark::DoNotOptimize(re0);
        benchmark::DoNotOptimize(im0);
        benchmark::DoNotOptimize(re1);
        benchmark::DoNotOptimize(im1);
        i = (i + 1) & 3;
    }
}

void BM_KzeoneSeriesSmall(benchmark::State& s) { run_kernel(s, 0.5); }     // 5 terms
void BM_KzeoneSeriesLarge(benchmark::State& s) { run_kernel(s, 4.2); }     // 13 terms
void BM_KzeoneQuadrature(benchmark::State& s) { run_kernel(s, 8.0); }
void BM_KzeoneExpansionNear(benchmark::State& s) { run_kernel(s, 14.5); }  // 9 terms
void BM_KzeoneExpansionFar(benchmark::State& s) { run_kernel(s, 500.0); }  // 4 terms

void BM_Beskz1Series(benchmark::State& state) {
    std::complex<double> z(1.2, 2.1), k0, k1;
    for (auto _ : state) {
        slug::beskz1(z, k0, k1);
        benchmark::DoNotOptimize(k0);
        benchmark::DoNotOptimize(k1);
    }
}

BENCHMARK(BM_KzeoneSeriesSmall);
BENCHMARK(BM_KzeoneSeriesLarge);
BENCHMARK(BM_KzeoneQuadrature);
BENCHMARK(BM_KzeoneExpansionNear);
BENCHMARK(BM_KzeoneExpansionFar);
BENCHMARK(BM_Beskz1Series);

}  // namespace

BENCHMARK_MAIN();
