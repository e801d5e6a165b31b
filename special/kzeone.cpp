// e^x K0(z) and e^x K1(z) for complex z = x + iy in the right half-plane.
//
// Three methods, chosen by r = |z|:
//  - r < 4.3: the ascending series of K0 and K1 (Abramowitz & Stegun,
//    Handbook of Mathematical Functions, 9.6.13 and 9.6.11), truncated
//    after a number of terms fixed by r;
//  - 4.3 <= r < 14: 15-point Gauss-Hermite quadrature of the integral
//    representations
//        e^z K0(z) = Int e^{-t^2} (t^2 + 2z)^{-1/2} dt,
//        e^z K1(z) = (1/z) Int t^2 e^{-t^2} (t^2 + 2z)^{1/2} dt
//    over the whole real line (from A&S 9.6.23 with the substitution
//    z*s = z + t^2);
//  - r >= 14: the Hankel asymptotic expansion (A&S 9.7.2)
//        e^z K_nu(z) ~ sqrt(pi/(2z)) Sum_k a_k(nu) / (k! (8z)^k),
//        a_k(nu) = Prod_{j=1..k} (4 nu^2 - (2j - 1)^2),
//    truncated after a number of terms fixed by r.
// The results are scaled by e^{Re z}; the quadrature and the expansion
// produce e^z K(z), and the factor e^{-iy} turns that into e^x K(z).
// The term counts and the quadrature order keep the relative error below
// about 1e-9 everywhere in the closed right half-plane.
#include "special/kzeone.hpp"

#include <array>
#include <cmath>
#include <cstdio>

namespace slug {

namespace {

constexpr double kEulerGamma = 0.5772156649015329;
constexpr double kSqrt2 = 1.4142135623730951;
constexpr double kSqrtPiOver2 = 0.886226925452758;  // sqrt(pi)/2
constexpr double kLn2 = 0.69314718055994531;

// 15-point Gauss-Hermite rule (weight e^{-t^2} on the real line): weights
// at the 8 non-negative nodes and the squares of those nodes, in
// increasing node order.
constexpr double kExsq[8] = {
    0.56410030872641759,    0.41202868749889865,     0.15848891579593574,
    0.030780033872546082,   0.0027780688429127759,   0.00010000444123249986,
    1.0591155477110667e-06, 1.522475804253517e-09};
constexpr double kTsq[8] = {
    0.0,                0.31930363392063005, 1.2907586229591528,
    2.9583744586966496, 5.4090315972444332,  8.8040795780567755,
    13.468535743251481, 20.249916365870877};

// 1/k^2, 1/(2k) and 1/k for the ascending series, k = 1..15 (entry 0 is
// unused): the series takes at most 13 terms below |z| = 4.3 and reads
// index k + 1.
constexpr int kSeriesTable = 16;
static_assert(static_cast<int>(2.106 * 4.3 + 4.4) + 1 < kSeriesTable);
template <typename F>
constexpr std::array<double, kSeriesTable> reciprocal_table(F f) {
    std::array<double, kSeriesTable> t{};
    for (int k = 1; k < kSeriesTable; ++k) t[k] = f(static_cast<double>(k));
    return t;
}
constexpr auto kInvSquare = reciprocal_table([](double k) { return 1.0 / (k * k); });
constexpr auto kHalfInv = reciprocal_table([](double k) { return 0.5 / k; });
constexpr auto kInv = reciprocal_table([](double k) { return 1.0 / k; });

struct ScaledPair {
    double re0, im0, re1, im1;
};

// Ascending series, |z| < 4.3.
//   K0(z) = c I0(z) + Sum_{k>=1} H_k (z^2/4)^k / (k!)^2,
//   K1(z) = 1/z - (z/2) Sum_{k>=0} [c + (H_k + H_{k+1})/2] (z^2/4)^k / (k!(k+1)!),
// with c = -(ln(z/2) + gamma) on the principal branch and H_k the harmonic
// numbers (H_0 = 0). One running real coefficient s carries both harmonic
// sums: it alternately gains 1/(2k) and 1/(2(k+1)).
ScaledPair power_series(double x, double y, double r2) {
    double log_half_r;  // ln|z/2|
    double inv_re, inv_im;  // 1/z = (x - iy)/r^2
    if (r2 >= 0x1p-900) {
        log_half_r = 0.5 * std::log(0.25 * r2);
        inv_re = x / r2;
        inv_im = -y / r2;
    } else {
        // r^2 underflows (or loses digits) for |z| below about 1e-154:
        // form ln|z/2| and 1/z from z scaled by 2^600, so that K0 stays
        // finite and K1 = 1/z + ... is right down to the overflow of 1/z.
        const double scale = 0x1p600;
        const double xs = x * scale, ys = y * scale;
        const double r2s = xs * xs + ys * ys;
        log_half_r = 0.5 * std::log(0.25 * r2s) - 600.0 * kLn2;
        inv_re = (xs / r2s) * scale;
        inv_im = (-ys / r2s) * scale;
    }
    const double c_re = -(log_half_r + kEulerGamma);
    const double c_im = -std::atan2(y, x);

    const double a = 0.5 * x, b = 0.5 * y;
    const double w_re = a * a - b * b;  // w = (z/2)^2
    const double w_im = b * x;

    double s0_re = c_re, s0_im = c_im;        // K0 sum
    double s1_re = c_re + 0.5, s1_im = c_im;  // K1 sum
    double s = c_re + 0.5;
    double p_re = 1.0, p_im = 0.0;  // (z/2)^{2k} / (k!)^2

    const double r = std::sqrt(r2);
    const int nterms = r < 0.8 ? static_cast<int>(2.129 * r + 4.0)
                               : static_cast<int>(2.106 * r + 4.4);
    // The divisions by k^2, 2k and k + 1 are multiplications by tabulated
    // reciprocals, so that the loop is not bound by the divider (six
    // divisions a term otherwise). Each reciprocal is the double nearest
    // to it, which costs a term about an ulp.
    for (int k = 1; k <= nterms; ++k) {
        const double t_re = (p_re * w_re - p_im * w_im) * kInvSquare[k];
        const double t_im = (p_re * w_im + p_im * w_re) * kInvSquare[k];
        p_re = t_re;
        p_im = t_im;

        s += kHalfInv[k];  // c_re + H_k
        s0_re += s * p_re - c_im * p_im;
        s0_im += s * p_im + c_im * p_re;

        s += kHalfInv[k + 1];  // c_re + (H_k + H_{k+1})/2
        s1_re += (s * p_re - c_im * p_im) * kInv[k + 1];
        s1_im += (s * p_im + c_im * p_re) * kInv[k + 1];
    }

    // K1 = 1/z - (z/2) * (K1 sum)
    const double k1_re = inv_re - 0.5 * (x * s1_re - y * s1_im);
    const double k1_im = inv_im - 0.5 * (x * s1_im + y * s1_re);

    const double ex = std::exp(x);
    return {s0_re * ex, s0_im * ex, k1_re * ex, k1_im * ex};
}

// Gauss-Hermite quadrature, 4.3 <= |z| < 14. With u = 2x + t^2 and
// Y = 2y, sqrt(u + iY) = (sigma + iY/sigma)/sqrt(2), where
// rho = |u + iY| and sigma = sqrt(rho + u); the reciprocal root is its
// conjugate over rho. The central node (t = 0) counts once, every other
// node for its +-t pair; it contributes nothing to K1 (factor t^2).
ScaledPair hermite_quadrature(double x, double y, double r2) {
    const double bx = 2.0 * x, by = 2.0 * y;

    double rho = std::sqrt(bx * bx + by * by);
    double sigma = std::sqrt(rho + bx);
    double t = kExsq[0] / (2.0 * rho);
    double a0 = t * sigma, b0 = t / sigma;  // K0: real part and Im/Y part
    double a1 = 0.0, b1 = 0.0;              // K1: real part and Im/Y part
    for (int n = 1; n < 8; ++n) {
        const double u = bx + kTsq[n];
        rho = std::sqrt(u * u + by * by);
        sigma = std::sqrt(rho + u);
        t = kExsq[n] / rho;
        a0 += t * sigma;
        b0 += t / sigma;
        t = kExsq[n] * kTsq[n];
        a1 += t * sigma;
        b1 += t / sigma;
    }

    // Q0 = a0 - iY b0 and Q1 = (a1 + iY b1)/r^2; then
    // e^x K0 = Q0 E, e^x K1 = Q1 E (x - iy), with E = sqrt(2) e^{-iy}.
    const double q0_re = a0, q0_im = -by * b0;
    const double q1_re = a1 / r2, q1_im = by * b1 / r2;
    const double e_re = kSqrt2 * std::cos(y), e_im = -kSqrt2 * std::sin(y);

    ScaledPair out;
    out.re0 = q0_re * e_re - q0_im * e_im;
    out.im0 = q0_re * e_im + q0_im * e_re;
    const double f_re = e_re * x + e_im * y;  // E (x - iy)
    const double f_im = e_im * x - e_re * y;
    out.re1 = q1_re * f_re - q1_im * f_im;
    out.im1 = q1_re * f_im + q1_im * f_re;
    return out;
}

// Hankel asymptotic expansion, |z| >= 14. The coefficient products a_k(0)
// and a_k(1) pass 2^31 from the seventh term on, so they are held in
// floating point; only their integer factors -(2k-1)^2 and 4 - (2k-1)^2
// are formed by integer steps.
ScaledPair hankel_expansion(double x, double y, double r2) {
    const double r = std::sqrt(r2);
    const int nterms = static_cast<int>(81.2 / r + 3.91);

    double s0_re = 1.0, s0_im = 0.0, s1_re = 1.0, s1_im = 0.0;
    double c0 = 1.0, c1 = 1.0;
    double p_re = 1.0, p_im = 0.0;  // 1 / (k! (8z)^k)
    int f1 = 3;                     // 4 - (2k-1)^2 for the current k
    for (int k = 1; k <= nterms; ++k) {
        const int f0 = f1 - 4;  // -(2k-1)^2
        c0 *= static_cast<double>(f0);
        c1 *= static_cast<double>(f1);
        f1 -= 8 * k;

        // P = P (x - iy) / (8 k r^2) = P / (8 k z)
        const double d = static_cast<double>(8 * k) * r2;
        const double t_re = (p_re * x + p_im * y) / d;
        const double t_im = (p_im * x - p_re * y) / d;
        p_re = t_re;
        p_im = t_im;

        s0_re += c0 * p_re;
        s0_im += c0 * p_im;
        s1_re += c1 * p_re;
        s1_im += c1 * p_im;
    }

    // e^{-iy} sqrt(pi/(2z)) = (Q cos y - iQ sin y)(sigma - iy/sigma) with
    // Q = sqrt(pi)/(2r) and sigma = sqrt(r + x), since
    // 1/sqrt(z) = (sigma - iy/sigma)/(sqrt(2) r).
    const double sigma = std::sqrt(r + x);
    const double q = kSqrtPiOver2 / r;
    const double g_re = q * std::cos(y), g_im = -q * std::sin(y);
    const double h_re = sigma, h_im = -y / sigma;
    const double m_re = g_re * h_re - g_im * h_im;
    const double m_im = g_re * h_im + g_im * h_re;

    return {s0_re * m_re - s0_im * m_im, s0_re * m_im + s0_im * m_re,
            s1_re * m_re - s1_im * m_im, s1_re * m_im + s1_im * m_re};
}

}  // namespace

void kzeone(double x, double y, double& re0, double& im0, double& re1, double& im1) {
    // Only z = 0 itself is refused. (Testing x*x + y*y == 0 instead would
    // also refuse non-zero arguments below about 1e-154 on the imaginary
    // axis, whose squared modulus underflows.)
    if (x == 0.0 && y == 0.0) {
        std::fputs(" ARGUMENT OF THE BESSEL FUNCTIONS IS ZERO\n", stdout);
        std::fputs(" OR LIES IN LEFT HALF COMPLEX PLANE\n", stdout);
        std::fflush(stdout);
        return;
    }
    const double r2 = x * x + y * y;
    ScaledPair v;
    if (r2 >= 196.0) {
        v = hankel_expansion(x, y, r2);
    } else if (r2 >= 18.49) {
        v = hermite_quadrature(x, y, r2);
    } else {
        v = power_series(x, y, r2);
    }
    re0 = v.re0;
    im0 = v.im0;
    re1 = v.re1;
    im1 = v.im1;
}

}  // namespace slug
