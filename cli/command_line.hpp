// Command line of slugwell.
//
//   slugwell                      interactive run: the file name is asked for
//   slugwell INPUT [options]      runs INPUT without the prompt
//     --csv FILE                  results also as CSV (time,H/Ho,drawdown)
//     --plot FILE.svg             H/Ho against log time as an SVG picture
//     --times TEND NCYCLE NPERCYC logarithmic grid of output times
//     --accurate                  table from the accurate response
//     --no-check                  classic table without its accuracy check
//     --inertia LE --gravity G    the water column's inertia (accurate table)
//     --viscosity NU              and its casing friction
//     --units L,T                 name the units of the input file (m,s ...)
//     --plot-view VIEW            typecurve, semilog or both
//     --help, --version
//
// Parsing uses the CLI11 library; parse_command_line is a pure function
// (no output, no exit) so that the program entry decides what to print and tests
// can call it directly.
#pragma once

#include <string>

#include "run/run_options.hpp"

namespace slug {

// Outcome of parsing. When run is false the program prints out_text on
// standard output and err_text on the error stream and ends with status;
// when run is true options holds the run to make.
struct CliResult {
    bool run = false;
    int status = 0;
    std::string out_text;
    std::string err_text;
    RunOptions options;
};

// Exit status of a command-line error (unknown option, bad value, missing
// input file), as usual for console tools.
constexpr int kUsageStatus = 2;

// Parses argv[1..argc-1]. argv[0] is not used (the program name shown in
// messages is always "slugwell").
CliResult parse_command_line(int argc, const char* const* argv);

// Parses the command line of the program entry into options. Prints help,
// version or a usage error itself and returns the status the program ends
// with; returns -1 when the run goes on with options.
int handle_command_line(int argc, const char* const* argv, RunOptions& options);

}  // namespace slug
