// Report, CSV and picture of a fit. The picture follows the semi-log type
// curve of Cooper, Bredehoeft and Papadopulos (1967): H/Ho on a linear
// axis against time on a logarithmic axis, here with the measured heads as
// points over the fitted model curve.
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

std::string fit_csv_text(const Observations& obs, const FitResult& r) {
    std::string s = "time,observed,fitted,residual\n";
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
    constexpr double W = 800.0, H = 560.0, L = 90.0, R = 770.0, T = 70.0, B = 480.0;
    struct Pt {
        double t, v;
    };
    const auto collect = [](std::span<const double> t, std::span<const double> v) {
        std::vector<Pt> out;
        for (std::size_t i = 0; i < std::min(t.size(), v.size()); ++i)
            if (t[i] > 0.0 && std::isfinite(t[i]) && std::isfinite(v[i])) out.push_back({t[i], v[i]});
        return out;
    };
    const std::vector<Pt> pts = collect(obs_time, obs_ratio);
    std::vector<Pt> curve = collect(curve_time, curve_ratio);
    std::sort(curve.begin(), curve.end(), [](const Pt& a, const Pt& b) { return a.t < b.t; });

    double tmin = 1.0, tmax = 10.0, vmin = 0.0, vmax = 1.0;
    bool first = true;
    for (const std::vector<Pt>* set : {&pts, static_cast<const std::vector<Pt>*>(&curve)})
        for (const Pt& p : *set) {
            if (first) tmin = tmax = p.t;
            first = false;
            tmin = std::min(tmin, p.t);
            tmax = std::max(tmax, p.t);
            vmin = std::min(vmin, p.v);
            vmax = std::max(vmax, p.v);
        }
    int k0 = static_cast<int>(std::floor(std::log10(tmin)));
    int k1 = static_cast<int>(std::ceil(std::log10(tmax)));
    if (k1 <= k0) k1 = k0 + 1;
    const double step = [&] {
        const double raw = (vmax - vmin) / 5.0;
        const double p = std::pow(10.0, std::floor(std::log10(raw)));
        for (double m : {1.0, 2.0, 2.5, 5.0})
            if (m * p >= raw * (1.0 - 1e-12)) return m * p;
        return 10.0 * p;
    }();
    const double y0 = std::floor(vmin / step + 1e-9) * step;
    const double y1 = std::ceil(vmax / step - 1e-9) * step;
    const auto X = [&](double t) { return L + (std::log10(t) - k0) / (k1 - k0) * (R - L); };
    const auto Y = [&](double v) { return B - (v - y0) / (y1 - y0) * (B - T); };
    const auto px = [](double v) { return fmt("%.2f", v); };

    std::string s;
    s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    s += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"800\" height=\"560\" viewBox=\"0 0 800 560\" "
         "font-family=\"sans-serif\" font-size=\"13\">\n";
    s += "<rect x=\"0\" y=\"0\" width=\"" + px(W) + "\" height=\"" + px(H) + "\" fill=\"white\"/>\n";
    s += "<text x=\"400\" y=\"35\" text-anchor=\"middle\" font-size=\"15\">" + xml_escape(title) + "</text>\n";
    s += "<g stroke=\"#d0d0d0\" stroke-width=\"1\">\n";
    for (int k = k0; k <= k1; ++k) {
        s += "<line class=\"grid-major\" data-value=\"1e" + std::to_string(k) + "\" x1=\"" + px(X(std::pow(10.0, k))) +
             "\" y1=\"" + px(T) + "\" x2=\"" + px(X(std::pow(10.0, k))) + "\" y2=\"" + px(B) + "\"/>\n";
        if (k < k1 && k1 - k0 <= 6)
            for (int m = 2; m <= 9; ++m) {
                const double x = X(m * std::pow(10.0, k));
                s += "<line class=\"grid-minor\" stroke=\"#eeeeee\" x1=\"" + px(x) + "\" y1=\"" + px(T) + "\" x2=\"" +
                     px(x) + "\" y2=\"" + px(B) + "\"/>\n";
            }
    }
    for (int i = 0; y0 + i * step <= y1 + 0.5 * step; ++i) {
        const double v = y0 + i * step;
        s += "<line class=\"grid-y\" x1=\"" + px(L) + "\" y1=\"" + px(Y(v)) + "\" x2=\"" + px(R) + "\" y2=\"" +
             px(Y(v)) + "\"/>\n";
    }
    s += "</g>\n";
    for (int k = k0; k <= k1; ++k)
        s += "<text x=\"" + px(X(std::pow(10.0, k))) + "\" y=\"" + px(B + 20) + "\" text-anchor=\"middle\">" +
             fmt("%g", std::pow(10.0, k)) + "</text>\n";
    for (int i = 0; y0 + i * step <= y1 + 0.5 * step; ++i) {
        const double v = y0 + i * step;
        s += "<text x=\"" + px(L - 8) + "\" y=\"" + px(Y(v) + 4) + "\" text-anchor=\"end\">" +
             fmt("%g", std::fabs(v) < 1e-12 * step ? 0.0 : v) + "</text>\n";
    }
    s += "<rect x=\"" + px(L) + "\" y=\"" + px(T) + "\" width=\"" + px(R - L) + "\" height=\"" + px(B - T) +
         "\" fill=\"none\" stroke=\"black\"/>\n";
    s += "<text x=\"" + px((L + R) / 2) + "\" y=\"" + px(B + 45) + "\" text-anchor=\"middle\">Time</text>\n";
    s += "<text x=\"25\" y=\"" + px((T + B) / 2) + "\" text-anchor=\"middle\" transform=\"rotate(-90 25 " +
         px((T + B) / 2) + ")\">H/Ho</text>\n";
    if (!curve.empty()) {
        s += "<polyline class=\"fitted\" fill=\"none\" stroke=\"#c0392b\" stroke-width=\"2\" points=\"";
        for (std::size_t i = 0; i < curve.size(); ++i)
            s += (i ? " " : "") + px(X(curve[i].t)) + "," + px(Y(curve[i].v));
        s += "\"/>\n";
    }
    for (const Pt& p : pts)
        s += "<circle class=\"observed\" cx=\"" + px(X(p.t)) + "\" cy=\"" + px(Y(p.v)) +
             "\" r=\"3.5\" fill=\"none\" stroke=\"#1f4e9a\" stroke-width=\"1.5\"/>\n";
    // Legend.
    s += "<circle cx=\"" + px(R - 150) + "\" cy=\"" + px(T + 20) +
         "\" r=\"3.5\" fill=\"none\" stroke=\"#1f4e9a\" stroke-width=\"1.5\"/>\n";
    s += "<text x=\"" + px(R - 138) + "\" y=\"" + px(T + 24) + "\">observed</text>\n";
    s += "<line x1=\"" + px(R - 160) + "\" y1=\"" + px(T + 42) + "\" x2=\"" + px(R - 140) + "\" y2=\"" +
         px(T + 42) + "\" stroke=\"#c0392b\" stroke-width=\"2\"/>\n";
    s += "<text x=\"" + px(R - 138) + "\" y=\"" + px(T + 46) + "\">fitted model</text>\n";
    s += "</svg>\n";
    return s;
}

}  // namespace slug
