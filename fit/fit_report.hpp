// Outputs of a fit: the text report (console and fit.txt), the CSV of
// observed, fitted and residual values, and the SVG picture of the
// observations with the fitted curve.
#pragma once

#include "report/text_file.hpp"

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fit/fit_data.hpp"
#include "fit/fit_solve.hpp"
#include "report/units.hpp"

namespace slug {

// What the report names besides the result.
struct FitReportContext {
    std::string input_path;
    std::string data_path;
    std::string title;  // title line of the input file
    bool normalized = false;
    double wall_seconds = 0.0;  // time taken by the fit (< 0: not shown)
    std::string at_zero;        // the reading at t = 0 beside Ho (empty: none)
    Units units;                // named: KR restated in m/d, ft/d, cm/s and T = KR*b
    double thickness = 0.0;     // aquifer thickness b of the input file
    double gravity = 0.0;       // g of the water column (0: the model has none)
    double viscosity = 0.0;     // its kinematic viscosity (casing friction)
};

// The report: data and settings, estimates with standard errors and 95 %
// intervals, correlation matrix, RMSE, iterations and forward runs, and the
// warnings. Lines end with '\n'.
std::string fit_report_text(const FitReportContext& ctx, const Observations& obs, const FitResult& r);

// The lines of a failure's reason (one finding per line).
std::vector<std::string> fit_failure_lines(const std::string& error);

// CSV "time,observed,fitted,residual", one row per observation, "%.17g".
// With named units the header carries them: "time (s),observed (m),...".
std::string fit_csv_text(const Observations& obs, const FitResult& r, const Units& units = {},
                         bool normalized = false);

// SVG of H/Ho against log time: the observations as points (obs_ratio at
// obs_time) and the fitted curve (curve_ratio at curve_time, drawn as a
// line in time order). Points that cannot be placed on the logarithmic
// axis (time not positive, value not finite) are left out.
std::string fit_svg(std::string_view title, std::span<const double> obs_time, std::span<const double> obs_ratio,
                    std::span<const double> curve_time, std::span<const double> curve_ratio);


}  // namespace slug
