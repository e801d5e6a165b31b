// Shared pieces of the large-order routines (uniform asymptotic expansions
// of F. W. J. Olver, Phil. Trans. R. Soc. A 247 (1954) 328-368, as used in
// D. E. Amos, ACM TOMS Algorithm 644, 1986): values carried as a complex
// mantissa times e^(exponent), so that the exponential factors of the
// expansions are combined before anything is rounded to a double, and the
// Airy functions without range checks.
#pragma once

#include <cmath>

#include "special/besselsub/amos.hpp"

namespace slug::amos::uniform {

// m * exp(e); e is real, the phase of the exponential is kept in m.
struct Scaled {
    cplx m;
    double e;
};

// ln|value| (minus infinity for a zero mantissa).
inline double log_abs(const Scaled& s) { return std::log(zabs(s.m)) + s.e; }

// The double value of s, or 0 when ln|s| < -elim (underflow, flagged in
// under) and a flagged overflow when ln|s| > elim.
inline cplx to_value(const Scaled& s, double elim, bool& under, bool& over) {
    under = over = false;
    const double am = zabs(s.m);
    if (am == 0.0) return {0.0, 0.0};
    const double la = std::log(am) + s.e;
    if (la > elim) {
        over = true;
        return {0.0, 0.0};
    }
    if (la < -elim) {
        under = true;
        return {0.0, 0.0};
    }
    if (std::fabs(s.e) <= 690.0) return s.m * std::exp(s.e);
    // Large exponent with a compensating mantissa: split the exponent so
    // that no partial product leaves the range of doubles.
    const double h = 0.5 * s.e;
    return (s.m * std::exp(h)) * std::exp(s.e - h);
}

// e^(i*pi*nu/2) with nu reduced exactly modulo 4.
inline cplx half_pi_phase(double nu) {
    const double r = std::fmod(nu, 4.0);
    const double a = 0.5 * M_PI * r;
    return {std::cos(a), std::sin(a)};
}

// Ai(z) and Ai'(z) multiplied by exp(2/3 z^(3/2)) (principal power), for
// any complex z; no overflow or range tests.
void airy_scaled(const cplx& z, cplx& ai, cplx& aip);

// Order-nu values in log-scaled form from the two expansion forms
// (kode 2: the scaling of zbesi / zbesk). z must have Re z >= 0.
Scaled i_debye(const cplx& z, double nu, int kode, double tol);
Scaled k_debye(const cplx& z, double nu, int kode, double tol);
Scaled i_airy(const cplx& z, double nu, int kode, double tol);
Scaled k_airy(const cplx& z, double nu, int kode, double tol);

// True where the Airy form is used: |Im z| > sqrt(3) |Re z| (|arg z| > 60
// degrees in the right half-plane).
inline bool airy_region(const cplx& z) { return std::fabs(z.imag()) > 1.7321 * std::fabs(z.real()); }

}  // namespace slug::amos::uniform

namespace slug::amos::uniform {

using Form = Scaled (*)(const cplx&, double, int, double);

// I at the orders fnu..fnu+n-1 by one expansion form: the orders at or
// above fnul directly, the lower ones by backward recurrence. nz counts
// the values at the top set to zero by underflow (-1: overflow); nlast = n'
// when the highest order not underflowing is below fnul (nothing done).
void i_sequence(const cplx& z, double fnu, int kode, int n, cplx* y, int& nz, int& nlast, double fnul,
                double tol, double elim, Form f);
// K at the orders fnu..fnu+n-1 (Re z >= 0), each order directly; nz
// counts the zeros by underflow (-1: overflow).
void k_sequence(const cplx& z, double fnu, int kode, int n, cplx* y, int& nz, double tol, double elim, Form f);
// K for Re z < 0 by the continuation K(z) = e^(-i mr pi nu) K(-z) - i mr pi I(-z)
// (DLMF 10.34.2), both at -z from the same expansion form.
void k_continued(const cplx& z, double fnu, int kode, int mr, int n, cplx* y, int& nz, double tol, double elim,
                 Form kf, Form iff);

}  // namespace slug::amos::uniform
