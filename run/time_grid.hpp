// The generated grid of output times of the command line (--times).
#pragma once

#include <vector>

#include "run/input_reader.hpp"
#include "run/run_options.hpp"

namespace slug {

// The logarithmic grid of output times in increasing order:
// n = ncycle*npercyc + 1 times TEND/r^(n-1), ..., TEND/r, TEND with
// r = 10^(1/npercyc). Every npercyc-th time counted back from TEND is TEND
// divided by an exact power of ten. Empty when the arguments give no grid
// (tend not positive and finite, ncycle or npercyc below 1, more than
// kMaxOutputTimes times).
std::vector<double> log_time_grid(double tend, int ncycle, int npercyc);

// When the options ask for a grid: replaces the input file's time list
// (times and their count) by the grid in increasing order. The time loop
// evaluates the list from the last time to the first and reports it in
// list order, so the grid is computed from TEND downward and listed in
// increasing order. Nothing happens without --times.
void apply_time_grid(const RunOptions& options, InputValues& values);

}  // namespace slug
