// From readings to observations: the slug's instant, displacements from
// levels and depths, the windows, and the thinning in log time.
#include <algorithm>
#include <cmath>

#include "records/record_rows.hpp"
#include "test_records_support.hpp"

namespace {

using rectest::Args;

struct SelectCase {
    const char* name;
    const char* text;
    Args args;
    double ho;
    std::vector<double> time;
    std::vector<double> value;
};

TEST(RecordSelect, DisplacementsAndWindows) {
    const SelectCase cases[] = {
        {"level above static", "1 10.5\n2 10.25\n", {{"--static", "10"}}, 0.5, {1, 2}, {0.5, 0.25}},
        {"depth, slug in: water above static", "1 2.5\n2 2.75\n", {{"--static", "3"}, {"--depth", ""}}, 0.5, {1, 2},
         {0.5, 0.25}},
        {"depth, slug out: water below static", "1 3.5\n2 3.25\n", {{"--static", "3"}, {"--depth", ""}}, -0.5, {1, 2},
         {-0.5, -0.25}},
        {"time window, bounds included", "1 .5\n2 .4\n3 .3\n4 .2\n", {{"--tmin", "2"}, {"--tmax", "3"}}, 0.5, {2, 3},
         {0.4, 0.3}},
        {"head window of a rising-head test", "1 -0.45\n2 -0.2\n3 -0.1\n4 -0.04\n", {{"--hrange", "0.15,0.5"}}, -0.5,
         {2, 3}, {-0.2, -0.1}},
        {"head window on displacements from levels", "1 10.45\n2 10.2\n3 10.1\n4 10.04\n",
         {{"--static", "10"}, {"--hrange", "0.15,0.5"}}, 0.5, {2, 3}, {0.2, 0.1}},
        {"elapsed t0 on a clock, in minutes", "10:00:00 0.1\n10:00:30 0.5\n10:01:30 0.4\n",
         {{"--clock", ""}, {"--t0", "0.5"}, {"--clock-unit", "min"}}, 0.5, {1}, {0.4}},
        {"clock t0 between readings", "10:00:00 0.1\n10:00:30 0.5\n10:01:30 0.4\n",
         {{"--clock", ""}, {"--t0", "10:00:20"}}, 0.5, {10, 70}, {0.5, 0.4}},
        {"thinning after the window", "1 .9\n2 .8\n3 .7\n4 .6\n5 .5\n6 .4\n7 .3\n8 .2\n",
         {{"--tmin", "2"}, {"--thin", "3"}}, 0.5, {2, 4, 8}, {0.8, 0.6, 0.2}},
    };
    for (const SelectCase& c : cases) {
        SCOPED_TRACE(c.name);
        const slug::Record r = rectest::read(c.text, c.args, c.ho);
        ASSERT_TRUE(r.ok()) << rectest::joined(r.errors);
        ASSERT_EQ(r.time.size(), c.time.size()) << rectest::joined(r.notes);
        for (std::size_t i = 0; i < c.time.size(); ++i) {
            EXPECT_DOUBLE_EQ(r.time[i], c.time[i]);
            // One subtraction of numbers near 10 (the static level).
            EXPECT_NEAR(r.value[i], c.value[i], 1e-13);
        }
    }
}

struct ThinCase {
    const char* name;
    std::vector<double> t;
    int n;
    std::size_t least, most;  // bounds on the number kept
    double dense_from;        // from this time on the kept readings must be evenly spaced in log t; 0: no check
    double all_below;         // readings before this time are all kept (sparser than the step); 0: no check
};

std::vector<double> every(double dt, double end) {
    std::vector<double> t;
    for (int i = 1; i * dt <= end * (1 + 1e-12); ++i) t.push_back(i * dt);
    return t;
}

TEST(RecordThin, KeepsAboutNEvenlyInLogTime) {
    std::vector<double> pairs;
    for (int i = 1; i <= 500; ++i) pairs.insert(pairs.end(), {double(i), double(i)});
    const ThinCase cases[] = {
        {"1 Hz for an hour, 5", every(1, 3600), 5, 5, 5, 0, 0},
        {"1 Hz for an hour, 30", every(1, 3600), 30, 27, 30, 100, 3},
        {"1 Hz for an hour, 100", every(1, 3600), 100, 90, 100, 100, 10},
        {"10 Hz for ten minutes, 200", every(0.1, 600), 200, 180, 200, 30, 1},
        {"equal times in pairs, 50", pairs, 50, 45, 50, 50, 0},
        {"the last time twice, 2", {1, 2, 2}, 2, 2, 2, 0, 0},
        {"all at one time", std::vector<double>(100, 5.0), 10, 2, 2, 0, 0},
        {"fewer than asked", every(1, 20), 50, 20, 20, 0, 0},
    };
    for (const ThinCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::size_t> k = slug::record_detail::thin_log_time(c.t, c.n);
        ASSERT_GE(k.size(), c.least);
        ASSERT_LE(k.size(), c.most);
        EXPECT_EQ(k.front(), 0u);
        EXPECT_EQ(k.back(), c.t.size() - 1);
        EXPECT_TRUE(std::is_sorted(k.begin(), k.end()) && std::adjacent_find(k.begin(), k.end()) == k.end());
        if (c.dense_from > 0) {
            // Each gap in log t between kept readings lies between the step
            // and the step plus one reading's spacing in log t; where that
            // spacing is under a fifth of the step (from dense_from on),
            // the gaps are within 25 % of each other.
            double lo = HUGE_VAL, hi = 0.0;
            for (std::size_t i = 1; i + 1 < k.size(); ++i) {
                if (c.t[k[i - 1]] < c.dense_from) continue;
                const double g = std::log(c.t[k[i]] / c.t[k[i - 1]]);
                lo = std::min(lo, g);
                hi = std::max(hi, g);
            }
            EXPECT_LE(hi, 1.25 * lo) << lo << " " << hi;
        }
        for (std::size_t i = 0; i < c.t.size() && c.t[i] < c.all_below; ++i)
            EXPECT_TRUE(std::find(k.begin(), k.end(), i) != k.end()) << "reading " << i << " dropped";
    }
}

}  // namespace
