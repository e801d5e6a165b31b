// The time loop of a run: the model's Laplace-domain response inverted at
// every output time, on several threads, with the model's log events and a
// failure of its root iteration handled in the order of the serial run.
#pragma once

#include <array>
#include <span>

#include "model/well_model.hpp"
#include "run/run_options.hpp"

namespace slug::time_loop {

// Inverted values (normalized heads H/BB) below this are reported as 0:
// they lie below the resolution that the inversion is asked for.
constexpr double kSmallValue = 1.0e-5;

// ft below kSmallValue (strictly; negative values included) becomes 0;
// exactly kSmallValue and NaN pass unchanged.
double clamp_inverted(double ft);

// Results in the order of evaluation: entry 0 belongs to the last time of
// the list, entry count-1 to the first.
struct Results {
    int count = 0;
    std::array<double, kMaxOutputTimes> time{};      // output time TC*(time/TC)
    std::array<double, kMaxOutputTimes> ratio{};     // H/Ho
    std::array<double, kMaxOutputTimes> drawdown{};  // HO * H/Ho
};

// Number of times of a list of `ntime` that the loop handles: 0 ...
// kMaxOutputTimes.
int time_count(int ntime);

// Inverts the model m at the times (in list order; the first
// time_count(times.size()) of them), from the last to the first, on
// `threads` threads (1 or less: on the calling thread only). The model's
// events of each time are written to log.txt in that serial order,
// whatever the number of threads. A root iteration that does not converge
// is thrown (RootIterationFailure) for the first time of the serial order
// that meets one, after the log records of the times before it and its
// own; the results are then incomplete.
void compute_results(const WellModel& m, std::span<const double> times, Results& r, int threads);

// The same on worker_count() threads.
void compute_results(const WellModel& m, std::span<const double> times, Results& r);

// compute_results for the program's run: a root iteration that does not
// converge is reported (its message in outfile.txt and on the error
// stream) and ends the run with status 1. A run that lasts more than 2 s
// shows "slugwell: K of N times done" on the error stream while it works,
// when that stream is a terminal.
void compute_or_stop(const WellModel& m, std::span<const double> times, Results& r, int threads);

// Threads of a run: the environment variable SLUGWELL_THREADS when it is a
// whole number from 1 to 256, otherwise std::thread::hardware_concurrency()
// (1 when that reports 0; at most 256); any other value of the variable is
// named in a one-line warning on the error stream. Threads that the system
// cannot start are done without (down to the calling thread alone).
int worker_count();

}  // namespace slug::time_loop
