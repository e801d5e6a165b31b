// Tests of kzeone (e^{Re z} K0, K1 of complex z) and beskz1 (K0, K1).
//
// Reference: tests/data/kzeone_ref.txt, made by tests/tools/gen_kzeone.py
// with mpmath in 40-digit arithmetic. Each line carries the true scaled
// values, the value of kzeone's own truncated formulas at the same point,
// and the relative truncation error of those formulas. Two checks per
// point: the code evaluates its formulas to rounding accuracy (which pins
// the term counts, the quadrature table and the scalings), and it meets
// the true values within ten times its truncation error, never worse than
// 1e-9.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdio>
#include <fstream>
#include <limits>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "special/kzeone.hpp"

namespace {

using C = std::complex<double>;

struct RefPoint {
    double x, y;
    int region;  // 0 series, 1 quadrature, 2 asymptotic expansion
    C k0, k1;    // e^x K0(z), e^x K1(z)
    C f0, f1;    // kzeone's truncated formulas, exactly evaluated
    double err0, err1;  // relative truncation error of f0, f1
};

std::vector<RefPoint> load_reference() {
    std::vector<RefPoint> pts;
    std::ifstream in(std::string(SLUG_TEST_DATA) + "/kzeone_ref.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream s(line);
        RefPoint p{};
        double v[8];
        s >> p.x >> p.y >> p.region;
        for (double& d : v) s >> d;
        s >> p.err0 >> p.err1;
        if (!s) continue;
        p.k0 = {v[0], v[1]};
        p.k1 = {v[2], v[3]};
        p.f0 = {v[4], v[5]};
        p.f1 = {v[6], v[7]};
        pts.push_back(p);
    }
    return pts;
}

const std::vector<RefPoint>& reference() {
    static const std::vector<RefPoint> pts = load_reference();
    return pts;
}

struct Scaled {
    C k0, k1;
};

Scaled scaled(double x, double y) {
    double re0 = 0, im0 = 0, re1 = 0, im1 = 0;
    slug::kzeone(x, y, re0, im0, re1, im1);
    return {{re0, im0}, {re1, im1}};
}

double relerr(C got, C want) { return std::abs(got - want) / std::abs(want); }

// Rounding error of the double-precision evaluation, relative to the
// result. The series loses most: near |z| = 4.3 on the real axis its
// terms reach I0(4.3) |ln(z/2) + gamma| ~ 10 while K0(4.3) ~ 0.009, a
// cancellation of ~1e3 over 13 terms (measured 2.3e-13), so 1e-12; the
// quadrature and the expansion add sums without cancellation and stay
// below 1e-15 (measured 7e-16), so 5e-15.
constexpr std::array<double, 3> kRoundingTol = {1e-12, 5e-15, 5e-15};

// Accuracy goal against the true values, whatever the truncation error.
constexpr double kGlobalTol = 1e-9;

TEST(Kzeone, ReferenceTableIsPresent) {
    // 49 moduli x 17 directions plus boundary, term-step and named points.
    ASSERT_GE(reference().size(), 1100u);
}

TEST(Kzeone, EvaluatesItsFormulasToRoundingAccuracy) {
    std::array<double, 3> worst{};
    for (const RefPoint& p : reference()) {
        const Scaled got = scaled(p.x, p.y);
        const double e = std::max(relerr(got.k0, p.f0), relerr(got.k1, p.f1));
        worst[p.region] = std::max(worst[p.region], e);
        EXPECT_LE(e, kRoundingTol[p.region]) << "z = " << p.x << " + " << p.y << "i";
    }
    std::printf("rounding error of the formulas: series %.2e  quadrature %.2e  expansion %.2e\n",
                worst[0], worst[1], worst[2]);
}

TEST(Kzeone, MatchesTrueValuesWithinTruncationError) {
    std::array<double, 3> worst{};
    for (const RefPoint& p : reference()) {
        const Scaled got = scaled(p.x, p.y);
        const double e0 = relerr(got.k0, p.k0), e1 = relerr(got.k1, p.k1);
        worst[p.region] = std::max({worst[p.region], e0, e1});
        // Ten times the truncation error, plus the rounding allowance for
        // points where truncation is below rounding; capped at the goal.
        const double tol0 = std::min(kGlobalTol, 10 * p.err0 + kRoundingTol[p.region]);
        const double tol1 = std::min(kGlobalTol, 10 * p.err1 + kRoundingTol[p.region]);
        EXPECT_LE(e0, tol0) << "K0 at z = " << p.x << " + " << p.y << "i";
        EXPECT_LE(e1, tol1) << "K1 at z = " << p.x << " + " << p.y << "i";
    }
    std::printf("largest relative error: series %.2e  quadrature %.2e  expansion %.2e\n",
                worst[0], worst[1], worst[2]);
}

TEST(Beskz1, EqualsUnscaledReference) {
    // e^{-x} underflows beyond x ~ 708; below, the unscaling adds one
    // rounding of exp and one product (~4e-16) to the kernel's error.
    int checked = 0;
    for (const RefPoint& p : reference()) {
        if (p.x > 700.0) continue;
        C k0, k1;
        slug::beskz1({p.x, p.y}, k0, k1);
        const double s = std::exp(-p.x);
        const double tol0 = std::min(kGlobalTol, 10 * p.err0 + kRoundingTol[p.region]) + 1e-15;
        const double tol1 = std::min(kGlobalTol, 10 * p.err1 + kRoundingTol[p.region]) + 1e-15;
        EXPECT_LE(relerr(k0, p.k0 * s), tol0) << "z = " << p.x << " + " << p.y << "i";
        EXPECT_LE(relerr(k1, p.k1 * s), tol1) << "z = " << p.x << " + " << p.y << "i";
        ++checked;
    }
    EXPECT_GT(checked, 1000);
}

TEST(Kzeone, SeriesTermCountFollowsModulus) {
    // Rows: z, the term count n the code must use (n = floor(2.129|z| + 4)
    // below |z| = 0.8, floor(2.106|z| + 4.4) from there on), and the series
    // values with n - 1, n and n + 1 terms. Below |z| = 2.7 the series adds
    // ~10 terms with little cancellation, so its rounding error stays
    // below 2e-14; the neighbouring term counts differ from it by at least
    // 5e-13 (the smallest is |z| = 0.8 with 7 instead of 6 terms).
    std::ifstream in(std::string(SLUG_TEST_DATA) + "/kzeone_terms.txt");
    std::string line;
    int rows = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream s(line);
        double x, y, v[12];
        int n;
        s >> x >> y >> n;
        for (double& d : v) s >> d;
        ASSERT_TRUE(s) << line;
        const Scaled got = scaled(x, y);
        double e[3];
        for (int m = 0; m < 3; ++m) {
            const C f0(v[4 * m], v[4 * m + 1]), f1(v[4 * m + 2], v[4 * m + 3]);
            e[m] = std::max(relerr(got.k0, f0), relerr(got.k1, f1));
        }
        EXPECT_LE(e[1], 2e-14) << n << " terms at z = " << x << " + " << y << "i";
        EXPECT_GE(e[0], 1e-13) << "matches " << n - 1 << " terms at z = " << x << " + " << y << "i";
        EXPECT_GE(e[2], 1e-13) << "matches " << n + 1 << " terms at z = " << x << " + " << y << "i";
        ++rows;
    }
    EXPECT_EQ(rows, 12);
}

TEST(Kzeone, RealArgumentsGiveRealResults) {
    // One point per region and the region edges; the imaginary parts must
    // be exactly zero, the values positive and K1 > K0 (K1 - K0 > 0 for
    // real z > 0).
    for (double x : {1e-3, 0.5, 1.0, 4.2999, 4.3, 5.0, 13.999, 14.0, 20.0, 300.0}) {
        const Scaled v = scaled(x, 0.0);
        EXPECT_EQ(v.k0.imag(), 0.0) << x;
        EXPECT_EQ(v.k1.imag(), 0.0) << x;
        EXPECT_GT(v.k0.real(), 0.0) << x;
        EXPECT_GT(v.k1.real(), v.k0.real()) << x;
    }
}

TEST(Kzeone, ConjugateArgumentGivesConjugateResult) {
    // K(conj z) = conj K(z); every operation is odd in y, so the results
    // agree to a few roundings (1e-15 relative).
    for (double r : {0.3, 2.0, 4.0, 6.0, 13.0, 30.0, 500.0}) {
        for (double deg : {10.0, 45.0, 80.0, 90.0}) {
            const double x = deg == 90.0 ? 0.0 : r * std::cos(deg * std::numbers::pi / 180);
            const double y = r * std::sin(deg * std::numbers::pi / 180);
            const Scaled up = scaled(x, y), down = scaled(x, -y);
            EXPECT_LE(relerr(down.k0, std::conj(up.k0)), 1e-15) << r << " " << deg;
            EXPECT_LE(relerr(down.k1, std::conj(up.k1)), 1e-15) << r << " " << deg;
        }
    }
}

TEST(Kzeone, RegionBoundariesAreContinuous) {
    // Just inside and just outside |z| = 4.3 and |z| = 14 (relative step
    // 1e-13, so the functions themselves change by ~1e-13) in 73
    // directions. The difference is the sum of the two methods'
    // truncation errors there, at most ~4.6e-10 (quadrature at 4.3i).
    for (double bound : {4.3, 14.0}) {
        double worst = 0;
        for (int i = 0; i <= 72; ++i) {
            const double deg = -90.0 + 2.5 * i;
            const double th = deg * std::numbers::pi / 180;
            const double cx = std::abs(deg) == 90.0 ? 0.0 : std::cos(th);
            const double sy = std::sin(th);
            const double lo = bound * (1 - 1e-13), hi = bound * (1 + 1e-13);
            const Scaled in = scaled(lo * cx, lo * sy), out = scaled(hi * cx, hi * sy);
            const double e = std::max(relerr(in.k0, out.k0), relerr(in.k1, out.k1));
            worst = std::max(worst, e);
            EXPECT_LE(e, 5e-10) << "|z| = " << bound << " at " << deg << " degrees";
        }
        // The two sides really use different methods: the jump is
        // measurable, far above rounding.
        EXPECT_GT(worst, 1e-11) << bound;
    }
}

TEST(Kzeone, ScalesByExpOfRealPartOnly) {
    // e^20 K0(20 + 5i) and e^20 K1(20 + 5i) (mpmath, 30 digits); scaling
    // by e^z instead would rotate them by e^{5i}. Tolerance: the
    // expansion's truncation error at |z| = 20.6 is ~1e-10.
    const Scaled v = scaled(20.0, 5.0);
    const C k0(0.10906933346112636, 0.25184577837353679);
    const C k1(0.11305725229062474, 0.25708128270067056);
    EXPECT_LE(relerr(v.k0, k0), 2e-10);
    EXPECT_LE(relerr(v.k1, k1), 2e-10);
    C u0, u1;
    slug::beskz1({20.0, 5.0}, u0, u1);
    EXPECT_LE(relerr(u0 * std::exp(20.0), v.k0), 1e-15);
    EXPECT_LE(relerr(u1 * std::exp(20.0), v.k1), 1e-15);
}

TEST(Kzeone, ZeroArgumentIsRefusedAndOutputsKept) {
    for (double x0 : {0.0, -0.0}) {
        double re0 = 1.5, im0 = -2.5, re1 = 3.5, im1 = -4.5;
        testing::internal::CaptureStdout();
        slug::kzeone(x0, 0.0, re0, im0, re1, im1);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(out,
                  " ARGUMENT OF THE BESSEL FUNCTIONS IS ZERO\n"
                  " OR LIES IN LEFT HALF COMPLEX PLANE\n");
        EXPECT_EQ(re0, 1.5);
        EXPECT_EQ(im0, -2.5);
        EXPECT_EQ(re1, 3.5);
        EXPECT_EQ(im1, -4.5);
    }
}

TEST(Beskz1, ZeroArgumentGivesPositiveInfinity) {
    const double inf = std::numeric_limits<double>::infinity();
    C k0(7.0, 7.0), k1(7.0, 7.0);
    testing::internal::CaptureStdout();
    slug::beskz1({0.0, 0.0}, k0, k1);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out,
              " ARGUMENT OF THE BESSEL FUNCTIONS IS ZERO\n"
              " OR LIES IN LEFT HALF COMPLEX PLANE\n");
    EXPECT_EQ(k0, C(inf, 0.0));
    EXPECT_EQ(k1, C(inf, 0.0));
}

TEST(Kzeone, TinyNonZeroArgumentsAreEvaluated) {
    // |z|^2 underflows below |z| ~ 1e-154; these arguments are not zero
    // and must neither be refused nor turn into NaN. Leading terms:
    // K0 = -ln(z/2) - gamma, K1 = 1/z, exact to far below 1e-15 here.
    const double gamma = 0.5772156649015329;
    for (C z : {C(1e-200, 0.0), C(0.0, 1e-170), C(3e-160, -4e-160), C(1e-300, 1e-300)}) {
        testing::internal::CaptureStdout();
        const Scaled v = scaled(z.real(), z.imag());
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        const C ln_half(std::log(std::abs(z)) - std::log(2.0), std::arg(z));
        EXPECT_LE(relerr(v.k0, -ln_half - gamma), 1e-15) << z;
        EXPECT_LE(relerr(v.k1, 1.0 / z), 1e-15) << z;
    }
}

TEST(Beskz1, LargeRealPartUnderflowsToZero) {
    // e^{-x} is zero beyond x ~ 745; the kernel's scaled values stay
    // finite and the unscaled ones become exact zeros.
    C k0, k1;
    slug::beskz1({800.0, 3.0}, k0, k1);
    EXPECT_EQ(k0, C(0.0, 0.0));
    EXPECT_EQ(k1, C(0.0, 0.0));
    const Scaled v = scaled(800.0, 3.0);
    EXPECT_TRUE(std::isfinite(v.k0.real()) && std::abs(v.k0) > 0);
}

}  // namespace
