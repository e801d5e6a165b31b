// Laplace transform of the normalized head in a slug-test well.
#pragma once

#include <complex>
#include <stdexcept>

#include "model/model_log.hpp"
#include "model/well_model.hpp"

namespace slug {

// The root iteration of the eigenvalue series did not converge within 100
// Newton steps: the model has no value at this transform variable.
class RootIterationFailure : public std::runtime_error {
public:
    RootIterationFailure() : std::runtime_error("Newton-Raphson iterations exceed 100") {}
};

// F(p) of the model m for one value p of the transform variable of the
// dimensionless time t/TC. Pure: reads only m and p, keeps no state, and
// may be called on any number of threads at once. The unsaturated zone's
// events are appended to *log when log is not null. Throws
// RootIterationFailure.
std::complex<double> laplace_head(const WellModel& m, std::complex<double> p, ModelLog* log = nullptr);

}  // namespace slug
