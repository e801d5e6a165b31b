// The accurate response of a well: H/Ho at any times, with an error
// estimate per time, from the converged Laplace-domain head and the de
// Hoog-Knight-Stokes inversion with one period per log cycle of times.
// For callers besides the program's run (a fit, a scripting module): no
// file, no console, no global state.
#pragma once

#include <span>
#include <vector>

#include "model/well_model.hpp"

namespace slug {

struct AccurateResponse {
    std::vector<double> h_over_ho;       // H/Ho at t[i], unclamped
    std::vector<double> error_estimate;  // estimated |error| of h_over_ho[i]; +inf where none could be made
    long transform_calls = 0;            // evaluations of the Laplace-domain head
};

// H/Ho of the model m at the times t (in the input's time unit, any order;
// each finite and positive, else std::invalid_argument), on `threads`
// threads (1 or less: the calling thread only). The estimate of each time
// holds the inversion's own estimate (two orders, sample rounding, a
// second period below each group, the alias) and the propagated bound of
// the series truncation; where the unsaturated zone's coefficient could
// not be evaluated at a sample, the times of that sample's group get +inf.
// A time whose t/TC is not a positive double (underflow, overflow) gets
// NaN and +inf.
// Throws RootIterationFailure when a root of the series does not converge
// (the model has no value there, as in the classic run). The model's log
// events are not kept.
AccurateResponse accurate_response(const WellModel& m, std::span<const double> t, int threads);

// The same on the run's threads (time_loop::worker_count()).
AccurateResponse accurate_response(const WellModel& m, std::span<const double> t);

}  // namespace slug
