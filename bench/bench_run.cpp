// Cost of a whole slug-test run and of its parts, in one binary so that
// they can be compared on one machine in one run:
//  - BM_TermFloor: the irreducible work of one series term, one K0/K1
//    evaluation (beskz1) and the four complex sines of the screen
//    integrals; the cost per term of fun is reported against it;
//  - BM_FunEqual / BM_FunBessel: one evaluation of the well response at
//    30, 480 and 1920 terms (XKD2 = 1e-2, 1e-6, 1e-8), for an unsaturated
//    zone of equal exponents (closed-form U) and for the Bessel branch
//    with orders near 1000 (UA1 = 100, UA2 = 100.1), through the classic
//    entry fun over the parameter blocks; BM_HeadEqual / BM_HeadBessel the
//    same through laplace_head on the model value;
//  - BM_Inversion: one de Hoog-Knight-Stokes inversion (7 evaluations) of
//    fun; BM_InversionModel the same of laplace_head through TransformRef;
//  - BM_Run: the time loop over all times of an input file (no console),
//    examples/input.txt (light) and bench/heavy.txt (200 times, 480 terms,
//    orders 200/201), serial and on all hardware threads.
// items_per_second of the fun cases counts series terms: ns per term is
// 1e9 divided by that rate.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <complex>
#include <cstdio>
#include <cstring>
#include <string>

#include "compat/fun.hpp"
#include "compat/params.hpp"
#include "fio/fio.hpp"
#include "inversion/lapadc.hpp"
#include "model/laplace_head.hpp"
#include "run/input_reader.hpp"
#include "run/time_loop.hpp"
#include "special/kzeone.hpp"

namespace {

using cplx = std::complex<double>;

void set_blocks(double xkd2, double ua1, double ua2) {
    slug::reset_blocks();
    slug::par2.NTERM = 30;
    slug::par2.NINV = 6;
    slug::par2.MINV = 3;
    slug::par7.TOLINV = 1.0e-4;
    slug::par7.EPS = 1.0e-10;
    slug::par5.XKD = xkd2;
    slug::par13.XKD2 = xkd2;
    slug::par6.CCD = 2e-4;
    slug::par5.RW = 0.05;
    slug::par5.RC = 0.04;
    slug::par5.SY = 0.2;
    slug::par5.SL = 2.0;
    slug::par5.BB = 10.0;
    slug::par11.XLD = 0.6;
    slug::par11.XDD = 0.4;
    slug::par6.SW = 1.0;
    slug::par5.HOB = 0.05;
    slug::par5.HO = 0.5;
    slug::par13.UA1 = ua1;
    slug::par13.UA2 = ua2;
    slug::par13.UL1 = 10.0;
    slug::par13.UL2 = 5.0;
    slug::iounit.IOUT = slug::kResultsUnit;
}

double xkd2_for(int terms) { return terms == 30 ? 1e-2 : terms == 480 ? 1e-6 : 1e-8; }

// A sample of the inversion contour at a moderate time.
const cplx kP(4.6, 9.4);

void BM_TermFloor(benchmark::State& state) {
    // Arguments of the size that the 480-term series meets.
    cplx q(0.35, 0.04), e(150.3, 0.002);
    double top = 0.6, bottom = 0.4;
    for (auto _ : state) {
        // Opaque inputs: the sines must not be hoisted out of the loop.
        benchmark::DoNotOptimize(q);
        benchmark::DoNotOptimize(e);
        benchmark::DoNotOptimize(top);
        benchmark::DoNotOptimize(bottom);
        cplx k0, k1;
        slug::beskz1(q, k0, k1);
        const cplx s = std::sin(e * top) - std::sin(e * bottom) + std::sin(2.0 * e * top) - std::sin(2.0 * e * bottom);
        benchmark::DoNotOptimize(k0);
        benchmark::DoNotOptimize(k1);
        benchmark::DoNotOptimize(s);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TermFloor);

void fun_case(benchmark::State& state, double ua1, double ua2) {
    const int terms = static_cast<int>(state.range(0));
    set_blocks(xkd2_for(terms), ua1, ua2);
    cplx f;
    for (auto _ : state) {
        cplx p = kP;
        slug::fun(p, f);
        benchmark::DoNotOptimize(f);
    }
    state.SetItemsProcessed(state.iterations() * terms);
}
void BM_FunEqual(benchmark::State& state) { fun_case(state, 5.0, 5.0); }
void BM_FunBessel(benchmark::State& state) { fun_case(state, 100.0, 100.1); }
BENCHMARK(BM_FunEqual)->Arg(30)->Arg(480)->Arg(1920);
BENCHMARK(BM_FunBessel)->Arg(30)->Arg(480)->Arg(1920);

void head_case(benchmark::State& state, double ua1, double ua2) {
    const int terms = static_cast<int>(state.range(0));
    set_blocks(xkd2_for(terms), ua1, ua2);
    const slug::WellModel m = slug::model_from_blocks();
    slug::ModelLog log;
    for (auto _ : state) {
        const cplx f = slug::laplace_head(m, kP, &log);
        benchmark::DoNotOptimize(f);
        log.events.clear();
    }
    state.SetItemsProcessed(state.iterations() * terms);
}
void BM_HeadEqual(benchmark::State& state) { head_case(state, 5.0, 5.0); }
void BM_HeadBessel(benchmark::State& state) { head_case(state, 100.0, 100.1); }
BENCHMARK(BM_HeadEqual)->Arg(30)->Arg(480)->Arg(1920);
BENCHMARK(BM_HeadBessel)->Arg(30)->Arg(480)->Arg(1920);

void BM_Inversion(benchmark::State& state) {
    set_blocks(1e-6, 5.0, 5.0);
    std::array<cplx, 104> d{}, work{};
    const double t = 10.0, gamma = 4.605170185988091 / t;
    for (auto _ : state) {
        double ft = 0.0;
        slug::lapadc(t, gamma, t, 6, ft, slug::fun, 3, 1, d.data(), work.data());
        benchmark::DoNotOptimize(ft);
    }
    state.SetItemsProcessed(state.iterations() * 480 * 7);
}
BENCHMARK(BM_Inversion);

void BM_InversionModel(benchmark::State& state) {
    set_blocks(1e-6, 5.0, 5.0);
    const slug::WellModel m = slug::model_from_blocks();
    const auto head = [&m](const cplx& p) { return slug::laplace_head(m, p); };
    std::array<cplx, 104> d{}, work{};
    const double t = 10.0, gamma = 4.605170185988091 / t;
    for (auto _ : state) {
        double ft = 0.0;
        slug::lapadc(t, gamma, t, 6, ft, slug::TransformRef(head), 3, 1, d.data(), work.data());
        benchmark::DoNotOptimize(ft);
    }
    state.SetItemsProcessed(state.iterations() * 480 * 7);
}
BENCHMARK(BM_InversionModel);

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

void run_case(benchmark::State& state, const char* file) {
    const slug::InputValues v = load(std::string(SLUG_SOURCE_DIR) + "/" + file);
    if (v.input_error) {
        state.SkipWithError("input file not read");
        return;
    }
    const slug::WellModel m = slug::make_well_model(v.well);
    const int threads = state.range(0) == 0 ? slug::time_loop::worker_count() : 1;
    static slug::time_loop::Results r;
    for (auto _ : state) {
        slug::time_loop::compute_results(m, v.times, r, threads);
        benchmark::DoNotOptimize(r.ratio.data());
    }
    state.counters["threads"] = threads;
    state.counters["times"] = r.count;
}
// Arg 1: serial; 0: all hardware threads.
void BM_RunLight(benchmark::State& state) { run_case(state, "examples/input.txt"); }
void BM_RunHeavy(benchmark::State& state) { run_case(state, "bench/heavy.txt"); }
BENCHMARK(BM_RunLight)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RunHeavy)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
