// Logarithm of the gamma function for a positive real argument.
//
// Method: the argument is raised to at least 10 by the recurrence
// Gamma(x+1) = x Gamma(x), and ln Gamma is then taken from Stirling's
// asymptotic series with Bernoulli-number coefficients
// (Abramowitz & Stegun 6.1.40). Integer arguments up to 171 are formed
// from the factorial directly, so ln Gamma(1) = ln Gamma(2) = 0 exactly.
#include <cmath>

#include "special/besselsub/amos.hpp"

namespace slug::amos {

double dgamln(double z, int& ierr) {
    ierr = 0;
    if (!(z > 0.0)) {
        ierr = 1;
        return 0.0;
    }
    // Integer arguments: ln((z-1)!), exact up to 22! and correctly rounded
    // products beyond.
    if (z <= 171.0 && z == std::floor(z)) {
        double f = 1.0;
        for (int k = 2; k < static_cast<int>(z); ++k) f *= k;
        return std::log(f);
    }
    // Shift to x >= 10, keeping the product of the skipped factors.
    double x = z;
    double prod = 1.0;
    while (x < 10.0) {
        prod *= x;
        x += 1.0;
    }
    // B_{2k} / (2k (2k-1)), k = 1 .. 10.
    static constexpr double c[10] = {
        0.083333333333333333333,  -0.0027777777777777777778, 0.00079365079365079365079,
        -0.0005952380952380952381, 0.00084175084175084175084, -0.0019175269175269175269,
        0.0064102564102564102564, -0.02955065359477124183,    0.17964437236883057316,
        -1.3924322169059011164};
    const double rx = 1.0 / x;
    const double rx2 = rx * rx;
    double s = 0.0;
    for (int k = 9; k >= 0; --k) s = s * rx2 + c[k];
    s *= rx;
    constexpr double half_ln_2pi = 0.91893853320467274178;
    const double lg = (x - 0.5) * std::log(x) - x + half_ln_2pi + s;
    return prod == 1.0 ? lg : lg - std::log(prod);
}

}  // namespace slug::amos
