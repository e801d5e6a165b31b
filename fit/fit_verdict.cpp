// Checks of the data of a fit and of its result. The runs test is that of
// Wald and Wolfowitz (Ann. Math. Stat. 11 (1940) 147-162): with n1
// residuals of one sign and n2 of the other in random order, the number of
// runs R has mean 2 n1 n2 / N + 1 and variance (mu - 1)(mu - 2)/(N - 1),
// N = n1 + n2; a systematic misfit (the model curve crossing the data a few
// times) gives far fewer runs than that.
#include "fit/fit_verdict.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "fit/fit_data.hpp"
#include "fit/fit_solve.hpp"

namespace slug {

namespace {

std::string shown(double v) { return fit_value_text(v, 6); }

std::string fixed(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

// Below this range of H/Ho over the observations the model is taken as
// constant there: 1e-3 lies far above the inversion's accuracy and far
// below any response that a slug test records.
constexpr double kFlatRange = 1.0e-3;

// Residuals (in H/Ho) below this RMSE are at the model's own accuracy
// (the inversion is asked for about 1e-4); their signs then follow the
// inversion's error, not the data, and the runs test says nothing.
constexpr double kModelAccuracy = 1.0e-4;

// Tolerances of the data checks: values up to 5 % above Ho pass (logger
// noise, the water level's overshoot at the slug), and a record must reach
// below 0.95 Ho and begin above 0.05 Ho.
constexpr double kAboveHo = 1.05;
constexpr double kResponseTail = 0.05;

// Systematic residuals whose RMSE stays below this share of the data's
// range are reported as a warning, not as a failure of the fit: densely
// logged field records carry correlated noise and small effects the model
// leaves out (Butler 1998, ch. 4), which a runs test detects at once.
constexpr double kSystematicShare = 0.01;

}  // namespace

std::string degenerate_model(std::span<const double> fitted_ratio) {
    if (fitted_ratio.empty()) return {};
    const auto [lo, hi] = std::minmax_element(fitted_ratio.begin(), fitted_ratio.end());
    if (*hi - *lo >= kFlatRange) return {};
    return "the fitted model is (nearly) constant at every observation (H/Ho from " + shown(*lo) + " to " +
           shown(*hi) + ")";
}

RunsTest runs_test(std::span<const double> r) {
    RunsTest t;
    int n1 = 0, n2 = 0, last = 0;
    for (double v : r) {
        const int s = v > 0.0 ? 1 : v < 0.0 ? -1 : 0;
        if (s == 0) continue;
        (s > 0 ? n1 : n2)++;
        if (s != last) ++t.runs;
        last = s;
    }
    if (n1 < 2 || n2 < 2) return t;
    const double n = n1 + n2;
    t.expected = 2.0 * n1 * n2 / n + 1.0;
    t.sd = std::sqrt((t.expected - 1.0) * (t.expected - 2.0) / (n - 1.0));
    t.z = (t.runs - t.expected) / t.sd;
    return t;
}

std::vector<std::string> residual_verdict(std::span<const double> y, std::span<const double> fitted_ratio) {
    std::vector<std::string> out;
    const std::size_t n = std::min(y.size(), fitted_ratio.size());
    if (n == 0) return out;
    std::vector<double> res(n);
    double ssr = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        res[i] = y[i] - fitted_ratio[i];
        ssr += res[i] * res[i];
    }
    const double rmse = std::sqrt(ssr / static_cast<double>(n));
    const auto [lo, hi] = std::minmax_element(y.begin(), y.begin() + static_cast<std::ptrdiff_t>(n));
    const double range = *hi - *lo;
    if (rmse > 0.1 * range)
        out.push_back("the RMSE of the residuals is " + fixed("%.0f", 100.0 * rmse / range) +
                      " % of the data's range (more than 10 %): the model does not describe the data");
    if (rmse > kModelAccuracy && n >= 10) {
        const RunsTest t = runs_test(res);
        if (t.sd > 0.0 && t.z < -3.0 && rmse > kSystematicShare * range)
            out.push_back("the residuals are systematic: their signs come in " + std::to_string(t.runs) +
                          " runs where random residuals give " + fixed("%.1f", t.expected) + " +- " +
                          fixed("%.1f", t.sd) + " (runs test, z = " + fixed("%.1f", t.z) + ") and the RMSE is " +
                          fixed("%.1f", 100.0 * rmse / range) + " % of the data's range: the model does not follow "
                          "the data");
    }
    return out;
}

std::string small_systematic_residuals(std::span<const double> y, std::span<const double> fitted_ratio) {
    const std::size_t n = std::min(y.size(), fitted_ratio.size());
    std::vector<double> res(n);
    double ssr = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        res[i] = y[i] - fitted_ratio[i];
        ssr += res[i] * res[i];
    }
    const double rmse = n ? std::sqrt(ssr / static_cast<double>(n)) : 0.0;
    if (!(rmse > kModelAccuracy) || n < 10) return {};
    const auto [lo, hi] = std::minmax_element(y.begin(), y.begin() + static_cast<std::ptrdiff_t>(n));
    const double range = *hi - *lo;
    const RunsTest t = runs_test(res);
    if (!(t.sd > 0.0 && t.z < -3.0) || rmse > kSystematicShare * range) return {};
    return "the residuals are systematic but small: their signs come in " + std::to_string(t.runs) +
           " runs where random residuals give " + fixed("%.1f", t.expected) + " +- " + fixed("%.1f", t.sd) +
           " (runs test, z = " + fixed("%.1f", t.z) + "), with an RMSE of " + fixed("%.2f", 100.0 * rmse / range) +
           " % of the data's range: a feature of the test the model leaves out (a skin, the well's inertia, "
           "logger drift) or correlated logger noise";
}

std::vector<std::string> check_fit_data(const BaseInput& base, const Observations& obs, const FitOptions& opt) {
    std::vector<std::string> out;
    const std::size_t n = obs.value.size();
    if (n == 0) return out;
    const double ho = base.well.ho;
    std::vector<double> y(n);
    for (std::size_t i = 0; i < n; ++i) y[i] = opt.normalized ? obs.value[i] : obs.value[i] / ho;
    const std::size_t top = static_cast<std::size_t>(std::max_element(y.begin(), y.end()) - y.begin());
    std::size_t opposite = 0;
    double largest = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        if (y[i] < -kResponseTail) ++opposite;
        largest = std::max(largest, std::fabs(obs.value[i]));
    }
    const bool ho_near_one = std::fabs(ho) > 0.8 && std::fabs(ho) < 1.25;
    // A well with a water column overshoots below zero: heads of the other
    // sign are its oscillation, and only the first peak is bounded by Ho.
    const bool column = fit_has_column(base, opt);
    if (y[top] > kAboveHo) {
        out.push_back(opt.normalized
                          ? "the data rise to H/Ho = " + shown(y[top]) + " (time " + shown(obs.time[top]) +
                                "), above 1.05: H/Ho cannot exceed 1; are they head displacements (then leave out "
                                "--normalized)?"
                          : "the data rise to " + shown(y[top]) + " times HO = " + shown(ho) + " (time " +
                                shown(obs.time[top]) +
                                "), above 1.05 times: a displacement cannot exceed the initial one; are the data "
                                "H/Ho (--normalized), or in another length unit than HO?");
    } else if (2 * opposite > n && !column) {
        out.push_back("most observations have the sign opposite to that of HO = " + shown(ho) +
                      ": a falling-head test has HO > 0 and positive displacements, a rising-head test HO < 0 and "
                      "negative ones");
    } else if (!opt.normalized && !ho_near_one && largest >= 0.85 && largest <= kAboveHo &&
               largest / std::fabs(ho) <= 0.5) {
        out.push_back("the data look like H/Ho (their largest value " + shown(largest) + " is near 1) while HO = " +
                      shown(ho) + ": add --normalized, or give the displacements in the length unit of HO");
    } else if (opt.normalized && !ho_near_one && largest / std::fabs(ho) >= 0.85 &&
               largest / std::fabs(ho) <= kAboveHo && largest <= 0.5) {
        out.push_back("the data look like head displacements (their largest value " + shown(largest) +
                      " is near HO = " + shown(ho) + "), but --normalized says they are H/Ho");
    }
    // A column's heads swing through zero: its response is over only when
    // none of them is away from zero.
    double swing = 0.0;
    for (double v : y) swing = std::max(swing, std::fabs(v));
    if (out.empty()) {
        if (column ? swing < kResponseTail : y.front() < kResponseTail)
            out.push_back("the response is over before the first observation (H/Ho = " + shown(y.front()) +
                          " at time " + shown(obs.time.front()) +
                          "): are the times in the time unit of the conductivities, counted from the slug?");
        else if (y.back() > 1.0 - kResponseTail)
            out.push_back("the response has not begun by the last observation (H/Ho = " + shown(y.back()) +
                          " at time " + shown(obs.time.back()) +
                          "): are the times in the time unit of the conductivities?");
    }
    return out;
}

}  // namespace slug
