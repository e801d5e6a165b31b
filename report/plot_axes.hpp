// Axes of the SVG pictures: whole decades on a logarithmic axis, "nice"
// steps (1, 2, 2.5 or 5 times a power of ten) on a linear one, and the
// tick labels of both in one style.
#pragma once

#include <string>
#include <vector>

namespace slug::plot {

// Values beyond this magnitude (only from a broken parameter set) are drawn
// at the axis end, so that the axis arithmetic stays finite.
constexpr double kHuge = 1e300;

struct Axis {
    bool log = false;
    // Linear: the ends lo..hi. Logarithmic: the ends 10^e0..10^e1.
    double lo = 0.0, hi = 1.0;
    int e0 = 0, e1 = 1;
    std::vector<double> major;  // gridlines (values; log: powers of ten)
    std::vector<int> major_exp; // log axis: the exponent of each gridline
    std::vector<double> minor;  // lighter gridlines (log: 2..9 times a decade)
    std::vector<bool> labelled; // per major gridline: carries a label
    // Position of v along the axis, 0 at the low end and 1 at the high end
    // (outside 0..1 for values beyond the ends; v > 0 on a log axis).
    double frac(double v) const;
    // The gridline value as written in the data-value attribute: "1e<k>"
    // on a log axis, "%.17g" on a linear one.
    std::string data_value(std::size_t i) const;
};

// Whole decades from 10^floor(log10 vmin) to 10^ceil(log10 vmax) (at least
// one); vmin, vmax positive and finite. Beyond 12 decades the gridlines go
// every k-th decade (the ends stay on a gridline) and minor lines are left
// out.
Axis log_axis(double vmin, double vmax);
// The same from the exponents of its ends, e0 < e1.
Axis decade_axis(int e0, int e1);

// About five intervals of a nice step covering vmin..vmax (finite, clamped
// to +-kHuge). An empty span is widened around its value.
Axis linear_axis(double vmin, double vmax);

// Tick label text (SVG character data): plain decimals from 0.001 up to
// 10^5, beyond that m x 10 with a raised exponent; "0" for zero.
std::string tick_text(double v);

// Coordinate with two decimals: 1/100 pixel is far below what a screen or
// a printer shows.
std::string px(double v);

// printf-style formatting of one double.
std::string fmt(const char* format, double v);

}  // namespace slug::plot
