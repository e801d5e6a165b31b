// The straight line of the classical slug-test analyses: a least-squares
// line through ln(H/Ho) against time over a range of normalized heads, as
// used by Hvorslev (1951) and Bouwer and Rice (1976), with the ranges that
// Butler (1998, The Design, Performance, and Analysis of Slug Tests)
// recommends for each.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "classical/notes.hpp"

namespace slug {

// Range of normalized heads H/Ho, lower < upper, both in (0, 1].
struct HeadRange {
    double lower;
    double upper;
};

// Butler (1998): 0.15-0.25 for Hvorslev, 0.20-0.30 for Bouwer and Rice.
inline constexpr HeadRange kHvorslevRange{0.15, 0.25};
inline constexpr HeadRange kBouwerRiceRange{0.20, 0.30};

// Fewest observations from which a line is fitted: with two, the line
// passes through both and says nothing about how straight the record is.
inline constexpr std::size_t kMinLinePoints = 3;

// Why no estimate was made.
enum class LineFailure {
    none,
    bad_record,           // lengths differ, no values, non-finite values, times out of order
    bad_range,            // not 0 < lower < upper <= 1
    bad_geometry,         // a well or aquifer value the method cannot use
    never_reaches_range,  // H/Ho stays above the range: the record is too short
    starts_below_range,   // H/Ho is below the range from the start: Ho or t = 0 is off
    skips_range,          // no observation inside the range: the record steps across it
    too_few_points,       // fewer than kMinLinePoints inside the range
    not_decaying,         // the heads in the range do not decline
};

struct LineFit {
    bool ok = false;
    LineFailure failure = LineFailure::none;
    std::string error;  // the cause, in a sentence (ok false)

    HeadRange range{};
    std::vector<std::size_t> used;  // indices of the observations on the line, increasing
    double t_first = 0.0;           // time of the first observation used
    double t_last = 0.0;            // time of the last observation used
    double slope = 0.0;             // of ln(H/Ho) against t, 1/T (negative)
    double intercept = 0.0;         // ln(H/Ho) of the line at t = 0
    double r2 = 0.0;                // coefficient of determination
    double t0 = 0.0;                // basic time lag -1/slope (Hvorslev 1951), T
    std::vector<Note> notes;        // about the record and the line
};

// H/Ho from head displacements and the initial displacement h0 (any sign,
// not 0). On failure returns false with the reason.
bool normalize_heads(std::span<const double> heads, double h0, std::vector<double>& ratio,
                     std::string& error);

// Fits ln(H/Ho) = intercept + slope * t by least squares to the
// observations whose H/Ho lies in [range.lower, range.upper]. time must be
// >= 0 and never decreasing (equal times are separate points), ratio the
// same length. The result says
// which observations were used, or why none could be.
LineFit fit_log_line(std::span<const double> time, std::span<const double> ratio, HeadRange range);

// "0.15-0.25".
std::string head_range_text(HeadRange range);

}  // namespace slug
