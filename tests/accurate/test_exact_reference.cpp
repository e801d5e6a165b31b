// The accurate response of the program's model against the exact model:
// every line of tests/data/exact_reference.txt (tests/tools/
// gen_exact_reference.py: the converged series at 20-30 digits, each
// value inverted with two periods or two methods),
//     <input file, relative to the source root> <t> <H/Ho exact> <H/Ho exact, classic term count> <check>,
// for the shipped examples and the extra inputs of tests/data/exact_inputs.
// Also: the response does not depend on the number of threads that take
// its samples, and it refuses times it cannot invert and a model whose
// roots do not converge.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "fio/capture.hpp"
#include "model/laplace_head.hpp"
#include "model/well_model.hpp"
#include "run/accurate_response.hpp"
#include "run/input_reader.hpp"

namespace {

namespace fs = std::filesystem;

struct Case {
    std::vector<double> t, exact;
};

// The reference's cases by input file, in the file's order of lines.
std::map<std::string, Case> exact_reference(const fs::path& file) {
    std::map<std::string, Case> cases;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream s(line);
        std::string input;
        double t, exact;
        if (s >> input >> t >> exact) {
            cases[input].t.push_back(t);
            cases[input].exact.push_back(exact);
        }
    }
    return cases;
}

// The model of an input file, read without its console echo.
slug::WellModel model_of(const std::string& input) {
    slug::WriteCapture echo;
    slug::ScopedWriteCapture quiet(&echo);
    return slug::make_well_model(slug::read_input((fs::path(SLUG_SOURCE_DIR) / input).string()).well);
}

// 1e-8 in H/Ho at every time is what the accurate mode stands for; the
// references are good to far below that (their check differences are
// 1e-12 or less), so the bound is the mode's own.
TEST(AccurateResponse, WithinTenToTheMinusEightOfTheExactModel) {
    const fs::path file = fs::path(SLUG_TEST_DATA) / "exact_reference.txt";
    if (!fs::exists(file)) GTEST_SKIP() << "no " << file << " yet";
    const auto cases = exact_reference(file);
    ASSERT_FALSE(cases.empty());
    for (const auto& [input, c] : cases) {
        const slug::AccurateResponse r = slug::accurate_response(model_of(input), c.t);
        double worst = 0.0, worst_t = 0.0, estimate = 0.0;
        for (std::size_t i = 0; i < c.t.size(); ++i) {
            const double e = std::fabs(r.h_over_ho[i] - c.exact[i]);
            EXPECT_LE(e, 1e-8) << input << " t " << c.t[i] << " estimate " << r.error_estimate[i];
            if (e > worst) worst = e, worst_t = c.t[i];
            estimate = std::max(estimate, r.error_estimate[i]);
        }
        std::printf("%-40s %3zu times: worst |error| %.2e (t %g), largest estimate %.2e, %ld transform calls\n",
                    input.c_str(), c.t.size(), worst, worst_t, estimate, r.transform_calls);
    }
}

TEST(AccurateResponse, SameBitsOnAnyNumberOfThreadsAndNoValueWithoutAModel) {
    const slug::WellModel m = model_of("examples/unsat_bounded.txt");
    const std::vector<double> t = {1, 3, 10, 30, 100, 300, 1000, 3000};
    const slug::AccurateResponse one = slug::accurate_response(m, t, 1);
    for (int threads : {4}) {
        const slug::AccurateResponse r = slug::accurate_response(m, t, threads);
        EXPECT_EQ(r.h_over_ho, one.h_over_ho) << threads << " threads";
        EXPECT_EQ(r.error_estimate, one.error_estimate) << threads << " threads";
        EXPECT_EQ(r.transform_calls, one.transform_calls) << threads << " threads";
    }
    for (double bad : {0.0, -1.0, std::nan(""), HUGE_VAL}) {
        const std::vector<double> tb = {1.0, bad};
        EXPECT_THROW(slug::accurate_response(m, tb, 2), std::invalid_argument) << bad;
    }
    EXPECT_TRUE(slug::accurate_response(m, std::vector<double>{}, 2).h_over_ho.empty());
    // A root that does not converge (no root meets a negative tolerance)
    // leaves the model without a value, as in the classic run.
    slug::WellModel unmet = m;
    unmet.numerics.EPS = -1.0;
    EXPECT_THROW(slug::accurate_response(unmet, t, 3), slug::RootIterationFailure);
}

}  // namespace
