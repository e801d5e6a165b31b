// Unit tests of the time loop's pieces: the clamp of small inverted values
// (and the accurate table's absence of one) and the number of times handled.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "run/accurate_run.hpp"
#include "run/time_loop.hpp"

namespace {

using slug::time_loop::clamp_inverted;
using slug::time_loop::time_count;

TEST(TimeLoopClamp, ValuesBelowTheBoundBecomeZero) {
    struct Case {
        double in;
        double out;
    };
    const double bound = 1.0e-5;
    const double below = std::nextafter(bound, 0.0);
    const Case cases[] = {
        {bound, bound},  // exactly 1.0e-5 is kept
        {std::nextafter(bound, 1.0), std::nextafter(bound, 1.0)},
        {below, 0.0},
        {0.0, 0.0},
        {-0.0, 0.0},
        {-0.3, 0.0},  // negative overshoot of the inversion
        {-std::numeric_limits<double>::infinity(), 0.0},
        {0.5, 0.5},
        {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()},
    };
    for (const auto& c : cases) {
        const double v = clamp_inverted(c.in);
        EXPECT_EQ(v, c.out) << c.in;
        EXPECT_FALSE(std::signbit(v)) << c.in;
    }
    // NaN is not below the bound: it passes to the table unchanged.
    EXPECT_TRUE(std::isnan(clamp_inverted(std::nan(""))));
}

// The accurate table clamps nothing: only negative rounding noise of a
// head at rest (above -1e-12) is shown as +0.
TEST(AccurateShown, OnlyNegativeNoiseBecomesZero) {
    const struct {
        double in, out;
    } cases[] = {
        {-1e-13, 0.0}, {-0.0, 0.0}, {std::nextafter(-1e-12, 0.0), 0.0}, {-1e-12, -1e-12},
        {-3.2e-3, -3.2e-3}, {1e-15, 1e-15}, {3.7e-4, 3.7e-4}, {0.9, 0.9},
    };
    for (const auto& c : cases) {
        const double v = slug::accurate_shown(c.in);
        EXPECT_EQ(v, c.out) << c.in;
        EXPECT_EQ(std::signbit(v), std::signbit(c.out)) << c.in;
    }
    EXPECT_TRUE(std::isnan(slug::accurate_shown(std::nan(""))));
}

TEST(TimeLoopCount, CountIsLimitedToTheStoredTimes) {
    struct Case {
        int ntime;
        int count;
    };
    const Case cases[] = {{0, 0}, {-3, 0}, {1, 1}, {200, 200}, {201, 200}, {1000000, 200}};
    for (const auto& c : cases) EXPECT_EQ(time_count(c.ntime), c.count) << c.ntime;
}

}  // namespace
