// The straight line through ln(H/Ho) shared by the Hvorslev and Bouwer-Rice
// analyses: which observations it uses, what it recovers, what it notes,
// and the cause it names when a record gives no line.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "classical/line_fit.hpp"
#include "classical_fixtures.hpp"

namespace {

using classical_test::exponential_record;
using classical_test::Record;
using slug::LineFailure;
using slug::NoteKind;

// A record f exp(-t/T0) gives the line ln f - t/T0 over exactly the
// observations inside the range, and a note when it misses H/Ho = 1 at
// t = 0 (|ln f| > 0.2), scatters, or swings below zero.
TEST(LineFit, RecoversTheLineAndNotesWhatItShows) {
    struct Case {
        const char* name;
        Record rec;
        slug::HeadRange range;
        double t0;      // true time lag, 0: not checked (perturbed record)
        double factor;  // true H/Ho of the line at t = 0
        std::vector<NoteKind> notes;
    };
    Record noisy = exponential_record(20.0, 1.0, 1.0, 100);
    for (std::size_t i = 0; i < noisy.ratio.size(); ++i) noisy.ratio[i] *= (i % 2 ? 1.25 : 0.8);  // +-0.22 in ln(H/Ho)
    Record swinging = exponential_record(20.0, 1.0, 1.0, 60);
    swinging.ratio.back() = -0.3;
    // Each reading twice, as a logger writes two readings within one tick
    // of its clock.
    Record doubled;
    for (std::size_t i = 0; i < swinging.time.size() - 1; ++i)
        for (int k = 0; k < 2; ++k) {
            doubled.time.push_back(swinging.time[i]);
            doubled.ratio.push_back(swinging.ratio[i]);
        }
    const std::vector<Case> cases = {
        {"through 1", exponential_record(20.0), slug::kHvorslevRange, 20.0, 1.0, {}},
        {"Bouwer-Rice range", exponential_record(7.0, 1.0, 0.25), slug::kBouwerRiceRange, 7.0, 1.0, {}},
        {"slightly low start", exponential_record(20.0, 0.85), slug::kHvorslevRange, 20.0, 0.85, {}},
        {"low start", exponential_record(20.0, 0.7), slug::kHvorslevRange, 20.0, 0.7, {NoteKind::line_intercept}},
        {"high start", exponential_record(20.0, 1.3), slug::kHvorslevRange, 20.0, 1.3, {NoteKind::line_intercept}},
        // The range picks the noisy points unevenly, which shifts the
        // intercept as well.
        {"scatter", noisy, {0.1, 0.4}, 0.0, 0.0, {NoteKind::line_intercept, NoteKind::line_scatter}},
        {"swing below zero", swinging, slug::kHvorslevRange, 20.0, 1.0, {NoteKind::oscillation}},
        {"readings sharing their times", doubled, slug::kHvorslevRange, 20.0, 1.0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const slug::LineFit fit = slug::fit_log_line(c.rec.time, c.rec.ratio, c.range);
        ASSERT_TRUE(fit.ok) << fit.error;
        std::vector<std::size_t> inside;
        for (std::size_t i = 0; i < c.rec.ratio.size(); ++i)
            if (c.rec.ratio[i] >= c.range.lower && c.rec.ratio[i] <= c.range.upper) inside.push_back(i);
        EXPECT_EQ(fit.used, inside);
        EXPECT_EQ(fit.t_first, c.rec.time[inside.front()]);
        EXPECT_EQ(fit.t_last, c.rec.time[inside.back()]);
        if (c.t0 > 0.0) {
            // Exact data: only rounding of the logarithms and sums (1e-12).
            EXPECT_NEAR(fit.t0, c.t0, 1e-12 * c.t0);
            EXPECT_NEAR(fit.slope, -1.0 / c.t0, 1e-12 / c.t0);
            EXPECT_NEAR(fit.intercept, std::log(c.factor), 1e-11);
            EXPECT_NEAR(fit.r2, 1.0, 1e-12);
        }
        EXPECT_EQ(classical_test::note_kinds(fit.notes), c.notes);
    }
}

// Every record that gives no line is refused with its own cause, in words
// a user can act on.
TEST(LineFit, NamesTheCauseWhenThereIsNoLine) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        std::vector<double> time, ratio;
        slug::HeadRange range;
        LineFailure failure;
        const char* says;
    };
    const std::vector<Case> cases = {
        {"lengths differ", {0, 1, 2}, {1, 0.5}, slug::kHvorslevRange, LineFailure::bad_record, "3 times but 2 heads"},
        {"empty", {}, {}, slug::kHvorslevRange, LineFailure::bad_record, "no observations"},
        {"not a number", {0, 1, 2}, {1, nan, 0.2}, slug::kHvorslevRange, LineFailure::bad_record, "observation 2"},
        {"times out of order", {0, 2, 1}, {1, 0.5, 0.2}, slug::kHvorslevRange, LineFailure::bad_record,
         "the times decrease at observation 3"},
        {"one time in the range", {0, 1, 1, 1, 2}, {1, 0.24, 0.2, 0.16, 0.05}, slug::kHvorslevRange,
         LineFailure::too_few_points, "share one time"},
        {"negative time", {-1, 2, 3}, {1, 0.5, 0.2}, slug::kHvorslevRange, LineFailure::bad_record, "negative time"},
        {"range reversed", {0, 1, 2}, {1, 0.5, 0.2}, {0.3, 0.2}, LineFailure::bad_range, "0 < lower < upper <= 1"},
        {"range above 1", {0, 1, 2}, {1, 0.5, 0.2}, {0.5, 1.5}, LineFailure::bad_range, "0 < lower < upper <= 1"},
        {"record too short", {0, 1, 2, 3}, {1, 0.8, 0.6, 0.45}, slug::kBouwerRiceRange,
         LineFailure::never_reaches_range, "never falls to 0.3 (its lowest value is 0.45 at t = 3)"},
        {"starts below", {1, 2, 3}, {0.12, 0.1, 0.08}, slug::kHvorslevRange, LineFailure::starts_below_range,
         "check Ho and the start time"},
        {"steps across", {0, 1, 2, 3}, {1, 0.5, 0.1, 0.02}, slug::kHvorslevRange, LineFailure::skips_range,
         "no observation has H/Ho between 0.15-0.25"},
        {"two points", {0, 1, 2, 3, 4}, {1, 0.5, 0.24, 0.16, 0.05}, slug::kHvorslevRange,
         LineFailure::too_few_points, "only 2 observations"},
        {"one point", {0, 1, 2}, {1, 0.2, 0.05}, slug::kHvorslevRange, LineFailure::too_few_points,
         "only 1 observation has"},
        {"rising", {0, 1, 2, 3, 4}, {0.1, 0.16, 0.2, 0.24, 0.4}, slug::kHvorslevRange, LineFailure::not_decaying,
         "do not decline"},
        {"flat", {0, 1, 2, 3}, {0.2, 0.2, 0.2, 0.2}, slug::kHvorslevRange, LineFailure::not_decaying,
         "do not decline"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const slug::LineFit fit = slug::fit_log_line(c.time, c.ratio, c.range);
        EXPECT_FALSE(fit.ok);
        EXPECT_EQ(fit.failure, c.failure);
        EXPECT_NE(fit.error.find(c.says), std::string::npos) << fit.error;
        EXPECT_TRUE(fit.used.empty());
    }
}

TEST(LineFit, NormalizesHeadsByAnyNonZeroSlug) {
    std::vector<double> ratio;
    std::string error;
    ASSERT_TRUE(slug::normalize_heads(std::vector<double>{-0.5, -0.25}, -0.5, ratio, error));
    EXPECT_EQ(ratio, (std::vector<double>{1.0, 0.5}));
    EXPECT_FALSE(slug::normalize_heads(std::vector<double>{0.5}, 0.0, ratio, error));
    EXPECT_NE(error.find("Ho"), std::string::npos);
}

}  // namespace
