// The fit's forward model is the program's own run: the model it makes of
// trial values must be exactly the one a run makes of an input file
// holding those values, and its results those of the time loop.
#include <gtest/gtest.h>

#include <span>
#include <vector>

#include "fit/fit_model.hpp"
#include "model/test_models.hpp"
#include "run/accurate_response.hpp"
#include "run/time_loop.hpp"
#include "test_fit_support.hpp"

namespace {

using slug::FitParam;
using slug::FitValues;

// The whole model compared bit for bit (the groups must come from the same
// expressions, in the same order of evaluation).
void expect_same_model(const slug::WellModel& a, const slug::WellModel& b, const char* what) {
    EXPECT_EQ(slugtest::first_difference(a, b), "") << what;
}

TEST(FitModel, TrialValuesGiveTheModelOfAnInputFileWithThoseValues) {
    // Each row changes the values the fit may move; the model of the fit
    // must equal the one a run makes of a file with the new values.
    struct Row {
        const fittest::Setting* start;
        double kr, kz, hks, ss, sy, u1, u2;
    };
    const Row rows[] = {
        {&fittest::kConfined, 3.1e-5, 7.7e-4, 0.0, 5.5e-6, 0.0, 1.0, 1.0},
        {&fittest::kConfinedSkin, 2.2e-3, 1.3e-4, 6.1e-6, 1.9e-3, 0.0, 1.0, 1.0},
        {&fittest::kWaterTableSkin, 4.4e-4, 9.0e-5, 1.0e-3, 3.3e-5, 0.07, 12.5, 3.25},
    };
    for (const Row& row : rows) {
        fittest::Setting changed = *row.start;
        changed.kr = row.kr;
        changed.kz = row.kz;
        changed.hks = row.hks;
        changed.ss = row.ss;
        changed.sy = row.sy;
        changed.u1 = row.u1;
        changed.u2 = row.u2;
        const slug::WellModel want = slug::make_well_model(fittest::load(changed).well);

        const slug::BaseInput base = fittest::load(*row.start);
        FitValues v{row.kr, row.ss, row.kz, row.hks, row.sy, row.u1, row.u2};
        expect_same_model(slug::model_for(base, v), want, row.start->name);
    }
}

TEST(FitModel, AnisotropyIsHeldEstimatedOrGivenAsRatio) {
    const slug::BaseInput base = fittest::load(fittest::kConfined);  // KZ/KR = 4
    const std::vector<FitParam> kr_only{FitParam::KR};
    const std::vector<double> x1{2.0e-4};
    FitValues v = slug::values_from(base, kr_only, x1);
    EXPECT_DOUBLE_EQ(v.kz, 8.0e-4);  // the input's ratio is held
    EXPECT_EQ(v.ss, fittest::kConfined.ss);

    const std::vector<FitParam> kr_kz{FitParam::KZ, FitParam::KR};
    const std::vector<double> x2{3.0e-5, 2.0e-4};
    v = slug::values_from(base, kr_kz, x2);
    EXPECT_EQ(v.kz, 3.0e-5);
    EXPECT_EQ(v.kr, 2.0e-4);

    const std::vector<FitParam> ratio{FitParam::KZKR, FitParam::KR};
    const std::vector<double> x3{0.5, 2.0e-4};
    v = slug::values_from(base, ratio, x3);
    EXPECT_DOUBLE_EQ(v.kz, 1.0e-4);
    EXPECT_DOUBLE_EQ(slug::get_value(v, FitParam::KZKR), 0.5);
}

TEST(FitModel, ResultsAreThoseOfTheTimeLoopInAnyNumberOfChunks) {
    slug::BaseInput base = fittest::load(fittest::kWaterTableSkin);
    base.classic = true;
    const FitValues v = slug::base_values(base);
    // 250 times: one full list of 200 and a second of 50.
    const std::vector<double> times = fittest::log_times(0.2, 400.0, 250);
    std::vector<double> all;
    std::string err;
    ASSERT_TRUE(slug::forward_ratio(base, v, times, all, err)) << err;
    ASSERT_EQ(all.size(), times.size());

    // The time loop itself on the two lists, as a run of the program would
    // evaluate them (it stores from the last time to the first).
    for (std::size_t start : {std::size_t{0}, std::size_t{200}}) {
        const std::size_t m = start == 0 ? 200 : 50;
        slug::time_loop::Results r;
        slug::time_loop::compute_results(slug::model_for(base, v), std::span(times).subspan(start, m), r);
        for (std::size_t i = 0; i < m; ++i) EXPECT_EQ(all[start + i], r.ratio[m - 1 - i]) << "time " << times[start + i];
    }
    // A plausible response: starts near 1 and falls.
    EXPECT_GT(all.front(), 0.95);
    EXPECT_LT(all.back(), 0.05);
}

// By default the forward run is the accurate response with the fit's
// lighter settings: within 1e-6 of the run's --accurate heads, the target
// to which the fit's inversion refines its estimate (the examples measure
// 1e-8), where the classic table is off by up to 1e-2.
TEST(FitModel, DefaultForwardRunIsTheAccurateResponse) {
    const slug::BaseInput base = fittest::load(fittest::kWaterTableSkin);
    const FitValues v = slug::base_values(base);
    const std::vector<double> times = fittest::log_times(0.2, 400.0, 40);
    std::vector<double> fit;
    std::string err;
    ASSERT_TRUE(slug::forward_ratio(base, v, times, fit, err)) << err;
    const slug::AccurateResponse run = slug::accurate_response(slug::model_for(base, v), times, 1);
    for (std::size_t i = 0; i < times.size(); ++i) EXPECT_NEAR(fit[i], run.h_over_ho[i], 1e-6) << "time " << times[i];
}

TEST(FitModel, ParameterNames) {
    using P = FitParam;
    for (P p : {P::KR, P::SS, P::KZ, P::KZKR, P::HKS, P::SY, P::U1, P::U2})
        EXPECT_EQ(slug::parse_fit_param(slug::fit_param_name(p)), p);
    EXPECT_EQ(slug::parse_fit_param("UA1"), P::U1);
    EXPECT_EQ(slug::parse_fit_param("ua2"), P::U2);
    EXPECT_FALSE(slug::parse_fit_param("k"));
    EXPECT_EQ(slug::fit_param_label(P::KZKR), "KZ/KR");
}

}  // namespace
