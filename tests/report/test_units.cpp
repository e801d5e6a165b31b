// Unit names of --units: what parses, the conversions the reports and the
// plausibility checks use, and the report lines of K and T.
#include "report/units.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace slug {
namespace {

TEST(Units, ParseKnownNamesAndRefuseOthers) {
    const struct {
        const char* text;
        const char* length;  // nullptr: refused
        const char* time;
        const char* error_part;
    } cases[] = {
        {"m,s", "m", "s", ""},
        {" ft , min ", "ft", "min", ""},
        {"cm,d", "cm", "d", ""},
        {"m", nullptr, nullptr, "expected LENGTH,TIME"},
        {"m,s,x", nullptr, nullptr, "expected LENGTH,TIME"},
        {"yd,s", nullptr, nullptr, "unknown length unit 'yd'"},
        {"m,yr", nullptr, nullptr, "unknown time unit 'yr'"},
        {",", nullptr, nullptr, "unknown length unit ''"},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto u = parse_units(c.text, error);
        ASSERT_EQ(u.has_value(), c.length != nullptr) << c.text;
        if (u) {
            EXPECT_EQ(u->length, c.length);
            EXPECT_EQ(u->time, c.time);
            EXPECT_TRUE(u->named());
        } else {
            EXPECT_NE(error.find(c.error_part), std::string::npos) << error;
        }
    }
}

// The factors are exact definitions (1 ft = 0.3048 m, 1 d = 86400 s), so
// the expected values are products of decimal constants; 1e-15 relative
// allows the rounding of one or two double operations.
TEST(Units, ConversionsToMetresSecondsAndGravity) {
    const struct {
        const char* units;
        double k_in_ms;   // 1 L/T in m/s
        double l_in_m;    // 1 L in m
        double gravity;   // 9.80665 m/s^2 in L/T^2
    } cases[] = {
        {"m,s", 1.0, 1.0, 9.80665},
        {"ft,s", 0.3048, 0.3048, 9.80665 / 0.3048},
        {"cm,min", 0.01 / 60.0, 0.01, 9.80665 * 100.0 * 3600.0},
        {"m,d", 1.0 / 86400.0, 1.0, 9.80665 * 86400.0 * 86400.0},
        {"in,h", 0.0254 / 3600.0, 0.0254, 9.80665 / 0.0254 * 3600.0 * 3600.0},
    };
    for (const auto& c : cases) {
        std::string error;
        const Units u = *parse_units(c.units, error);
        EXPECT_NEAR(to_metres_per_second(u, 1.0), c.k_in_ms, 1e-15 * c.k_in_ms) << c.units;
        EXPECT_NEAR(to_metres(u, 1.0), c.l_in_m, 1e-15 * c.l_in_m) << c.units;
        EXPECT_NEAR(gravity_in(u), c.gravity, 1e-15 * c.gravity) << c.units;
    }
    // Unnamed units convert nothing.
    EXPECT_TRUE(std::isnan(gravity_in(Units{})));
    EXPECT_TRUE(std::isnan(to_metres_per_second(Units{}, 1.0)));
}

TEST(Units, ReportLinesOfConductivityAndTransmissivity) {
    std::string error;
    // 1 ft/min = 0.3048/60 m/s = 438.9 m/d = 1440 ft/d = 0.508 cm/s;
    // T = 1 ft/min * 10 ft = 10 ft^2/min = 10*0.3048^2*1440 m^2/d.
    EXPECT_EQ(conductivity_lines(*parse_units("ft,min", error), "KR", 1.0, 10.0, "  "),
              "  KR = 1 ft/min = 438.912 m/d = 1440 ft/d = 0.508 cm/s\n"
              "  T = KR*b = 10 ft^2/min = 1337.8 m^2/d (b = 10 ft)\n");
    EXPECT_EQ(conductivity_lines(Units{}, "KR", 1.0, 10.0, "  "), "");
    EXPECT_EQ(with_unit("time", "s", "t"), "time (s)");
    EXPECT_EQ(with_unit("time", "", "t"), "t");
}

}  // namespace
}  // namespace slug
