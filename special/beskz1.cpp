// K0(z) and K1(z) for complex z in the right half-plane: the scaled pair
// e^{Re z} K0(z), e^{Re z} K1(z) from kzeone, multiplied by e^{-Re z}.
// For Re z above about 745 the factor e^{-Re z} underflows to zero, and
// so do both results.
#include <cmath>
#include <limits>

#include "special/kzeone.hpp"

namespace slug {

void beskz1(const std::complex<double>& z, std::complex<double>& k0, std::complex<double>& k1) {
    // kzeone refuses z = 0 (with its console message) and stores nothing;
    // K0 and K1 are then +infinity, the limit of both along the positive
    // real axis, rather than whatever the locals happened to hold.
    const double inf = std::numeric_limits<double>::infinity();
    double re0 = inf, im0 = 0.0, re1 = inf, im1 = 0.0;
    const double x = z.real();
    kzeone(x, z.imag(), re0, im0, re1, im1);
    const double scale = std::exp(-x);
    k0 = {re0 * scale, im0 * scale};
    k1 = {re1 * scale, im1 * scale};
}

}  // namespace slug
