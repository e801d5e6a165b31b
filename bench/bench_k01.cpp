// Cost of one K0/K1 evaluation: the accurate kernel (ratio K0/(zK1) and the
// scaled pair) against the classic kzeone and the package's zbesk (orders 0
// and 1 in one call, scaled), at moduli of the well response's arguments.
// The response evaluates K0/(qK1) at q = sqrt(XKD eps^2 + CCD p), Re p > 0,
// so |arg q| < 45 degrees; the arguments below cycle over 0, 20 and 45
// degrees at a fixed modulus, and the "Mix" cases over 48 moduli from 0.01
// to 10 (log-spaced) in those directions, a spread like that of a run.
#include <benchmark/benchmark.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "special/besselsub/zbes.hpp"
#include "special/k01.hpp"
#include "special/kzeone.hpp"

namespace {

using cplx = std::complex<double>;

std::vector<cplx> ring(double r) {
    std::vector<cplx> z;
    for (double deg : {0.0, 20.0, 45.0}) z.push_back(std::polar(r, deg * std::numbers::pi / 180.0));
    return z;
}

std::vector<cplx> mix() {
    std::vector<cplx> z;
    for (int i = 0; i < 48; ++i) {
        const double r = std::pow(10.0, -2.0 + 3.0 * i / 47.0);
        z.push_back(std::polar(r, (i % 3) * 22.5 * std::numbers::pi / 180.0));
    }
    return z;
}

std::vector<cplx> points(const benchmark::State& state) {
    return state.range(0) == 0 ? mix() : ring(static_cast<double>(state.range(0)) / 1000.0);
}

void BM_K0OverZK1(benchmark::State& state) {
    const std::vector<cplx> z = points(state);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(slug::k0_over_zk1(z[i]));
        if (++i == z.size()) i = 0;
    }
}

void BM_K01Scaled(benchmark::State& state) {
    const std::vector<cplx> z = points(state);
    std::size_t i = 0;
    cplx k0, k1;
    for (auto _ : state) {
        slug::k01_scaled(z[i], k0, k1);
        benchmark::DoNotOptimize(k0);
        benchmark::DoNotOptimize(k1);
        if (++i == z.size()) i = 0;
    }
}

void BM_Kzeone(benchmark::State& state) {
    const std::vector<cplx> z = points(state);
    std::size_t i = 0;
    double re0, im0, re1, im1;
    for (auto _ : state) {
        slug::kzeone(z[i].real(), z[i].imag(), re0, im0, re1, im1);
        benchmark::DoNotOptimize(re0);
        benchmark::DoNotOptimize(im0);
        benchmark::DoNotOptimize(re1);
        benchmark::DoNotOptimize(im1);
        if (++i == z.size()) i = 0;
    }
}

void BM_Zbesk(benchmark::State& state) {
    const std::vector<cplx> z = points(state);
    std::size_t i = 0;
    double re[2], im[2];
    int nz, ierr;
    for (auto _ : state) {
        slug::zbesk(z[i].real(), z[i].imag(), 0.0, 2, 2, re, im, nz, ierr);
        benchmark::DoNotOptimize(re);
        benchmark::DoNotOptimize(im);
        if (++i == z.size()) i = 0;
    }
}

// Argument: |z| in thousandths, 0 = the mix.
void moduli(benchmark::internal::Benchmark* b) {
    b->ArgName("r_milli");
    for (int r : {0, 100, 500, 1200, 2000, 4000, 10000, 100000}) b->Arg(r);
}

BENCHMARK(BM_K0OverZK1)->Apply(moduli);
BENCHMARK(BM_K01Scaled)->Apply(moduli);
BENCHMARK(BM_Kzeone)->Apply(moduli);
BENCHMARK(BM_Zbesk)->Apply(moduli);

}  // namespace

BENCHMARK_MAIN();
