// The input's well as the classical analyses see it: the program's
// conventions for the skin, the screen order and the water table, and a
// screen the methods refuse.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classical/geometry.hpp"
#include "classical_fixtures.hpp"

namespace {

// The values of the input file that the geometry reads.
struct Values {
    double bb, kr, kz, hks, sy, rw, rc, zpd, zpl, ds;
    slug::WellInput well() const {
        slug::WellInput w;
        w.bb = bb, w.kr = kr, w.kz = kz, w.hks = hks, w.sy = sy;
        w.rw = rw, w.rc = rc, w.zpd = zpd, w.zpl = zpl, w.ds = ds;
        return w;
    }
};

TEST(ClassicalGeometry, MapsTheInputWithTheProgramsConventions) {
    struct Case {
        const char* name;
        Values in;  // BB KR KZ HKS SY, RW RC ZPD ZPL DS
        double skin, top, bottom, kz_over_kr;
        bool water_table;
    };
    const std::vector<Case> cases = {
        {"water table, skin", {10, 2e-4, 2e-5, 1e-5, 0.2, 0.05, 0.025, 2, 5, 0.03}, 0.03, 2, 5, 0.1, true},
        {"no skin when HKS <= 0", {10, 1e-4, 1e-4, 0.0, 0.2, 0.05, 0.05, 2, 5, 0.03}, 0.0, 2, 5, 1.0, true},
        {"no radius from DS <= 0", {10, 1e-4, 1e-4, 1e-5, 0.0, 0.05, 0.05, 2, 5, -0.01}, 0.0, 2, 5, 1.0, false},
        {"screen bottom first", {10, 1e-4, 1e-4, 0.0, 0.0, 0.05, 0.05, 6, 1, 0.0}, 0.0, 1, 6, 1.0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const slug::WellGeometry g = slug::well_geometry(c.in.well());
        EXPECT_EQ(g.outer_radius(), c.in.rw + c.skin);
        EXPECT_EQ(g.rc, c.in.rc);
        EXPECT_EQ(g.screen_top, c.top);
        EXPECT_EQ(g.screen_bottom, c.bottom);
        EXPECT_EQ(g.thickness, c.in.bb);
        EXPECT_DOUBLE_EQ(g.kz_over_kr, c.kz_over_kr);
        EXPECT_EQ(g.water_table, c.water_table);
        EXPECT_EQ(slug::check_geometry(g), "");
        // The same from the ten values one by one.
        const Values& v = c.in;
        const slug::WellGeometry h =
            slug::geometry_from_input({v.bb, v.kr, v.kz, v.hks, v.sy, v.rw, v.rc, v.zpd, v.zpl, v.ds});
        EXPECT_EQ(h.outer_radius(), g.outer_radius());
        EXPECT_EQ(h.screen_top, g.screen_top);
        EXPECT_EQ(h.screen_bottom, g.screen_bottom);
        EXPECT_EQ(h.kz_over_kr, g.kz_over_kr);
        EXPECT_EQ(h.water_table, g.water_table);
    }
}

TEST(ClassicalGeometry, RefusesAScreenOutsideTheAquifer) {
    slug::WellGeometry below = classical_test::base_well(), empty = below;
    below.screen_bottom = 12.0;
    empty.screen_top = empty.screen_bottom;
    EXPECT_NE(slug::check_geometry(below).find("not inside the aquifer"), std::string::npos);
    EXPECT_NE(slug::check_geometry(empty).find("screen length is 0"), std::string::npos);
}

}  // namespace
