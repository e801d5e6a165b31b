// The fit of a well whose water column oscillates (highly permeable
// aquifer): KR and the column's effective length LE from a synthetic,
// noise-free record computed by the program's accurate response with the
// column, and the start of LE read from the record's first minimum.
#include <gtest/gtest.h>

#include <cmath>

#include "test_fit_support.hpp"

namespace {

using slug::FitParam;

// A gravel well: the confined setting's geometry (screen 1 m, RC = 0.05 m,
// RW = 0.1 m, KZ/KR = 4) with KR = 3e-3 m/s, SS = 1e-5 1/m, LE = 10 m and
// g = 9.80665 m/s^2, no friction: damped period about 6.5 s, overshoot to
// about -0.3 Ho, a few zero crossings.
constexpr fittest::Setting kGravel{"gravel", 2.0, 2.0e-2, 8.0e-2, 0.0, 1.0e-5, 0.0,
                                   1.0, 1.0, 0.0, 0.0, 0.5, 0.1, 0.05, 0.5, 1.5, 0.0};
constexpr double kTrueLe = 10.0;
constexpr double kG = 9.80665;

slug::BaseInput gravel_base() {
    slug::BaseInput b = fittest::load(kGravel);
    b.column.gravity = kG;
    return b;
}

// 60 times on a linear grid over about three periods.
std::vector<double> linear_times() {
    std::vector<double> t;
    for (int i = 1; i <= 60; ++i) t.push_back(0.4 * i);
    return t;
}

slug::Observations gravel_record() {
    slug::BaseInput truth = gravel_base();
    truth.column.effective_length = kTrueLe;
    return fittest::synthetic(truth, slug::base_values(truth), linear_times());
}

TEST(FitColumn, OscillatingRecordFromFiveTimesOffLandsOnTheTruth) {
    const slug::Observations obs = gravel_record();
    ASSERT_EQ(obs.time.size(), 60u);
    int crossings = 0;
    for (std::size_t i = 1; i < obs.value.size(); ++i) crossings += (obs.value[i - 1] > 0.0) != (obs.value[i] > 0.0);
    ASSERT_GE(crossings, 8);  // several periods, the overshoot below zero included

    // Starts 5x off in both: KR 5x above, LE 5x below (given with --inertia)
    // and, in the second row, LE from the data's first minimum.
    struct Row {
        const char* name;
        double le_start;  // 0: from the data
    };
    for (const Row row : {Row{"given", kTrueLe / 5.0}, Row{"from the data", 0.0}}) {
        SCOPED_TRACE(row.name);
        slug::BaseInput base = gravel_base();
        base.well.kr *= 5.0;
        base.well.kz *= 5.0;
        base.column.effective_length = row.le_start;
        slug::FitOptions opt;
        opt.params = {FitParam::KR, FitParam::LE};
        // The local solver alone, from the start values: no global search
        // to fall back on (and half the time under the sanitizers).
        opt.starts = 0;
        const slug::FitResult r = slug::run_fit(base, obs, opt);
        ASSERT_TRUE(r.ok) << r.error;
        // Noise-free data computed by the same forward run: the minimum of
        // the misfit is the truth. The fit stops on its step in ln p below
        // 1e-5 (kStallStep) or on the solver's tests; near the minimum the
        // Gauss-Newton step is quadratic in the distance, so the estimates
        // end far closer (5e-12 measured); 1e-6 leaves room for other
        // rounding (a sanitizer build) and still pins the truth.
        EXPECT_NEAR(r.estimate[0] / kGravel.kr, 1.0, 1.0e-6);
        EXPECT_NEAR(r.estimate[1] / kTrueLe, 1.0, 1.0e-6);
        EXPECT_LT(r.rmse, 1.0e-8);
        EXPECT_TRUE(r.unreliable.empty()) << r.unreliable.front();
        if (row.le_start == 0.0) {
            ASSERT_FALSE(r.notes.empty());
            EXPECT_NE(r.notes.front().find("from the data's oscillation"), std::string::npos) << r.notes.front();
        }
    }
}

}  // namespace

namespace {

// Heads below zero are the column's overshoot, not a sign error: the
// window of the record from its first trough on (mostly below zero) is
// refused as "the sign opposite to that of HO" without a column and taken
// with one; a rise above 1.05 Ho is refused either way.
TEST(FitColumn, OvershootBelowZeroPassesTheDataChecksOnlyWithAColumn) {
    const slug::Observations all = gravel_record();
    slug::Observations trough, above;
    for (std::size_t i = 0; i < all.time.size(); ++i)
        if (all.time[i] >= 2.0 && all.time[i] <= 4.5) {
            trough.time.push_back(all.time[i]);
            trough.value.push_back(all.value[i]);
        }
    above = all;
    above.value[0] = 1.1 * kGravel.ho;
    struct Row {
        const slug::Observations* obs;
        bool column;
        const char* finding;  // "" for none
    };
    const Row rows[] = {{&trough, false, "the sign opposite"}, {&trough, true, ""},
                        {&above, true, "above 1.05 times"}};
    for (const Row& row : rows) {
        slug::BaseInput base = gravel_base();
        slug::FitOptions opt;
        opt.params = {FitParam::KR};
        if (row.column) opt.params.push_back(FitParam::LE);
        const std::vector<std::string> f = slug::check_fit_data(base, *row.obs, opt);
        if (*row.finding == '\0') {
            EXPECT_TRUE(f.empty()) << f.front();
        } else {
            ASSERT_FALSE(f.empty()) << row.finding;
            EXPECT_NE(f.front().find(row.finding), std::string::npos) << f.front();
        }
    }
}

}  // namespace
