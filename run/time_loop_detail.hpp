// Pieces of the time loop that tests and the report writers use on their
// own: the clamp of small inverted values, the result arrays and the two
// halves of the loop (computation, then the table).
#pragma once

#include <array>

#include "compat/params.hpp"

namespace slug::timeloop_detail {

// Inverted values (normalized heads H/BB) below this are reported as 0:
// they lie below the resolution that the inversion is asked for.
constexpr double kSmallValue = 1.0e-5;

// ft below kSmallValue (strictly; negative values included) becomes 0;
// exactly kSmallValue and NaN pass unchanged.
double clamp_inverted(double ft);

// Results in the order of evaluation: entry 0 belongs to the last time of
// the file's list, entry count-1 to the first.
struct Results {
    int count = 0;
    std::array<double, kMaxTimes> time{};      // output time TC*t
    std::array<double, kMaxTimes> ratio{};     // H/Ho
    std::array<double, kMaxTimes> drawdown{};  // HO * H/Ho
};

// Number of file times the loop handles: NTIME limited to 0 ... 200.
int time_count();

// Inverts the model at every file time, from the last to the first, on
// worker_count() threads.
void compute_results(Results& r);

// The same on `threads` threads (1 or less: on the calling thread only).
// The results, the log records and a failure of the root iteration are
// those of the serial run whatever the number of threads.
void compute_results(Results& r, int threads);

// Threads of a run: the environment variable SLUGWELL_THREADS when it is a
// positive integer, otherwise std::thread::hardware_concurrency() (1 when
// that reports 0); at most 256.
int worker_count();

// The table on the console (head, rows, foot, closing lines) and the rows
// in the results file, in the order of the file's time list.
void write_report(const Results& r);

}  // namespace slug::timeloop_detail
