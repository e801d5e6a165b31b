// Modified Bessel functions K0 and K1 of complex argument, accurate to a few
// units in the last place in the closed right half-plane.
#pragma once

#include <complex>

namespace slug {

// e^z K0(z) and e^z K1(z): both scaled by the complex factor e^z (as zbesk
// with KODE = 2 scales them), not by e^{Re z} as kzeone does. For Re z >= 0
// the relative error of each is a few units in the last place; for Re z < 0
// the values come from zbesk. z = 0 gives +infinity for both (their limit
// along the positive real axis); a NaN component gives NaN.
void k01_scaled(std::complex<double> z, std::complex<double>& k0, std::complex<double>& k1);

// K0(z) / (z K1(z)), the radial factor of the well response, without
// forming K0 and K1 separately where that costs more. Same domain and
// accuracy as k01_scaled; +infinity at z = 0 (the limit, since z K1 -> 1).
std::complex<double> k0_over_zk1(std::complex<double> z);

}  // namespace slug
