// What a classical straight-line analysis reports: the method, K, the line
// it was read from (head range, observations, slope, intercept, r^2, basic
// time lag) and the notes on its validity; or, when no estimate could be
// made, the cause.
#pragma once

#include <string>
#include <vector>

#include "classical/line_fit.hpp"
#include "classical/notes.hpp"

namespace slug {

struct StraightLineResult {
    std::string method;  // e.g. "Hvorslev (1951)"
    bool ok = false;
    LineFailure failure = LineFailure::none;
    std::string error;  // the cause (ok false)

    double k = 0.0;           // radial hydraulic conductivity, length unit / time unit of the input
    LineFit line;             // the line through ln(H/Ho) and the observations on it
    std::vector<Note> notes;  // the line's notes, then the method's
};

}  // namespace slug
