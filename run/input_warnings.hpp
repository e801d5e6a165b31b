// Plausibility warnings of a run or a fit: things that read and compute
// without error but most likely are not what the user meant. They go to the
// error stream only; the results table, the files and the exit status do
// not change.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "model/well_model.hpp"
#include "report/units.hpp"

namespace slug {

// Values far outside what a well or an aquifer can have once the units are
// named: a screen or casing radius above 1 m or below 1 mm, a radial
// conductivity above 1 m/s (coarser than clean gravel by far). Nothing
// when the units are unnamed.
std::vector<std::string> physical_range_warnings(const WellInput& w, const Units& u);

// The computed response lies outside the output times: H/Ho is already
// below 0.01 at the earliest positive time, or still above 0.9 at the
// latest, which most often means times in another unit than the
// conductivities. time and ratio in table order; non-finite values and
// times not above 0 are not looked at.
std::vector<std::string> response_span_warnings(std::span<const double> time, std::span<const double> ratio);

// Writes each warning as "<program>: warning: <text>" on the error stream,
// after what the console has so far.
void print_warnings(const char* program, const std::vector<std::string>& warnings);

}  // namespace slug
