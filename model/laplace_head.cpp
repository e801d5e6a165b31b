// Laplace transform F(p) of the normalized head in a slug-test well whose
// screen penetrates part of an anisotropic aquifer (impermeable base, water
// table on top coupled to an unsaturated zone through one coefficient U).
//
// Method: the head is expanded in the vertical eigenfunctions cos(eps_n z)
// (z = height above the base over the thickness) with the Robin condition
// dh/dz + U h = 0 at the top, so that the eigenvalues are the roots of
// eps tan eps = U; each term carries the radial factor K0(q)/(q K1(q)),
// q_n = sqrt(XKD eps_n^2 + CCD p), of the screen's line-averaged flux, and
// the casing storage closes the well balance F = HOB Omega/(1 + p Omega),
// Omega = SW + (sum of the terms)/(XLD - XDD). For a top without flow
// (U = 0), a fully penetrating screen and no skin it reduces to the
// confined-aquifer solution of Cooper, Bredehoeft and Papadopulos, Water
// Resour. Res. 3 (1967) 263-269: Omega = K0(q)/(q K1(q)), q = sqrt(CCD p).
//
// The roots are found by Newton-Raphson on x sin x - U cos x, the first
// from sqrt(U) (|U| < 1, where eps^2 ~ U) or pi/4, each later one from the
// previous one plus pi (the roots are spaced by about pi).
#include "model/laplace_head.hpp"

#include <cmath>

#include "model/series_detail.hpp"
#include "model/unsat_coefficient.hpp"
#include "special/cplx.hpp"
#include "special/kzeone.hpp"

namespace slug {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr int kMaxUpdates = 100;

// K0(q) and K1(q), both scaled by the same factor e^(Re q). The terms use
// them only through the ratio K0/K1, which the common factor leaves
// unchanged; unscaled, both underflow for Re q above about 708 (early times,
// large anisotropy) and the ratio would become 0/0.
inline void k0k1_scaled(const cplx& q, cplx& k0, cplx& k1) {
    // kzeone stores nothing for q = 0; the limit of both there is +inf.
    double re0 = HUGE_VAL, im0 = 0.0, re1 = HUGE_VAL, im1 = 0.0;
    kzeone(q.real(), q.imag(), re0, im0, re1, im1);
    k0 = cplx(re0, im0);
    k1 = cplx(re1, im1);
}

// sin z and cos z together from one real sine/cosine pair and one
// hyperbolic pair: sin(a+ib) = sin a cosh b + i cos a sinh b,
// cos(a+ib) = cos a cosh b - i sin a sinh b.
inline void csincos(const cplx& z, cplx& s, cplx& c) {
    const double a = z.real();
    const double b = z.imag();
    const double sa = std::sin(a);
    const double ca = std::cos(a);
    double shb = 0.0;
    double chb = 1.0;
    if (b != 0.0) {
        // |b| <= 1/4 (the roots and the screen angles of most terms): the
        // Taylor series, sinh b = b Sum b^2k/(2k+1)! and
        // cosh b = Sum b^2k/(2k)!, for k = 0..6; the first omitted terms
        // are below 5e-20 relative, and the two polynomials cost less than
        // one expm1 call. Otherwise sinh and cosh from one exponential
        // instead of two: with m = e^|b| - 1, sinh|b| = m (m + 2) / (2 (m + 1))
        // and cosh b = 1 + m^2 / (2 (m + 1)), free of cancellation. From
        // |b| = 20 on, e^-|b| is below half an ulp of e^|b| and both are
        // e^|b| / 2; where that overflows, sinh and cosh themselves.
        const double ab = std::fabs(b);
        if (ab <= 0.25) {
            const double b2 = b * b;
            shb = b * (1.0 + b2 * (1.0 / 6 + b2 * (1.0 / 120 + b2 * (1.0 / 5040 +
                  b2 * (1.0 / 362880 + b2 * (1.0 / 39916800 + b2 * (1.0 / 6227020800.0)))))));
            chb = 1.0 + b2 * (0.5 + b2 * (1.0 / 24 + b2 * (1.0 / 720 + b2 * (1.0 / 40320 +
                  b2 * (1.0 / 3628800 + b2 * (1.0 / 479001600.0))))));
        } else if (ab < 20.0) {
            const double m = std::expm1(ab);
            const double h = 0.5 / (m + 1.0);
            shb = std::copysign(m * (m + 2.0) * h, b);
            chb = 1.0 + m * m * h;
        } else if (ab < 709.0) {
            chb = 0.5 * std::exp(ab);
            shb = std::copysign(chb, b);
        } else {
            shb = std::sinh(b);
            chb = std::cosh(b);
        }
    }
    s = cplx(sa * chb, ca * shb);
    c = cplx(ca * chb, -sa * shb);
}

// The stop test of the root iteration, eps |x| < |x - y|. The moduli are
// compared through their squares, which spares two hypot calls per
// Newton step; the squares order the same way as the moduli up to a
// rounding of either side, and where the two tests could part (|x - y|
// within an ulp or two of eps |x|) the next update is far below the
// rounding of x, so the root is the same. Where a square could overflow
// or lose digits to underflow, or a value is not a number, the moduli
// themselves are compared.
inline bool converging(double eps, const cplx& x, const cplx& y) {
    const cplx d = x - y;
    const double x2 = x.real() * x.real() + x.imag() * x.imag();
    const double d2 = d.real() * d.real() + d.imag() * d.imag();
    const double lhs = (eps * eps) * x2;
    if (eps > 0.0 && x2 < 0x1p900 && d2 < 0x1p900 && lhs > 0x1p-900) return lhs < d2;
    return eps * std::abs(x) < std::abs(d);
}

// The series term of the root e, K0(q) A^2 / (e^2 q K1(q) C) with
// q = sqrt(XKD e^2 + CCD p): A/e = (sin e zt - sin e zb)/e is the integral
// of cos(e z) over the screen (zt, zb the heights of its top and bottom
// above the base), C = 1/2 + (sin 2e zt - sin 2e zb)/(4 L e) the mean of
// cos^2(e z) there (L = zt - zb). Multiplied by e, C becomes
// C e = e/2 + (sin 2e zt - sin 2e zb)/(4 L), so the term is
// K0 A^2 / (e q K1 (C e)): one complex division per term. sin 2w is formed
// as 2 sin w cos w from the pair of w.
inline cplx series_term(const cplx& e, double xkd, const cplx& ccdp, double top, double bottom,
                        double quarter_inv_len) {
    const cplx q = principal_sqrt(xkd * (e * e) + ccdp);
    cplx k0, k1;
    k0k1_scaled(q, k0, k1);
    cplx s1, c1, s2, c2;
    csincos(e * top, s1, c1);
    csincos(e * bottom, s2, c2);
    const cplx a = s1 - s2;
    const cplx b = 2.0 * s1 * c1 - 2.0 * s2 * c2;
    const cplx ce = 0.5 * e + b * quarter_inv_len;
    return smith_div(k0 * (a * a), e * q * k1 * ce);
}

// next_start's body, expanded in the series loop: it runs once per root,
// and as a call it costs about 2 % of the whole series (measured with
// callgrind on the examples), which the compiler's own inlining does not
// always spare.
[[gnu::always_inline]] inline void advance_start(const cplx& y, cplx& x, cplx& s, cplx& c) {
    // x = fl(y + kPi) and, by Knuth's two-sum, the exact rounding error
    // err of that sum: y + kPi = x + err. With kPi = pi - kPiLow, x is
    // y + pi + d, d = -kPiLow - err, a few ulps of x at most. Then
    // sin x = -sin(y + d) = -(sin y + d cos y) and
    // cos x = -cos(y + d) = -(cos y - d sin y); cos d = 1 and sin d = d
    // to far below the rounding. Without d the start would drift from the
    // pair by the rounding of every earlier sum, ulps that add up over the
    // terms.
    constexpr double kPiLow = 1.2246467991473532e-16;
    const double a = y.real();
    const double sum = a + kPi;
    const double bv = sum - a;
    const double err = (a - (sum - bv)) + (kPi - bv);
    const double d = -kPiLow - err;
    x = cplx(sum, y.imag());
    const cplx s_new = -(s + d * c);
    c = -(c - d * s);
    s = s_new;
}

}  // namespace

namespace series_detail {

int term_count(int nterm, double xkd2) {
    const double v = nterm * std::pow(2.0, -std::log10(xkd2) - 2.0);
    // Outside the int range (or NaN) there is no usable count; the most
    // negative int that a conversion would give falls to the floor of 4.
    if (!(std::fabs(v) < 2147483647.5)) return 4;
    const int n = static_cast<int>(std::lround(v));
    return n <= 3 ? 4 : n;
}

cplx first_start(const cplx& u) {
    if (std::abs(u) < 1.0) return principal_sqrt(u);
    return cplx(0.25 * kPi, 0.0);
}

void next_start(const cplx& y, cplx& x, cplx& s, cplx& c) { advance_start(y, x, s, c); }

bool newton_root(const cplx& u, double eps, cplx& x, cplx& y) {
    cplx s;
    cplx c;
    return newton_root(u, eps, x, y, s, c, false);
}

bool newton_root(const cplx& u, double eps, cplx& x, cplx& y, cplx& s, cplx& c, bool start_known) {
    for (int k = 1;; ++k) {
        y = x;
        if (k > kMaxUpdates) return false;
        if (k > 1 || !start_known) csincos(y, s, c);
        const cplx f = y * s - u * c;
        const cplx fp = s + y * c + u * s;
        x = y - smith_div(f, fp);
        // Equality ends the iteration, and so does a NaN (the comparison
        // is then false).
        if (!converging(eps, x, y)) return true;
    }
}

}  // namespace series_detail

std::complex<double> laplace_head(const WellModel& m, std::complex<double> p, ModelLog* log) {
    const int nterms = series_detail::term_count(m.numerics.NTERM, m.XKD2);

    // Top-boundary coefficient, from the transform variable scaled to the
    // water table's storage.
    const double sigma = 2.0 * (m.RW * m.RW / (m.RC * m.RC)) * m.SY * m.SL / m.BB;
    const cplx pp = sigma * p;
    const cplx u = unsat_coefficient(m, pp, log);

    const double top = 1.0 - m.XDD;     // screen top, height above the base
    const double bottom = 1.0 - m.XLD;  // screen bottom
    const double len = m.XLD - m.XDD;
    const double quarter_inv_len = 0.25 / len;
    const double xkd = m.XKD;
    const cplx ccdp = m.CCD * p;

    cplx sum(0.0, 0.0);

    if (u == cplx(0.0, 0.0)) {
        // Top without flow: the roots are (n-1) pi exactly. The first root
        // is 0, where A/eps -> XLD - XDD and C -> 1, so the first term is
        // the radial factor of the whole screen.
        if (ccdp == cplx(0.0, 0.0)) {
            // No storage at all (SS = SY = 0): K0(q)/(q K1(q)) grows like
            // -ln q as q -> 0, so Omega is infinite and F = HOB/p in the
            // limit, a head that stays at its starting value.
            return smith_div(cplx(m.HOB, 0.0), p);
        }
        const cplx q = principal_sqrt(ccdp);
        cplx k0, k1;
        k0k1_scaled(q, k0, k1);
        sum += smith_div(k0 * (len * len), q * k1);
        for (int n = 2; n <= nterms; ++n) {
            const cplx e((n - 1) * kPi, 0.0);
            sum += series_term(e, xkd, ccdp, top, bottom, quarter_inv_len);
        }
    } else {
        const double eps = m.numerics.EPS;
        cplx x = series_detail::first_start(u);
        cplx y;
        cplx sy, cy;  // sin and cos at y
        for (int n = 1; n <= nterms; ++n) {
            // Each later root starts from y + pi, with the sine and cosine
            // carried over from y: one complex sine/cosine pair less per
            // root.
            if (n >= 2) advance_start(y, x, sy, cy);
            if (!series_detail::newton_root(u, eps, x, y, sy, cy, n >= 2)) throw RootIterationFailure();
            sum += series_term(x, xkd, ccdp, top, bottom, quarter_inv_len);
        }
    }

    const cplx omega = m.SW + sum / len;
    return smith_div(m.HOB * omega, 1.0 + p * omega);
}

}  // namespace slug
