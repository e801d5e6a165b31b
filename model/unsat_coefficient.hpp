// Top-boundary coefficient U(p') of the water table through which the
// unsaturated zone couples to the saturated aquifer.
#pragma once

#include <complex>

#include "model/model_log.hpp"
#include "model/well_model.hpp"

namespace slug {

// U = -phi'(0)/phi(0) of the zone's transformed head for the scaled
// transform variable pp; reads the zone's groups UA1, UA2, UL1, UL2 and
// XKD2 of m. Pure and thread-safe; the Bessel evaluations that report a
// condition, and a pp at which no method gives U, are appended to *log
// when log is not null.
std::complex<double> unsat_coefficient(const WellModel& m, std::complex<double> pp, ModelLog* log = nullptr);

}  // namespace slug
