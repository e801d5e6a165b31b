// Hvorslev (1951): the shape-factor formula against mpmath, and a synthetic
// straight-line record of known basic time lag giving K to rounding, with
// the notes each setting calls for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classical/hvorslev.hpp"
#include "classical_fixtures.hpp"

namespace {

using classical_test::base_well;
using classical_test::exponential_record;
using classical_test::reference_rows;
using slug::NoteKind;

// rc, Le, R, m, T0, K from tests/tools/gen_classical.py. The double
// formula loses only rounding (asinh, a few products): 1e-14 relative.
TEST(Hvorslev, ShapeFactorFormulaMatchesReference) {
    const auto rows = reference_rows("hvorslev");
    ASSERT_EQ(rows.size(), 5u);
    for (const auto& r : rows) {
        SCOPED_TRACE(r[0] + " " + r[1] + " " + r[2] + " " + r[3] + " " + r[4]);
        const double k = slug::hvorslev_k(std::stod(r[0]), std::stod(r[1]), std::stod(r[2]), std::stod(r[3]),
                                          std::stod(r[4]));
        EXPECT_NEAR(k, std::stod(r[5]), 1e-14 * std::stod(r[5]));
    }
}

// A record exp(-t/T0) of the reference wells: K from the line equals the
// reference K of that T0 to rounding (the line's slope is exact to about
// 1e-15; 1e-12 allows for the sums over the range).
TEST(Hvorslev, SyntheticRecordGivesKToRounding) {
    const auto rows = reference_rows("hvorslev");
    struct Case {
        const char* name;
        std::size_t row;  // reference row with the same rc, Le, R, m, T0
        slug::WellGeometry g;
        slug::HeadRange range;
        std::vector<NoteKind> notes;
    };
    slug::WellGeometry iso = base_well();  // rc 0.05, Le 2, R 0.05
    slug::WellGeometry aniso = iso;
    aniso.kz_over_kr = 0.1;  // m = sqrt(10)
    slug::WellGeometry skin = iso;
    skin.rc = 0.025;
    skin.skin = 0.03;  // R = 0.08
    skin.screen_top = 0.0;
    skin.screen_bottom = 1.5;
    slug::WellGeometry full = iso;
    full.screen_top = 0.0;
    full.screen_bottom = 3.0;
    full.thickness = 3.0;
    const std::vector<Case> cases = {
        {"isotropic", 0, iso, slug::kHvorslevRange, {}},
        {"isotropic, user range", 0, iso, {0.3, 0.6}, {NoteKind::user_range}},
        {"anisotropic", 1, aniso, slug::kHvorslevRange, {NoteKind::anisotropy}},
        {"skin at the top", 2, skin, slug::kHvorslevRange, {NoteKind::skin_radius, NoteKind::screen_at_boundary}},
        {"full screen", 4, full, slug::kHvorslevRange, {NoteKind::screen_at_boundary}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const double t0 = std::stod(rows[c.row][4]);
        const auto rec = exponential_record(t0, 1.0, t0 / 40.0);
        const slug::HvorslevResult r = slug::hvorslev(rec.time, rec.ratio, c.g, c.range);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.method, "Hvorslev (1951)");
        EXPECT_NEAR(r.k, std::stod(rows[c.row][5]), 1e-12 * r.k);
        EXPECT_NEAR(r.line.t0, t0, 1e-12 * t0);
        EXPECT_EQ(r.radius, std::stod(rows[c.row][2]));
        std::vector<NoteKind> kinds;
        for (const slug::Note& n : r.notes) kinds.push_back(n.kind);
        EXPECT_EQ(kinds, c.notes);
    }
}

// The method passes on the line's and the geometry's refusals unchanged.
TEST(Hvorslev, RefusalsCarryTheirCause) {
    slug::WellGeometry bad = base_well();
    bad.rc = 0.0;
    const auto rec = exponential_record(10.0);
    const slug::HvorslevResult g = slug::hvorslev(rec.time, rec.ratio, bad);
    EXPECT_FALSE(g.ok);
    EXPECT_EQ(g.failure, slug::LineFailure::bad_geometry);
    EXPECT_NE(g.error.find("casing radius"), std::string::npos);

    const auto short_rec = exponential_record(10.0, 1.0, 1.0, 5);  // ends at H/Ho = 0.67
    const slug::HvorslevResult s = slug::hvorslev(short_rec.time, short_rec.ratio, base_well());
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.failure, slug::LineFailure::never_reaches_range);
    EXPECT_EQ(s.error, s.line.error);
    EXPECT_EQ(s.k, 0.0);
}

}  // namespace
