// Status codes of the J and Y entry points (input errors, range limits,
// overflow, underflow counts) and regression cases for faults known from
// other ports of the algorithm.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "special/besselsub/zbes.hpp"

namespace {

using cplx = std::complex<double>;
constexpr double kSentinel = -12345.678;

struct Call {
    std::vector<double> r, i, wr, wi;
    int nz = -99, ierr = -99;
    explicit Call(int n)
        : r(std::max(n, 1), kSentinel), i(std::max(n, 1), kSentinel), wr(std::max(n, 1)), wi(std::max(n, 1)) {}
    bool untouched() const {
        for (std::size_t k = 0; k < r.size(); ++k)
            if (r[k] != kSentinel || i[k] != kSentinel) return false;
        return true;
    }
    cplx v(int k) const { return {r[k], i[k]}; }
};

Call j(double zr, double zi, double fnu, int kode, int n) {
    Call c(n);
    slug::zbesj(zr, zi, fnu, kode, n, c.r.data(), c.i.data(), c.nz, c.ierr);
    return c;
}
Call y(double zr, double zi, double fnu, int kode, int n) {
    Call c(n);
    slug::zbesy(zr, zi, fnu, kode, n, c.r.data(), c.i.data(), c.nz, c.wr.data(), c.wi.data(), c.ierr);
    return c;
}

// IERR 1: the outputs keep their previous contents. Infinite arguments or
// orders are beyond AA (IERR 4, see NoResultAboveAA).
TEST(ZbesStatus, InputErrorsLeaveOutputsUntouched) {
    struct Case {
        double zr, zi, fnu;
        int kode, n;
    };
    const Case cases[] = {{1.0, 1.0, -0.5, 1, 1}, {1.0, 1.0, -1e-300, 2, 1}, {1.0, 1.0, 1.0, 0, 1},
                          {1.0, 1.0, 1.0, 3, 1},  {1.0, 1.0, 1.0, 1, 0},     {1.0, 1.0, 1.0, 2, -2},
                          // NaN in the order or the argument (would otherwise come back with IERR 0)
                          {1.0, 1.0, std::nan(""), 2, 1}, {std::nan(""), 1.0, 1.0, 2, 1}, {1.0, std::nan(""), 0.5, 1, 1}};
    for (const Case& c : cases) {
        for (const Call& r : {j(c.zr, c.zi, c.fnu, c.kode, c.n), y(c.zr, c.zi, c.fnu, c.kode, c.n)}) {
            EXPECT_EQ(r.ierr, 1) << c.fnu << " " << c.kode << " " << c.n;
            EXPECT_EQ(r.nz, 0);
            EXPECT_TRUE(r.untouched());
        }
    }
    // Y is infinite at the origin; J is not.
    const Call y0 = y(0.0, 0.0, 1.0, 2, 1);
    EXPECT_EQ(y0.ierr, 1);
    EXPECT_TRUE(y0.untouched());
    const Call y0m = y(-0.0, -0.0, 0.0, 1, 1);
    EXPECT_EQ(y0m.ierr, 1);
    const Call j0 = j(0.0, 0.0, 0.0, 1, 2);
    EXPECT_EQ(j0.ierr, 0);
    EXPECT_EQ(j0.v(0), cplx(1.0, 0.0));
    EXPECT_EQ(j0.v(1), cplx(0.0, 0.0));
    EXPECT_EQ(j0.nz, 1);
}

// Above sqrt(AA) = 32767.99999: IERR 3 with values (mpmath references; the
// bound allows the loss that comes with the argument size, 10 eps |z|).
TEST(ZbesStatus, ReducedAccuracyAboveSqrtAA) {
    struct Case {
        double zr, zi, fnu;
        cplx jref, yref;
    };
    const Case cases[] = {
        {32768.5, 0.0, 1.0, {0.0034615171037505605, 0.0}, {-0.0027286803663520659, 0.0}},
        {-20000.0, 26000.0, 0.5, {0.0010406893863638433, 0.001941362839189804},
         {-0.001941362839189804, 0.0010406893863638433}},
    };
    for (const Case& c : cases) {
        const double az = std::abs(cplx(c.zr, c.zi));
        const double tol = 10.0 * 2.2e-16 * az;
        const Call rj = j(c.zr, c.zi, c.fnu, 2, 1), ry = y(c.zr, c.zi, c.fnu, 2, 1);
        EXPECT_EQ(rj.ierr, 3);
        EXPECT_EQ(ry.ierr, 3);
        const double den = std::abs(c.jref) + std::abs(c.yref);
        EXPECT_LE(std::abs(rj.v(0) - c.jref) / den, tol);
        EXPECT_LE(std::abs(ry.v(0) - c.yref) / den, tol);
    }
    // Just below the limit the status is clean.
    EXPECT_EQ(j(32767.99, 0.0, 1.0, 2, 1).ierr, 0);
    // The largest order fnu+n-1 counts, not fnu.
    const Call big = j(1.0, 0.0, 32767.5, 2, 2);
    EXPECT_EQ(big.ierr, 3);
    EXPECT_EQ(big.nz, 2);  // J of such orders at z = 1 underflows
    EXPECT_EQ(big.v(0), cplx(0.0, 0.0));
}

// Above AA = 1073741823.5: IERR 4, NZ 0, nothing computed. A range
// constant taken as the largest double instead of half the largest
// integer would give overflow (IERR 2) for the huge order.
TEST(ZbesStatus, NoResultAboveAA) {
    struct Case {
        double zr, zi, fnu;
        int n;
    };
    const Case cases[] = {{2.0e9, 0.0, 1.0, 1},  {0.0, -1.5e9, 0.5, 1},        {1.0e8, 0.0, 1.0e10, 1},
                          {1.0e8, 1.0, 2.0e9, 1}, {1.0, 0.0, 1073741823.0, 2}, {1.0, 1.0, 1.0e300, 1},
                          {HUGE_VAL, 0.0, 1.0, 1},  {1.0, 1.0, HUGE_VAL, 1}};
    for (const Case& c : cases) {
        for (int kode = 1; kode <= 2; ++kode) {
            for (const Call& r : {j(c.zr, c.zi, c.fnu, kode, c.n), y(c.zr, c.zi, c.fnu, kode, c.n)}) {
                EXPECT_EQ(r.ierr, 4) << c.zr << " " << c.zi << " " << c.fnu;
                EXPECT_EQ(r.nz, 0);
                EXPECT_TRUE(r.untouched());
            }
        }
    }
}

// IERR 2: unscaled values beyond the exponent range, and Y at a tiny
// argument or a large order.
TEST(ZbesStatus, Overflow) {
    EXPECT_EQ(j(1.0, 800.0, 0.5, 1, 1).ierr, 2);
    EXPECT_EQ(j(1.0, -800.0, 2.0, 1, 3).ierr, 2);
    EXPECT_EQ(y(1.0, 800.0, 0.5, 1, 1).ierr, 2);
    EXPECT_EQ(y(1.0e-310, 0.0, 0.0, 2, 1).ierr, 2);
    EXPECT_EQ(y(1.0e-6, 0.0, 85.0, 2, 1).ierr, 2);
    EXPECT_EQ(y(1.0e-200, 1.0e-200, 2.0, 2, 1).ierr, 2);
    // The scaled form of the same arguments is fine.
    const Call s = j(1.0, 800.0, 0.5, 2, 1);
    EXPECT_EQ(s.ierr, 0);
    EXPECT_TRUE(std::isfinite(s.r[0]) && std::isfinite(s.i[0]));
}

// NZ of zbesj: the last NZ values of the sequence are zero (underflow),
// the others correct.
TEST(ZbesStatus, UnderflowCountOfJ) {
    // J_1(1e-200) = 5e-201; J_2, J_3 are below the smallest double.
    const Call r = j(1.0e-200, 0.0, 1.0, 2, 3);
    EXPECT_EQ(r.ierr, 0);
    EXPECT_EQ(r.nz, 2);
    EXPECT_NEAR(r.r[0] / 5.0e-201, 1.0, 1e-14);
    EXPECT_EQ(r.v(1), cplx(0.0, 0.0));
    EXPECT_EQ(r.v(2), cplx(0.0, 0.0));
    // All orders underflow.
    const Call all = j(1.0e-305, 1.0e-305, 3.0, 2, 2);
    EXPECT_EQ(all.nz, 2);
}

// NZ of zbesy with kode 2: the K term's factor exp(-2|Im z|) is zero once
// 2|Im z| >= ELIM; the values are then the I term alone and non-zero, so
// NZ stays 0, and they agree with the unscaled values times exp(-|Im z|)
// where those are representable.
TEST(ZbesStatus, ScaledYWithVanishingKTerm) {
    const Call s = y(3.0, 360.0, 1.5, 2, 3);
    EXPECT_EQ(s.ierr, 0);
    EXPECT_EQ(s.nz, 0);
    const Call u = y(3.0, 360.0, 1.5, 1, 3);
    EXPECT_EQ(u.ierr, 0);
    for (int k = 0; k < 3; ++k) {
        // exp(-360) scaling of a value computed with error ~ 10 eps |z|.
        EXPECT_LE(std::abs(u.v(k) * std::exp(-360.0) - s.v(k)), 1e-12 * std::abs(s.v(k)));
    }
}

// The sign of a zero imaginary part does not choose the branch on the
// negative real axis: both zeros give the upper-side value (arg z = pi).
TEST(ZbesStatus, NegativeRealAxisIgnoresSignOfZero) {
    const cplx jref(0.0, -0.29910405245731305), yref(0.0, 0.013708391569564107);  // mpmath, nu = 2.5, z = -7.5
    for (double zi : {0.0, -0.0}) {
        const Call rj = j(-7.5, zi, 2.5, 1, 1), ry = y(-7.5, zi, 2.5, 1, 1);
        EXPECT_EQ(rj.ierr, 0);
        EXPECT_EQ(ry.ierr, 0);
        // Relative to the pair size, as for the reference table.
        const double den = std::abs(jref) + std::abs(yref);
        EXPECT_LE(std::abs(rj.v(0) - jref) / den, 1e-13) << zi;
        EXPECT_LE(std::abs(ry.v(0) - yref) / den, 1e-13) << zi;
    }
    const Call a = j(-7.5, 0.0, 2.5, 2, 3), b = j(-7.5, -0.0, 2.5, 2, 3);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(a.v(k), b.v(k));
}

// Long sequences: every member agrees with a single-order call (ratios
// or recurrence indices off by one show up here), in every method region.
TEST(ZbesStatus, LongSequencesMatchSingleOrders) {
    const cplx zs[] = {{0.3, 0.2}, {1.9, 0.0}, {5.0, 3.0}, {0.0, 12.0}, {-15.0, 4.0}, {25.0, 1.0}, {40.0, -30.0}};
    for (const cplx z : zs) {
        for (double fnu : {0.0, 0.4, 7.5}) {
            const int n = 12;
            const Call sj = j(z.real(), z.imag(), fnu, 2, n), sy = y(z.real(), z.imag(), fnu, 2, n);
            ASSERT_EQ(sj.ierr, 0);
            ASSERT_EQ(sy.ierr, 0);
            for (int k = 0; k < n; ++k) {
                const Call oj = j(z.real(), z.imag(), fnu + k, 2, 1), oy = y(z.real(), z.imag(), fnu + k, 2, 1);
                const double den = std::abs(oj.v(0)) + std::abs(oy.v(0));
                // Two evaluations, each within 1e-13 of the pair size.
                EXPECT_LE(std::abs(sj.v(k) - oj.v(0)) / den, 2e-13) << z << " " << fnu << "+" << k;
                EXPECT_LE(std::abs(sy.v(k) - oy.v(0)) / den, 2e-13) << z << " " << fnu << "+" << k;
            }
        }
    }
}

// Orders above FNUL belong to the uniform expansions for large orders:
// until those exist the answer is IERR 5, afterwards a correct value
// (mpmath: J_120(100 + 30i), Y_120(100 + 30i), scaled by exp(-30)).
TEST(ZbesStatus, LargeOrderIsFailureOrCorrect) {
    const cplx jref(2.6753066960841672e-15, 7.1292507136756914e-15);
    const cplx yref(-1.0013471294371644e-14, 5.5756162359942365e-15);
    const Call rj = j(100.0, 30.0, 120.0, 2, 1), ry = y(100.0, 30.0, 120.0, 2, 1);
    const double den = std::abs(jref) + std::abs(yref);
    for (const Call* r : {&rj, &ry}) {
        if (r->ierr == 5) continue;
        EXPECT_EQ(r->ierr, 0);
        EXPECT_LE(std::abs(r->v(0) - (r == &rj ? jref : yref)) / den, 1e-13);
    }
}

}  // namespace

namespace {

// Scaled Y with 2|Im z| >= ELIM and an order large against |z|: the K term
// exp(-2|Im z|) e^zeta K is not negligible there (the scaled K grows like
// exp(fnu^2/(2|z|))) and must not be dropped. mpmath references, scaled by
// exp(-|Im z|). These orders are above FNUL, so IERR 5 is accepted until
// the large-order routines exist.
TEST(ZbesStatus, ScaledYKeepsLargeKTermFarFromAxis) {
    struct Case {
        double zi, fnu;
        cplx yref;
    };
    const Case cases[] = {{351.0, 700.0, {6.595404708e-57, -8.490056138e-57}},
                          {351.0, 600.0, {9.048878968e-117, -2.082078703e-116}},
                          {340.0, 700.0, {2.646940663e-41, -3.028242929e-41}}};
    for (const Case& c : cases) {
        const Call r = y(1.0, c.zi, c.fnu, 2, 1);
        if (r.ierr == 5) continue;
        EXPECT_EQ(r.ierr, 0);
        EXPECT_EQ(r.nz, 0);
        // References to 10 digits.
        EXPECT_LE(std::abs(r.v(0) - c.yref), 1e-9 * std::abs(c.yref)) << c.zi << " " << c.fnu;
    }
}

}  // namespace
