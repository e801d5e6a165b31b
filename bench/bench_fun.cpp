// Cost of one evaluation of the well response at 30, 120 and 480 series
// terms (XKD2 = 1e-2, 1e-4, 1e-6), for a water table with an unsaturated
// zone of equal exponents (closed-form coefficient U, so the series
// dominates) and for a confined aquifer (U = 0: no root iteration): BM_Fun*
// through the classic entry fun over the parameter blocks, BM_Head*
// through laplace_head on the model value.
// items_per_second counts series terms: ns per term = 1e9 / that rate.
// BM_HeadConverged*: laplace_head_converged on the same models (the series
// summed to convergence; items still count the classic terms, so the rates
// compare the cost of one call). BM_Heavy*: both on the model of
// bench/heavy.txt over one de Hoog period of 129 transform values
// (T = 100, gamma = -ln(1e-10)/(2T)), the calls of one log cycle of the
// accurate mode.
#include <benchmark/benchmark.h>

#include <complex>

#include "compat/fun.hpp"
#include "compat/params.hpp"
#include "fio/fio.hpp"
#include "model/converged_head.hpp"
#include "model/laplace_head.hpp"
#include "model/well_model.hpp"
#include "run/input_reader.hpp"

#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void set_blocks(double xkd2, double sy) {
    slug::reset_blocks();
    slug::par2.NTERM = 30;
    slug::par5.XKD = xkd2;
    slug::par13.XKD2 = xkd2;
    slug::par6.CCD = 2e-4;
    slug::par5.RW = 0.05;
    slug::par5.RC = 0.04;
    slug::par5.SY = sy;
    slug::par5.SL = 2.0;
    slug::par5.BB = 10.0;
    slug::par11.XLD = 0.6;
    slug::par11.XDD = 0.4;
    slug::par6.SW = 1.0;
    slug::par5.HOB = 0.05;
    slug::par13.UA1 = slug::par13.UA2 = 5.0;
    slug::par13.UL1 = 10.0;
    slug::par13.UL2 = 5.0;
    slug::par7.EPS = 1.0e-10;
    slug::iounit.IOUT = slug::kResultsUnit;
}

void run(benchmark::State& state, double sy) {
    const int terms = static_cast<int>(state.range(0));
    const double xkd2 = terms == 30 ? 1e-2 : terms == 120 ? 1e-4 : 1e-6;
    set_blocks(xkd2, sy);
    // A sample of the inversion contour at a moderate time.
    std::complex<double> p(4.6, 9.4), f;
    for (auto _ : state) {
        std::complex<double> q = p;
        slug::fun(q, f);
        benchmark::DoNotOptimize(f);
    }
    state.SetItemsProcessed(state.iterations() * terms);
}

void run_head(benchmark::State& state, double sy) {
    const int terms = static_cast<int>(state.range(0));
    const double xkd2 = terms == 30 ? 1e-2 : terms == 120 ? 1e-4 : 1e-6;
    set_blocks(xkd2, sy);
    const slug::WellModel m = slug::model_from_blocks();
    const std::complex<double> p(4.6, 9.4);
    for (auto _ : state) {
        const std::complex<double> f = slug::laplace_head(m, p);
        benchmark::DoNotOptimize(f);
    }
    state.SetItemsProcessed(state.iterations() * terms);
}

void run_converged(benchmark::State& state, double sy) {
    const int terms = static_cast<int>(state.range(0));
    const double xkd2 = terms == 30 ? 1e-2 : terms == 120 ? 1e-4 : 1e-6;
    set_blocks(xkd2, sy);
    const slug::WellModel m = slug::model_from_blocks();
    const std::complex<double> p(4.6, 9.4);
    for (auto _ : state) {
        const slug::ConvergedHead f = slug::laplace_head_converged(m, p);
        benchmark::DoNotOptimize(f);
    }
    state.SetItemsProcessed(state.iterations() * terms);
}

// The model of bench/heavy.txt, read as a run reads it (echo to /dev/null).
slug::WellModel heavy_model() {
    std::fflush(stdout);
    const int saved = ::dup(1);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::close(null);
    const slug::InputValues v = slug::read_input(std::string(SLUG_SOURCE_DIR) + "/bench/heavy.txt");
    std::fflush(stdout);
    ::dup2(saved, 1);
    ::close(saved);
    return slug::make_well_model(v.well);
}

std::vector<std::complex<double>> period_samples() {
    const double t = 100.0;
    const double gamma = -std::log(1e-10) / (2.0 * t);
    std::vector<std::complex<double>> p;
    for (int k = 0; k <= 128; ++k) p.emplace_back(gamma, k * 3.141592653589793 / t);
    return p;
}

void BM_HeavyHead(benchmark::State& state) {
    const slug::WellModel m = heavy_model();
    const auto ps = period_samples();
    for (auto _ : state)
        for (const auto& p : ps) benchmark::DoNotOptimize(slug::laplace_head(m, p));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(ps.size()));
}

void BM_HeavyHeadConverged(benchmark::State& state) {
    const slug::WellModel m = heavy_model();
    const auto ps = period_samples();
    for (auto _ : state)
        for (const auto& p : ps) benchmark::DoNotOptimize(slug::laplace_head_converged(m, p));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(ps.size()));
}

void BM_FunWaterTable(benchmark::State& state) { run(state, 0.2); }
void BM_FunConfined(benchmark::State& state) { run(state, 0.0); }
void BM_HeadWaterTable(benchmark::State& state) { run_head(state, 0.2); }
void BM_HeadConfined(benchmark::State& state) { run_head(state, 0.0); }
void BM_HeadConvergedWaterTable(benchmark::State& state) { run_converged(state, 0.2); }
void BM_HeadConvergedConfined(benchmark::State& state) { run_converged(state, 0.0); }

BENCHMARK(BM_FunWaterTable)->Arg(30)->Arg(120)->Arg(480);
BENCHMARK(BM_FunConfined)->Arg(30)->Arg(120)->Arg(480);
BENCHMARK(BM_HeadWaterTable)->Arg(30)->Arg(120)->Arg(480);
BENCHMARK(BM_HeadConfined)->Arg(30)->Arg(120)->Arg(480);
BENCHMARK(BM_HeadConvergedWaterTable)->Arg(30)->Arg(120)->Arg(480);
BENCHMARK(BM_HeadConvergedConfined)->Arg(30)->Arg(120)->Arg(480);
BENCHMARK(BM_HeavyHead)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HeavyHeadConverged)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
