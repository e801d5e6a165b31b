// The accurate response of a well: H/Ho at any times, with an error
// estimate per time, from the converged Laplace-domain head and the de
// Hoog-Knight-Stokes inversion with one period per log cycle of times.
// For callers besides the program's run (a fit, a scripting module): no
// file, no console, no global state.
#pragma once

#include <span>
#include <vector>

#include "inversion/dehoog.hpp"
#include "model/inertial_well.hpp"
#include "model/well_model.hpp"

namespace slug {

struct AccurateResponse {
    std::vector<double> h_over_ho;       // H/Ho at t[i], unclamped
    std::vector<double> error_estimate;  // estimated |error| of h_over_ho[i]; +inf where none could be made
    long transform_calls = 0;            // evaluations of the Laplace-domain head
    OscillatoryPole pole;                // the column's pole pair taken out (found = false: none)
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

// The same for the well with a water column of inertia and friction
// (model/inertial_well.hpp): F0 of the converged series becomes the
// balance with the column, F = inertial_head(F0, p, HOB, groups). Where
// the column oscillates, its pole pair (oscillatory_pole on Omega
// recovered from F0) is taken out of the samples and added back exactly,
// 2 Re(r e^(p* t)): a de Hoog inversion alone loses a lightly damped
// oscillation after some eight periods. The truncation bound of F0 enters
// through |dF/dF0|. Zero groups: the same bits as without them.
AccurateResponse accurate_response(const WellModel& m, std::span<const double> t, const InertialGroups& groups,
                                   int threads);

// The same with the inversion's settings given (inversion/dehoog.hpp)
// instead of the run's: a caller that needs less than the run's 1e-8, such
// as a fit, whose misfit is set by the noise of its data, takes fewer
// samples (see fit_inversion_settings). The estimates hold as before.
AccurateResponse accurate_response(const WellModel& m, std::span<const double> t, const InertialGroups& groups,
                                   const InversionSettings& settings, int threads);

// The same on the run's threads (time_loop::worker_count()).
AccurateResponse accurate_response(const WellModel& m, std::span<const double> t);

}  // namespace slug
