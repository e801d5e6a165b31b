// Validation of the model and the inversion together against the classical
// solution of Cooper, Bredehoeft and Papadopulos (1967) for a fully
// penetrating well in a confined aquifer without skin, computed
// independently by quadrature of its real-integral form
// (tests/tools/gen_cbp.py, tests/data/cbp_reference.txt).
//
// With rw = rc, a full screen (SL = BB) and S = SS*BB: CCD = 2 alpha and
// the dimensionless time of the program is t/TC = 2 beta.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "compat/params.hpp"
#include "run/time_loop_detail.hpp"
#include "fio/fio.hpp"
#include "inversion/lapadc.hpp"
#include "compat/fun.hpp"

namespace {

struct CbpPoint {
    double alpha;
    double beta;
    double ratio;  // H/Ho
};

std::vector<CbpPoint> load_cbp() {
    std::ifstream in(std::string(SLUG_TEST_DATA) + "/cbp_reference.txt");
    std::vector<CbpPoint> pts;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream ls(line);
        CbpPoint p{};
        ls >> p.alpha >> p.beta >> p.ratio;
        pts.push_back(p);
    }
    return pts;
}

// Confined aquifer (SY = 0), full screen, no skin, rw = rc, HO = BB.
void set_confined(double alpha) {
    slug::reset_blocks();
    slug::par2.NTERM = 30;
    slug::par2.NINV = 6;
    slug::par2.MINV = 3;
    slug::par7.EPS = 1.0e-10;
    slug::par7.TOLINV = 1.0e-4;
    slug::par5.BB = 10.0;
    slug::par5.KR = 1.0e-4;
    slug::par5.RW = 0.05;
    slug::par5.RC = 0.05;
    slug::par5.SS = alpha / slug::par5.BB;
    slug::par5.SY = 0.0;
    slug::par5.SL = slug::par5.BB;
    slug::par5.HO = slug::par5.BB;
    slug::par5.HOB = 1.0;
    slug::par6.SW = 0.0;
    slug::par6.CCD = 2.0 * slug::par5.SS * slug::par5.RW * slug::par5.RW * slug::par5.SL /
                     (slug::par5.RC * slug::par5.RC);
    slug::par5.XKD = 1e-2;
    slug::par13.XKD2 = 1e-2;
    slug::par11.XDD = 0.0;
    slug::par11.XLD = 1.0;
    slug::par13.UA1 = slug::par13.UA2 = 1.0;
    slug::par13.UL1 = slug::par13.UL2 = 1.0;
    slug::par14.TC = slug::par5.RC * slug::par5.RC / (2.0 * slug::par5.SL * slug::par5.KR);
    slug::iounit.IOUT = slug::kResultsUnit;
}

// H/Ho from fun and lapadc with the driver's settings, without the clamp.
double program_ratio(double beta) {
    const double t = 2.0 * beta;
    const double gamma = -std::log(slug::par7.TOLINV) / (2.0 * t);
    std::complex<double> d[104], work[104];
    double ft = 0.0;
    slug::lapadc(t, gamma, t, slug::par2.NINV, ft, slug::fun, slug::par2.MINV, 1, d, work);
    return ft / slug::par5.HOB;
}

TEST(ClassicalSolution, AgreesWithinTheInversionAccuracy) {
    const auto pts = load_cbp();
    ASSERT_EQ(pts.size(), 84u);
    double worst_abs = 0.0;
    double worst_rel = 0.0;
    std::map<double, std::pair<double, double>> per_alpha;  // worst abs, rel
    for (const auto& pt : pts) {
        set_confined(pt.alpha);
        const double v = program_ratio(pt.beta);
        const double err = std::fabs(v - pt.ratio);
        worst_abs = std::max(worst_abs, err);
        worst_rel = std::max(worst_rel, err / pt.ratio);
        auto& w = per_alpha[pt.alpha];
        w.first = std::max(w.first, err);
        w.second = std::max(w.second, err / pt.ratio);
        // The inversion's error is absolute, of the order of the accuracy
        // TOLINV = 1e-4 that sets the contour (the damping factor
        // e^(gamma t) = 1/TOLINV scales the discretization error of the
        // Fourier series relative to the head's starting value); the model
        // alone agrees with the classical transform to 1e-11 (test_fun).
        // Measured over the grid: worst |dH/Ho| = 1.69e-4, for every alpha
        // alike. 2.5e-4 keeps that margin and still fails on an error in
        // CCD or the time scale (a factor of 2 in beta changes H/Ho by
        // 0.01 to 0.2) or in the series.
        EXPECT_LT(err, 2.5e-4) << "alpha " << pt.alpha << " beta " << pt.beta << ": " << v << " vs "
                               << pt.ratio;
        if (std::getenv("SLUG_PRINT_CBP"))
            std::printf("| %g | %g | %.7f | %.7f | %+.2e |\n", pt.alpha, pt.beta, pt.ratio, v, v - pt.ratio);
    }
    for (const auto& [a, w] : per_alpha) {
        std::printf("alpha %-6g worst |dH/Ho| %.2e  worst relative %.2e\n", a, w.first, w.second);
    }
    std::printf("all: worst |dH/Ho| %.2e  worst relative %.2e\n", worst_abs, worst_rel);
}

TEST(ClassicalSolution, TimeLoopReportsInFileOrder) {
    // Three file times in decreasing order: the loop evaluates them from
    // the last to the first and the report keeps the file's order.
    set_confined(1e-3);
    const double betas[] = {10.0, 1.0, 0.1};
    slug::par4.ITIME = 1;
    slug::par4.NTIME = 3;
    const double beta_to_time = slug::par5.RC * slug::par5.RC / (slug::par5.KR * slug::par5.BB);
    for (int i = 0; i < 3; ++i) slug::par12.TIMES[static_cast<std::size_t>(i)] = betas[i] * beta_to_time;
    slug::timeloop_detail::Results r;
    slug::timeloop_detail::compute_results(r);
    ASSERT_EQ(r.count, 3);
    // Entry 0 belongs to the last file time (beta = 0.1), entry 2 to the
    // first (beta = 10); the output time is the file time again.
    for (int i = 0; i < 3; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const double beta = betas[2 - i];
        // TC*(time/TC) returns the file time to within rounding.
        EXPECT_NEAR(r.time[k], beta * beta_to_time, 1e-12 * beta * beta_to_time);
        EXPECT_EQ(r.ratio[k], slug::timeloop_detail::clamp_inverted(program_ratio(beta)));
        EXPECT_EQ(r.drawdown[k], slug::par5.HO * r.ratio[k]);
    }
    EXPECT_GT(r.ratio[0], r.ratio[1]);
    EXPECT_GT(r.ratio[1], r.ratio[2]);
}

}  // namespace
