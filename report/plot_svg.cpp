// SVG pictures of a slug test: the type-curve view (H/Ho against log
// time, Cooper, Bredehoeft and Papadopulos, 1967) and the semi-log view
// (log H/Ho against linear time, Hvorslev, 1951), for a run's computed
// response and for a fit's observations, fitted curve and residuals.
//
// Layout: each view is a column 800 units wide; its main panel spans
// 90..770 across and 410 down, the residual panel (fit only) 130 down,
// 60 under it. A box across the top holds the title, the key parameters
// and the legend, above the panels, so that it never hides a point. A note under each column counts what it could not
// draw.
#include "report/plot_svg.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <utility>
#include <vector>

#include "report/plot_axes.hpp"
#include "report/text_file.hpp"

namespace slug {

namespace {

using plot::Axis;
using plot::fmt;
using plot::kHuge;
using plot::px;

constexpr double kColumn = 800.0;
constexpr double kLeft = 90.0, kRight = 770.0;
constexpr double kMainHeight = 410.0;  // main panel
constexpr double kResGap = 60.0, kResHeight = 130.0;  // residual panel under it
constexpr double kRow = 17.0;  // line height in the title box
// Beyond this many points a series is drawn with small markers so that
// the curve between them stays visible.
constexpr std::size_t kDense = 40;

void append_utf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one strictly valid UTF-8 sequence at s[i] (no overlong forms, no
// surrogates, nothing above U+10FFFF). Returns its length, 0 if invalid.
std::size_t decode_utf8(std::string_view s, std::size_t i, std::uint32_t& cp) {
    const auto b = [&](std::size_t k) {
        return static_cast<unsigned char>(s[k]);
    };
    unsigned char c = b(i);
    std::size_t len;
    std::uint32_t min;
    if (c < 0x80) {
        cp = c;
        return 1;
    } else if ((c & 0xE0) == 0xC0) {
        len = 2; cp = c & 0x1F; min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        len = 3; cp = c & 0x0F; min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        len = 4; cp = c & 0x07; min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

bool xml_char_allowed(std::uint32_t cp) {
    return cp == 0x9 || cp == 0xA || cp == 0xD ||
           (cp >= 0x20 && cp <= 0xD7FF) || (cp >= 0xE000 && cp <= 0xFFFD) ||
           (cp >= 0x10000 && cp <= 0x10FFFF);
}

struct Pt {
    double t, v;
};

struct Box {
    double x0, x1, y0, y1;
};

// An axis pair on a box of the picture.
struct Panel {
    Axis x, y;
    Box box;
    double X(double t) const { return box.x0 + std::clamp(x.frac(t), -0.02, 1.02) * (box.x1 - box.x0); }
    double Y(double v) const { return box.y1 - std::clamp(y.frac(v), -0.02, 1.02) * (box.y1 - box.y0); }
};

// Number of UTF-8 characters, for the width of the title box.
std::size_t chars(std::string_view s) {
    std::size_t n = 0;
    for (char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

std::string line_el(const char* cls, double x1, double y1, double x2, double y2, const char* extra = "") {
    return std::string("<line class=\"") + cls + "\" x1=\"" + px(x1) + "\" y1=\"" + px(y1) + "\" x2=\"" + px(x2) +
           "\" y2=\"" + px(y2) + "\"" + extra + "/>\n";
}

// Opens a panel's group and draws its gridlines, tick labels, frame and
// axis labels (x label empty: none).
std::string open_panel(const Panel& p, const char* view, const std::string& xlabel, const std::string& ylabel) {
    const Box& b = p.box;
    std::string s = std::string("<g class=\"panel\" data-view=\"") + view + "\" data-xscale=\"" +
                    (p.x.log ? "log" : "linear") + "\" data-yscale=\"" + (p.y.log ? "log" : "linear") + "\">\n";
    s += "<g class=\"grid\" stroke-width=\"1\">\n";
    for (double v : p.x.minor)
        s += line_el("grid-minor-x", p.X(v), b.y0, p.X(v), b.y1, " stroke=\"#e4e4e4\"");
    for (double v : p.y.minor)
        s += line_el("grid-minor-y", b.x0, p.Y(v), b.x1, p.Y(v), " stroke=\"#e4e4e4\"");
    for (std::size_t i = 0; i < p.x.major.size(); ++i) {
        const double x = p.X(p.x.major[i]);
        s += "<line class=\"grid-x\" data-value=\"" + p.x.data_value(i) + "\" x1=\"" + px(x) + "\" y1=\"" +
             px(b.y0) + "\" x2=\"" + px(x) + "\" y2=\"" + px(b.y1) + "\" stroke=\"#b0b0b0\"/>\n";
    }
    for (std::size_t i = 0; i < p.y.major.size(); ++i) {
        const double y = p.Y(p.y.major[i]);
        s += "<line class=\"grid-y\" data-value=\"" + p.y.data_value(i) + "\" x1=\"" + px(b.x0) + "\" y1=\"" +
             px(y) + "\" x2=\"" + px(b.x1) + "\" y2=\"" + px(y) + "\" stroke=\"#b0b0b0\"/>\n";
    }
    s += "</g>\n<g class=\"ticks\" fill=\"black\">\n";
    for (std::size_t i = 0; i < p.x.major.size(); ++i)
        if (p.x.labelled[i])
            s += "<text class=\"tick-label\" x=\"" + px(p.X(p.x.major[i])) + "\" y=\"" + px(b.y1 + 20) +
                 "\" text-anchor=\"middle\">" + plot::tick_text(p.x.major[i]) + "</text>\n";
    for (std::size_t i = 0; i < p.y.major.size(); ++i)
        if (p.y.labelled[i])
            s += "<text class=\"tick-label\" x=\"" + px(b.x0 - 8) + "\" y=\"" + px(p.Y(p.y.major[i]) + 4.5) +
                 "\" text-anchor=\"end\">" + plot::tick_text(p.y.major[i]) + "</text>\n";
    s += "</g>\n";
    s += "<rect class=\"plot-area\" x=\"" + px(b.x0) + "\" y=\"" + px(b.y0) + "\" width=\"" + px(b.x1 - b.x0) +
         "\" height=\"" + px(b.y1 - b.y0) + "\" fill=\"none\" stroke=\"black\"/>\n";
    if (!xlabel.empty())
        s += "<text class=\"axis-label\" x=\"" + px((b.x0 + b.x1) / 2) + "\" y=\"" + px(b.y1 + 45) +
             "\" text-anchor=\"middle\">" + xml_escape(xlabel) + "</text>\n";
    s += "<text class=\"axis-label\" x=\"0\" y=\"0\" text-anchor=\"middle\" transform=\"translate(" +
         px(b.x0 - 60) + "," + px((b.y0 + b.y1) / 2) + ") rotate(-90)\">" + xml_escape(ylabel) + "</text>\n";
    return s;
}

// What a picture draws: the computed response of a run, or a fit's
// observations, fitted curve and residuals.
struct Figure {
    bool fit = false;
    std::vector<Pt> main;      // run: the response; fit: the observations
    std::vector<Pt> curve;     // fit: the fitted curve
    std::vector<Pt> residual;  // fit: observed - fitted at the observation times
    const char* noun = "output time";
};

std::string count_of(std::size_t n, const char* noun) {
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

// One view of the figure in the column starting at x offset `dx`.
struct Column {
    std::string svg;
    std::string note;
    Panel main;
};

enum class View { TypeCurve, Semilog, Linear };

const char* view_name(View v) {
    switch (v) {
    case View::TypeCurve: return "typecurve";
    case View::Semilog: return "semilog";
    case View::Linear: return "linear";
    }
    return "";
}

Column draw_view(const Figure& f, View view, double dx, double top, const PlotLabels& labels) {
    Column c;
    const bool semilog = view == View::Semilog;
    // Views over linear time hold t = 0.
    const bool linear_time = view != View::TypeCurve;
    const Box main_box{dx + kLeft, dx + kRight, top, top + kMainHeight};
    // Which points the view can place.
    std::size_t unplaceable = 0;  // time or value that this view's axes cannot hold
    std::size_t below = 0;        // semi-log: H/Ho zero or below the lowest decade
    const auto placeable = [&](const Pt& p) {
        if (!std::isfinite(p.t) || !std::isfinite(p.v)) return false;
        return linear_time ? p.t >= 0.0 : p.t > 0.0;
    };
    int e0 = -3, e1 = 0;  // semi-log H/Ho decades
    if (semilog) {
        double lo = std::numeric_limits<double>::infinity(), hi = 0.0;
        for (const std::vector<Pt>* set : {&f.main, &f.curve})
            for (const Pt& p : *set)
                if (placeable(p) && p.v > 0.0) {
                    lo = std::min(lo, p.v);
                    hi = std::max(hi, p.v);
                }
        if (hi > 0.0) {
            // The top at 1 or the decade above an overshoot (at most 10^3);
            // at most five decades down, where a straight-line analysis
            // has long ended.
            e1 = std::clamp(static_cast<int>(std::ceil(std::log10(hi))), 0, 3);
            e0 = std::max(static_cast<int>(std::floor(std::log10(lo))), e1 - 5);
            if (e0 >= e1) e0 = e1 - 1;
        }
    }
    const double floor_value = std::pow(10.0, e0) * (1.0 - 1e-12);
    const auto keep = [&](const std::vector<Pt>& in, bool count) {
        std::vector<Pt> out;
        for (Pt p : in) {
            if (!placeable(p)) {
                unplaceable += count;
                continue;
            }
            if (semilog && !(p.v >= floor_value)) {
                below += count;
                continue;
            }
            p.v = std::clamp(p.v, -kHuge, kHuge);
            p.t = std::min(p.t, kHuge);
            out.push_back(p);
        }
        std::stable_sort(out.begin(), out.end(), [](const Pt& a, const Pt& b) { return a.t < b.t; });
        return out;
    };
    const std::vector<Pt> pts = keep(f.main, true);
    const std::vector<Pt> curve = keep(f.curve, false);

    // Axes over what is drawn.
    double tmin = 0.0, tmax = 0.0, vmin = 0.0, vmax = 1.0;
    bool any = false;
    for (const std::vector<Pt>* set : {&pts, &curve})
        for (const Pt& p : *set) {
            tmin = any ? std::min(tmin, p.t) : p.t;
            tmax = any ? std::max(tmax, p.t) : p.t;
            vmin = std::min(vmin, p.v);
            vmax = std::max(vmax, p.v);
            any = true;
        }
    Panel& m = c.main;
    m.box = main_box;
    if (semilog) {
        m.x = plot::linear_axis(0.0, any && tmax > 0.0 ? tmax : 1.0);
        m.y = plot::decade_axis(e0, e1);
    } else if (view == View::Linear) {
        m.x = plot::linear_axis(0.0, any && tmax > 0.0 ? tmax : 1.0);
        m.y = plot::linear_axis(vmin, vmax);
    } else {
        m.x = any ? plot::log_axis(tmin, tmax) : plot::decade_axis(-1, 1);
        m.y = plot::linear_axis(vmin, vmax);
    }
    const std::string time_label =
        with_unit("Time", labels.units.time, "Time (time unit of the input file)");
    const bool residuals = f.fit && !f.residual.empty();
    c.svg += open_panel(m, view_name(view), residuals ? std::string() : time_label,
                        semilog ? "H/Ho (log scale)" : "H/Ho");
    // The static level, through which an oscillating column swings.
    if (view == View::Linear)
        c.svg += line_el("zero-line", m.box.x0, m.Y(0.0), m.box.x1, m.Y(0.0), " stroke=\"black\" stroke-width=\"1\"");

    const double r = pts.size() > kDense ? 1.5 : 3.0;
    if (!f.fit) {
        if (!pts.empty()) {
            c.svg += "<polyline class=\"curve\" fill=\"none\" stroke=\"#1f5fa8\" stroke-width=\"2\" points=\"";
            for (std::size_t i = 0; i < pts.size(); ++i)
                c.svg += (i ? " " : "") + px(m.X(pts[i].t)) + "," + px(m.Y(pts[i].v));
            c.svg += "\"/>\n<g class=\"points\" fill=\"#1f5fa8\">\n";
            for (const Pt& p : pts)
                c.svg += "<circle cx=\"" + px(m.X(p.t)) + "\" cy=\"" + px(m.Y(p.v)) + "\" r=\"" + fmt("%g", r) +
                         "\"/>\n";
            c.svg += "</g>\n";
        }
    } else {
        // Observations first, the fitted curve over them.
        const double ro = pts.size() > kDense ? 2.0 : 3.5;
        for (const Pt& p : pts)
            c.svg += "<circle class=\"observed\" cx=\"" + px(m.X(p.t)) + "\" cy=\"" + px(m.Y(p.v)) + "\" r=\"" +
                     fmt("%g", ro) + "\" fill=\"none\" stroke=\"#1f4e9a\" stroke-width=\"" +
                     (pts.size() > kDense ? "1" : "1.5") + "\"/>\n";
        if (!curve.empty()) {
            c.svg += "<polyline class=\"fitted\" fill=\"none\" stroke=\"#c0392b\" stroke-width=\"2\" points=\"";
            for (std::size_t i = 0; i < curve.size(); ++i)
                c.svg += (i ? " " : "") + px(m.X(curve[i].t)) + "," + px(m.Y(curve[i].v));
            c.svg += "\"/>\n";
        }
    }
    c.svg += "</g>\n";

    if (residuals) {
        std::vector<Pt> res;
        double big = 0.0;
        for (Pt p : f.residual) {
            if (!std::isfinite(p.t) || !std::isfinite(p.v) || (linear_time ? p.t < 0.0 : p.t <= 0.0) ||
                (linear_time && p.t > m.x.hi))
                continue;
            p.v = std::clamp(p.v, -kHuge, kHuge);
            res.push_back(p);
            big = std::max(big, std::fabs(p.v));
        }
        Panel rp;
        rp.box = Box{dx + kLeft, dx + kRight, m.box.y1 + kResGap, m.box.y1 + kResGap + kResHeight};
        rp.x = m.x;
        rp.y = plot::linear_axis(-big, big);
        c.svg += open_panel(rp, (std::string(view_name(view)) + "-residual").c_str(), time_label, "Residual (H/Ho)");
        c.svg += line_el("zero-line", rp.box.x0, rp.Y(0.0), rp.box.x1, rp.Y(0.0),
                         " stroke=\"#c0392b\" stroke-width=\"1.5\"");
        for (const Pt& p : res)
            c.svg += "<circle class=\"residual\" cx=\"" + px(rp.X(p.t)) + "\" cy=\"" + px(rp.Y(p.v)) + "\" r=\"" +
                     fmt("%g", res.size() > kDense ? 1.5 : 2.5) + "\" fill=\"#1f4e9a\"/>\n";
        c.svg += "</g>\n";
    }

    if (pts.empty() && unplaceable == 0 && below == 0) c.note = "No " + std::string(f.noun) + " to plot.";
    if (pts.empty() && (unplaceable > 0 || below > 0)) c.note = "Nothing to plot in this view.";
    if (unplaceable > 0)
        c.note += (c.note.empty() ? "" : " ") + count_of(unplaceable, f.noun) + " not shown (" +
                  (linear_time ? "time negative" : "time not positive") + " or value not finite).";
    if (below > 0)
        c.note += (c.note.empty() ? "" : " ") + count_of(below, f.noun) + " omitted: H/Ho zero or below " +
                  plot::fmt("%g", std::pow(10.0, e0)) + ", under the plotted range.";
    return c;
}

// The rows of the title box: the key items packed into rows of at most
// `room` pixels (about 7 per character at 12 px).
std::vector<std::string> key_rows(const std::vector<std::string>& key, double room) {
    std::vector<std::string> rows;
    for (const std::string& k : key) {
        const std::string item = xml_escape(k);
        if (!rows.empty() && (chars(rows.back()) + 5 + chars(k)) * 7.0 <= room)
            rows.back() += "     " + item;
        else
            rows.push_back(item);
    }
    return rows;
}

// Height of the title box with `rows` key rows.
double box_height(std::size_t rows, bool fit) { return 10.0 + kRow * (1 + rows + (fit ? 1 : 0)); }

// The box with the title, the key parameters and, for a fit, the legend,
// from x0 to x1 at the top of the picture.
std::string title_box(double x0, double x1, const std::string& etitle, const std::vector<std::string>& rows,
                      bool fit) {
    const double y = 8.0;
    std::string s = "<g class=\"title-box\">\n<rect x=\"" + px(x0) + "\" y=\"" + px(y) + "\" width=\"" +
                    px(x1 - x0) + "\" height=\"" + px(box_height(rows.size(), fit)) +
                    "\" fill=\"#f7f7f7\" stroke=\"#909090\" stroke-width=\"0.8\"/>\n";
    double ty = y + kRow + 1.0;
    s += "<text class=\"title\" x=\"" + px(x0 + 10) + "\" y=\"" + px(ty) +
         "\" font-size=\"14\" font-weight=\"bold\" xml:space=\"preserve\">" + etitle + "</text>\n";
    for (const std::string& row : rows) {
        ty += kRow;
        s += "<text class=\"key\" x=\"" + px(x0 + 10) + "\" y=\"" + px(ty) +
             "\" font-size=\"12\" xml:space=\"preserve\">" + row + "</text>\n";
    }
    if (fit) {
        ty += kRow;
        s += "<circle class=\"legend-observed\" cx=\"" + px(x0 + 20) + "\" cy=\"" + px(ty - 4) +
             "\" r=\"3.5\" fill=\"none\" stroke=\"#1f4e9a\" stroke-width=\"1.5\"/>\n";
        s += "<text class=\"legend\" x=\"" + px(x0 + 32) + "\" y=\"" + px(ty) + "\" font-size=\"12\">observed</text>\n";
        s += line_el("legend-fitted", x0 + 110, ty - 4, x0 + 130, ty - 4, " stroke=\"#c0392b\" stroke-width=\"2\"");
        s += "<text class=\"legend\" x=\"" + px(x0 + 136) + "\" y=\"" + px(ty) +
             "\" font-size=\"12\">fitted model</text>\n";
    }
    return s + "</g>\n";
}

std::string figure_svg(const PlotLabels& labels, const Figure& f) {
    std::vector<View> views;
    if (labels.view == PlotView::Linear) views.push_back(View::Linear);
    if (labels.view == PlotView::TypeCurve || labels.view == PlotView::Both) views.push_back(View::TypeCurve);
    if (labels.view == PlotView::Semilog || labels.view == PlotView::Both) views.push_back(View::Semilog);
    const double width = kColumn * views.size();
    const bool residuals = f.fit && !f.residual.empty();
    const double box_x0 = kLeft, box_x1 = width - (kColumn - kRight);
    const std::vector<std::string> rows = key_rows(labels.key, box_x1 - box_x0 - 20.0);
    const double top = 8.0 + box_height(rows.size(), f.fit) + 22.0;
    const double height = top + kMainHeight + (residuals ? kResGap + kResHeight : 0.0) + 80.0;

    std::string_view t = labels.title;
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    const std::string etitle = xml_escape(t);

    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    s += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + px(width) + "\" height=\"" +
         px(height) + "\" viewBox=\"0 0 " + px(width) + " " + px(height) +
         "\" font-family=\"sans-serif\" font-size=\"13\">\n";
    s += "<title>" + (etitle.empty() ? std::string("H/Ho against time") : etitle) + "</title>\n";
    s += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    for (std::size_t k = 0; k < views.size(); ++k) {
        const double dx = kColumn * k;
        const Column c = draw_view(f, views[k], dx, top, labels);
        s += c.svg;
        if (k == 0) s += title_box(box_x0, box_x1, etitle, rows, f.fit);
        if (!c.note.empty())
            s += "<text class=\"note\" x=\"" + px(dx + kLeft) + "\" y=\"" + px(height - 10) +
                 "\" font-size=\"11\">" + xml_escape(c.note) + "</text>\n";
    }
    return s + "</svg>\n";
}

std::vector<Pt> zip(std::span<const double> t, std::span<const double> v) {
    std::vector<Pt> out;
    for (std::size_t i = 0; i < std::min(t.size(), v.size()); ++i) out.push_back({t[i], v[i]});
    return out;
}

std::string g4(double v) { return fmt("%.4g", v); }

}  // namespace

std::string xml_escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        std::uint32_t cp;
        std::size_t len = decode_utf8(text, i, cp);
        if (len == 0) {  // not UTF-8: read the byte as Latin-1
            cp = static_cast<unsigned char>(text[i]);
            if (cp < 0xA0) cp = 0xFFFD;
            len = 1;
        }
        i += len;
        switch (cp) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            default:
                append_utf8(out, xml_char_allowed(cp) ? cp : 0xFFFD);
        }
    }
    return out;
}

std::optional<PlotView> parse_plot_view(std::string_view text) {
    if (text == "typecurve") return PlotView::TypeCurve;
    if (text == "semilog") return PlotView::Semilog;
    if (text == "both") return PlotView::Both;
    if (text == "linear") return PlotView::Linear;
    return std::nullopt;
}

std::vector<std::string> well_key_lines(const WellInput& w, const Units& u) {
    const std::string L = u.named() ? " " + u.length : "";
    const std::string K = u.named() ? " " + u.length + "/" + u.time : "";
    const std::string perL = u.named() ? " 1/" + u.length : "";
    std::vector<std::string> key;
    key.push_back("KR = " + g4(w.kr) + K + "   KZ/KR = " + g4(w.kz / w.kr));
    key.push_back("SS = " + g4(w.ss) + perL + "   SY = " + g4(w.sy));
    key.push_back("b = " + g4(w.bb) + L + "   Ho = " + g4(w.ho) + L);
    key.push_back("rw = " + g4(w.rw) + L + "   rc = " + g4(w.rc) + L);
    if (w.hks > 0.0) key.push_back("skin: HKS = " + g4(w.hks) + K + "   DS = " + g4(w.ds) + L);
    return key;
}

std::string response_svg(const PlotLabels& labels, std::span<const double> time, std::span<const double> ratio) {
    Figure f;
    f.main = zip(time, ratio);
    return figure_svg(labels, f);
}

std::string response_svg(std::string_view title, std::span<const double> time, std::span<const double> ratio) {
    PlotLabels labels;
    labels.title = std::string(title);
    return response_svg(labels, time, ratio);
}

bool write_response_svg(const std::string& path, std::string_view title, std::span<const double> time,
                        std::span<const double> ratio, std::string& error) {
    return write_text_file(path, response_svg(title, time, ratio), error);
}

std::string fit_plot_svg(const PlotLabels& labels, const FitPlotData& data) {
    Figure f;
    f.fit = true;
    f.noun = "observation";
    f.main = zip(data.obs_time, data.obs_ratio);
    f.curve = zip(data.curve_time, data.curve_ratio);
    if (!data.residual.empty()) f.residual = zip(data.obs_time, data.residual);
    return figure_svg(labels, f);
}

}  // namespace slug
