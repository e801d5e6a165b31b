// Second half of the run driver: the time loop over the output times and
// the results table on the console and in outfile.txt.
#pragma once

namespace slug {

// Inverts the model at every output time, writes the table and the
// closing lines, closes the results file and ends the run (status 0).
[[noreturn]] void timeloop();

}  // namespace slug
