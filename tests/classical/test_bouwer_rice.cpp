// Bouwer and Rice (1976): the A, B, C polynomials of Van Rooy (1988) and
// ln(Re/rw) against mpmath evaluations of the published equations, K from a
// synthetic record, the notes of each setting, and the geometries refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "classical/bouwer_rice.hpp"
#include "classical_fixtures.hpp"

namespace {

using classical_test::base_well;
using classical_test::exponential_record;
using classical_test::reference_rows;
using slug::NoteKind;

// A polynomial of degree 5 at x = 1000 sums terms of up to about 100 to a
// value of about 10: a relative rounding error of a few 1e-15 on the
// result; 1e-13 covers it. The same bound serves ln(Re/rw).
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
        EXPECT_EQ(v.le_over_rw, le / rw);
        EXPECT_EQ(v.curves_at, std::min(le / rw, slug::kCurvesMaxLeRw));
    }
}

// K = rc^2 ln(Re/rw) / (2 Le T0) from a record exp(-t/T0), and the notes
// each setting calls for. Base well: Le 2, Lw 5, D 10, rw 0.05, rc 0.05.
TEST(BouwerRice, SyntheticRecordGivesKWithTheSettingsNotes) {
    const auto rows = reference_rows("lnre");
    auto ln_re = [&](const std::string& le, const std::string& lw, const std::string& d, const std::string& rw) {
        for (const auto& r : rows)
            if (r[0] == le && r[1] == lw && r[2] == d && r[3] == rw) return std::stod(r[5]);
        ADD_FAILURE() << "no reference row";
        return 0.0;
    };
    struct Case {
        const char* name;
        slug::WellGeometry g;
        double ln_re;
        std::vector<NoteKind> notes;
    };
    slug::WellGeometry confined = base_well();
    confined.water_table = false;
    slug::WellGeometry skin = base_well();
    skin.skin = 0.02;  // rw = 0.07
    skin.kz_over_kr = 0.5;
    slug::WellGeometry at_top = base_well();
    at_top.screen_top = 0.0;
    at_top.screen_bottom = 10.0;  // Le = Lw = D = 10: full penetration
    slug::WellGeometry long_confined = base_well();
    long_confined.rw = long_confined.rc = 0.076;
    long_confined.screen_top = 0.0;
    long_confined.screen_bottom = long_confined.thickness = 98.0;
    long_confined.water_table = false;
    const std::vector<Case> cases = {
        {"water table", base_well(), ln_re("2", "5", "10", "0.05"), {}},
        {"confined", confined, ln_re("2", "5", "10", "0.05"), {NoteKind::confined}},
        {"skin, anisotropic", skin, ln_re("2", "5", "10", "0.07"), {NoteKind::skin_radius, NoteKind::anisotropy}},
        {"full screen from the water table",
         at_top,
         ln_re("10", "10", "10", "0.05"),
         {NoteKind::full_penetration, NoteKind::screen_at_water_table}},
        {"Dawsonville-like: confined, full, long",
         long_confined,
         ln_re("98", "98", "98", "0.076"),
         {NoteKind::full_penetration, NoteKind::curves_range, NoteKind::confined}},
    };
    const double t0 = 25.0;
    const auto rec = exponential_record(t0, 1.0, 0.5);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const slug::BouwerRiceResult r = slug::bouwer_rice(rec.time, rec.ratio, c.g);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.method, "Bouwer & Rice (1976)");
        // The reference ln(Re/rw) and the exact slope: rounding only.
        const double k = c.g.rc * c.g.rc * c.ln_re / (2.0 * c.g.screen_length() * t0);
        EXPECT_NEAR(r.k, k, 1e-12 * k);
        EXPECT_EQ(r.line.range.lower, slug::kBouwerRiceRange.lower);
        std::vector<NoteKind> kinds;
        for (const slug::Note& n : r.notes) kinds.push_back(n.kind);
        EXPECT_EQ(kinds, c.notes);
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
    // Through the analysis: the same cause, no estimate.
    slug::WellGeometry shallow = base_well();
    shallow.screen_top = 0.0;
    shallow.screen_bottom = 0.04;
    const auto rec = exponential_record(10.0);
    const slug::BouwerRiceResult r = slug::bouwer_rice(rec.time, rec.ratio, shallow);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failure, slug::LineFailure::bad_geometry);
    EXPECT_NE(r.error.find("ln(Lw/rw)"), std::string::npos);
}

}  // namespace
