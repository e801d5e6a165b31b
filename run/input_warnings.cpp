// Plausibility checks of the input values and of the computed response.
#include "run/input_warnings.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "fio/fio.hpp"

namespace slug {

namespace {

std::string g(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

}  // namespace

std::vector<std::string> physical_range_warnings(const WellInput& w, const Units& u) {
    std::vector<std::string> out;
    if (!u.named()) return out;
    // Radii: a slug-test well is a borehole or a piezometer, from a few
    // millimetres (a narrow standpipe) to well below a metre.
    constexpr double kSmallest = 1e-3, kLargest = 1.0;  // m
    const struct {
        const char* name;
        double value;
    } radii[] = {{"RW (screen radius)", w.rw}, {"RC (casing radius)", w.rc}};
    for (const auto& r : radii) {
        const double m = to_metres(u, r.value);
        if (std::isfinite(m) && (m > kLargest || m < kSmallest))
            out.push_back(std::string(r.name) + " = " + g(r.value) + " " + u.length + " is " + g(m) +
                          " m, outside 1 mm to 1 m: check the length unit");
    }
    // Conductivity: clean gravel reaches about 1e-2 m/s (Freeze and Cherry,
    // 1979, table 2.2); above 1 m/s no porous medium is known.
    const double k = to_metres_per_second(u, w.kr);
    if (std::isfinite(k) && k > 1.0)
        out.push_back("KR = " + g(w.kr) + " " + u.length + "/" + u.time + " is " + g(k) +
                      " m/s, above 1 m/s: check the units of the conductivities");
    return out;
}

std::vector<std::string> response_span_warnings(std::span<const double> time, std::span<const double> ratio) {
    std::vector<std::string> out;
    const std::size_t n = std::min(time.size(), ratio.size());
    std::size_t first = n, last = n;
    for (std::size_t i = 0; i < n; ++i) {
        if (!(std::isfinite(time[i]) && time[i] > 0.0 && std::isfinite(ratio[i]))) continue;
        if (first == n || time[i] < time[first]) first = i;
        if (last == n || time[i] > time[last]) last = i;
    }
    if (first == n) return out;
    const char* hint = "check units: with KR in L/T the times must be in T";
    // Over means settled near zero: a head below the static level at the
    // first time (the overshoot of an oscillating column) is not.
    if (std::fabs(ratio[first]) < 0.01)
        out.push_back("H/Ho is already " + g(ratio[first]) + " at the first time, " + g(time[first]) +
                      ": the response is over before the time list begins; " + hint);
    else if (ratio[last] > 0.9)
        out.push_back("H/Ho is still " + g(ratio[last]) + " at the last time, " + g(time[last]) +
                      ": the response has hardly begun when the time list ends; " + hint);
    return out;
}

void print_warnings(const char* program, const std::vector<std::string>& warnings) {
    if (warnings.empty()) return;
    std::fflush(stdout);
    for (const std::string& w : warnings) std::fprintf(stderr, "%s: warning: %s\n", program, w.c_str());
    std::fflush(stderr);
}

}  // namespace slug
