// The logarithmic grid of output times (--times) and how it replaces the
// input file's time list.
#include "run/time_grid.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace slug {
namespace {

TEST(TimeGrid, CountRatioAndEnd) {
    const struct { double tend; int ncycle, npercyc; } cases[] = {
        {1000.0, 5, 10}, {1.0, 1, 1}, {86400.0, 3, 7}, {2.5e-3, 4, 3}, {1e5, 199, 1}, {7.0, 1, 199},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.tend << " " << c.ncycle << " " << c.npercyc);
        const std::vector<double> g = log_time_grid(c.tend, c.ncycle, c.npercyc);
        ASSERT_EQ(g.size(), static_cast<std::size_t>(c.ncycle * c.npercyc + 1));
        EXPECT_EQ(g.back(), c.tend) << "the grid ends exactly at TEND";
        const double r = std::pow(10.0, 1.0 / c.npercyc);
        for (std::size_t i = 1; i < g.size(); ++i) {
            EXPECT_LT(g[i - 1], g[i]) << "increasing";
            // Each time is computed directly from TEND (not by repeated
            // division), so the ratio of neighbours is r to a few ulps.
            EXPECT_NEAR(g[i] / g[i - 1], r, 8 * r * 2.2e-16) << i;
        }
        // The first time lies NCYCLE decades below TEND: to within a few
        // ulps of TEND*10^-NCYCLE.
        const double first = c.tend * std::pow(10.0, -c.ncycle);
        EXPECT_NEAR(g.front(), first, 4 * first * 2.2e-16);
    }
}

TEST(TimeGrid, WholeDecadesAreExactQuotients) {
    // 1000 s over 3 decades at 4 per decade: 1, 10, 100, 1000 exactly.
    const std::vector<double> g = log_time_grid(1000.0, 3, 4);
    ASSERT_EQ(g.size(), 13u);
    EXPECT_EQ(g[0], 1.0);
    EXPECT_EQ(g[4], 10.0);
    EXPECT_EQ(g[8], 100.0);
    EXPECT_EQ(g[12], 1000.0);
    EXPECT_EQ(log_time_grid(0.3, 2, 5)[0], 0.3 / 100.0);
}

TEST(TimeGrid, NoGridForUnusableArguments) {
    const double nan = std::nan("");
    for (const auto& a : std::vector<std::vector<double>>{
             {0.0, 3, 10}, {-5.0, 3, 10}, {nan, 3, 10}, {HUGE_VAL, 3, 10},
             {10.0, 0, 10}, {10.0, 3, 0}, {10.0, -1, 10}, {10.0, 20, 10}})
        EXPECT_TRUE(log_time_grid(a[0], static_cast<int>(a[1]), static_cast<int>(a[2])).empty())
            << a[0] << " " << a[1] << " " << a[2];
}

TEST(TimeGrid, ReplacesTheFileTimeList) {
    InputValues v;
    v.ntime = 3;
    v.times = {5.0, 6.0, 7.0};
    RunOptions none;  // without --times nothing changes
    apply_time_grid(none, v);
    EXPECT_EQ(v.ntime, 3);
    EXPECT_EQ(v.times, (std::vector<double>{5.0, 6.0, 7.0}));
    RunOptions o;
    o.has_times = true;
    o.times = {100.0, 2, 1};
    apply_time_grid(o, v);
    EXPECT_EQ(v.ntime, 3);
    EXPECT_EQ(v.times, (std::vector<double>{1.0, 10.0, 100.0})) << "the list, now the grid, is what the loop reads";
    // A longer file list than the grid: the old times beyond it are gone.
    v.ntime = 50;
    v.times.assign(50, 0.0);
    for (int i = 0; i < 50; ++i) v.times[i] = 1.0 + i;
    apply_time_grid(o, v);
    EXPECT_EQ(v.ntime, 3);
    EXPECT_EQ(v.times.size(), 3u);
}

}  // namespace
}  // namespace slug
