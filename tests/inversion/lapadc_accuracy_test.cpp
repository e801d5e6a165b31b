// Accuracy of lapadc on transforms with known inverses, and agreement with
// the same inversion carried out in 50-digit arithmetic
// (tests/tools/gen_lapadc_reference.py -> tests/data/lapadc_reference.txt).
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "inversion/lapadc.hpp"
#include "lapadc_test_support.hpp"

namespace slug::lapadc_test {
namespace {

double invert(Transform F, double t, int ninv, int minv) {
    std::vector<cplx> d(ninv + 1), work(ninv + 1);
    const double tper = t;
    double ft = std::nan("");
    lapadc(t, driver_gamma(tper), tper, ninv, ft, F, minv, 1, d.data(), work.data());
    return ft;
}

// Driver settings (N = 6, selector 3, T = t, e^{γt} = 1e4^{1/2}). The
// method's error here is dominated by the aliasing term
// e^{-2γT} f(3t)/f(t) = 1e-4·f(3t)/f(t) and the short fraction, not by
// rounding; each bound is the measured error rounded up by about 30 %, so
// a change in the sampling, the QD rules or the tail estimate shows.
TEST(LapadcAccuracy, DriverSettingsReproduceKnownInverses) {
    struct Case {
        const char* name;
        double t;
        double bound;
    };
    const Case cases[] = {
        {"exp", 1.0, 5.0e-6},    // measured 3.8e-6: e^-1 to five digits
        {"ramp", 2.0, 4.5e-4},   // measured 3.3e-4: 2 to nearly four digits
        {"rsqrt", 1.0, 1.0e-4},  // measured 7.5e-5: 1/sqrt(pi) to four digits
        {"exp", 0.1, 2.0e-4},    // measured 1.5e-4
        {"exp", 2.0, 3.5e-4},    // measured 2.5e-4
        {"sin", 1.0, 8.0e-5},    // measured 5.9e-5
        {"sin", 2.0, 1.0e-4},    // measured 7.4e-5
        {"erfc", 1.0, 2.3e-4},   // measured 1.7e-4
        {"erfc", 10.0, 2.6e-4},  // measured 1.9e-4
    };
    for (const auto& c : cases) {
        const KnownPair* pr = find_pair(c.name);
        ASSERT_NE(pr, nullptr);
        const double got = invert(pr->F, c.t, 6, 3);
        EXPECT_LT(rel_err(got, pr->f(c.t)), c.bound) << c.name << " t=" << c.t << " got " << got;
    }
}

// N = 16 at t = 10: the aliasing term 1e-4·e^{-20} is negligible, so the
// error is the truncation of the fraction. The tail estimate brings it to
// 1.6e-9 (bound 2.5e-9); without it the error is 7.8e-8, about 49 times
// larger (accepted band 30..70 times).
TEST(LapadcAccuracy, SixteenTermsTailEstimateGainsAboutFortyFold) {
    const double t = 10.0, exact = std::exp(-t);
    const double e3 = rel_err(invert(f_exp, t, 16, 3), exact);
    const double e2 = rel_err(invert(f_exp, t, 16, 2), exact);
    const double e1 = rel_err(invert(f_exp, t, 16, 1), exact);
    EXPECT_LT(e3, 2.5e-9);
    for (double e : {e1, e2}) {
        EXPECT_GT(e / e3, 30.0);
        EXPECT_LT(e / e3, 70.0);
    }
}

struct ReferenceRow {
    std::string name;
    double t = 0;
    int ninv = 0, minv = 0;
    double value = 0, exact = 0;
};

std::vector<ReferenceRow> read_reference() {
    std::ifstream in(std::string(SLUG_TEST_DATA) + "/lapadc_reference.txt");
    std::vector<ReferenceRow> rows;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream is(line);
        ReferenceRow r;
        is >> r.name >> r.t >> r.ninv >> r.minv >> r.value >> r.exact;
        if (is) rows.push_back(r);
    }
    return rows;
}

// The routine against the same algorithm in 50-digit arithmetic on the same
// double-precision sampling points: only rounding separates them. The
// result is a small real part of sums of terms of the size of the samples,
// so rounding is measured against that size, scale = e^{γt}|F(γ)|/T (for
// e^{-t} at t = 10 the result is 1.5e5 times smaller than the terms).
// The rows hold selectors 1 and 2 for the same cases, whose exact values
// coincide (the even epsilon columns are the Padé approximants the plain
// fraction evaluates), so this also checks the two independent routes
// against each other.
// Each of the O(n²) table operations rounds at 1.1e-16 relative; the bound
// 3e-15 of the scale leaves a factor 10 over the measured maximum 2.8e-16.
TEST(LapadcAccuracy, MatchesExtendedPrecisionRun) {
    const auto rows = read_reference();
    ASSERT_EQ(rows.size(), 180u);
    double worst = 0.0;
    for (const auto& r : rows) {
        const KnownPair* pr = find_pair(r.name);
        ASSERT_NE(pr, nullptr) << r.name;
        const double gamma = driver_gamma(r.t);
        cplx p(gamma, 0.0), f0;
        pr->F(p, f0);
        const double scale = std::exp(gamma * r.t) * std::abs(f0) / r.t;
        const double got = invert(pr->F, r.t, r.ninv, r.minv);
        const double err = std::fabs(got - r.value) / scale;
        worst = std::max(worst, err);
        EXPECT_LT(err, 3.0e-15) << r.name << " t=" << r.t << " N=" << r.ninv << " minv=" << r.minv;
        // The exact inverse in the file agrees with the one used above.
        EXPECT_LT(rel_err(pr->f(r.t), r.exact), 1.0e-14) << r.name << " t=" << r.t;
    }
    std::printf("worst rounding / scale: %.3g\n", worst);
}

}  // namespace
}  // namespace slug::lapadc_test
