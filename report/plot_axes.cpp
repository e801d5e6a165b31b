// Axis ranges, gridlines and tick labels of the SVG pictures.
#include "report/plot_axes.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace slug::plot {

namespace {

// Step of 1, 2, 2.5 or 5 times a power of ten at least raw.
double nice_step(double raw) {
    const double p = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 2.5, 5.0})
        if (m * p >= raw * (1.0 - 1e-12)) return m * p;
    return 10.0 * p;
}

}  // namespace

std::string fmt(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

std::string px(double v) { return fmt("%.2f", v); }

double Axis::frac(double v) const {
    if (log) return (std::log10(v) - e0) / (e1 - e0);
    return (v - lo) / (hi - lo);
}

std::string Axis::data_value(std::size_t i) const {
    if (log) return "1e" + std::to_string(major_exp[i]);
    return fmt("%.17g", major[i]);
}

Axis log_axis(double vmin, double vmax) {
    return decade_axis(static_cast<int>(std::floor(std::log10(vmin))),
                       static_cast<int>(std::ceil(std::log10(vmax))));
}

Axis decade_axis(int e0, int e1) {
    Axis a;
    a.log = true;
    a.e0 = e0;
    a.e1 = std::max(e1, e0 + 1);
    // Powers of ten that are finite and not zero as doubles.
    constexpr int kLowest = -323, kHighest = 308;
    a.e0 = std::clamp(a.e0, kLowest, kHighest - 1);
    a.e1 = std::clamp(a.e1, a.e0 + 1, kHighest);
    const int every = std::max(1, (a.e1 - a.e0 + 11) / 12);
    if (const int extra = (every - (a.e1 - a.e0) % every) % every; extra > 0) {
        if (a.e1 + extra <= kHighest)
            a.e1 += extra;
        else
            a.e0 -= extra;
    }
    a.lo = std::pow(10.0, a.e0);
    a.hi = std::pow(10.0, a.e1);
    for (int k = a.e0; k <= a.e1; k += every) {
        a.major.push_back(std::pow(10.0, k));
        a.major_exp.push_back(k);
        a.labelled.push_back(true);
    }
    if (every == 1)
        for (int k = a.e0; k < a.e1; ++k)
            for (int m = 2; m <= 9; ++m) a.minor.push_back(m * std::pow(10.0, k));
    return a;
}

Axis linear_axis(double vmin, double vmax) {
    vmin = std::clamp(vmin, -kHuge, kHuge);
    vmax = std::clamp(vmax, -kHuge, kHuge);
    if (vmax < vmin) std::swap(vmin, vmax);
    // An empty (or vanishingly narrow) span: a unit around the value, or
    // a tenth of it.
    const double mag = std::max(std::fabs(vmin), std::fabs(vmax));
    if (!(vmax - vmin > mag * 1e-9) || !(vmax - vmin > 1e-250)) {
        const double half = mag > 0.0 ? 0.1 * mag : 0.5;
        vmin -= half;
        vmax += half;
    }
    const double step = nice_step(vmax / 5.0 - vmin / 5.0);
    const double k0 = std::floor(vmin / step + 1e-9);
    const double k1 = std::ceil(vmax / step - 1e-9);
    Axis a;
    a.lo = k0 * step;
    a.hi = k1 * step;
    // The count of steps is about 5 by construction; the bound keeps any
    // rounding surprise from making the loop long.
    for (int i = 0; i <= 50 && k0 + i <= k1; ++i) {
        const double v = (k0 + i) * step;
        a.major.push_back(v == 0.0 ? 0.0 : v);
        a.labelled.push_back(true);
    }
    return a;
}

std::string tick_text(double v) {
    if (v == 0.0) return "0";
    const double a = std::fabs(v);
    if (a >= 1e-3 && a < 1e5) return fmt("%.6g", v);
    int k = static_cast<int>(std::floor(std::log10(a)));
    // In two steps, since 10^k is 0 as a double below 10^-323.
    double m = v / std::pow(10.0, k / 2) / std::pow(10.0, k - k / 2);
    if (std::fabs(m) >= 9.995) {  // 9.999 rounds to 10
        m /= 10.0;
        ++k;
    }
    const std::string power = "10<tspan dy=\"-7\" font-size=\"10\">" + std::to_string(k) + "</tspan>";
    if (std::fabs(std::fabs(m) - 1.0) < 5e-3) return (m < 0 ? "\xE2\x88\x92" : "") + power;
    return fmt("%.3g", m) + "\xC3\x97" + power;
}

}  // namespace slug::plot
