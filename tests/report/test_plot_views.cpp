// The views of the pictures (type curve, semi-log and linear), for the run's
// response and the fit's observations with residuals: every point read back
// from the drawn axes, what cannot be drawn left out with a note, extreme
// values, units and key in the labels, and each picture rendered by
// rsvg-convert.
#include "report/plot_svg.hpp"
#include "test_plot_xml.hpp"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace slug {
namespace {

using test::by_class;
using test::Element;
using test::num;
using test::parse_ok;

// The panels of a picture by their data-view attribute.
std::vector<const Element*> panels(const Element& root) { return by_class(root, "panel"); }
const Element* panel(const Element& root, const std::string& view) {
    for (const Element* p : panels(root))
        if (p->attr.at("data-view") == view) return p;
    return nullptr;
}

// Maps pixel positions back to data with the panel's first and last
// gridlines, on a log or linear scale as the panel declares.
struct Axes {
    bool xlog = false, ylog = false;
    double x0 = 0, a0 = 0, x1 = 1, a1 = 1;  // x position and value (log10 on a log axis)
    double y0 = 0, b0 = 0, y1 = 1, b1 = 1;
    double x_value(double x) const {
        const double a = a0 + (x - x0) / (x1 - x0) * (a1 - a0);
        return xlog ? std::pow(10.0, a) : a;
    }
    double y_value(double y) const {
        const double b = b0 + (y - y0) / (y1 - y0) * (b1 - b0);
        return ylog ? std::pow(10.0, b) : b;
    }
    // Size of 0.006 px in data units at value v (coordinates have two
    // decimals: 0.005 px, plus the rounding of the gridline positions).
    double x_tol(double v) const {
        const double d = 0.006 * std::abs((a1 - a0) / (x1 - x0));
        return xlog ? std::abs(v) * (std::pow(10.0, d) - 1.0) : d;
    }
    double y_tol(double v) const {
        const double d = 0.006 * std::abs((b1 - b0) / (y1 - y0));
        return ylog ? std::abs(v) * (std::pow(10.0, d) - 1.0) : d;
    }
};

Axes read_axes(const Element& p) {
    Axes a;
    a.xlog = p.attr.at("data-xscale") == "log";
    a.ylog = p.attr.at("data-yscale") == "log";
    const auto gx = by_class(p, "grid-x");
    const auto gy = by_class(p, "grid-y");
    if (gx.size() < 2 || gy.size() < 2) {
        ADD_FAILURE() << "gridlines missing";
        return a;
    }
    const auto val = [](const Element* g, bool log) {
        const double v = num(*g, "data-value");
        return log ? std::log10(v) : v;
    };
    a.x0 = num(*gx.front(), "x1"), a.a0 = val(gx.front(), a.xlog);
    a.x1 = num(*gx.back(), "x1"), a.a1 = val(gx.back(), a.xlog);
    a.y0 = num(*gy.front(), "y1"), a.b0 = val(gy.front(), a.ylog);
    a.y1 = num(*gy.back(), "y1"), a.b1 = val(gy.back(), a.ylog);
    return a;
}

std::vector<std::pair<double, double>> polyline(const Element& p, const char* cls) {
    std::vector<std::pair<double, double>> out;
    const auto lines = by_class(p, cls);
    if (lines.size() != 1) return out;
    std::string pts = lines[0]->attr.at("points");
    for (char& ch : pts)
        if (ch == ',') ch = ' ';
    std::istringstream in(pts);
    for (double x, y; in >> x >> y;) out.emplace_back(x, y);
    return out;
}

std::vector<std::pair<double, double>> circles(const Element& p, const char* cls) {
    std::vector<std::pair<double, double>> out;
    for (const Element* c : by_class(p, cls)) out.emplace_back(num(*c, "cx"), num(*c, "cy"));
    return out;
}

// A slug-test response: log-spaced times, falling H/Ho reaching the
// clamp to 0 of the run at late times, one row at t = 0.
struct Data {
    std::vector<double> t, h, res;
};
Data response(int n) {
    Data d;
    d.t.push_back(0.0);
    d.h.push_back(1.0);
    for (int i = 0; i < n; ++i) {
        const double t = 0.5 * std::pow(4000.0, static_cast<double>(i) / (n - 1));
        const double h = std::exp(-t / 60.0);
        d.t.push_back(t);
        d.h.push_back(h < 1e-5 ? 0.0 : h);
    }
    for (std::size_t i = 0; i < d.t.size(); ++i) d.res.push_back(0.004 * std::sin(3.0 * i));
    return d;
}

const PlotView kViews[] = {PlotView::TypeCurve, PlotView::Semilog, PlotView::Both, PlotView::Linear};

TEST(PlotViews, EveryViewPlacesEveryPointOnItsAxes) {
    const Data d = response(30);
    const std::vector<double> ct{0.5, 5.0, 50.0, 500.0}, cr{0.99, 0.92, 0.43, 2.4e-4};
    for (const bool fit : {false, true})
        for (const PlotView view : kViews) {
            SCOPED_TRACE(std::string(fit ? "fit " : "run ") + std::to_string(static_cast<int>(view)));
            PlotLabels labels{"views", {"KR = 1"}, {}, view};
            const Element root = parse_ok(fit ? fit_plot_svg(labels, {d.t, d.h, ct, cr, d.res})
                                              : response_svg(labels, d.t, d.h));
            std::vector<std::string> names;
            if (view == PlotView::Linear) names.push_back("linear");
            if (view == PlotView::TypeCurve || view == PlotView::Both) names.push_back("typecurve");
            if (view == PlotView::Semilog || view == PlotView::Both) names.push_back("semilog");
            EXPECT_EQ(panels(root).size(), names.size() * (fit ? 2 : 1));
            for (const std::string& name : names) {
                SCOPED_TRACE(name);
                const Element* p = panel(root, name);
                ASSERT_NE(p, nullptr);
                const Axes ax = read_axes(*p);
                // The points this view can hold, in time order.
                std::vector<std::size_t> shown;
                for (std::size_t i = 0; i < d.t.size(); ++i)
                    if (name == "typecurve" ? d.t[i] > 0.0 : name == "linear" || d.h[i] > 0.0) shown.push_back(i);
                const auto drawn = fit ? circles(*p, "observed") : polyline(*p, "curve");
                ASSERT_EQ(drawn.size(), shown.size());
                for (std::size_t k = 0; k < shown.size(); ++k) {
                    const double t = d.t[shown[k]], h = d.h[shown[k]];
                    EXPECT_NEAR(ax.x_value(drawn[k].first), t, ax.x_tol(t)) << k;
                    EXPECT_NEAR(ax.y_value(drawn[k].second), h, ax.y_tol(h)) << k;
                }
                // The linear view (an oscillating column) draws the static level.
                if (name == "linear") {
                    const auto zero = by_class(*p, "zero-line");
                    ASSERT_EQ(zero.size(), 1u);
                    EXPECT_NEAR(ax.y_value(num(*zero[0], "y1")), 0.0, ax.y_tol(0.0));
                }
                if (!fit) continue;
                // Residuals under the view, on the same time axis.
                const Element* rp = panel(root, name + "-residual");
                ASSERT_NE(rp, nullptr);
                const Axes ra = read_axes(*rp);
                const auto res = circles(*rp, "residual");
                std::size_t k = 0;
                for (std::size_t i = 0; i < d.t.size(); ++i) {
                    if (name == "typecurve" && d.t[i] <= 0.0) continue;
                    if (name != "typecurve" && d.t[i] > ax.a1) continue;  // beyond the time axis
                    ASSERT_LT(k, res.size());
                    EXPECT_NEAR(ra.x_value(res[k].first), d.t[i], ra.x_tol(d.t[i]));
                    EXPECT_NEAR(ra.y_value(res[k].second), d.res[i], ra.y_tol(d.res[i]));
                    ++k;
                }
                EXPECT_EQ(k, res.size());
            }
        }
}

TEST(PlotViews, ZerosAndValuesBelowTheRangeAreOmittedWithANote) {
    // H/Ho falling over eight decades, then zeros and a negative value.
    const std::vector<double> t{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const std::vector<double> h{1.0, 0.3, 0.1, 1e-2, 1e-3, 1e-4, 1e-6, 1e-8, 0.0, -0.01};
    const Element root = parse_ok(response_svg(PlotLabels{"omit", {}, {}, PlotView::Semilog}, t, h));
    const Element* p = panel(root, "semilog");
    ASSERT_NE(p, nullptr);
    const Axes ax = read_axes(*p);
    // Five decades down from 1: 1e-6 and 1e-8 lie below, 0 and -0.01 have no logarithm.
    const auto curve = polyline(*p, "curve");
    ASSERT_EQ(curve.size(), 6u);
    EXPECT_NEAR(ax.y_value(curve.back().second), 1e-4, ax.y_tol(1e-4));
    const double bottom = num(*by_class(*p, "plot-area")[0], "y") + num(*by_class(*p, "plot-area")[0], "height");
    for (const auto& [x, y] : curve) EXPECT_LE(y, bottom + 1e-9) << "no floor line under the axis";
    const auto note = by_class(root, "note");
    ASSERT_EQ(note.size(), 1u);
    EXPECT_NE(note[0]->text.find("4 output times omitted: H/Ho zero or below 1e-05"), std::string::npos)
        << note[0]->text;
}

TEST(PlotViews, ExtremeValuesEndWithAFewGridlines) {
    const double big = std::numeric_limits<double>::max();
    const double tiny = std::numeric_limits<double>::denorm_min();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* what;
        std::vector<double> t, h;
    } cases[] = {
        {"largest values", {1.0, 2.0, 3.0}, {big, -big, 0.5}},
        {"largest times", {1.0, big / 2, big}, {1.0, 0.5, 0.1}},
        {"smallest times and values", {tiny, 1e-300, 1.0}, {tiny, 1e-300, 1.0}},
        {"one value repeated", {5.0, 5.0, 5.0}, {0.4, 0.4, 0.4}},
        {"nothing drawable", {-1.0, nan, 0.0}, {nan, 1.0, -1.0}},
        {"empty", {}, {}},
    };
    for (const auto& c : cases)
        for (const PlotView view : kViews) {
            SCOPED_TRACE(c.what);
            const PlotLabels labels{"extreme", {}, {}, view};
            for (const std::string& svg : {response_svg(labels, c.t, c.h),
                                           fit_plot_svg(labels, {c.t, c.h, c.t, c.h, c.h})}) {
                const Element root = parse_ok(svg);
                for (const Element* p : panels(root)) {
                    EXPECT_GE(by_class(*p, "grid-x").size(), 2u);
                    EXPECT_LE(by_class(*p, "grid-x").size(), 60u);
                    EXPECT_GE(by_class(*p, "grid-y").size(), 2u);
                    EXPECT_LE(by_class(*p, "grid-y").size(), 60u);
                }
                EXPECT_EQ(svg.find("nan"), std::string::npos);
                EXPECT_EQ(svg.find("inf"), std::string::npos);
            }
        }
}

TEST(PlotViews, LabelsCarryUnitsKeyAndMarkerSize) {
    std::string error;
    const Units ft_min = *parse_units("ft,min", error);
    WellInput w;
    w.kr = 5e-5, w.kz = 5e-6, w.ss = 1e-5, w.sy = 0.2, w.bb = 20, w.ho = 0.5, w.rw = 0.06, w.rc = 0.0254;
    const std::vector<std::string> key = well_key_lines(w, ft_min);
    ASSERT_EQ(key.size(), 4u);  // no skin
    EXPECT_EQ(key[0], "KR = 5e-05 ft/min   KZ/KR = 0.1");
    EXPECT_EQ(key[1], "SS = 1e-05 1/ft   SY = 0.2");
    EXPECT_EQ(well_key_lines(w, Units{})[2], "b = 20   Ho = 0.5");

    const struct {
        int n;
        bool fit;
        const char* cls;
        double r;
    } cases[] = {{20, false, "points", 3.0}, {200, false, "points", 1.5},
                 {20, true, "observed", 3.5}, {200, true, "observed", 2.0}};
    for (const auto& c : cases) {
        const Data d = response(c.n);
        const PlotLabels labels{"units", key, ft_min, PlotView::Both};
        const Element root = parse_ok(c.fit ? fit_plot_svg(labels, {d.t, d.h, {}, {}, d.res})
                                            : response_svg(labels, d.t, d.h));
        std::string axis;
        for (const Element* l : by_class(root, "axis-label")) axis += l->text + "|";
        EXPECT_EQ(axis, c.fit ? "H/Ho|Time (min)|Residual (H/Ho)|H/Ho (log scale)|Time (min)|Residual (H/Ho)|"
                              : "Time (min)|H/Ho|Time (min)|H/Ho (log scale)|");
        std::string rows;
        for (const Element* k : by_class(root, "key")) rows += k->text + "|";
        for (const std::string& k : key) EXPECT_NE(rows.find(k), std::string::npos) << rows;
        const auto marks = by_class(root, c.cls);
        ASSERT_FALSE(marks.empty());
        EXPECT_EQ(num(c.fit ? *marks[0] : marks[0]->children.at(0), "r"), c.r);
    }
}

// Every view renders with librsvg (rsvg-convert, Debian librsvg2-bin, which
// tools/install-deps.sh installs) to a PNG of the picture's size.
TEST(PlotRender, EveryViewRendersWithRsvgConvert) {
    if (std::system("command -v rsvg-convert > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "rsvg-convert not installed (sh tools/install-deps.sh)";
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("slug_render_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const Data d = response(60);
    const std::vector<double> ct{0.5, 50.0, 500.0}, cr{0.99, 0.43, 2.4e-4};
    int k = 0;
    for (const bool fit : {false, true})
        for (const PlotView view : kViews) {
            const PlotLabels labels{"Render M\xC3\xBCller & <7>", {"KR = 1 m/s"}, {}, view};
            const std::string svg =
                fit ? fit_plot_svg(labels, {d.t, d.h, ct, cr, d.res}) : response_svg(labels, d.t, d.h);
            const fs::path in = dir / ("p" + std::to_string(k) + ".svg"), out = dir / ("p" + std::to_string(k) + ".png");
            ++k;
            std::ofstream(in, std::ios::binary) << svg;
            const std::string cmd = "rsvg-convert '" + in.string() + "' -o '" + out.string() + "' 2>&1";
            ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
            // PNG signature and the IHDR width and height (big-endian at 16 and 20).
            std::ifstream png(out, std::ios::binary);
            std::string head(24, '\0');
            png.read(head.data(), 24);
            ASSERT_EQ(head.substr(1, 3), "PNG");
            const auto be32 = [&](int at) {
                return (static_cast<unsigned char>(head[at]) << 24) | (static_cast<unsigned char>(head[at + 1]) << 16) |
                       (static_cast<unsigned char>(head[at + 2]) << 8) | static_cast<unsigned char>(head[at + 3]);
            };
            const Element root = parse_ok(svg);
            EXPECT_EQ(be32(16), static_cast<int>(num(root, "width")));
            EXPECT_EQ(be32(20), static_cast<int>(num(root, "height")));
        }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace slug
