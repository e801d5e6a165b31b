// What the command-line options add to a run: the generated grid of output
// times (--times) and the CSV file and SVG picture of the results (--csv,
// --plot), written after the results table.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "cli/command_line.hpp"
#include "run/time_loop_detail.hpp"

namespace slug {

// The logarithmic grid of output times in increasing order:
// n = ncycle*npercyc + 1 times TEND/r^(n-1), ..., TEND/r, TEND with
// r = 10^(1/npercyc). Every npercyc-th time counted back from TEND is TEND
// divided by an exact power of ten. Empty when the arguments give no grid
// (tend not positive and finite, ncycle or npercyc below 1).
std::vector<double> log_time_grid(double tend, int ncycle, int npercyc);

// When the options ask for a grid: replaces the input file's time list
// (TIMES, NTIME) by the grid in increasing order and records TEND, NCYCLE
// and NPERCYC in their blocks. The time loop evaluates the list from the
// last time to the first and reports it in list order, so the grid is
// computed from TEND downward and listed in increasing order. Nothing
// happens without --times.
void apply_time_grid(const RunOptions& options);

// The title line of an input file as the reader takes it: the first 70
// characters of the first line (a multi-byte UTF-8 character cut by the
// 70-character limit is dropped whole). Empty when the file cannot be read.
std::string input_title(const std::string& path);

// Writes the CSV file and the SVG picture that the options ask for, from
// the result arrays in table order; the picture's title is the title line
// of the input file (par15.LONGNAME). A file that cannot be written is
// reported on the error stream ("slugwell: cannot write ...") and the
// other is still written. Returns the exit status for the run: 0 when all
// was written, 1 otherwise.
int write_requested_outputs(const RunOptions& options,
                            std::span<const double> time,
                            std::span<const double> ratio,
                            std::span<const double> drawdown);

// The same from the time loop's result arrays, which run in the order of
// evaluation (entry 0 belongs to the last time of the list). The time
// column holds the output times as listed (TIMES, the input file's values
// or the generated grid), which the table's time column stands for.
int write_requested_outputs(const RunOptions& options,
                            const timeloop_detail::Results& results);

}  // namespace slug
