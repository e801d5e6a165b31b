// SVG type curve: well-formed XML for ordinary and awkward input, a curve
// that passes through the computed points on the drawn axes, decade
// gridlines, and a title that survives any bytes the input file holds.
#include "report/plot_svg.hpp"
#include "test_plot_xml.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace slug {
namespace {

using test::by_class;
using test::Element;
using test::num;
using test::parse_ok;
using test::XmlReader;

// The checker itself must reject what browsers reject.
TEST(PlotSvgXmlCheck, RejectsMalformedDocuments) {
    for (const char* bad : {"<svg><g></svg>", "<svg a=1/>", "<svg>&nbsp;</svg>",
                            "<svg>a < b</svg>", "<svg a=\"1\" a=\"2\"/>", "<svg/><svg/>",
                            "<svg>\x01</svg>", "<svg>\xFC</svg>", "<svg a=\"<\"/>"}) {
        XmlReader r(bad);
        EXPECT_FALSE(r.parse().has_value()) << bad;
    }
    XmlReader ok("<?xml version=\"1.0\"?>\n<svg a='1' b=\"&amp;\"><g/>t&lt;</svg>\n");
    EXPECT_TRUE(ok.parse().has_value()) << ok.error();
}

// ---- the picture -----------------------------------------------------

std::vector<double> logspace(double a, double b, int n) {
    std::vector<double> v(n);
    for (int i = 0; i < n; ++i) v[i] = a * std::pow(b / a, static_cast<double>(i) / (n - 1));
    return v;
}

TEST(PlotSvg, WellFormedForOrdinaryAndAwkwardData) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* what;
        std::string title;
        std::vector<double> t, h;
    } cases[] = {
        {"log-spaced decay", "Slug test MW-3", logspace(0.1, 1000, 30), {}},
        {"no results", "empty", {}, {}},
        {"one point", "one", {5.0}, {0.5}},
        {"only unplottable times", "t<=0", {0.0, -1.0}, {1.0, 0.9}},
        {"non-finite values", "nan", {1.0, 2.0, 3.0}, {nan, inf, 0.2}},
        {"XML specials in title", "a<b & c>d \"q\" 'a' ]]> &amp;", {1.0, 10.0}, {1.0, 0.1}},
        {"Latin-1 title", "Brunnen M\xFC" "ller \xB0" "C", {1.0}, {1.0}},
        {"control characters", std::string("tab\there\x01" "\x1f" "\x7f"), {1.0}, {0.3}},
        {"UTF-8 title", "Gro\xC3\x9F" "er Brunnen \xE2\x80\x93 \xF0\x9F\x92\xA7", {1.0}, {0.3}},
        {"huge values", "huge", {1e-300, 1e300}, {1e308, -1e308}},
        {"overshoot and undershoot", "osc", {1, 2, 3, 4}, {1.0, 1.3, -0.4, 0.1}},
    };
    for (const auto& c : cases) {
        std::vector<double> h = c.h;
        if (h.empty()) for (double t : c.t) h.push_back(std::exp(-t / 50.0));
        SCOPED_TRACE(c.what);
        Element root = parse_ok(response_svg(c.title, c.t, h));
        EXPECT_EQ(by_class(root, "title").size(), 1u);
        EXPECT_GE(by_class(root, "grid-x").size(), 2u);
        EXPECT_GE(by_class(root, "grid-y").size(), 2u);
    }
}

// Reads the drawn axes back from the gridlines and maps every vertex of
// the curve to (time, H/Ho).
struct Axes {
    double x0, lg0, x1, lg1;  // x position and log10(time) of two gridlines
    double y0, v0, y1, v1;    // y position and H/Ho of two gridlines
    double time(double x) const { return std::pow(10.0, lg0 + (x - x0) / (x1 - x0) * (lg1 - lg0)); }
    double ratio(double y) const { return v0 + (y - y0) / (y1 - y0) * (v1 - v0); }
    double px_per_decade() const { return (x1 - x0) / (lg1 - lg0); }
    double px_per_unit() const { return std::abs((y1 - y0) / (v1 - v0)); }
};

Axes read_axes(const Element& root) {
    auto gx = by_class(root, "grid-x");
    auto gy = by_class(root, "grid-y");
    Axes a{};
    if (gx.size() < 2 || gy.size() < 2) { ADD_FAILURE() << "gridlines missing"; return a; }
    a.x0 = num(*gx.front(), "x1"); a.lg0 = std::log10(num(*gx.front(), "data-value"));
    a.x1 = num(*gx.back(), "x1");  a.lg1 = std::log10(num(*gx.back(), "data-value"));
    a.y0 = num(*gy.front(), "y1"); a.v0 = num(*gy.front(), "data-value");
    a.y1 = num(*gy.back(), "y1");  a.v1 = num(*gy.back(), "data-value");
    return a;
}

std::vector<std::pair<double, double>> polyline_points(const Element& root) {
    std::vector<std::pair<double, double>> p;
    auto curve = by_class(root, "curve");
    if (curve.size() != 1) { ADD_FAILURE() << "expected one curve"; return p; }
    std::string pts = curve[0]->attr.at("points");
    for (char& ch : pts) if (ch == ',') ch = ' ';
    std::istringstream in(pts);
    double x, y;
    while (in >> x >> y) p.emplace_back(x, y);
    return p;
}

TEST(PlotSvg, CurvePassesThroughTheComputedPoints) {
    // A table in decreasing time order with a point of time 0 and one NaN:
    // the curve runs in increasing time through the plottable points only.
    std::vector<double> t = logspace(3000.0, 0.02, 25);
    std::vector<double> h;
    for (double v : t) h.push_back(std::exp(-v / 40.0) * (1.0 + 0.1 * std::sin(v)));
    t.push_back(0.0); h.push_back(1.0);
    t.push_back(7.0); h.push_back(std::numeric_limits<double>::quiet_NaN());

    const Element root = parse_ok(response_svg("curve", t, h));
    const Axes ax = read_axes(root);
    const auto pts = polyline_points(root);
    ASSERT_EQ(pts.size(), 25u);
    // Coordinates are written with 2 decimals: a vertex is off by at most
    // 0.005 px, i.e. 0.005/px_per_decade in log10(time) and
    // 0.005/px_per_unit in H/Ho; 0.006 px allows for the rounding of the
    // gridline positions too.
    const double tol_lg = 0.006 / ax.px_per_decade();
    const double tol_h = 0.006 / ax.px_per_unit();
    for (std::size_t k = 0; k < pts.size(); ++k) {
        const std::size_t i = 24 - k;  // table order is decreasing time
        EXPECT_NEAR(std::log10(ax.time(pts[k].first)), std::log10(t[i]), tol_lg) << k;
        EXPECT_NEAR(ax.ratio(pts[k].second), h[i], tol_h) << k;
    }
    // A mark sits on every vertex.
    auto marks = by_class(root, "points");
    ASSERT_EQ(marks.size(), 1u);
    ASSERT_EQ(marks[0]->children.size(), pts.size());
    for (std::size_t k = 0; k < pts.size(); ++k) {
        EXPECT_DOUBLE_EQ(num(marks[0]->children[k], "cx"), pts[k].first);
        EXPECT_DOUBLE_EQ(num(marks[0]->children[k], "cy"), pts[k].second);
    }
    // The two points that a log axis cannot show are counted in a note.
    auto note = by_class(root, "note");
    ASSERT_EQ(note.size(), 1u);
    EXPECT_NE(note[0]->text.find("2 output times not shown"), std::string::npos) << note[0]->text;
}

TEST(PlotSvg, GridlinesAtEachDecadeAndAroundTheValues) {
    const std::vector<double> t{0.37, 2.0, 55.0, 4200.0};
    const std::vector<double> h{1.0, 0.8, 0.2, 0.0};
    const Element root = parse_ok(response_svg("decades", t, h));
    std::vector<double> dec;
    for (const Element* g : by_class(root, "grid-x")) dec.push_back(num(*g, "data-value"));
    EXPECT_EQ(dec, (std::vector<double>{1e-1, 1e0, 1e1, 1e2, 1e3, 1e4}));
    // Equal spacing of the decade lines (the log axis).
    auto gx = by_class(root, "grid-x");
    const double d = num(*gx[1], "x1") - num(*gx[0], "x1");
    for (std::size_t k = 1; k < gx.size(); ++k)
        EXPECT_NEAR(num(*gx[k], "x1") - num(*gx[k - 1], "x1"), d, 0.011);  // 2-decimal rounding
    // Minor lines at 2..9 times each decade (5 decades here).
    EXPECT_EQ(by_class(root, "grid-minor-x").size(), 5u * 8u);

    // The H/Ho axis holds 0 and 1 always, and reaches past values outside.
    for (const auto& vals : std::vector<std::vector<double>>{{0.5, 0.4, 0.3, 0.2},
                                                             {1.0, 1.3, -0.4, 0.1}}) {
        const Element r = parse_ok(response_svg("y", t, vals));
        std::vector<double> gy;
        for (const Element* g : by_class(r, "grid-y")) gy.push_back(num(*g, "data-value"));
        ASSERT_FALSE(gy.empty());
        const double lo = *std::min_element(gy.begin(), gy.end());
        const double hi = *std::max_element(gy.begin(), gy.end());
        EXPECT_LE(lo, std::min(0.0, *std::min_element(vals.begin(), vals.end())));
        EXPECT_GE(hi, std::max(1.0, *std::max_element(vals.begin(), vals.end())));
        EXPECT_LE(gy.size(), 12u) << "a readable number of lines";
        EXPECT_NE(std::find(gy.begin(), gy.end(), 0.0), gy.end());
    }
}

TEST(PlotSvg, TitleAndAxisLabels) {
    const std::string title = "Well <7> & \"deep\" 'screen'";
    const Element root = parse_ok(response_svg(title + "     ", std::vector<double>{1.0, 10.0},
                                                std::vector<double>{1.0, 0.5}));
    auto t = by_class(root, "title");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0]->text, title) << "trailing blanks dropped, specials kept";
    const Element* doc_title = nullptr;
    for (const Element& c : root.children) if (c.name == "title") doc_title = &c;
    ASSERT_NE(doc_title, nullptr);
    EXPECT_EQ(doc_title->text, title);
    std::string labels;
    for (const Element* l : by_class(root, "axis-label")) labels += l->text + "|";
    EXPECT_EQ(labels, "Time (time unit of the input file)|H/Ho|");
}

TEST(XmlEscape, SpecialsInvalidBytesAndControlCharacters) {
    const struct { std::string in, out; } cases[] = {
        {"plain text 123", "plain text 123"},
        {"<&>\"'", "&lt;&amp;&gt;&quot;&apos;"},
        {"&amp;", "&amp;amp;"},
        {"M\xFCller", "M\xC3\xBCller"},                    // Latin-1 u-umlaut
        {"\xC3\xBC", "\xC3\xBC"},                          // already UTF-8
        {"\xE2\x82\xAC 5", "\xE2\x82\xAC 5"},              // euro sign
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},                  // overlong '/' read as Latin-1
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xEF\xBF\xBD"},  // surrogate: bytes as Latin-1
        {"\x80", "\xEF\xBF\xBD"},                          // C1 byte
        {"a\x01" "b\x1F", "a\xEF\xBF\xBD" "b\xEF\xBF\xBD"},
        {"\t\n", "\t\n"},
        {"\xEF\xBF\xBE", "\xEF\xBF\xBD"},                  // U+FFFE not a character
        {std::string("a\0b", 3), "a\xEF\xBF\xBD" "b"},
    };
    for (const auto& c : cases) EXPECT_EQ(xml_escape(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace slug
