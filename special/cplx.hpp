// Complex arithmetic helpers shared by the numerical routines.
//
// smith_div: Smith's scaled complex division (R. L. Smith, "Algorithm 116:
// Complex division", Comm. ACM 5 (1962) 435). The quotient is formed with
// the ratio of the smaller to the larger component of the divisor, so no
// intermediate overflows or underflows where the quotient is
// representable. std::complex division in libstdc++ uses a different
// (C99 Annex G) scheme, so the routines that the results depend on call
// this one.
//
// principal_sqrt: principal square root (real part not negative); on the
// negative real axis, whatever the sign of a zero imaginary part, the root
// with positive imaginary part.
#pragma once

#include <cmath>
#include <complex>

namespace slug {

using cplx = std::complex<double>;

inline cplx smith_div(const cplx& a, const cplx& b) {
    const double ar = a.real(), ai = a.imag();
    const double br = b.real(), bi = b.imag();
    if (std::fabs(br) >= std::fabs(bi)) {
        const double r = bi / br;
        const double den = br + bi * r;
        return {(ar + ai * r) / den, (ai - ar * r) / den};
    }
    const double r = br / bi;
    const double den = bi + br * r;
    return {(ar * r + ai) / den, (ai * r - ar) / den};
}

inline cplx smith_recip(const cplx& b) { return smith_div(cplx(1.0, 0.0), b); }

inline cplx principal_sqrt(const cplx& z) {
    if (z.imag() == 0.0) {
        if (z.real() >= 0.0) return {std::sqrt(z.real()), 0.0};
        return {0.0, std::sqrt(-z.real())};
    }
    return std::sqrt(z);
}

}  // namespace slug
