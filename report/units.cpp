// Unit names and the few conversions the reports need. Factors are the
// exact definitions: 1 ft = 0.3048 m and 1 in = 0.0254 m (international
// yard and pound agreement, 1959); 1 d = 86400 s.
#include "report/units.hpp"

#include <cmath>
#include <cstdio>
#include <limits>

namespace slug {

namespace {

struct Named {
    const char* name;
    double size;  // in metres or seconds
};

constexpr Named kLengths[] = {{"m", 1.0},  {"cm", 0.01},    {"mm", 0.001},
                              {"km", 1e3}, {"ft", 0.3048}, {"in", 0.0254}};
constexpr Named kTimes[] = {{"s", 1.0}, {"min", 60.0}, {"h", 3600.0}, {"d", 86400.0}};
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

template <std::size_t N>
const Named* find(const Named (&table)[N], std::string_view name) {
    for (const Named& n : table)
        if (name == n.name) return &n;
    return nullptr;
}

template <std::size_t N>
std::string list(const Named (&table)[N]) {
    std::string s;
    for (const Named& n : table) s += (s.empty() ? "" : ", ") + std::string(n.name);
    return s;
}

std::string g6(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

}  // namespace

std::string known_length_units() { return list(kLengths); }
std::string known_time_units() { return list(kTimes); }

std::optional<Units> parse_units(std::string_view text, std::string& error) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos || text.find(',', comma + 1) != std::string_view::npos) {
        error = "expected LENGTH,TIME (for example m,s or ft,min), got '" + std::string(text) + "'";
        return std::nullopt;
    }
    const std::string_view l = trim(text.substr(0, comma)), t = trim(text.substr(comma + 1));
    const Named* length = find(kLengths, l);
    const Named* time = find(kTimes, t);
    if (length == nullptr) {
        error = "unknown length unit '" + std::string(l) + "' (use " + known_length_units() + ")";
        return std::nullopt;
    }
    if (time == nullptr) {
        error = "unknown time unit '" + std::string(t) + "' (use " + known_time_units() + ")";
        return std::nullopt;
    }
    return Units{length->name, time->name, length->size, time->size};
}

double to_metres_per_second(const Units& u, double k) {
    return u.named() ? k * u.metres_per_length / u.seconds_per_time : kNaN;
}

double to_metres(const Units& u, double length) { return u.named() ? length * u.metres_per_length : kNaN; }

double gravity_in(const Units& u) {
    constexpr double kStandardGravity = 9.80665;  // m/s^2
    return u.named() ? kStandardGravity / u.metres_per_length * u.seconds_per_time * u.seconds_per_time : kNaN;
}

std::string with_unit(std::string_view name, const std::string& unit, std::string_view fallback) {
    if (unit.empty()) return std::string(fallback);
    return std::string(name) + " (" + unit + ")";
}

std::string conductivity_lines(const Units& u, std::string_view label, double k, double b,
                               std::string_view indent) {
    if (!u.named()) return {};
    const double ms = to_metres_per_second(u, k);
    const std::string in(indent), lab(label);
    std::string s = in + lab + " = " + g6(k) + " " + u.length + "/" + u.time + " = " + g6(ms * 86400.0) +
                    " m/d = " + g6(ms * 86400.0 / 0.3048) + " ft/d = " + g6(ms * 100.0) + " cm/s\n";
    const double tr = k * b;
    s += in + "T = " + lab + "*b = " + g6(tr) + " " + u.length + "^2/" + u.time + " = " +
         g6(tr * u.metres_per_length * u.metres_per_length / u.seconds_per_time * 86400.0) + " m^2/d (b = " +
         g6(b) + " " + u.length + ")\n";
    return s;
}

}  // namespace slug
