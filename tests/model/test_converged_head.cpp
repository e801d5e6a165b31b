// Tests of the converged well response laplace_head_converged: its value
// against a brute-force sum, the honesty and size of its truncation bound,
// and the events and failures it shares with laplace_head.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "model/converged_head.hpp"
#include "model/series_detail.hpp"
#include "test_models.hpp"

namespace {

using cplx = std::complex<double>;

struct NamedModel {
    std::string name;
    slug::WellModel m;
};

// Models the input checks admit, chosen for what makes the series hard:
// tiny anisotropy (q small over thousands of terms), a short screen, a
// screen whose top nearly touches the water table (a mode of the tail in
// near resonance), a full screen of a confined aquifer (U = 0, roots
// (n - 1) pi), a zone with Bessel-function coupling and skin, large
// anisotropy (four classic terms).
std::vector<NamedModel> hard_models() {
    std::vector<NamedModel> v;
    const slug::WellModel base = slugtest::partial_water_table();
    v.push_back({"partial water table", base});
    slug::WellModel m = base;
    m.XKD = m.XKD2 = 1e-8;
    v.push_back({"XKD2 = 1e-8", m});
    m = base;
    m.XDD = 0.5;
    m.XLD = 0.51;
    v.push_back({"screen of 1 % of the thickness", m});
    m = base;
    m.XDD = 5e-4;
    m.XLD = 0.3;
    v.push_back({"screen top 5e-4 below the water table", m});
    m = base;
    m.SY = 0.0;
    m.XDD = 0.0;
    m.XLD = 1.0;
    m.XKD = m.XKD2 = 1e-2;
    v.push_back({"confined, full screen", m});
    m = base;
    m.XKD = m.XKD2 = 1e-6;
    m.UA1 = 100.0;
    m.UA2 = 100.5;
    m.UL1 = 0.15;
    m.UL2 = 0.5;
    m.XDD = 0.2;
    m.XLD = 0.35;
    m.SW = 0.1;
    v.push_back({"bounded zone (Bessel branch), skin, XKD2 = 1e-6", m});
    m = base;
    m.XKD = m.XKD2 = 10.0;
    m.SW = 2.0;
    v.push_back({"XKD2 = 10, skin", m});
    // A confined aquifer whose screen ends nearly satisfy zt = 3 zb: a mode of
    // order 1 in near resonance (theta = 6.4e-4) whose eighth difference
    // comes out exactly 0 at the early-time p below (an estimate of 0 must
    // not pass for convergence).
    m = base;
    m.XKD = m.XKD2 = 1.0714383410548245e-06;
    m.CCD = 0.0007052459900139808;
    m.RC = 0.064742700478748888;
    m.SY = 0.0;
    m.XDD = 0.61698926713762847;
    m.XLD = 0.87226126874560839;
    m.SL = 2.5527200160797991;
    m.UA1 = m.UA2 = 0.85156261460375771;
    m.UL1 = 0.29442161313046133;
    m.UL2 = 100.0;
    v.push_back({"confined, screen ends in near resonance", m});
    return v;
}

// Transform variables from late to early dimensionless times, on and off
// the real axis (|U| up to 1e11 for the water tables).
const std::vector<cplx> kTransforms = {{1e-3, 0.0},    {0.01, 0.05},    {4.6, 9.4},
                                      {0.3, 30.0},    {100.0, 300.0},
                                      {2035.6131875322901, 9998.4329950956271}};

// The reference sums 10^5 terms one by one (the tail after them is some
// (M/10^5)^2 of the tail after the first M, below 1e-6 of it); its own
// rounding over 10^5 terms is within 1e-12 of |F|, which is the allowance.
TEST(ConvergedHead, AgreesWithABruteForceSumWithinItsBound) {
    constexpr int kBrute = 100000;
    constexpr double kRounding = 1e-14;
    for (const NamedModel& nm : hard_models()) {
        for (const cplx& p : kTransforms) {
            const slug::ConvergedHead r = slug::series_detail::converged_head_from(nm.m, p, kBrute);
            // The run's aim (the default) and the fit's.
            for (const double target : {1e-10, 1e-8}) {
                slug::WellModel m = nm.m;
                m.numerics.series_target = target;
                const slug::ConvergedHead c = slug::laplace_head_converged(m, p);
                const double err = std::abs(c.value - r.value);
                EXPECT_LE(err, c.truncation_bound + r.truncation_bound + kRounding * std::abs(r.value))
                    << nm.name << " p = " << p << " target " << target;
                // The aim: target |Omega|, which is at most target |F|.
                EXPECT_LE(c.truncation_bound, target * std::abs(c.value)) << nm.name << " p = " << p;
                EXPECT_GE(c.terms, slug::series_detail::term_count(nm.m.numerics.NTERM, nm.m.XKD2));
            }
        }
    }
}

// The zone's events and the root failure are those of laplace_head: the
// same coefficient U at the same p, the same roots.
TEST(ConvergedHead, EventsAndRootFailureAreThoseOfTheClassicSeries) {
    struct Case {
        const char* name;
        slug::WellModel m;
        cplx p;
    };
    std::vector<Case> cases;
    cases.push_back({"no events", slugtest::partial_water_table(), {0.3, 1.0}});
    slug::WellModel zone = slugtest::partial_water_table();
    zone.UA1 = 60.0;  // Bessel orders near 3000 at a small argument
    zone.UA2 = 60.02;
    zone.UL1 = 0.3;
    zone.UL2 = 10.0;
    cases.push_back({"Bessel events", zone, {1e-4, 1e-3}});
    slug::WellModel fail = slugtest::partial_water_table();
    fail.numerics.EPS = -1.0;  // no iterate meets a negative tolerance
    cases.push_back({"root failure", fail, {1.0, 1.0}});
    int with_events = 0;
    for (const Case& c : cases) {
        slug::ModelLog classic_log, log;
        bool classic_threw = false, threw = false;
        try {
            slug::laplace_head(c.m, c.p, &classic_log);
        } catch (const slug::RootIterationFailure&) {
            classic_threw = true;
        }
        try {
            slug::laplace_head_converged(c.m, c.p, &log);
        } catch (const slug::RootIterationFailure&) {
            threw = true;
        }
        EXPECT_EQ(threw, classic_threw) << c.name;
        ASSERT_EQ(log.events.size(), classic_log.events.size()) << c.name;
        for (std::size_t i = 0; i < log.events.size(); ++i) {
            EXPECT_EQ(log.events[i].kind, classic_log.events[i].kind) << c.name;
            EXPECT_EQ(log.events[i].k, classic_log.events[i].k) << c.name;
            EXPECT_EQ(log.events[i].ierr, classic_log.events[i].ierr) << c.name;
            EXPECT_EQ(log.events[i].nz, classic_log.events[i].nz) << c.name;
        }
        with_events += !log.events.empty();
    }
    EXPECT_GT(with_events, 0) << "a case must have events";
}

}  // namespace
