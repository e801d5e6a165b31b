// Cost of one Laplace inversion by lapadc (de Hoog-Knight-Stokes continued
// fraction, Wynn epsilon, plain fraction) with a trivial transform, so that
// the figure is the inverter's own work: n + 1 = 7 or 17 samples and the
// O(n²) table update. Also a reusing call (stored coefficients, no samples).
#include <benchmark/benchmark.h>

#include <cmath>
#include <complex>
#include <vector>

#include "inversion/lapadc.hpp"

namespace {

using cplx = std::complex<double>;

// Cheapest meaningful transform: F(p) = 1/(p+1) needs a division; a
// polynomial keeps the transform out of the figure.
void cheap(cplx& p, cplx& fp) { fp = 1.0 + 0.5 * p; }

void BM_lapadc(benchmark::State& state) {
    const int ninv = static_cast<int>(state.range(0));
    const int minv = static_cast<int>(state.range(1));
    std::vector<cplx> d(ninv + 1), work(ninv + 1);
    double t = 1.0;
    const double gamma = -std::log(1.0e-4) / (2.0 * t);
    double ft = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(t);
        slug::lapadc(t, gamma, t, ninv, ft, cheap, minv, 1, d.data(), work.data());
        benchmark::DoNotOptimize(ft);
    }
}
BENCHMARK(BM_lapadc)->ArgNames({"N", "minv"})->Args({6, 3})->Args({6, 1})->Args({6, 2})->Args({16, 3});

void BM_lapadc_reuse(benchmark::State& state) {
    const int ninv = 6;
    std::vector<cplx> d(ninv + 1), work(ninv + 1);
    const double tper = 2.0, gamma = -std::log(1.0e-4) / (2.0 * tper);
    double ft = 0.0, t = 1.0;
    slug::lapadc(t, gamma, tper, ninv, ft, cheap, 3, 1, d.data(), work.data());
    for (auto _ : state) {
        benchmark::DoNotOptimize(t);
        slug::lapadc(t, gamma, tper, ninv, ft, cheap, 3, 0, d.data(), work.data());
        benchmark::DoNotOptimize(ft);
    }
}
BENCHMARK(BM_lapadc_reuse);

}  // namespace

BENCHMARK_MAIN();
