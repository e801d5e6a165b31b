// Report, CSV and picture of a fit; the picture is drawn by
// report/plot_svg in the style of the run's picture.
#include "fit/fit_report.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

#include "report/plot_svg.hpp"
#include "report/results_csv.hpp"

namespace slug {

namespace {

std::string fmt(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

std::string num(double v) { return std::isfinite(v) ? fmt("%.6g", v) : std::string("undetermined"); }

// Right-aligned in a column of width w, always at least one blank before it
// so that neighbouring columns never run together.
std::string pad(std::string s, std::size_t w) {
    s.insert(0, s.size() < w ? w - s.size() : 1, ' ');
    return s;
}

std::string padr(std::string s, std::size_t w) {
    if (s.size() < w) s.append(w - s.size(), ' ');
    return s;
}

}  // namespace

std::string fit_report_text(const FitReportContext& ctx, const Observations& obs, const FitResult& r) {
    std::string s;
    s += "slugwell fit\n";
    s += "  input file:   " + ctx.input_path + "\n";
    if (!ctx.title.empty()) s += "  title:        " + ctx.title + "\n";
    s += "  data file:    " + ctx.data_path + " (" + std::to_string(obs.time.size()) + " observations, " +
         (ctx.normalized ? "H/Ho" : "head displacement") + ")\n";
    if (!ctx.at_zero.empty()) s += "  at t = 0:     " + ctx.at_zero + "\n";
    for (const std::string& n : r.notes) s += "  note:         " + n + "\n";
    if (!r.ok) {
        s += "\n";
        for (const std::string& line : fit_failure_lines(r.error)) s += "FIT FAILED: " + line + "\n";
        s += "  forward runs: " + std::to_string(r.forward_runs) + "\n";
        return s;
    }
    if (!r.unreliable.empty()) {
        s += "\n";
        for (const std::string& why : r.unreliable) s += "FIT UNRELIABLE: " + why + "\n";
        s += "\n  solver ended: " + r.stop_reason + "\n";
    } else {
        s += "  converged:    " + r.stop_reason + "\n";
    }
    s += "  iterations:   " + std::to_string(r.iterations) + "\n";
    s += "  forward runs: " + std::to_string(r.forward_runs) + "\n";
    if (ctx.wall_seconds >= 0.0) s += "  wall time:    " + fmt("%.2f", ctx.wall_seconds) + " s\n";
    s += "\nEstimates (approximate 95 % intervals from the Jacobian at the optimum,\n"
         "in log space; t = " + fmt("%.4g", r.t_quantile) + " with " + std::to_string(r.dof) +
         " degrees of freedom):\n";
    s += "  " + padr("parameter", 10) + pad("estimate", 14) + pad("std error", 14) + pad("rel. error", 12) +
         pad("95 % lower", 14) + pad("95 % upper", 14) + "\n";
    for (std::size_t j = 0; j < r.params.size(); ++j) {
        const double rel = r.se_log[j];
        s += "  " + padr(std::string(fit_param_label(r.params[j])), 10) + pad(num(r.estimate[j]), 14) +
             pad(num(r.se[j]), 14) + pad(std::isfinite(rel) ? fmt("%.3g %%", 100.0 * rel) : "undetermined", 12) +
             pad(num(r.lower[j]), 14) + pad(num(r.upper[j]), 14) + "\n";
    }
    s += "\nCorrelation matrix (of the log parameters):\n";
    s += "  " + padr("", 10);
    for (FitParam p : r.params) s += pad(std::string(fit_param_label(p)), 10);
    s += "\n";
    for (std::size_t a = 0; a < r.params.size(); ++a) {
        s += "  " + padr(std::string(fit_param_label(r.params[a])), 10);
        for (std::size_t b = 0; b < r.params.size(); ++b)
            s += pad(std::isfinite(r.correlation[a][b]) ? fmt("%.4f", r.correlation[a][b]) : "-", 10);
        s += "\n";
    }
    const char* unit = ctx.normalized ? " (H/Ho)" : " (length unit of Ho)";
    s += "\nRMSE of the residuals: " + num(r.rmse) + unit + "\n";
    s += "Residual standard deviation (n - p): " + num(r.sigma) + unit + "\n";
    s += "\nModel values at the optimum:\n";
    s += "  KR = " + num(r.values.kr) + "  KZ = " + num(r.values.kz) + "  KZ/KR = " + num(r.values.kz / r.values.kr) +
         "  SS = " + num(r.values.ss) + "  SY = " + num(r.values.sy) + "\n";
    s += "  HKS = " + num(r.values.hks) + "  U1 = " + num(r.values.u1) + "  U2 = " + num(r.values.u2) + "  HO = " +
         num(r.values.ho) + "  T0 = " + num(r.values.t0) + "\n";
    if (r.values.le > 0.0)
        s += "  water column: LE = " + num(r.values.le) + " (friction length the same)  g = " + num(ctx.gravity) +
             "  NU = " + num(ctx.viscosity) + "\n";
    s += conductivity_lines(ctx.units, "KR", r.values.kr, ctx.thickness, "  ");
    if (!r.unreliable.empty()) {
        s += "\nThe estimates above are NOT reliable (FIT UNRELIABLE, reasons at the top).\n";
        for (const std::string& w : r.warnings) s += "WARNING: " + w + "\n";
    } else if (r.warnings.empty()) {
        s += "\nAll estimated parameters are identifiable from these data.\n";
    } else {
        s += "\n";
        for (const std::string& w : r.warnings) s += "WARNING: " + w + "\n";
    }
    return s;
}

std::vector<std::string> fit_failure_lines(const std::string& error) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= error.size()) {
        const std::size_t nl = error.find('\n', start);
        out.push_back(error.substr(start, nl == std::string::npos ? std::string::npos : nl - start));
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    return out;
}

std::string fit_csv_text(const Observations& obs, const FitResult& r, const Units& units, bool normalized) {
    const std::string v = normalized ? std::string() : units.length;
    std::string s = with_unit("time", units.time, "time") + "," + with_unit("observed", v, "observed") + "," +
                    with_unit("fitted", v, "fitted") + "," + with_unit("residual", v, "residual") + "\n";
    for (std::size_t i = 0; i < obs.time.size(); ++i) {
        const double fitted = i < r.fitted.size() ? r.fitted[i] : std::nan("");
        const double res = i < r.residual.size() ? r.residual[i] : std::nan("");
        s += csv_number(obs.time[i]) + "," + csv_number(obs.value[i]) + "," + csv_number(fitted) + "," +
             csv_number(res) + "\n";
    }
    return s;
}

std::string fit_svg(std::string_view title, std::span<const double> obs_time, std::span<const double> obs_ratio,
                    std::span<const double> curve_time, std::span<const double> curve_ratio) {
    PlotLabels labels;
    labels.title = std::string(title);
    return fit_plot_svg(labels, FitPlotData{obs_time, obs_ratio, curve_time, curve_ratio, {}});
}

}  // namespace slug
