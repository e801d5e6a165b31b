// Tests of the unsaturated-zone coefficient U = -phi'(0)/phi(0).
//
// The reference for the physics is a direct numerical solution of the
// zone equation phi'' - a2 phi' - a1 c e^{-(a1-a2) eta} phi = 0 in the
// Riccati form w = phi'/phi, w' = a2 w + a1 c e^{-(a1-a2) eta} - w^2,
// integrated from the top down to the water table (the direction in which
// deviations from the wanted solution decay), so U = -w(0).
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "model/unsat_coefficient.hpp"
#include "special/besselsub/zbes.hpp"

namespace {

using cplx = std::complex<double>;

// The zone that call_u evaluates.
slug::WellModel g_zone;

void set_zone(double ua1, double ua2, double xkd2, double ul1, double ul2) {
    g_zone.UA1 = ua1;
    g_zone.UA2 = ua2;
    g_zone.UL1 = ul1;
    g_zone.XKD2 = xkd2;
    g_zone.UL2 = ul2;
}

cplx call_u(const cplx& pp, slug::ModelLog* log = nullptr) { return slug::unsat_coefficient(g_zone, pp, log); }

// ---- reference: Riccati equation integrated from the top down ----------

struct Zone {
    double a1, a2, xkd2;
    cplx c;  // p'/XKD2
    cplx q(double eta) const { return a1 * c * std::exp(-(a1 - a2) * eta); }
    cplx f(double eta, const cplx& w) const { return a2 * w + q(eta) - w * w; }
};

cplx rk4_step(const Zone& z, double eta, const cplx& w, double h) {
    const cplx k1 = z.f(eta, w);
    const cplx k2 = z.f(eta + 0.5 * h, w + 0.5 * h * k1);
    const cplx k3 = z.f(eta + 0.5 * h, w + 0.5 * h * k2);
    const cplx k4 = z.f(eta + h, w + h * k3);
    return w + (h / 6.0) * (k1 + 2.0 * k2 + 2.0 * k3 + k4);
}

// Integrates w from eta = top down to 0 with step doubling (RK4, local
// error estimate |w_half - w_full|/15 kept below 1e-13 of the local scale
// |w| + |q| |h|), returns w(0).
cplx integrate_down(const Zone& z, double top, cplx w) {
    double eta = top;
    double h = -std::min(1e-3, top);
    while (eta > 0.0) {
        if (eta + h < 0.0) h = -eta;
        const cplx full = rk4_step(z, eta, w, h);
        const cplx half = rk4_step(z, eta + 0.5 * h, rk4_step(z, eta, w, 0.5 * h), 0.5 * h);
        const double err = std::abs(half - full) / 15.0;
        const double scale = std::abs(w) + std::abs(z.q(eta)) * std::fabs(h) + 1e-300;
        if (err <= 1e-13 * scale) {
            eta += h;
            w = half + (half - full) / 15.0;
            if (err < 1e-15 * scale) h *= 2.0;
        } else {
            h *= 0.5;
        }
    }
    return w;
}

// -phi'(0)/phi(0) of the zone equation with phi'(ul1) = 0 (bounded) or
// phi bounded with height (unbounded).
cplx reference_u(double a1, double a2, double xkd2, double ul1, bool bounded, const cplx& pp) {
    const Zone z{a1, a2, xkd2, pp / xkd2};
    const double d = a1 - a2;
    if (bounded) return -integrate_down(z, ul1, 0.0);
    // Unbounded: start high enough that the start value's error is damped
    // below 1e-13 by the way down, from the leading behaviour of the
    // solution that stays bounded with height.
    if (d == 0.0) {
        // constant coefficients: the decaying root is an exact solution
        return -integrate_down(z, 10.0, 0.5 * a2 - std::sqrt(0.25 * a2 * a2 + z.q(0.0)));
    }
    if (d < 0.0) {
        // q grows with height: w ~ a2/2 - sqrt(a2^2/4 + q), its error damped
        // by exp(-2 int sqrt(q)) ~ exp(-(4/|d|)(sqrt q(H) - sqrt q(0))).
        double top = 1.0;
        while ((4.0 / std::fabs(d)) * (std::sqrt(z.q(top)) - std::sqrt(z.q(0.0))).real() < 40.0 &&
               top < 1e4)
            top *= 1.3;
        const cplx w0 = 0.5 * a2 - std::sqrt(0.25 * a2 * a2 + z.q(top));
        return -integrate_down(z, top, w0);
    }
    // d > 0: q decays with height; w = -c e^{-d eta}(1 + O(c e^{-d eta})).
    double top = std::log(std::max(std::abs(z.c), 1e-300) * 1e14) / d;
    top = std::max(top, 40.0 / a2);
    return -integrate_down(z, top, -z.c * std::exp(-d * top));
}

double rel(const cplx& a, const cplx& b) { return std::abs(a - b) / std::abs(b); }

// Closed forms of the equal-exponent zone written out directly.
cplx closed_unbounded(double a, double xkd2, const cplx& pp) {
    const cplx s = std::sqrt(1.0 + 4.0 * pp / (a * xkd2));
    return 0.5 * a * (s - 1.0);
}
cplx closed_bounded(double a, double xkd2, double l, const cplx& pp) {
    const cplx s = std::sqrt(1.0 + 4.0 * pp / (a * xkd2));
    const cplx r = std::exp(-a * l * s) * (1.0 - s) / (1.0 + s);
    return 0.5 * a * (s * (1.0 + r) / (1.0 - r) - 1.0);
}

// Transform values p' met on inversion contours from early to late times.
const std::vector<cplx> kContour = {
    {1e-7, 2e-6}, {3e-4, 1e-3}, {0.02, 0.3}, {0.5, 0.0}, {1.0, 8.0}, {30.0, 200.0}, {500.0, 6000.0}};

// ---- equal exponents -------------------------------------------------

TEST(UnsatzoneEqual, ClosedFormsAndZeroTransform) {
    for (const cplx& pp : kContour) {
        set_zone(2.0, 2.0, 0.05, 3.0, 10.0);
        // 1e-12: the closed forms differ only in rounding (S - 1 formed as
        // w/(1+S) in the routine), and |S - 1| is not small here.
        if (std::abs(pp) > 1e-3) {
            EXPECT_LT(rel(call_u(pp), closed_bounded(2.0, 0.05, 3.0, pp)), 1e-12) << pp;
            set_zone(2.0, 2.0, 0.05, 10.0, 10.0);
            EXPECT_LT(rel(call_u(pp), closed_unbounded(2.0, 0.05, pp)), 1e-12) << pp;
        }
    }
    for (double ul1 : {0.5, 20.0}) {
        set_zone(1.5, 1.5, 0.01, ul1, 10.0);
        EXPECT_EQ(call_u(0.0), cplx(0.0, 0.0));
    }
}

TEST(UnsatzoneEqual, LargeExponentTendsToWaterTableCondition) {
    // U = (a/2)(S - 1) = p'/XKD2 (1 - p'/(a XKD2) + ...): relative
    // departure about |p'|/(a XKD2).
    const cplx pp{0.3, 2.0};
    for (double a : {1e3, 1e5, 1e7}) {
        set_zone(a, a, 0.1, 100.0, 10.0);
        const cplx lim = pp / 0.1;
        EXPECT_LT(rel(call_u(pp), lim), 2.0 * std::abs(pp) / (a * 0.1) + 1e-13) << a;
    }
}

TEST(UnsatzoneEqual, SmallTransformKeepsRelativeAccuracy) {
    // For |p'| -> 0 the unbounded U is p'/XKD2 to first order; a naive
    // S - 1 would lose all digits at |p'| = 1e-17.
    set_zone(1.0, 1.0, 1.0, 50.0, 10.0);
    const cplx pp{1e-17, 3e-17};
    EXPECT_LT(rel(call_u(pp), pp), 1e-15);
    // Thin bounded zone: U ~ a c L to first order.
    set_zone(1.0, 1.0, 1.0, 1e-6, 10.0);
    const cplx ref = reference_u(1.0, 1.0, 1.0, 1e-6, true, pp);
    EXPECT_LT(rel(call_u(pp), ref), 1e-9);
}

// ---- branch switch ---------------------------------------------------

TEST(UnsatzoneBranch, SinglePrecisionBoundAndExactHundredth) {
    const cplx pp{0.2, 1.5};
    // |d| just below 0.009999999776482582: equal-exponent closed form of
    // UA1, whatever UA2.
    set_zone(1.0, 1.0 + 0.00999999977, 0.05, 10.0, 10.0);
    EXPECT_EQ(call_u(pp), [&] {
        set_zone(1.0, 1.0, 0.05, 10.0, 10.0);
        return call_u(pp);
    }());
    // Just above the bound: the Bessel branch, which follows UA2.
    set_zone(1.0, 1.0 + 0.0099999998, 0.05, 10.0, 10.0);
    const cplx above = call_u(pp);
    EXPECT_GT(rel(above, closed_unbounded(1.0, 0.05, pp)), 1e-4);
    EXPECT_LT(rel(above, reference_u(1.0, 1.0 + 0.0099999998, 0.05, 0.0, false, pp)), 1e-8);
    // A difference of exactly 0.01 in double precision (0.02 - 0.01 and
    // 0.01 - 0.02 are exact) takes the Bessel branch.
    for (auto [a1, a2] : {std::pair{0.02, 0.01}, std::pair{0.01, 0.02}}) {
        ASSERT_EQ(std::fabs(a1 - a2), 0.01);
        set_zone(a1, a2, 0.05, 3.0, 10.0);
        const cplx u = call_u(pp);
        EXPECT_GT(rel(u, closed_bounded(a1, 0.05, 3.0, pp)), 1e-4);
        // 1e-8: the Riccati reference's own tolerance.
        EXPECT_LT(rel(u, reference_u(a1, a2, 0.05, 3.0, true, pp)), 1e-8) << a1 << " " << a2;
    }
}

// ---- Bessel branch: limits --------------------------------------------

TEST(UnsatzoneBessel, ZeroTransformGivesZeroWithoutEvaluations) {
    for (auto [a1, a2] : {std::pair{1.0, 3.0}, std::pair{3.0, 1.0}})
        for (double ul1 : {2.0, 20.0}) {
            set_zone(a1, a2, 0.1, ul1, 10.0);
            EXPECT_EQ(call_u(0.0), cplx(0.0, 0.0));
        }
    // No moisture capacity (UA1 = 0): phi'' - UA2 phi' = 0, whose solution
    // bounded with height (or without flow at the top) is constant.
    for (double ul1 : {2.0, 20.0}) {
        set_zone(0.0, 1.0, 0.1, ul1, 10.0);
        EXPECT_EQ(call_u(cplx(0.5, 3.0)), cplx(0.0, 0.0));
    }
}

TEST(UnsatzoneBessel, UnboundedIndependentOfThicknessThickTendsToUnbounded) {
    for (auto [a1, a2] : {std::pair{1.0, 3.0}, std::pair{3.0, 1.0}, std::pair{0.5, 0.7}})
        for (const cplx& pp : kContour) {
            set_zone(a1, a2, 0.02, 10.0, 10.0);
            const cplx ub = call_u(pp);
            for (double ul1 : {10.0, 55.0, 1e6}) {
                set_zone(a1, a2, 0.02, ul1, 10.0);
                EXPECT_EQ(call_u(pp), ub);
            }
            // A bounded zone 5000 thick: the top's correction is far below
            // rounding (it falls like e^{-|d| L} or faster).
            set_zone(a1, a2, 0.02, 5000.0, 1e4);
            EXPECT_LT(rel(call_u(pp), ub), 1e-14) << a1 << " " << a2 << " " << pp;
        }
}

TEST(UnsatzoneBessel, ExponentCapKeepsTheTopFinite) {
    // (UA2 - UA1) UL1 = 2000 > 700: the top argument is capped, the
    // correction is negligible, U is that of the unbounded zone.
    const cplx pp{0.01, 0.04};
    set_zone(1.0, 3.0, 0.02, 1e4, 1e5);
    const cplx capped = call_u(pp);
    set_zone(1.0, 3.0, 0.02, 1e5, 1e5);
    EXPECT_TRUE(std::isfinite(capped.real()) && std::isfinite(capped.imag()));
    EXPECT_LT(rel(capped, call_u(pp)), 1e-14);
}

// ---- against the physics -------------------------------------------------

struct PhysicsCase {
    double a1, a2, xkd2;
};

TEST(UnsatzonePhysics, AllFourCasesAndEqualExponentsOnContours) {
    // Orders a1/|d| from 0.17 to 3000; both signs of d; equal exponents.
    const std::vector<PhysicsCase> cases = {
        {1.0, 2.0, 0.05},  {2.0, 1.0, 0.05},   {0.2, 1.4, 1e-3}, {5.0, 0.5, 0.3},
        {20.0, 20.02, 0.1}, {30.02, 30.0, 0.1}, {60.0, 60.02, 0.01}, {1.3, 1.3, 0.02}};
    const std::vector<std::pair<double, bool>> zones = {{0.02, true}, {1.5, true}, {50.0, false}};
    double lo = HUGE_VAL, hi = 0.0;
    for (const PhysicsCase& c : cases)
        for (auto [ul1, bounded] : zones)
            for (const cplx& pp : kContour) {
                set_zone(c.a1, c.a2, c.xkd2, ul1, 10.0);
                const cplx u = call_u(pp);
                const cplx ref = reference_u(c.a1, c.a2, c.xkd2, ul1, bounded, pp);
                // 1e-8: the Riccati reference is integrated to about 1e-11
                // relative; the routine itself is near 1e-13.
                EXPECT_LT(rel(u, ref), 1e-8) << "a1=" << c.a1 << " a2=" << c.a2 << " ul1=" << ul1
                                             << " p'=" << pp << " U=" << u << " ref=" << ref;
                const double d = std::fabs(c.a1 - c.a2);
                if (d > 0.01) {
                    const double im_z1 = (2.0 / d) * std::sqrt(c.a1 * pp / c.xkd2).real();
                    lo = std::min(lo, im_z1);
                    hi = std::max(hi, im_z1);
                }
            }
    // The table spans the argument range of early and late times.
    EXPECT_LT(lo, 1.0);
    EXPECT_GT(hi, 100.0);
}

// ---- diagnostic records ---------------------------------------------------

// The event the package's status gives for evaluation k, if any.
void expect_event(std::vector<slug::ModelEvent>& want, int k, bool kind_i, double nu, const cplx& x) {
    double cr = 0, ci = 0;
    int nz = 0, ierr = 0;
    if (kind_i)
        slug::zbesi(x.real(), x.imag(), nu, 2, 1, &cr, &ci, nz, ierr);
    else
        slug::zbesk(x.real(), x.imag(), nu, 2, 1, &cr, &ci, nz, ierr);
    if (ierr != 0) want.push_back({slug::ModelEvent::Kind::BesselStatus, k, ierr, nz, {}});
}

TEST(UnsatzoneLog, RecordsExactlyForFailedEvaluationsInOrder) {
    struct LogCase {
        double a1, a2, ul1;
        cplx pp;
    };
    // Ordinary orders and arguments (no record), and orders 3000/3001 at a
    // small argument, where K overflows and I underflows even scaled.
    const std::vector<LogCase> cases = {{1.0, 2.0, 50.0, {0.3, 1.0}},
                                        {2.0, 1.0, 0.5, {0.3, 1.0}},
                                        {60.0, 60.02, 50.0, {1e-4, 1e-3}},
                                        {60.02, 60.0, 50.0, {1e-4, 1e-3}},
                                        {60.0, 60.02, 0.3, {1e-4, 1e-3}}};
    int with_events = 0;
    for (const LogCase& c : cases) {
        set_zone(c.a1, c.a2, 0.1, c.ul1, 10.0);
        const double d = c.a1 - c.a2;
        const double nu1 = c.a1 / std::fabs(d), nu2 = c.a2 / std::fabs(d);
        const cplx x1 = (2.0 / std::fabs(d)) * std::sqrt(c.a1 * c.pp / 0.1);
        const bool bounded = c.ul1 < 10.0;
        const cplx x2 = x1 * std::exp(-0.5 * d * c.ul1);
        std::vector<slug::ModelEvent> want;
        if (d > 0 || bounded) {
            expect_event(want, 1, true, nu1, x1);
            expect_event(want, 2, true, nu2, x1);
            if (bounded) expect_event(want, 3, true, nu1, x2);
        }
        if (d < 0 || bounded) {
            expect_event(want, 4, false, nu1, x1);
            expect_event(want, 5, false, nu2, x1);
            if (bounded) expect_event(want, 6, false, nu1, x2);
        }
        slug::ModelLog log;
        const cplx u = call_u(c.pp, &log);
        ASSERT_EQ(log.events.size(), want.size()) << c.a1 << " " << c.a2 << " " << c.ul1;
        for (std::size_t i = 0; i < want.size(); ++i) {
            EXPECT_EQ(log.events[i].kind, want[i].kind);
            EXPECT_EQ(log.events[i].k, want[i].k);
            EXPECT_EQ(log.events[i].ierr, want[i].ierr);
            EXPECT_EQ(log.events[i].nz, want[i].nz);
        }
        with_events += !want.empty();
        // Without a log the value is the same: the log only listens.
        EXPECT_EQ(call_u(c.pp), u);
        // Whatever the package reported, U is the zone's coefficient.
        EXPECT_LT(rel(u, reference_u(c.a1, c.a2, 0.1, c.ul1, bounded, c.pp)), 1e-8);
    }
    EXPECT_GT(with_events, 0) << "the cases must include evaluations that report a condition";
}

}  // namespace
