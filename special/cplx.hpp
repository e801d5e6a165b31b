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
    const double x = z.real(), y = z.imag();
    if (y == 0.0) {
        if (x >= 0.0) return {std::sqrt(x), 0.0};
        return {0.0, std::sqrt(-x)};
    }
    // With m = |z|: sqrt z = t + i y/(2t), t = sqrt((m + x)/2), for x >= 0,
    // and |y|/(2t) + i sign(y) t, t = sqrt((m - x)/2), for x < 0, so that
    // no difference of nearly equal numbers is formed. While neither
    // component is beyond 2^500 and one is above 2^-500, x^2 + y^2 neither
    // overflows nor loses digits to underflow and m is its root (the
    // library's csqrt calls hypot, about as costly as the rest together);
    // elsewhere, and for infinities and NaNs, the library root.
    const double ax = std::fabs(x), ay = std::fabs(y);
    if (ax < 0x1p500 && ay < 0x1p500 && (ax > 0x1p-500 || ay > 0x1p-500)) {
        const double m = std::sqrt(x * x + y * y);
        const double t = std::sqrt(0.5 * (m + ax));
        if (x >= 0.0) return {t, y / (2.0 * t)};
        return {ay / (2.0 * t), std::copysign(t, y)};
    }
    return std::sqrt(z);
}

}  // namespace slug
