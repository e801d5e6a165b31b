// SVG type curve of a slug test: H/Ho against log10(time).
//
// Layout: a fixed 800 x 560 picture; the plot area spans whole decades of
// time, from 10^floor(log10 tmin) to 10^ceil(log10 tmax), with a major
// gridline at every decade and, when there are few decades, minor
// gridlines at 2..9 times each decade as on printed semi-log type-curve
// paper. The H/Ho axis is linear and always includes 0 and 1, with a
// "nice" step of 1, 2, 2.5 or 5 times a power of ten. Gridlines carry their
// value in a data-value attribute, so that the picture can be read back
// exactly by scripts and tests.
#include "report/text_file.hpp"
#include "report/plot_svg.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace slug {

namespace {

// Picture and plot-area geometry in SVG user units (pixels).
constexpr double kWidth = 800.0;
constexpr double kHeight = 560.0;
constexpr double kLeft = 90.0;     // plot area left edge
constexpr double kRight = 770.0;   // plot area right edge
constexpr double kTop = 70.0;      // plot area top edge
constexpr double kBottom = 480.0;  // plot area bottom edge

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

std::string fmt(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

// Coordinates with two decimals: 1/100 pixel is far below what a screen
// or printer shows.
std::string px(double v) { return fmt("%.2f", v); }

// A decade label: plain decimals from 0.001 to 10000, 10 with a raised
// exponent beyond.
std::string decade_label(int k, double x, double y) {
    std::string s = "<text class=\"tick-label\" x=\"" + px(x) + "\" y=\"" +
                    px(y) + "\" text-anchor=\"middle\">";
    static const char* const plain[] = {"0.001", "0.01", "0.1", "1",
                                        "10",    "100",  "1000", "10000"};
    if (k >= -3 && k <= 4) {
        s += plain[k + 3];
    } else {
        s += "10<tspan dy=\"-7\" font-size=\"10\">" + std::to_string(k) +
             "</tspan>";
    }
    return s + "</text>\n";
}

// Step of 1, 2, 2.5 or 5 times a power of ten giving about five intervals
// over a span of 5*fifth.
double nice_step(double fifth) {
    double raw = fifth;
    double p = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (m * p >= raw * (1.0 - 1e-12)) return m * p;
    return 10.0 * p;
}

struct Point {
    double t, v;
};

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

std::string response_svg(std::string_view title, std::span<const double> time,
                         std::span<const double> ratio) {
    const std::size_t n = std::min(time.size(), ratio.size());
    std::vector<Point> pts;
    for (std::size_t i = 0; i < n; ++i)
        if (std::isfinite(time[i]) && time[i] > 0.0 && std::isfinite(ratio[i]))
            pts.push_back({time[i], ratio[i]});
    const std::size_t left_out = n - pts.size();
    // A curve in time order, whatever the order of the table.
    std::stable_sort(pts.begin(), pts.end(),
                     [](const Point& a, const Point& b) { return a.t < b.t; });

    // Time axis: whole decades lo..hi around the points (0.1..10 when
    // there are none).
    int lo = -1, hi = 1;
    if (!pts.empty()) {
        lo = static_cast<int>(std::floor(std::log10(pts.front().t)));
        hi = static_cast<int>(std::ceil(std::log10(pts.back().t)));
        if (hi <= lo) hi = lo + 1;
    }
    const auto xmap = [&](double t) {
        return kLeft + (std::log10(t) - lo) / (hi - lo) * (kRight - kLeft);
    };

    // H/Ho axis: includes 0 and 1 and every point, on multiples of a nice
    // step.
    // Values beyond +-1e300 (only from a broken parameter set) are drawn at
    // the axis end so that the axis arithmetic stays finite.
    constexpr double kHuge = 1e300;
    for (Point& p : pts) p.v = std::clamp(p.v, -kHuge, kHuge);
    double vmin = 0.0, vmax = 1.0;
    for (const Point& p : pts) {
        vmin = std::min(vmin, p.v);
        vmax = std::max(vmax, p.v);
    }
    const double step = nice_step(vmax / 5.0 - vmin / 5.0);
    const double kmin = std::floor(vmin / step + 1e-9);
    const double kmax = std::ceil(vmax / step - 1e-9);
    const double ymin = kmin * step, ymax = kmax * step;
    const auto ymap = [&](double v) {
        return kBottom - (v - ymin) / (ymax - ymin) * (kBottom - kTop);
    };

    std::string s;
    s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    s += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
         px(kWidth) + "\" height=\"" + px(kHeight) + "\" viewBox=\"0 0 " +
         px(kWidth) + " " + px(kHeight) +
         "\" font-family=\"sans-serif\" font-size=\"13\">\n";

    std::string_view t = title;
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    const std::string etitle = xml_escape(t);
    s += "<title>" + (etitle.empty() ? std::string("H/Ho against time") : etitle) +
         "</title>\n";
    s += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    s += "<text class=\"title\" x=\"" + px(kWidth / 2) +
         "\" y=\"36\" text-anchor=\"middle\" font-size=\"16\" "
         "font-weight=\"bold\" xml:space=\"preserve\">" +
         etitle + "</text>\n";

    // Minor gridlines (2..9 in each decade) only while they stay apart.
    const bool minor = hi - lo <= 12;
    // Decade labels: every decade while they fit, else every k-th.
    const int label_every = std::max(1, (hi - lo + 11) / 12);

    s += "<g class=\"grid\" stroke-width=\"1\">\n";
    if (minor) {
        for (int k = lo; k < hi; ++k)
            for (int m = 2; m <= 9; ++m) {
                double x = xmap(m * std::pow(10.0, k));
                s += "<line class=\"grid-minor-x\" x1=\"" + px(x) + "\" y1=\"" +
                     px(kTop) + "\" x2=\"" + px(x) + "\" y2=\"" + px(kBottom) +
                     "\" stroke=\"#e4e4e4\"/>\n";
            }
    }
    for (int k = lo; k <= hi; ++k) {
        double x = kLeft + static_cast<double>(k - lo) / (hi - lo) * (kRight - kLeft);
        s += "<line class=\"grid-x\" data-value=\"1e" + std::to_string(k) +
             "\" x1=\"" + px(x) + "\" y1=\"" + px(kTop) + "\" x2=\"" + px(x) +
             "\" y2=\"" + px(kBottom) + "\" stroke=\"#b0b0b0\"/>\n";
    }
    for (double k = kmin; k <= kmax; k += 1.0) {
        const double v = k * step;
        const double y = ymap(v);
        s += "<line class=\"grid-y\" data-value=\"" + fmt("%.17g", v) +
             "\" x1=\"" + px(kLeft) + "\" y1=\"" + px(y) + "\" x2=\"" +
             px(kRight) + "\" y2=\"" + px(y) + "\" stroke=\"#b0b0b0\"/>\n";
    }
    s += "</g>\n";

    // Tick labels.
    s += "<g class=\"ticks\" fill=\"black\">\n";
    for (int k = lo; k <= hi; ++k) {
        if ((k - lo) % label_every != 0) continue;
        double x = kLeft + static_cast<double>(k - lo) / (hi - lo) * (kRight - kLeft);
        s += decade_label(k, x, kBottom + 20);
    }
    for (double k = kmin; k <= kmax; k += 1.0) {
        const double v = k * step;
        s += "<text class=\"tick-label\" x=\"" + px(kLeft - 8) + "\" y=\"" +
             px(ymap(v) + 4.5) + "\" text-anchor=\"end\">" +
             fmt("%.10g", v == 0.0 ? 0.0 : v) + "</text>\n";
    }
    s += "</g>\n";

    // Plot frame and axis labels.
    s += "<rect class=\"plot-area\" x=\"" + px(kLeft) + "\" y=\"" + px(kTop) +
         "\" width=\"" + px(kRight - kLeft) + "\" height=\"" +
         px(kBottom - kTop) + "\" fill=\"none\" stroke=\"black\"/>\n";
    s += "<text class=\"axis-label\" x=\"" + px((kLeft + kRight) / 2) +
         "\" y=\"" + px(kBottom + 50) +
         "\" text-anchor=\"middle\">Time (time unit of the input file)</text>\n";
    s += "<text class=\"axis-label\" x=\"0\" y=\"0\" text-anchor=\"middle\" "
         "transform=\"translate(" + px(kLeft - 55) + "," +
         px((kTop + kBottom) / 2) + ") rotate(-90)\">H/Ho</text>\n";

    // The computed response: a line through the points and a mark at each.
    if (!pts.empty()) {
        s += "<polyline class=\"curve\" fill=\"none\" stroke=\"#1f5fa8\" "
             "stroke-width=\"2\" points=\"";
        for (std::size_t i = 0; i < pts.size(); ++i) {
            if (i) s += ' ';
            s += px(xmap(pts[i].t)) + "," + px(ymap(pts[i].v));
        }
        s += "\"/>\n<g class=\"points\" fill=\"#1f5fa8\">\n";
        for (const Point& p : pts)
            s += "<circle cx=\"" + px(xmap(p.t)) + "\" cy=\"" + px(ymap(p.v)) +
                 "\" r=\"3\"/>\n";
        s += "</g>\n";
    }
    std::string note;
    if (pts.empty()) note = "No output time to plot.";
    if (left_out > 0) {
        if (!note.empty()) note += ' ';
        note += std::to_string(left_out) +
                (left_out == 1 ? " output time" : " output times") +
                " not shown (time not positive or value not finite).";
    }
    if (!note.empty())
        s += "<text class=\"note\" x=\"" + px(kLeft) + "\" y=\"" +
             px(kHeight - 8) + "\" font-size=\"11\">" + note + "</text>\n";
    s += "</svg>\n";
    return s;
}

bool write_response_svg(const std::string& path, std::string_view title,
                        std::span<const double> time,
                        std::span<const double> ratio, std::string& error) {
    return write_text_file(path, response_svg(title, time, ratio), error);
}

}  // namespace slug
