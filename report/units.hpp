// Names of the length and time units of an input file (--units L,T).
//
// The program computes in whatever consistent set of units the input file
// uses and converts nothing. Naming the set only labels the outputs (CSV
// header, plots, reports) and lets the reports restate the hydraulic
// conductivity in the units hydrogeologists compare (m/d, ft/d, cm/s) and
// check values against physical ranges. Unnamed units (the default) leave
// every output as it was.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace slug {

struct Units {
    std::string length;             // "m", "ft", ...; empty: unnamed
    std::string time;               // "s", "min", ...; empty: unnamed
    double metres_per_length = 0.0;  // size of the length unit in metres
    double seconds_per_time = 0.0;   // size of the time unit in seconds
    bool named() const { return !length.empty(); }
};

// Parses "L,T": L one of m, cm, mm, km, ft, in; T one of s, min, h, d.
// Blanks around the names are ignored. nullopt with the reason in error
// for anything else.
std::optional<Units> parse_units(std::string_view text, std::string& error);

// The length and time units known to parse_units, for help texts:
// "m, cm, mm, km, ft, in" and "s, min, h, d".
std::string known_length_units();
std::string known_time_units();

// A hydraulic conductivity (or any speed) given in L/T, in metres per
// second; NaN when the units are unnamed.
double to_metres_per_second(const Units& u, double k);

// A length given in L, in metres; NaN when the units are unnamed.
double to_metres(const Units& u, double length);

// Standard gravity (9.80665 m/s^2, CGPM 1901) in L/T^2; NaN when the units
// are unnamed.
double gravity_in(const Units& u);

// Axis or column label: "name (unit)" when the units are named, else the
// fallback text.
std::string with_unit(std::string_view name, const std::string& unit, std::string_view fallback);

// Report lines restating a hydraulic conductivity K (in L/T) in m/d, ft/d
// and cm/s, and the transmissivity K*b (b the aquifer thickness in L) in
// L^2/T and m^2/d. Each line starts with indent and ends with '\n'. Empty
// when the units are unnamed.
std::string conductivity_lines(const Units& u, std::string_view label, double k, double b,
                               std::string_view indent);

}  // namespace slug
