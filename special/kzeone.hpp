// Modified Bessel functions K0 and K1 of complex argument.
#pragma once

#include <complex>

namespace slug {

// e^x K0(z) and e^x K1(z) for z = x + iy (scaled by e^{Re z}, not e^z).
void kzeone(double x, double y, double& re0, double& im0, double& re1, double& im1);
// K0(z) and K1(z) themselves.
void beskz1(const std::complex<double>& z, std::complex<double>& k0, std::complex<double>& k1);

}  // namespace slug
