// The accurate response in the program's run: the table's values from it
// (--accurate), the times whose estimate is too large named on the error
// stream, and the check of a classic table against it.
#pragma once

#include <span>
#include <vector>

#include "model/inertial_well.hpp"
#include "model/well_model.hpp"
#include "run/time_loop.hpp"

namespace slug {

// The accuracy the accurate mode stands for, absolute in H/Ho: a time
// whose estimate exceeds it is named on the error stream.
constexpr double kAccurateTarget = 1.0e-8;

// A classic value further than this from the accurate one (beyond the
// accurate value's own estimate) counts in the check's note.
constexpr double kCheckTolerance = 1.0e-3;
// A rise of the classic H/Ho from one time to the next (in time order) that
// exceeds the accurate response's own change there by more than this is a
// rebound of the numerics, not of the model: the classic inversion's error
// moves by a few 1e-5 between neighbouring times of a smooth response, and
// its cut-off of small values is 4e-4 of Ho at the most (1e-5 of BB), so a
// false rebound of 2e-4 is beyond both; the note then names it even where
// no single time is off by kCheckTolerance (e.g. 0, 0.0005, 0 late in a
// decay whose true values are near 1e-4).
constexpr double kReboundTolerance = 2.0e-4;

// H/Ho of the accurate response as the table shows it: no clamp, only a
// negative value above -1e-12 (rounding noise of a head that has
// recovered) becomes +0, and so does -0.
double accurate_shown(double h_over_ho);

// Fills r (order of evaluation, as the classic loop does) from the
// accurate response at the first time_count(times.size()) times, and
// estimate[k] with the error estimate of r.ratio[k]. A root iteration that
// does not converge is thrown (RootIterationFailure).
// The groups of the run's water column: effective length le, gravity g and
// kinematic viscosity nu in the input's units, friction over the column's
// own length (the casing the flow rubs along, Lf = LE); le = 0: none.
InertialGroups column_groups(double le, double g, double nu, const WellModel& m);

// `column`: the water column's groups (none by default).
void compute_accurate(const WellModel& m, std::span<const double> times, time_loop::Results& r,
                      std::vector<double>& estimate, int threads, const InertialGroups& column = {});

// compute_accurate for the program's run: a root iteration that does not
// converge is reported as in the classic run (outfile.txt and the error
// stream) and ends the run with status 1.
void compute_accurate_or_stop(const WellModel& m, std::span<const double> times, time_loop::Results& r,
                              std::vector<double>& estimate, int threads, const InertialGroups& column = {});

// One line on the error stream for every time (in list order) with a
// finite value whose estimate exceeds kAccurateTarget or could not be
// made. Returns how many.
int report_inaccurate_times(std::span<const double> times, const time_loop::Results& r,
                            std::span<const double> estimate);

// The check of a classic table: computes the accurate response and, where
// the classic H/Ho differs from it by more than kCheckTolerance beyond its
// estimate, writes one note on the error stream (how many times, the
// largest difference and its time, "rerun with --accurate"). A check that
// cannot be made says so, and so do times where the accurate value's own
// estimate is not below kCheckTolerance. The note is also written where the
// classic table rises from one time to the next by more than
// kReboundTolerance beyond the accurate response's change (a rebound that
// the model does not have). Writes nothing else; the log gets nothing.
// Returns the number of times that differ.
int check_classic(const WellModel& m, std::span<const double> times, const time_loop::Results& classic,
                  int threads);

}  // namespace slug
