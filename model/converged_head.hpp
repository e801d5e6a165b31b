// The Laplace-domain well response with its eigenvalue series summed to
// convergence: the same model and the same roots as laplace_head, the
// radial factor K0/(q K1) accurate to rounding, and the terms beyond the
// explicit ones summed by an asymptotic tail (docs/series_tail.md).
#pragma once

#include <complex>

#include "model/laplace_head.hpp"
#include "model/model_log.hpp"
#include "model/well_model.hpp"

namespace slug {

struct ConvergedHead {
    std::complex<double> value;  // F(p), same quantity as laplace_head(m, p, log)
    double truncation_bound;     // bound on |series truncation error| of value (absolute)
    int terms;                   // series terms summed explicitly
};

// F(p) of the model m with the series converged: the truncation error of
// Omega is estimated below m.numerics.series_target |Omega| (1e-10 unless
// a caller asks less; truncation_bound says what was
// reached, converted to F). Pure and thread-safe like laplace_head; the
// unsaturated zone's events go to *log exactly as there. Throws
// RootIterationFailure.
ConvergedHead laplace_head_converged(const WellModel& m, std::complex<double> p, ModelLog* log = nullptr);

}  // namespace slug

namespace slug::series_detail {

// laplace_head_converged with at least `least` terms summed explicitly
// before the tail (a reference for the tail sum: with least = 10^6 the
// tail is some 10^-12 of the whole).
ConvergedHead converged_head_from(const WellModel& m, std::complex<double> p, int least, ModelLog* log = nullptr);

}  // namespace slug::series_detail
