// zairy: the Airy function Ai(z) (id 0) or its derivative Ai'(z) (id 1) of
// complex argument, unscaled (kode 1) or multiplied by exp(2/3 z^(3/2))
// (kode 2, principal power), with the status conventions of D. E. Amos,
// ACM TOMS Algorithm 644 (1986).
//
// Method (Abramowitz & Stegun 10.4; DLMF 9.2, 9.4, 9.7):
//  - |z| >= 10, |arg z| <= 2 pi/3: the asymptotic series (DLMF 9.7.5-6),
//    Ai ~ e^-xi/(2 sqrt(pi) z^(1/4)) sum (-1)^k u_k xi^-k, xi = 2/3 z^(3/2);
//    there |xi| >= 21 and the series reaches 1e-17 before its terms grow.
//  - |z| < 10: the Taylor series of the equation w'' = z w, stepped along
//    the ray through z in the direction in which Ai is the dominant
//    solution, so that rounding errors are not amplified: inward from
//    10 e^(i arg z) (values from the asymptotic series) when |arg z| <=
//    pi/3, outward from 0 (Ai(0), Ai'(0)) otherwise. This replaces the
//    K_(1/3), K_(2/3) evaluation of the published method by a
//    self-contained one of the same accuracy.
//  - |arg z| > 2 pi/3: the connection formula
//    Ai(z) = -w Ai(w z) - w^2 Ai(w^2 z), w = e^(2 pi i/3) (DLMF 9.2.11),
//    both rotated arguments lying in |arg| <= 2 pi/3.
// ierr: 0 normal; 1 input error; 2 overflow of the unscaled value; 3 |z|
// above AA^(1/3) (reduced accuracy); 4 above AA^(2/3) (no value). nz = 1
// when the unscaled value underflows and is set to zero.
#include <cmath>

#include "special/besselsub/amos.hpp"
#include "special/besselsub/uniform.hpp"

namespace slug::amos {

namespace {
constexpr double kAi0 = 0.355028053887817239260;   // Ai(0)
constexpr double kAip0 = -0.258819403792806798405;  // Ai'(0)
constexpr double kRadius = 10.0;
constexpr double kSqrtPi = 1.77245385090551602730;
constexpr double kEps = 1.0e-17;

// Scaled values by the asymptotic series, |z| >= kRadius, |arg z| <= 2pi/3.
void airy_asymptotic(const cplx& z, cplx& ai, cplx& aip) {
    const cplx sz = zsqrt1(z);
    const cplx xi = (2.0 / 3.0) * z * sz;
    const cplx rxi = zdiv(cplx(1.0, 0.0), xi);
    cplx su = 1.0, sv = 1.0, pw = 1.0;
    double uk = 1.0, vk = 1.0;
    double last = 1.0;
    for (int k = 1; k < 80; ++k) {
        const double f = (6.0 * k - 5.0) * (6.0 * k - 3.0) * (6.0 * k - 1.0) / ((2.0 * k - 1.0) * 216.0 * k);
        uk *= f;
        vk = -(6.0 * k + 1.0) / (6.0 * k - 1.0) * uk;
        pw *= -rxi;
        const cplx tu = uk * pw, tv = vk * pw;
        const double mag = std::max(zabs(tu), zabs(tv));
        if (mag > last) break;  // past the smallest term
        su += tu;
        sv += tv;
        last = mag;
        if (mag < kEps) break;
    }
    const cplx z14 = zsqrt1(sz);
    ai = zdiv(su, 2.0 * kSqrtPi * z14);
    aip = -z14 * sv / (2.0 * kSqrtPi);
}

// One Taylor step of w'' = z w from z0 to z0 + h.
void taylor_step(const cplx& z0, const cplx& h, cplx& y, cplx& yp) {
    // b_n = a_n h^n, a_(n+2) = (z0 a_n + a_(n-1)) / ((n+1)(n+2)).
    const cplx zh2 = z0 * h * h, h3 = h * h * h;
    cplx bm1 = 0.0, b0 = y, b1 = yp * h;
    cplx s = b0 + b1, sp = b1;
    int small = 0;
    for (int n = 0; n < 200; ++n) {
        const cplx b2 = (zh2 * b0 + h3 * bm1) / ((n + 1.0) * (n + 2.0));
        s += b2;
        sp += (n + 2.0) * b2;
        const double sc = std::max(zabs(s), zabs(sp));
        small = (zabs(b2) * (n + 2.0) <= kEps * sc) ? small + 1 : 0;
        if (small >= 3) break;
        bm1 = b0;
        b0 = b1;
        b1 = b2;
    }
    y = s;
    yp = zdiv(sp, h);
}

// Unscaled Ai, Ai' by Taylor steps along the ray from `from` to z.
void airy_steps(const cplx& from, const cplx& z, cplx& ai, cplx& aip) {
    const double r0 = zabs(from), r1 = zabs(z);
    const double dist = zabs(z - from);
    if (dist == 0.0) return;
    // Step length about 1.6/sqrt(r): the local solutions vary like
    // exp(sqrt(r) h), so ~30 terms reach the rounding level.
    const double rmax = std::max(std::max(r0, r1), 1.0);
    const int nstep = std::max(1, static_cast<int>(std::ceil(dist * std::sqrt(rmax) / 1.6)));
    const cplx h = (z - from) / static_cast<double>(nstep);
    cplx zc = from;
    for (int i = 0; i < nstep; ++i) {
        taylor_step(zc, h, ai, aip);
        zc = (i + 1 == nstep) ? z : from + h * static_cast<double>(i + 1);
    }
}

// Scaled values for |arg z| <= 2 pi/3 (a little beyond is harmless).
void airy_sector(const cplx& z, cplx& ai, cplx& aip) {
    const double r = zabs(z);
    if (r >= kRadius) {
        airy_asymptotic(z, ai, aip);
        return;
    }
    const cplx xi = (2.0 / 3.0) * z * zsqrt1(z);
    const double th = std::fabs(std::atan2(z.imag(), z.real()));
    if (r == 0.0) {
        ai = kAi0;
        aip = kAip0;
        return;
    }
    if (th <= M_PI / 3.0 && r > 1.0) {
        const cplx z1 = z * (kRadius / r);
        cplx a1, a1p;
        airy_asymptotic(z1, a1, a1p);
        const cplx e1 = zexp1(-(2.0 / 3.0) * z1 * zsqrt1(z1));
        ai = a1 * e1;
        aip = a1p * e1;
        airy_steps(z1, z, ai, aip);
    } else {
        ai = kAi0;
        aip = kAip0;
        airy_steps(cplx(0.0, 0.0), z, ai, aip);
    }
    const cplx ex = zexp1(xi);
    ai *= ex;
    aip *= ex;
}
}  // namespace

namespace uniform {
void airy_scaled(const cplx& z, cplx& ai, cplx& aip) {
    const double th = std::atan2(z.imag(), z.real());
    if (std::fabs(th) <= 2.0 * M_PI / 3.0) {
        airy_sector(z, ai, aip);
        return;
    }
    // Ai(z) = -w Ai(wz) - wb Ai(wb z), Ai'(z) = -wb Ai'(wz) - w Ai'(wb z),
    // w = e^(2 pi i/3), wb = conj(w); each term rescaled to exp(xi(z)).
    const cplx w(-0.5, 0.86602540378443864676), wb = std::conj(w);
    const cplx z1 = w * z, z2 = wb * z;
    cplx a1, a1p, a2, a2p;
    airy_sector(z1, a1, a1p);
    airy_sector(z2, a2, a2p);
    const cplx xi = (2.0 / 3.0) * z * zsqrt1(z);
    const cplx x1 = (2.0 / 3.0) * z1 * zsqrt1(z1);
    const cplx x2 = (2.0 / 3.0) * z2 * zsqrt1(z2);
    const cplx e1 = zexp1(xi - x1), e2 = zexp1(xi - x2);
    ai = -w * a1 * e1 - wb * a2 * e2;
    aip = -wb * a1p * e1 - w * a2p * e2;
}
}  // namespace uniform

void zairy(const cplx& z, int id, int kode, cplx& ai, int& nz, int& ierr) {
    nz = 0;
    ierr = 0;
    if (id < 0 || id > 1 || kode < 1 || kode > 2) {
        ierr = 1;
        return;
    }
    const Limits lim = limits();
    const double az = zabs(z);
    // Range of |z| as for the Bessel functions: xi = 2/3 z^(3/2) carries
    // the argument reduction, so the bounds apply to |z|^(3/2).
    const double aa = std::pow(lim.aa, 2.0 / 3.0);
    if (az > aa) {
        ierr = 4;
        return;
    }
    if (az > std::sqrt(aa)) ierr = 3;
    cplx a, ap;
    uniform::airy_scaled(z, a, ap);
    cplx v = (id == 0) ? a : ap;
    if (kode == 2) {
        ai = v;
        return;
    }
    const cplx xi = (2.0 / 3.0) * z * zsqrt1(z);
    const double lv = std::log(zabs(v)) - xi.real();
    if (lv > lim.elim) {
        ai = 0.0;
        nz = 0;
        ierr = 2;
        return;
    }
    if (lv < -lim.elim) {
        ai = 0.0;
        nz = 1;
        return;
    }
    uniform::Scaled s{v * zexp1(cplx(0.0, -xi.imag())), -xi.real()};
    bool under, over;
    ai = uniform::to_value(s, lim.elim, under, over);
}

}  // namespace slug::amos
