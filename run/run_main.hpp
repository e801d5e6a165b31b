// A run of slugwell: banner, log file, console dialogue, input, checks,
// results file, the time loop, the results table and the extra outputs.
#pragma once

#include "run/run_options.hpp"

namespace slug {

// Runs the program as the options ask and ends the process with the run's
// exit status (0 after a complete run; 1 after an input the model cannot
// use, a failed root iteration, results without a finite value or a file
// that could not be written).
[[noreturn]] void run_main(const RunOptions& options);

}  // namespace slug
