// Top-boundary coefficient U(p') of the water table through which the
// unsaturated zone couples to the saturated aquifer.
#pragma once

#include <complex>

namespace slug {

// U = -phi'(0)/phi(0) of the zone's transformed head for the scaled
// transform variable pp; reads block par13, writes diagnostics to log.txt.
void unsatzone(const std::complex<double>& pp, std::complex<double>& u);

}  // namespace slug
