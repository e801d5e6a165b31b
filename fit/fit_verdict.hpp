// Checks of a fit's data before it and of its result after it: what the
// fit reports as a finding instead of an estimate that cannot be trusted.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace slug {

// "" when the fitted H/Ho varies over the observations; otherwise says that
// the model is (nearly) constant there (a range below 1e-3 of Ho: the
// response lies wholly before or after the observed times, and every test
// of a minimum holds trivially on that plateau).
std::string degenerate_model(std::span<const double> fitted_ratio);

// Reasons not to trust a fit from its residuals in H/Ho (y observed,
// fitted the model): an RMSE above 10 % of the data's range, and residuals
// whose signs come in too few runs to be random (Wald-Wolfowitz runs test,
// z below -3, applied where the residuals exceed the model's own accuracy
// of about 1e-4 in H/Ho) with an RMSE above 1 % of the data's range.
std::vector<std::string> residual_verdict(std::span<const double> y, std::span<const double> fitted_ratio);

// A warning (empty when none) for residuals that fail the runs test with an
// RMSE below 1 % of the data's range.
std::string small_systematic_residuals(std::span<const double> y, std::span<const double> fitted_ratio);

// The runs test of the signs of r (zeros skipped): the number of runs and
// its z score against the count expected of random signs (0 when fewer
// than two of either sign).
struct RunsTest {
    int runs = 0;
    double expected = 0.0;
    double sd = 0.0;
    double z = 0.0;
};
RunsTest runs_test(std::span<const double> r);

}  // namespace slug
