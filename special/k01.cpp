// K0(z) and K1(z) of complex z, Re z >= 0, to a few units in the last place.
//
// Two methods, chosen by s = (|z| + Re z)/2 = (Re sqrt z)^2, the quantity
// that sets both the cancellation of the ascending series and the
// convergence rate of the continued fraction:
//  - s <= 1.4: the ascending series (Abramowitz & Stegun 9.6.13 and 9.6.11;
//    DLMF 10.31.2), summed by Horner's rule with tabulated coefficients.
//    Its terms grow like I0(|z|) while K0 falls like e^{-Re z}, so the
//    cancellation grows like e^{|z| + Re z}; at the bound it costs at most
//    a few units in the last place (the series reaches |z| = 1.4 on the
//    real axis and |z| = 2.8 on the imaginary axis).
//  - s > 1.4: Temme's continued fraction for K1/K0 (N. M. Temme, "On the
//    numerical evaluation of the modified Bessel function of the third
//    kind", J. Comput. Phys. 19 (1975) 324-337), the recurrence of
//    u_n = U(n + 1/2, 1, 2z) (DLMF 13.3.7),
//        u_{n-1} = 2(n + z) u_n - (n + 1/2)^2 u_{n+1},
//    run backwards from u_{N+1} = 0, u_N = 1 (Miller's algorithm: the u_n
//    are the recessive solution, so the backward run is stable). Then
//        K1/K0 = 1 + (1/2 - u_1/(4 u_0))/z,
//    and, for K0 itself, the normalisation (from the integral form
//    U(a, 1, 2z) = Gamma(a)^{-1} Int_0^inf e^{-2zt} t^{a-1} (1+t)^{-a} dt
//    and the binomial series of (1+t)^{1/2})
//        Sum_{n>=0} C_n U(n + 1/2, 1, 2z) = (2z)^{-1/2},
//        C_0 = 1, C_n = C_{n-1} (n - 1/2)^2 / n,
//    with K0(z) = sqrt(pi) e^{-z} U(1/2, 1, 2z) (DLMF 13.6.10), so that
//        e^z K0(z) = sqrt(pi/(2z)) u_0 / Sum_n C_n u_n.
//    The error of N levels falls like exp(-4 sqrt(2 N s)); the sum converges
//    about three times more slowly than the fraction, so the ratio alone is
//    much cheaper than the pair. The level counts are fitted to the counts
//    that reach 2^-58 in 34-digit arithmetic (tests/tools/gen_k01.py keeps
//    the measurement with the reference table).
//  - |z| > 1e8: the first terms of the Hankel expansion (A&S 9.7.2), where
//    the recurrence's unnormalised values would overflow.
// For Re z < 0 the pair comes from zbesk.
#include "special/k01.hpp"

#include <array>
#include <cmath>
#include <limits>

#include "special/besselsub/zbes.hpp"
#include "special/cplx.hpp"

namespace slug {

namespace {

constexpr double kEulerGamma = 0.57721566490153286061;
constexpr double kSqrtHalfPi = 1.2533141373155002512;  // sqrt(pi/2)

// The ascending series serves |z| + Re z <= kSeriesBound.
constexpr double kSeriesBound = 2.8;
// Beyond this modulus the Hankel expansion (pair) and the one-level
// fraction (ratio) take over.
constexpr double kHankelBound = 1e8;

// ---------------------------------------------------------------------
// Ascending series.
//   K0(z)   = Sum_{k>=0} (H_k - L) w^k / (k!)^2,
//   z K1(z) = 1 + 2w Sum_{k>=0} (L - (H_k + H_{k+1})/2) w^k / (k! (k+1)!),
// with w = z^2/4, L = ln(z/2) + gamma on the principal branch and H_k the
// harmonic numbers (H_0 = 0).

constexpr int kSeriesMax = 15;  // highest power of w ever needed is 14

struct SeriesTables {
    std::array<double, kSeriesMax + 1> inv_fact2{};     // 1/(k!)^2
    std::array<double, kSeriesMax + 1> harm_fact2{};    // H_k/(k!)^2
    std::array<double, kSeriesMax + 1> inv_fact_fact{};  // 1/(k!(k+1)!)
    std::array<double, kSeriesMax + 1> harm_fact_fact{};  // (H_k + H_{k+1})/(2 k!(k+1)!)
};

// Formed in long double (64-bit significand), then rounded once to double.
constexpr SeriesTables make_series_tables() {
    SeriesTables t;
    long double f2 = 1.0L, ff = 1.0L, h = 0.0L;
    for (int k = 0; k <= kSeriesMax; ++k) {
        if (k > 0) {
            f2 /= static_cast<long double>(k) * k;
            ff /= static_cast<long double>(k) * (k + 1);
            h += 1.0L / k;
        } else {
            ff = 1.0L;  // 1/(0! 1!)
        }
        const long double h_next = h + 1.0L / (k + 1);
        t.inv_fact2[k] = static_cast<double>(f2);
        t.harm_fact2[k] = static_cast<double>(h * f2);
        t.inv_fact_fact[k] = static_cast<double>(ff);
        t.harm_fact_fact[k] = static_cast<double>(0.5L * (h + h_next) * ff);
    }
    return t;
}
constexpr SeriesTables kSeries = make_series_tables();

// Largest |z|^2 for which the powers w^0 .. w^n suffice, n = 2, 3, ...:
// the first omitted term, |z/2|^{2(n+1)} (H_{n+1} + 2.5)/((n+1)!)^2 (2.5
// bounds |L| + 1 in the region unless |z| is so small that K0 ~ -L), with
// 10 % for the rest of the tail, stays below 2^-57 of 0.24, the smallest
// |K0| in the region (at z = 1.4). Rounded down.
constexpr std::array<double, 13> kSeriesR2Max = {9.30e-6, 4.69e-4, 5.41e-3, 0.0294, 0.103,
                                                 0.273,   0.598,   1.14,    1.98,   3.17,
                                                 4.78,    6.88,    9.52};
static_assert(kSeriesR2Max.back() > kSeriesBound * kSeriesBound);
static_assert(static_cast<int>(kSeriesR2Max.size()) + 1 <= kSeriesMax);

struct SeriesValues {
    cplx k0;   // K0(z)
    cplx zk1;  // z K1(z)
};

// ln|z| without overflow or loss of digits to underflow of x^2 + y^2.
double log_modulus(double x, double y, double r2) {
    if (r2 > 0x1p-1000 && r2 < 0x1p1000) return 0.5 * std::log(r2);
    return std::log(std::hypot(x, y));
}

SeriesValues ascending_series(double x, double y, double r2) {
    int n = 2;
    while (r2 > kSeriesR2Max[n - 2]) ++n;

    // L = ln|z| - ln 2 + gamma + i arg z.
    const double l_re = log_modulus(x, y, r2) + (kEulerGamma - 0.69314718055994530942);
    const double l_im = std::atan2(y, x);
    // w = z^2/4
    const double w_re = 0.25 * (x - y) * (x + y);
    const double w_im = 0.5 * x * y;

    // Horner's rule from the highest power, so that the small terms are
    // added first; the coefficients H_k/(k!)^2 - L/(k!)^2 are complex.
    double a_re = kSeries.harm_fact2[n] - l_re * kSeries.inv_fact2[n];
    double a_im = -l_im * kSeries.inv_fact2[n];
    double b_re = l_re * kSeries.inv_fact_fact[n] - kSeries.harm_fact_fact[n];
    double b_im = l_im * kSeries.inv_fact_fact[n];
    for (int k = n - 1; k >= 0; --k) {
        const double ta = a_re * w_re - a_im * w_im + (kSeries.harm_fact2[k] - l_re * kSeries.inv_fact2[k]);
        a_im = a_re * w_im + a_im * w_re - l_im * kSeries.inv_fact2[k];
        a_re = ta;
        const double tb =
            b_re * w_re - b_im * w_im + (l_re * kSeries.inv_fact_fact[k] - kSeries.harm_fact_fact[k]);
        b_im = b_re * w_im + b_im * w_re + l_im * kSeries.inv_fact_fact[k];
        b_re = tb;
    }
    // z K1 = 1 + 2 w b
    const double zk1_re = 1.0 + 2.0 * (w_re * b_re - w_im * b_im);
    const double zk1_im = 2.0 * (w_re * b_im + w_im * b_re);
    return {{a_re, a_im}, {zk1_re, zk1_im}};
}

// ---------------------------------------------------------------------
// Continued fraction (Miller's backward recurrence).

// Levels for the ratio and for the normalised pair, as functions of s and
// sqrt(s) (s >= 1.4): fitted above the measured counts, plus one level.
int ratio_levels(double s, double sqrt_s) { return static_cast<int>(38.0 / s + 14.0 / sqrt_s + 3.5); }
int pair_levels(double s, double sqrt_s) { return static_cast<int>(160.0 / s + 24.0 / sqrt_s + 6.5); }

constexpr int kMaxPairLevels = 160;
static_assert(160.0 / 1.4 + 24.0 / 1.18 + 6.5 < kMaxPairLevels);

// C_n = C_{n-1} (n - 1/2)^2 / n, C_0 = 1 (C_160 ~ 1e280, still finite).
constexpr std::array<double, kMaxPairLevels + 1> make_normalisation() {
    std::array<double, kMaxPairLevels + 1> c{};
    long double v = 1.0L;
    c[0] = 1.0;
    for (int n = 1; n <= kMaxPairLevels; ++n) {
        const long double h = n - 0.5L;
        v = v * h * h / n;
        c[n] = static_cast<double>(v);
    }
    return c;
}
constexpr auto kNormalisation = make_normalisation();

struct MillerEnd {
    cplx u0, u1;  // unnormalised u_0 and u_1
    cplx sum;     // Sum C_n u_n (pair only)
};

// u_{N+1} = 0, u_N = 1, backwards to u_0, two levels per pass: from
// (u_n, u_{n+1}) both
//     u_{n-1} = b_n u_n - a_{n+1} u_{n+1},
//     u_{n-2} = (b_{n-1} b_n - a_n) u_n - a_{n+1} b_{n-1} u_{n+1},
// with b_n = 2(n + z), a_n = (n - 1/2)^2. The coefficients do not depend on
// the u, so each pass costs the latency of one complex multiply-add instead
// of two. With the normalising sum (WithSum) the unnormalised values reach
// 1e290 at 140 levels, so u and the sum are scaled down by 2^-600
// (exactly) whenever u passes 2^600; without it they stay below 1e80 for
// the level counts of the ratio (|z| <= 1e8).
template <bool WithSum>
MillerEnd miller(double x, double y, int levels) {
    const double bx = 2.0 * x, by = 2.0 * y;
    double u_re = 1.0, u_im = 0.0;  // u_n
    double v_re = 0.0, v_im = 0.0;  // u_{n+1}
    double s_re = WithSum ? kNormalisation[levels] : 0.0, s_im = 0.0;
    int n = levels;
    if (n % 2 == 1) {
        // One single level first, so that the passes end at u_0:
        // u_{N-1} = b_N u_N = b_N.
        v_re = 1.0;
        u_re = 2.0 * n + bx;
        u_im = by;
        --n;
        if constexpr (WithSum) {
            s_re += kNormalisation[n] * u_re;
            s_im += kNormalisation[n] * u_im;
        }
    }
    for (; n >= 2; n -= 2) {
        const double b1_re = 2.0 * n + bx;        // b_n (imaginary part by)
        const double b2_re = b1_re - 2.0;         // b_{n-1}
        const double a1 = (n + 0.5) * (n + 0.5);  // a_{n+1}
        const double a2 = (n - 0.5) * (n - 0.5);  // a_n
        const double m_re = b2_re * b1_re - by * by - a2;  // b_{n-1} b_n - a_n
        const double m_im = by * (b1_re + b2_re);
        const double c_re = -a1 * b2_re, c_im = -a1 * by;  // -a_{n+1} b_{n-1}
        const double p_re = b1_re * u_re - by * u_im - a1 * v_re;  // u_{n-1}
        const double p_im = b1_re * u_im + by * u_re - a1 * v_im;
        const double q_re = (m_re * u_re - m_im * u_im) + (c_re * v_re - c_im * v_im);  // u_{n-2}
        const double q_im = (m_re * u_im + m_im * u_re) + (c_re * v_im + c_im * v_re);
        u_re = q_re;
        u_im = q_im;
        v_re = p_re;
        v_im = p_im;
        if constexpr (WithSum) {
            s_re += kNormalisation[n - 1] * p_re + kNormalisation[n - 2] * q_re;
            s_im += kNormalisation[n - 1] * p_im + kNormalisation[n - 2] * q_im;
            if (std::fabs(u_re) + std::fabs(u_im) > 0x1p600) {
                u_re *= 0x1p-600;
                u_im *= 0x1p-600;
                v_re *= 0x1p-600;
                v_im *= 0x1p-600;
                s_re *= 0x1p-600;
                s_im *= 0x1p-600;
            }
        }
    }
    return {{u_re, u_im}, {v_re, v_im}, {s_re, s_im}};
}

// (z + 1/2) u_0 - u_1/4, so that K0/(z K1) = u_0 / this and
// K1/K0 = this / (z u_0).
cplx fraction_denominator(const cplx& z, const MillerEnd& m) {
    return (z + 0.5) * m.u0 - 0.25 * m.u1;
}

// sqrt(pi/(2z)) for Re z >= 0, z != 0, without overflow of 2z.
cplx sqrt_half_pi_over(const cplx& z) { return kSqrtHalfPi * smith_recip(principal_sqrt(z)); }

// ---------------------------------------------------------------------
// Hankel expansion, |z| > 1e8: terms to (8z)^-2; the next is below
// 225/(6 (8e8)^3) ~ 7e-26.
void hankel_pair(const cplx& z, cplx& k0, cplx& k1) {
    const cplx t = 0.125 * smith_recip(z);  // 1/(8z), without overflow of 8z
    const cplx t2 = t * t;
    // a_1(0) = -1, a_2(0) = 9; a_1(1) = 3, a_2(1) = -15 (a_k/k!: 9/2, -15/2)
    const cplx s0 = 1.0 - t + 4.5 * t2;
    const cplx s1 = 1.0 + 3.0 * t - 7.5 * t2;
    const cplx g = sqrt_half_pi_over(z);
    k0 = g * s0;
    k1 = g * s1;
}

// |z| without overflow or loss to underflow of x^2 + y^2; the squared
// modulus as formed sets the series' term count.
struct Modulus {
    double r2;  // x^2 + y^2 as formed (may have over- or underflowed)
    double r;
};
Modulus modulus(double x, double y) {
    const double r2 = x * x + y * y;
    if (r2 > 0x1p-1000 && r2 < 0x1p1000) return {r2, std::sqrt(r2)};
    return {r2, std::hypot(x, y)};
}

void zbesk_pair(const cplx& z, cplx& k0, cplx& k1) {
    double re[2] = {0.0, 0.0}, im[2] = {0.0, 0.0};
    int nz = 0, ierr = 0;
    zbesk(z.real(), z.imag(), 0.0, 2, 2, re, im, nz, ierr);
    if (ierr != 0 && ierr != 3) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        k0 = k1 = cplx(nan, nan);
        return;
    }
    k0 = cplx(re[0], im[0]);
    k1 = cplx(re[1], im[1]);
}

}  // namespace

void k01_scaled(std::complex<double> z, std::complex<double>& k0, std::complex<double>& k1) {
    const double x = z.real(), y = z.imag();
    if (std::isnan(x) || std::isnan(y)) {
        k0 = k1 = cplx(std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN());
        return;
    }
    if (x == 0.0 && y == 0.0) {
        k0 = k1 = cplx(std::numeric_limits<double>::infinity(), 0.0);
        return;
    }
    if (x < 0.0) {
        zbesk_pair(z, k0, k1);
        return;
    }
    const Modulus m = modulus(x, y);
    if (m.r + x <= kSeriesBound) {
        const SeriesValues v = ascending_series(x, y, m.r2);
        const double ex = std::exp(x);
        const cplx ez(ex * std::cos(y), ex * std::sin(y));
        k0 = ez * v.k0;
        k1 = smith_div(ez * v.zk1, z);
        return;
    }
    if (m.r > kHankelBound) {
        hankel_pair(z, k0, k1);
        return;
    }
    const double s = 0.5 * (m.r + x);
    const MillerEnd e = miller<true>(x, y, pair_levels(s, std::sqrt(s)));
    // e^z K0 = sqrt(pi/(2z)) u_0 / S;  e^z K1 = e^z K0 (denominator)/(z u_0).
    const cplx g = smith_div(sqrt_half_pi_over(z), e.sum);
    k0 = g * e.u0;
    k1 = smith_div(g * fraction_denominator(z, e), z);
}

std::complex<double> k0_over_zk1(std::complex<double> z) {
    const double x = z.real(), y = z.imag();
    if (std::isnan(x) || std::isnan(y))
        return {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN()};
    if (x == 0.0 && y == 0.0) return {std::numeric_limits<double>::infinity(), 0.0};
    if (x < 0.0) {
        cplx k0, k1;
        zbesk_pair(z, k0, k1);
        return smith_div(k0, z * k1);
    }
    const Modulus m = modulus(x, y);
    if (m.r + x <= kSeriesBound) {
        const SeriesValues v = ascending_series(x, y, m.r2);
        return smith_div(v.k0, v.zk1);
    }
    if (m.r > kHankelBound) {
        // One level: u_1/u_0 = 1/(2(1 + z)); the omitted level changes the
        // result by about 0.07/|z|^4.
        return smith_recip(z + 0.5 - 0.125 * smith_recip(z + 1.0));
    }
    const double s = 0.5 * (m.r + x);
    const MillerEnd e = miller<false>(x, y, ratio_levels(s, std::sqrt(s)));
    return smith_div(e.u0, fraction_denominator(z, e));
}

}  // namespace slug
