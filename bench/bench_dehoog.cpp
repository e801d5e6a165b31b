// Cost of the grouped de Hoog inversion apart from the transform: one
// group's two QD tables (the samples and their perturbed copy, in long
// double) and the fractions for its times, from samples taken beforehand.
// And a whole run on the Cooper-Bredehoeft-Papadopulos transform (one
// K0/K1 kernel call per sample), accurate chain against the classic
// per-time inversion (N = 6, T = t, tolerance 1e-4, kzeone), 200 times over
// five log cycles.
#include <benchmark/benchmark.h>

#include <cmath>
#include <complex>
#include <vector>

#include "inversion/dehoog.hpp"
#include "inversion/lapadc.hpp"
#include "special/cplx.hpp"
#include "special/k01.hpp"
#include "special/kzeone.hpp"

namespace {

using slug::cplx;

constexpr double kAlpha = 1e-3;

cplx cbp_accurate(cplx p) {
    const cplx rho = slug::k0_over_zk1(slug::principal_sqrt(2.0 * kAlpha * p));
    return slug::smith_div(rho, p * rho + 1.0);
}

void cbp_classic(cplx& p, cplx& fp) {
    const cplx q = slug::principal_sqrt(2.0 * kAlpha * p);
    double re0 = 0, im0 = 0, re1 = 0, im1 = 0;
    slug::kzeone(q.real(), q.imag(), re0, im0, re1, im1);
    const cplx rho = slug::smith_div(cplx(re0, im0), q * cplx(re1, im1));
    fp = slug::smith_div(rho, p * rho + 1.0);
}

std::vector<double> log_times(int n) {
    std::vector<double> t(n);
    for (int i = 0; i < n; ++i) t[i] = 2e-3 * std::pow(1e5, i / (n - 1.0));
    return t;
}

// Arguments: order M, number of times in the group (one log cycle).
void BM_InvertGroup(benchmark::State& state) {
    const int M = static_cast<int>(state.range(0)), n = static_cast<int>(state.range(1));
    std::vector<double> t(n);
    for (int i = 0; i < n; ++i) t[i] = 10.0 * std::pow(0.1, i / std::max(1.0, n - 1.0));
    slug::InversionGroup g;
    g.T = 12.5;
    g.gamma = -std::log(1e-10) / (2.0 * g.T);
    g.M = M;
    for (int i = 0; i < n; ++i) g.time_index.push_back(i);
    const std::vector<cplx> p = slug::sample_points(g);
    std::vector<cplx> fp(p.size());
    for (std::size_t k = 0; k < p.size(); ++k) fp[k] = cbp_accurate(p[k]);
    std::vector<double> value(n), error(n);
    for (auto _ : state) {
        benchmark::DoNotOptimize(slug::invert_group(g, fp, t, value, error));
        benchmark::DoNotOptimize(value.data());
    }
}
BENCHMARK(BM_InvertGroup)
    ->ArgNames({"M", "times"})
    ->Args({64, 40})
    ->Args({64, 5})
    ->Args({128, 40})
    ->Args({24, 1})
    ->Unit(benchmark::kMicrosecond);

void BM_CbpRunAccurate(benchmark::State& state) {
    const std::vector<double> t = log_times(200);
    int calls = 0;
    for (auto _ : state) {
        const slug::InversionResult r = slug::invert_times(cbp_accurate, t);
        calls = r.samples;
        benchmark::DoNotOptimize(r.value.data());
    }
    state.counters["calls"] = calls;
}
BENCHMARK(BM_CbpRunAccurate)->Unit(benchmark::kMillisecond);

void BM_CbpRunClassic(benchmark::State& state) {
    const std::vector<double> t = log_times(200);
    std::vector<cplx> d(7), work(7);
    std::vector<double> v(t.size());
    for (auto _ : state) {
        for (std::size_t i = 0; i < t.size(); ++i) {
            const double gamma = -std::log(1e-4) / (2.0 * t[i]);
            slug::lapadc(t[i], gamma, t[i], 6, v[i], cbp_classic, 3, 1, d.data(), work.data());
        }
        benchmark::DoNotOptimize(v.data());
    }
    state.counters["calls"] = 7.0 * static_cast<double>(t.size());
}
BENCHMARK(BM_CbpRunClassic)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
