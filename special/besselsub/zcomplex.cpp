// Elementary complex operations of the Bessel package: Smith's division,
// an overflow-free modulus, principal square root, exponential, principal
// logarithm, and the hyperbolic sine and cosine.
#include <cmath>

#include "special/besselsub/amos.hpp"
#include "special/cplx.hpp"

namespace slug::amos {

cplx zdiv(const cplx& a, const cplx& b) { return smith_div(a, b); }

double zabs(const cplx& z) {
    // |z| = s*sqrt(1 + (t/s)^2) with s the larger and t the smaller
    // component: no overflow or underflow of the squares.
    const double u = std::fabs(z.real()), v = std::fabs(z.imag());
    const double s = u + v;
    if (s == 0.0) return 0.0;
    if (u > v) {
        const double q = v / u;
        return u * std::sqrt(1.0 + q * q);
    }
    const double q = u / v;
    return v * std::sqrt(1.0 + q * q);
}

cplx zsqrt1(const cplx& z) { return principal_sqrt(z); }

cplx zexp1(const cplx& z) {
    const double e = std::exp(z.real());
    return {e * std::cos(z.imag()), e * std::sin(z.imag())};
}

cplx zlog1(const cplx& z) { return {std::log(zabs(z)), std::atan2(z.imag(), z.real())}; }

void zshch(const cplx& z, cplx& csh, cplx& cch) {
    const double sh = std::sinh(z.real()), ch = std::cosh(z.real());
    const double sn = std::sin(z.imag()), cn = std::cos(z.imag());
    csh = {sh * cn, ch * sn};
    cch = {ch * cn, sh * sn};
}

}  // namespace slug::amos
