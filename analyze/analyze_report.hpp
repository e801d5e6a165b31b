// Outputs of `slugwell analyze`: the table of the methods (console), the
// same as CSV, and the picture of the two standard views of a slug test.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "analyze/analyze.hpp"
#include "report/units.hpp"

namespace slug {

struct AnalyzeContext {
    std::string input_path;
    std::string data_path;
    std::string title;       // title line of the input file
    bool normalized = false;
    double ho = 0.0;         // Ho of the input file
    std::string at_zero;     // the reading at t = 0 beside Ho (empty: none)
    std::string time_unit = "time units";
    std::size_t observations = 0;
    Units units;             // named: each K restated in m/d, ft/d, cm/s, with T = K*b
    double thickness = 0.0;  // aquifer thickness b of the input file
};

// The report: what was read, one table row per method (method, K, Ss, the
// head range or matched interval), then each method's notes or the reason
// it gave no estimate. Lines end with '\n'.
std::string analyze_report_text(const AnalyzeContext& ctx, const std::vector<AnalyzeRow>& rows);

// CSV "method,status,K,Ss,H/Ho lower,H/Ho upper,t first,t last,points,RMSE,
// notes": one row per method, numbers with 17 significant digits, empty
// cells where a method has no such value; notes joined by "; " (error
// text when there is no estimate).
std::string analyze_csv_text(const std::vector<AnalyzeRow>& rows);

// SVG with the two standard views side by side. Left: log(H/Ho) against
// linear time, the observations, the straight lines of the straight-line
// rows over their time span (extended back to t = 0, dashed) and their
// head ranges shaded. Right: H/Ho against log time, the observations and
// the model curves. Observations with H/Ho <= 0 cannot be drawn on the
// left view's logarithmic axis and are counted in its caption.
std::string analyze_svg(const AnalyzeContext& ctx, std::span<const double> time, std::span<const double> ratio,
                        const std::vector<AnalyzeRow>& rows, const std::vector<AnalyzeCurve>& curves);

}  // namespace slug
