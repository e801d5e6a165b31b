// Picture of `slugwell analyze`: the two standard views of a slug test
// side by side (Butler 1998, ch. 4-5). Left, the straight-line view of
// Hvorslev (1951) and Bouwer and Rice (1976): H/Ho on a logarithmic axis
// against linear time, with each method's line and its head range shaded.
// Right, the type-curve view of Cooper, Bredehoeft and Papadopulos (1967):
// H/Ho against log time, with the curves of the fitted models.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "analyze/analyze_report.hpp"
#include "report/plot_svg.hpp"

namespace slug {

namespace {

std::string px(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    return buf;
}

std::string label(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

const char* colour(AnalyzeMethod m) {
    switch (m) {
    case AnalyzeMethod::Hvorslev: return "#d35400";
    case AnalyzeMethod::BouwerRice: return "#8e44ad";
    case AnalyzeMethod::Cbp: return "#c0392b";
    case AnalyzeMethod::Kgs: return "#27ae60";
    case AnalyzeMethod::Full: return "#2c3e50";
    case AnalyzeMethod::HighK: return "#2980b9";
    }
    return "black";
}

const char* key(AnalyzeMethod m) {
    switch (m) {
    case AnalyzeMethod::Hvorslev: return "hvorslev";
    case AnalyzeMethod::BouwerRice: return "bouwer-rice";
    case AnalyzeMethod::Cbp: return "cbp";
    case AnalyzeMethod::Kgs: return "kgs";
    case AnalyzeMethod::Full: return "full";
    case AnalyzeMethod::HighK: return "high-k";
    }
    return "";
}

// A step of 1, 2, 2.5 or 5 times a power of ten that divides span into
// about `parts` intervals.
double nice_step(double span, double parts) {
    const double raw = span / parts;
    const double p = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 2.5, 5.0})
        if (m * p >= raw * (1.0 - 1e-12)) return m * p;
    return 10.0 * p;
}

// One panel's frame on the page.
struct Frame {
    double left, right, top, bottom;
};

std::string frame_rect(const Frame& f) {
    return "<rect x=\"" + px(f.left) + "\" y=\"" + px(f.top) + "\" width=\"" + px(f.right - f.left) + "\" height=\"" +
           px(f.bottom - f.top) + "\" fill=\"none\" stroke=\"black\"/>\n";
}

std::string text(double x, double y, const std::string& s, const char* anchor = "middle", const char* extra = "") {
    return "<text x=\"" + px(x) + "\" y=\"" + px(y) + "\" text-anchor=\"" + anchor + "\"" + extra + ">" +
           xml_escape(s) + "</text>\n";
}

std::string grid_line(double x1, double y1, double x2, double y2, const char* stroke) {
    return "<line x1=\"" + px(x1) + "\" y1=\"" + px(y1) + "\" x2=\"" + px(x2) + "\" y2=\"" + px(y2) +
           "\" stroke=\"" + stroke + "\"/>\n";
}

// An observation; a dense record gets smaller markers, so that the lines
// and curves stay visible.
std::string circle(double x, double y, std::size_t n) {
    return "<circle class=\"observed\" cx=\"" + px(x) + "\" cy=\"" + px(y) + "\" r=\"" + (n > 60 ? "2" : "3") +
           "\" fill=\"none\" stroke=\"#1f4e9a\" stroke-width=\"1.2\"/>\n";
}

// A line of the method's colour; dashes "" draws it solid.
std::string polyline(const std::string& cls, AnalyzeMethod m, const std::vector<std::pair<double, double>>& pts,
                     const std::string& dashes) {
    std::string s = "<polyline class=\"" + cls + "\" data-method=\"" + key(m) + "\" fill=\"none\" stroke=\"" +
                    colour(m) + "\" stroke-width=\"2\"" +
                    (dashes.empty() ? std::string() : " stroke-dasharray=\"" + dashes + "\"") + " points=\"";
    for (std::size_t i = 0; i < pts.size(); ++i) s += (i ? " " : "") + px(pts[i].first) + "," + px(pts[i].second);
    return s + "\"/>\n";
}

std::string legend_entry(double x, double y, AnalyzeMethod m, const std::string& name, const std::string& dashes = "") {
    return "<line x1=\"" + px(x) + "\" y1=\"" + px(y - 4) + "\" x2=\"" + px(x + 22) + "\" y2=\"" + px(y - 4) +
           "\" stroke=\"" + colour(m) + "\" stroke-width=\"2\"" +
           (dashes.empty() ? std::string() : " stroke-dasharray=\"" + dashes + "\"") + "/>\n" +
           text(x + 28, y, name, "start");
}

bool straight(const AnalyzeRow& r) {
    return r.method == AnalyzeMethod::Hvorslev || r.method == AnalyzeMethod::BouwerRice;
}

// Left: log(H/Ho) against linear time.
std::string straight_line_view(const Frame& f, const std::string& time_label, std::span<const double> time,
                               std::span<const double> ratio, const std::vector<AnalyzeRow>& rows) {
    double tmax = 0.0, rmin = 1.0, rmax = 1.0;
    for (std::size_t i = 0; i < time.size(); ++i) {
        if (!std::isfinite(time[i]) || !std::isfinite(ratio[i])) continue;
        tmax = std::max(tmax, time[i]);
        if (ratio[i] > 0.0) {
            rmin = std::min(rmin, ratio[i]);
            rmax = std::max(rmax, ratio[i]);
        }
    }
    if (!(tmax > 0.0)) tmax = 1.0;
    const double tstep = nice_step(tmax, 5.0);
    const double t1 = std::ceil(tmax / tstep - 1e-9) * tstep;
    const int k1 = static_cast<int>(std::ceil(std::log10(rmax) - 1e-12));
    // At most four decades below the top: a record that falls further is
    // drawn down to there (the rest is counted as not drawn).
    const int k0 = std::max(static_cast<int>(std::floor(std::log10(rmin) + 1e-12)), k1 - 4);
    const int kk0 = k0 < k1 ? k0 : k1 - 1;
    const auto X = [&](double t) { return f.left + t / t1 * (f.right - f.left); };
    const auto Y = [&](double r) { return f.bottom - (std::log10(r) - kk0) / (k1 - kk0) * (f.bottom - f.top); };
    const double rlow = std::pow(10.0, kk0);

    std::string s;
    // Head ranges, shaded: each recommended range in its method's colour,
    // the user's range once, in grey.
    bool user_shaded = false;
    for (const AnalyzeRow& r : rows) {
        if (!straight(r) || !(r.range.lower > 0.0) || r.range.upper > std::pow(10.0, k1) || r.range.lower < rlow)
            continue;
        const bool mine = !recommended_range(r);
        if (mine && user_shaded) continue;
        user_shaded = user_shaded || mine;
        s += "<rect class=\"range\" data-method=\"" + std::string(mine ? "user" : key(r.method)) + "\" data-lower=\"" +
             label(r.range.lower) + "\" data-upper=\"" + label(r.range.upper) + "\" x=\"" + px(f.left) + "\" y=\"" +
             px(Y(r.range.upper)) + "\" width=\"" + px(f.right - f.left) + "\" height=\"" +
             px(Y(r.range.lower) - Y(r.range.upper)) + "\" fill=\"" + (mine ? "#7f8c8d" : colour(r.method)) +
             "\" fill-opacity=\"0.12\"/>\n";
    }
    // Grid and ticks.
    for (int i = 0; i * tstep <= t1 * (1 + 1e-9); ++i) {
        const double t = i * tstep;
        s += grid_line(X(t), f.top, X(t), f.bottom, "#e0e0e0");
        s += text(X(t), f.bottom + 18, label(t));
    }
    for (int k = kk0; k <= k1; ++k) {
        const double y = Y(std::pow(10.0, k));
        s += grid_line(f.left, y, f.right, y, "#d0d0d0");
        s += text(f.left - 6, y + 4, label(std::pow(10.0, k)), "end");
        if (k == k1) continue;
        for (int m = 2; m <= 9; ++m) {
            const double v = m * std::pow(10.0, k);
            s += grid_line(f.left, Y(v), f.right, Y(v), "#f0f0f0");
            // Over one or two decades the 2 and 5 are labelled as well.
            if (k1 - kk0 <= 2 && (m == 2 || m == 5)) s += text(f.left - 6, Y(v) + 4, label(v), "end");
        }
    }
    s += frame_rect(f);
    std::size_t omitted = 0;
    for (std::size_t i = 0; i < time.size(); ++i) {
        if (!(ratio[i] >= rlow) || !std::isfinite(ratio[i]) || !std::isfinite(time[i])) {
            ++omitted;
            continue;
        }
        s += circle(X(time[i]), Y(ratio[i]), time.size());
    }
    // The lines: solid over the observations used, dashed back to t = 0
    // and on to the bottom of the axis (or its end).
    for (const AnalyzeRow& r : rows) {
        if (!straight(r) || !r.ok || !r.line) continue;
        const LineFit& l = *r.line;
        const auto at = [&](double t) { return std::make_pair(X(t), Y(std::exp(l.intercept + l.slope * t))); };
        const double t_floor = (std::log(rlow) - l.intercept) / l.slope;
        const double t_end = std::min(t1, std::max(l.t_last, t_floor));
        const double t_start = std::max(0.0, (std::log(std::pow(10.0, k1)) - l.intercept) / l.slope);
        const bool mine = !recommended_range(r);
        s += polyline("line-extended", r.method, {at(t_start), at(t_end)}, mine ? "2 4" : "6 4");
        s += polyline("line", r.method, {at(l.t_first), at(l.t_last)}, mine ? "10 3" : "");
    }
    s += text((f.left + f.right) / 2, f.top - 10, "Straight-line view: log H/Ho against time", "middle",
              " font-size=\"14\"");
    s += text((f.left + f.right) / 2, f.bottom + 40, time_label);
    const double ym = (f.top + f.bottom) / 2;
    s += "<text x=\"" + px(f.left - 52) + "\" y=\"" + px(ym) + "\" text-anchor=\"middle\" transform=\"rotate(-90 " +
         px(f.left - 52) + " " + px(ym) + ")\">H/Ho (logarithmic)</text>\n";
    if (omitted > 0)
        s += text(f.left, f.bottom + 58,
                  std::to_string(omitted) + (omitted == 1 ? " observation" : " observations") + " below " +
                      label(rlow) + " (or not above 0) not drawn",
                  "start", " class=\"omitted\" font-size=\"11\"");
    // Legend.
    double ly = f.top + 20;
    for (const AnalyzeRow& r : rows) {
        if (!straight(r) || !r.ok) continue;
        s += legend_entry(f.right - 230, ly, r.method, r.name + ", H/Ho " + head_range_text(r.range),
                          recommended_range(r) ? "" : "10 3");
        ly += 18;
    }
    return s;
}

// Right: H/Ho against log time.
std::string type_curve_view(const Frame& f, const std::string& time_label, std::span<const double> time,
                            std::span<const double> ratio, const std::vector<AnalyzeCurve>& curves) {
    double tmin = HUGE_VAL, tmax = -HUGE_VAL, vmin = 0.0, vmax = 1.0;
    const auto take = [&](double t, double v) {
        if (!(t > 0.0) || !std::isfinite(t) || !std::isfinite(v)) return false;
        tmin = std::min(tmin, t);
        tmax = std::max(tmax, t);
        vmin = std::min(vmin, v);
        vmax = std::max(vmax, v);
        return true;
    };
    for (std::size_t i = 0; i < time.size(); ++i) take(time[i], ratio[i]);
    for (const AnalyzeCurve& c : curves)
        for (std::size_t i = 0; i < c.time.size(); ++i) take(c.time[i], c.ratio[i]);
    if (!(tmin < HUGE_VAL)) tmin = 1.0, tmax = 10.0;
    const int k0 = static_cast<int>(std::floor(std::log10(tmin) + 1e-12));
    int k1 = static_cast<int>(std::ceil(std::log10(tmax) - 1e-12));
    if (k1 <= k0) k1 = k0 + 1;
    const double vstep = nice_step(vmax - vmin, 5.0);
    const double y0 = std::floor(vmin / vstep + 1e-9) * vstep, y1 = std::ceil(vmax / vstep - 1e-9) * vstep;
    const auto X = [&](double t) { return f.left + (std::log10(t) - k0) / (k1 - k0) * (f.right - f.left); };
    const auto Y = [&](double v) { return f.bottom - (v - y0) / (y1 - y0) * (f.bottom - f.top); };

    std::string s;
    for (int k = k0; k <= k1; ++k) {
        const double x = X(std::pow(10.0, k));
        s += grid_line(x, f.top, x, f.bottom, "#d0d0d0");
        s += text(x, f.bottom + 18, label(std::pow(10.0, k)));
        if (k < k1 && k1 - k0 <= 6)
            for (int m = 2; m <= 9; ++m) {
                const double xm = X(m * std::pow(10.0, k));
                s += grid_line(xm, f.top, xm, f.bottom, "#f0f0f0");
            }
    }
    for (int i = 0; y0 + i * vstep <= y1 + 0.5 * vstep; ++i) {
        const double v = y0 + i * vstep;
        s += grid_line(f.left, Y(v), f.right, Y(v), "#e0e0e0");
        s += text(f.left - 6, Y(v) + 4, label(std::fabs(v) < 1e-12 * vstep ? 0.0 : v), "end");
    }
    s += frame_rect(f);
    // The observations first, the curves over them.
    for (std::size_t i = 0; i < time.size(); ++i)
        if (time[i] > 0.0 && std::isfinite(time[i]) && std::isfinite(ratio[i]))
            s += circle(X(time[i]), Y(ratio[i]), time.size());
    for (const AnalyzeCurve& c : curves) {
        std::vector<std::pair<double, double>> pts;
        for (std::size_t i = 0; i < c.time.size(); ++i)
            if (c.time[i] > 0.0 && std::isfinite(c.ratio[i])) pts.emplace_back(X(c.time[i]), Y(c.ratio[i]));
        s += polyline("curve", c.method, pts, "");
    }
    s += text((f.left + f.right) / 2, f.top - 10, "Type-curve view: H/Ho against log time", "middle",
              " font-size=\"14\"");
    s += text((f.left + f.right) / 2, f.bottom + 40, time_label);
    const double ym = (f.top + f.bottom) / 2;
    s += "<text x=\"" + px(f.left - 45) + "\" y=\"" + px(ym) + "\" text-anchor=\"middle\" transform=\"rotate(-90 " +
         px(f.left - 45) + " " + px(ym) + ")\">H/Ho</text>\n";
    // The legend at the lower left, where a falling record leaves room.
    double ly = f.bottom - 12 - 18.0 * (curves.empty() ? 0 : curves.size() - 1);
    for (const AnalyzeCurve& c : curves) {
        s += legend_entry(f.left + 12, ly, c.method, c.label);
        ly += 18;
    }
    return s;
}

}  // namespace

std::string analyze_svg(const AnalyzeContext& ctx, std::span<const double> time, std::span<const double> ratio,
                        const std::vector<AnalyzeRow>& rows, const std::vector<AnalyzeCurve>& curves) {
    const std::string time_label = "Time (" + ctx.time_unit + ")";
    std::string s;
    s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    s += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1240\" height=\"580\" viewBox=\"0 0 1240 580\" "
         "font-family=\"sans-serif\" font-size=\"12\">\n";
    s += "<rect x=\"0\" y=\"0\" width=\"1240\" height=\"580\" fill=\"white\"/>\n";
    s += text(620, 30, ctx.title, "middle", " font-size=\"15\"");
    s += "<g class=\"straight-line-view\">\n" +
         straight_line_view({90, 590, 80, 480}, time_label, time, ratio, rows) + "</g>\n";
    s += "<g class=\"type-curve-view\">\n" + type_curve_view({710, 1210, 80, 480}, time_label, time, ratio, curves) +
         "</g>\n";
    s += "</svg>\n";
    return s;
}

}  // namespace slug
