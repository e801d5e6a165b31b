// The fit's forward model is the program's own run: the blocks it sets for
// trial values must be exactly those the reader fills from an input file
// holding those values, and its results those of the time loop.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "fit/fit_model.hpp"
#include "run/time_loop_detail.hpp"
#include "test_fit_support.hpp"

namespace {

using slug::FitParam;
using slug::FitValues;

// Every block the model reads, compared bit for bit (the groups must come
// from the same expressions, in the same order of evaluation).
void expect_same_blocks(const slug::BaseInput& a, const char* what) {
    EXPECT_EQ(0, std::memcmp(&a.par5, &slug::par5, sizeof a.par5)) << what << ": par5";
    EXPECT_EQ(0, std::memcmp(&a.par6, &slug::par6, sizeof a.par6)) << what << ": par6";
    EXPECT_EQ(0, std::memcmp(&a.par11, &slug::par11, sizeof a.par11)) << what << ": par11";
    EXPECT_EQ(0, std::memcmp(&a.par13, &slug::par13, sizeof a.par13)) << what << ": par13";
    EXPECT_EQ(0, std::memcmp(&a.par2, &slug::par2, sizeof a.par2)) << what << ": par2";
    EXPECT_EQ(0, std::memcmp(&a.par7, &slug::par7, sizeof a.par7)) << what << ": par7";
}

TEST(FitModel, TrialValuesGiveTheBlocksOfAnInputFileWithThoseValues) {
    // Each row changes the values the fit may move; the blocks set by the
    // fit must equal those the reader makes of a file with the new values.
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
        const slug::BaseInput want = fittest::load(changed);
        const double want_tc = slug::par5.RC * slug::par5.RC / (2.0 * slug::par5.SL * slug::par5.KR);

        const slug::BaseInput base = fittest::load(*row.start);
        FitValues v{row.kr, row.ss, row.kz, row.hks, row.sy, row.u1, row.u2};
        slug::set_blocks(base, v);
        expect_same_blocks(want, row.start->name);
        EXPECT_EQ(slug::par14.TC, want_tc) << row.start->name;
        EXPECT_EQ(slug::par4.ITIME, 1);
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
    const slug::BaseInput base = fittest::load(fittest::kWaterTableSkin);
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
        slug::set_blocks(base, v);
        for (std::size_t i = 0; i < m; ++i) slug::par12.TIMES[i] = times[start + i];
        slug::par4.NTIME = static_cast<int>(m);
        slug::timeloop_detail::Results r;
        slug::timeloop_detail::compute_results(r);
        for (std::size_t i = 0; i < m; ++i) EXPECT_EQ(all[start + i], r.ratio[m - 1 - i]) << "time " << times[start + i];
    }
    // A plausible response: starts near 1 and falls.
    EXPECT_GT(all.front(), 0.95);
    EXPECT_LT(all.back(), 0.05);
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
