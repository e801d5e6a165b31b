// Hvorslev (1951): synthetic straight-line records of known basic time lag
// give K to rounding against mpmath values of the shape-factor formula, with
// the notes each setting calls for; both methods pass on a refusal's cause.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classical/bouwer_rice.hpp"
#include "classical/hvorslev.hpp"
#include "classical_fixtures.hpp"

namespace {

using classical_test::base_well;
using classical_test::exponential_record;
using classical_test::note_kinds;
using slug::NoteKind;

// Each case has the rc, Le, R, m and T0 of a reference row (rc, Le, R, m,
// T0, K). The line's slope of an exact record is exact to about 1e-15; 1e-12
// allows for the sums over the range and the asinh.
TEST(Hvorslev, SyntheticRecordGivesKToRounding) {
    const auto rows = classical_test::reference_rows("hvorslev");
    ASSERT_EQ(rows.size(), 5u);
    auto well = [](double rc, double rw, double skin, double top, double bottom, double kz_over_kr) {
        slug::WellGeometry g = base_well();
        g.rc = rc, g.rw = rw, g.skin = skin, g.screen_top = top, g.screen_bottom = bottom;
        g.kz_over_kr = kz_over_kr;
        return g;
    };
    struct Case {
        const char* name;
        slug::WellGeometry g;
        slug::HeadRange range;
        std::vector<NoteKind> notes;
    };
    const std::vector<Case> cases = {  // in the order of the reference rows
        {"isotropic", base_well(), slug::kHvorslevRange, {}},
        {"anisotropic, user range", well(0.05, 0.05, 0, 3, 5, 0.1), {0.3, 0.6},
         {NoteKind::user_range, NoteKind::anisotropy}},
        {"skin, screen at the top", well(0.025, 0.05, 0.03, 0, 1.5, 1), slug::kHvorslevRange,
         {NoteKind::skin_radius, NoteKind::screen_at_boundary}},
        {"short screen, m Le/R < 1", well(0.1, 0.1, 0, 3, 3.05, 1), slug::kHvorslevRange, {}},
        {"screen to the base", well(0.05, 0.05, 0, 7, 10, 1), slug::kHvorslevRange,
         {NoteKind::screen_at_boundary}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        const double t0 = std::stod(rows[i][4]), k = std::stod(rows[i][5]);
        const auto rec = exponential_record(t0, 1.0, t0 / 40.0);
        const slug::HvorslevResult r = slug::hvorslev(rec.time, rec.ratio, c.g, c.range);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_NEAR(r.k, k, 1e-12 * k);
        EXPECT_EQ(r.radius, std::stod(rows[i][2]));
        EXPECT_NEAR(r.screen_length * r.m, std::stod(rows[i][1]) * std::stod(rows[i][3]), 1e-14);
        EXPECT_EQ(note_kinds(r.notes), c.notes);
    }
}

// A refusal of the geometry or of the record reaches the result unchanged,
// with no estimate.
TEST(Hvorslev, BothMethodsPassOnTheCause) {
    slug::WellGeometry no_casing = base_well();
    no_casing.rc = 0.0;
    const auto full = exponential_record(10.0), short_rec = exponential_record(10.0, 1.0, 1.0, 5);
    struct Case {
        const char* name;
        slug::WellGeometry g;
        const classical_test::Record& rec;
        slug::LineFailure failure;
        const char* says;
    };
    const std::vector<Case> cases = {
        {"no casing", no_casing, full, slug::LineFailure::bad_geometry, "casing radius"},
        {"record too short", base_well(), short_rec, slug::LineFailure::never_reaches_range, "never falls"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const slug::StraightLineResult results[] = {slug::hvorslev(c.rec.time, c.rec.ratio, c.g),
                                                    slug::bouwer_rice(c.rec.time, c.rec.ratio, c.g)};
        for (const auto& r : results) {
            EXPECT_FALSE(r.ok);
            EXPECT_EQ(r.failure, c.failure);
            EXPECT_NE(r.error.find(c.says), std::string::npos) << r.error;
            EXPECT_EQ(r.k, 0.0);
        }
    }
}

}  // namespace
