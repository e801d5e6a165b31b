// The Laplace-domain head of the well with the eigenvalue series summed
// far enough that its truncation is bounded, and the radial factor from
// the K0/K1 kernel accurate to rounding: the transform that the accurate
// response inverts.
#pragma once

#include <complex>

#include "model/laplace_head.hpp"

namespace slug {

struct ConvergedHead {
    std::complex<double> value;  // F(p), same quantity as laplace_head(m, p, log)
    double truncation_bound;     // bound on |series truncation error| of value (absolute)
    int terms;                   // series terms summed explicitly
};

// Same model, events and RootIterationFailure as laplace_head; pure and
// thread-safe.
ConvergedHead laplace_head_converged(const WellModel& m, std::complex<double> p, ModelLog* log = nullptr);

}  // namespace slug
