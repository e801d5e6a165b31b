// Bouwer and Rice (1976): the A, B, C polynomials of Van Rooy (1988) and
// ln(Re/rw) against mpmath evaluations of the published equations, K and
// the notes of each setting from a synthetic record, refused geometries.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "classical/bouwer_rice.hpp"
#include "classical_fixtures.hpp"

namespace {

using classical_test::base_well;
using classical_test::reference_rows;
using slug::NoteKind;

// A degree-5 polynomial at x = 1000 sums terms of up to about 100 to a value
// near 10: a few 1e-15 relative; 1e-13 covers it and ln(Re/rw) built on it.
constexpr double kRel = 1e-13;

TEST(BouwerRice, CurvesAreVanRooysPolynomials) {
    const auto rows = reference_rows("curves");
    ASSERT_EQ(rows.size(), 9u);
    for (const auto& r : rows) {
        SCOPED_TRACE("Le/rw = " + r[0]);
        const slug::BouwerRiceCurves c = slug::bouwer_rice_curves(std::stod(r[0]));
        EXPECT_NEAR(c.a, std::stod(r[1]), kRel * c.a);
        EXPECT_NEAR(c.b, std::stod(r[2]), kRel * c.b);
        EXPECT_NEAR(c.c, std::stod(r[3]), kRel * c.c);
    }
}

// Partial penetration with and without the limit of 6 on ln((D - Lw)/rw),
// full penetration, a screen ending less than rw above the base (full
// form), and Le/rw beyond 1000 (curves read at 1000).
TEST(BouwerRice, LogRatioMatchesReference) {
    const auto rows = reference_rows("lnre");
    ASSERT_EQ(rows.size(), 8u);
    for (const auto& r : rows) {
        SCOPED_TRACE(r[0] + " " + r[1] + " " + r[2] + " " + r[3]);
        const double le = std::stod(r[0]), rw = std::stod(r[3]);
        const slug::BouwerRiceLog v = slug::bouwer_rice_log_ratio(le, std::stod(r[1]), std::stod(r[2]), rw);
        ASSERT_TRUE(v.ok) << v.error;
        EXPECT_NEAR(v.value, std::stod(r[5]), kRel * v.value);
        EXPECT_EQ(v.full_penetration, r[4] == "full");
        EXPECT_EQ(v.log_term_capped, r[4] == "capped");
        EXPECT_EQ(v.curves_at, std::min(le / rw, slug::kCurvesMaxLeRw));
    }
}

// K = rc^2 ln(Re/rw) / (2 Le T0) from a record exp(-t/T0) (ln(Re/rw) as
// pinned above), with the input's mapping: rw is the skin's outer radius,
// Lw the screen bottom, D the thickness; and the notes of each setting.
TEST(BouwerRice, SyntheticRecordGivesKWithTheSettingsNotes) {
    auto well = [](double rw, double skin, double top, double bottom, double d, double kz_over_kr, bool wt) {
        slug::WellGeometry g = base_well();
        g.rw = g.rc = rw, g.skin = skin, g.screen_top = top, g.screen_bottom = bottom, g.thickness = d;
        g.kz_over_kr = kz_over_kr, g.water_table = wt;
        return g;
    };
    struct Case {
        const char* name;
        slug::WellGeometry g;
        std::vector<NoteKind> notes;
    };
    const std::vector<Case> cases = {
        {"water table", base_well(), {}},
        {"confined", well(0.05, 0, 3, 5, 10, 1, false), {NoteKind::confined}},
        {"skin, anisotropic", well(0.05, 0.02, 3, 5, 10, 0.5, true), {NoteKind::skin_radius, NoteKind::anisotropy}},
        {"full screen from the water table", well(0.05, 0, 0, 10, 10, 1, true),
         {NoteKind::full_penetration, NoteKind::screen_at_water_table}},
        {"deep base", well(0.05, 0, 2, 3, 500, 1, true), {NoteKind::log_term_capped}},
        {"Dawsonville-like: confined, full, long", well(0.076, 0, 0, 98, 98, 1, false),
         {NoteKind::full_penetration, NoteKind::curves_range, NoteKind::confined}},
    };
    const double t0 = 25.0;
    const auto rec = classical_test::exponential_record(t0, 1.0, 0.5);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const slug::BouwerRiceResult r = slug::bouwer_rice(rec.time, rec.ratio, c.g);
        ASSERT_TRUE(r.ok) << r.error;
        const slug::BouwerRiceLog ln_re = slug::bouwer_rice_log_ratio(
            c.g.screen_length(), c.g.screen_bottom, c.g.thickness, c.g.rw + c.g.skin);
        const double k = c.g.rc * c.g.rc * ln_re.value / (2.0 * c.g.screen_length() * t0);
        EXPECT_NEAR(r.k, k, 1e-12 * k);  // the exact record's slope: rounding only
        EXPECT_EQ(classical_test::note_kinds(r.notes), c.notes);
    }
}

TEST(BouwerRice, RefusesGeometriesOutsideTheMethod) {
    struct Case {
        const char* name;
        double le, lw, d, rw;
        const char* says;
    };
    const std::vector<Case> cases = {
        {"rw 0", 2, 5, 10, 0.0, "well radius rw is 0"},
        {"no screen", 0, 5, 10, 0.05, "screen length Le is 0"},
        {"screen above the water table", 4, 3, 10, 0.05, "must lie below the water table"},
        {"below the base", 2, 12, 10, 0.05, "below the base of the aquifer"},
        {"bottom within rw of the water table", 0.04, 0.04, 10, 0.05, "ln(Lw/rw) must be positive"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const slug::BouwerRiceLog v = slug::bouwer_rice_log_ratio(c.le, c.lw, c.d, c.rw);
        EXPECT_FALSE(v.ok);
        EXPECT_NE(v.error.find(c.says), std::string::npos) << v.error;
    }
}

}  // namespace
