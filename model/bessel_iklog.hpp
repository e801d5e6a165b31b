// Logarithms of the modified Bessel functions I and K of complex argument
// in the right half-plane, with the ratios of consecutive orders, for
// orders and arguments where the values themselves overflow or underflow.
#pragma once

#include <complex>

namespace slug {

// For order nu >= 0 and Re x > 0:
//   li = log I_nu(x),  lk = log K_nu(x)       (complex logarithms),
//   rho = I_{nu+1}(x)/I_nu(x),  h = K_{nu+1}(x)/K_nu(x).
struct IKLog {
    std::complex<double> li, lk, rho, h;
    bool ok;  // false when no method applied (Re x <= 0, non-finite)
};

IKLog bessel_iklog(double nu, const std::complex<double>& x);

}  // namespace slug
