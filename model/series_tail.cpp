// Tail of the vertical eigen-series: the sum over m >= M of the terms
//     T_m = g(e_m) A_m^2 / (e_m C_m e_m),   g = K0(q)/(q K1(q)),
// A = sin(e zt) - sin(e zb), C e = e/2 + (sin 2e zt - sin 2e zb)/(4 L),
// whose decay (like m^-2 while q is small, m^-3 later) is too slow to sum
// term by term to 1e-10.
//
// 1. Modes. With a = e^{i e zt}, b = e^{i e zb} and y = (C e)/(e/2) - 1,
//    |y| <= 1/(L |e|), the geometric factor expands as
//        2 A^2/(e^2 (1 + y)) = -(1/(2 e^2)) Sum_r v^r Q^2 E^r,  v = i/(4 L e),
//    Q = a - 1/a - b + 1/b, E = a^2 - 1/a^2 - b^2 + 1/b^2 (Laurent
//    polynomials with integer coefficients), truncated at the order r = R
//    whose remainder |y|^(R+1)/(1 - |y|) is bounded over the tail. Each
//    monomial a^j b^k is e^{i omega e}, omega = j zt + k zb; with
//    e_m = m pi + d_m it is z^m e^{i omega d_m}, z = e^{i theta}, theta =
//    pi omega reduced to (-pi, pi]. The tail is a finite sum of
//    Sum_m z^m psi(m) with psi smooth (a power of 1/m times slowly varying
//    factors).
// 2. Modes with |theta| >= 1, and smaller |theta| where its estimate is
//    small: Euler's transformation (summation by parts repeated; K. Knopp,
//    Theory and Application of Infinite Series, 1951, section 33)
//        Sum_{m>=M} z^m psi_m = z^M/(1-z) Sum_k (z/(1-z))^k Delta^k psi_M,
//    with |z/(1-z)| = 1/(2 sin(|theta|/2)) and Delta^k psi_M ~ k! psi_M / M^k,
//    cut where the remainder estimate is least.
// 3. Modes with |theta| < 1 not summed so (the mean, the near-resonant ones of a
//    screen touching the top or the base, or a short screen): the
//    Euler-Maclaurin formula for e^{i theta x} psi(x) written with forward
//    differences of psi (Gregory's form; A&S 25.4.7 for theta = 0):
//        Sum_{m>=M} e^{i theta (m-M)} psi_m
//          = Int_M^inf e^{i theta (x-M)} psi(x) dx + Sum_k c_k(theta) Delta^k psi_M,
//    c(theta; D) = G(i theta + ln(1 + D)), G(w) = 1/w - 1/(e^w - 1)
//    = -Sum_n B_{n+1} w^n/(n+1)!. The integral is taken along the real axis
//    (theta = 0) or the ray x = M + s e^{+-i pi/4} into the half-plane where
//    e^{i theta x} decays (psi is analytic there), by the double-exponential
//    rule of Takahasi and Mori (Publ. RIMS Kyoto Univ. 9 (1974) 721-741) in
//    its exp-sinh form, halving the step until two levels agree; psi at a
//    non-integer x uses
//    the root branch e(x) = pi x + d(x), d = arctan(U/e) (plus the integer
//    multiple of pi of the roots), which passes through every root.
// The bound is the sum of the first omitted terms (Euler: the remainder
// (z/(1-z))^K Sum_m z^m Delta^K psi_m bounded by its first term times the
// number of terms it effectively has), the difference of the last two
// quadrature levels and the bound of the truncated expansion in y.
#include "model/series_tail.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "special/cplx.hpp"
#include "special/k01.hpp"

namespace slug::series_tail {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr int kK = kTailSamples - 1;  // highest difference order
constexpr int kMaxOrder = 10;         // highest order r of the expansion in y
constexpr int kMaxDegree = 2 + 2 * kMaxOrder;
constexpr double kNearAngle = 1.0;  // |theta| from which a mode is always summed by Euler
constexpr double kEulerShare = 1e-2;  // share of the aim that one mode below kNearAngle may take
constexpr double kUlp = 0x1p-52;      // unit in the last place of 1

// G_n = -B_{n+1}/(n+1)!, the Taylor coefficients of G(w) = 1/w - 1/(e^w - 1)
// (B the Bernoulli numbers).
constexpr double kG[] = {
    0.5, -0.083333333333333329, 0, 0.0013888888888888889, 0, -3.3068783068783071e-05, 0,
    8.2671957671957675e-07, 0, -2.08767569878681e-08, 0, 5.2841901386874932e-10, 0,
    -1.3382536530684679e-11, 0, 3.3896802963225827e-13, 0, -8.5860620562778452e-15, 0,
    2.1748686985580619e-16, 0, -5.5090028283602295e-18, 0, 1.3954464685812522e-19, 0,
    -3.5347070396294673e-21, 0, 8.9535174270375463e-23, 0, -2.2679524523376829e-24, 0,
    5.7447906688722025e-26, 0, -1.455172475614865e-27, 0, 3.6859949406653103e-29, 0,
    -9.3367342570950451e-31, 0, 2.36502241570063e-32, 0, -5.9906717624821341e-34};
constexpr int kGCount = sizeof(kG) / sizeof(kG[0]);

// One monomial a^j b^k of the expansion: its coefficients in Q^2 E^r,
// r = 0..kMaxOrder, and the least r at which it appears.
struct Mode {
    int j, k, order;
    std::array<double, kMaxOrder + 1> h;
};

// ln(1 + D)^j truncated at D^kK: lnpow[j][k] is the coefficient of D^k.
struct Tables {
    std::vector<Mode> modes;  // by increasing order
    std::array<std::array<double, kK + 1>, kK + 1> lnpow;
    std::array<std::array<double, kGCount>, kGCount> gbinom;  // G_n C(n, j)
    std::array<cplx, kK + 1> gregory;  // c_k(0)
};

Tables build_tables() {
    Tables t{};
    constexpr int w = 2 * kMaxDegree + 1;
    std::vector<double> cur(w * w, 0.0), next(w * w, 0.0);
    auto cell = [](int j, int k) { return (j + kMaxDegree) * w + (k + kMaxDegree); };
    const int qj[4] = {1, -1, 0, 0}, qk[4] = {0, 0, 1, -1};
    const double qc[4] = {1, -1, -1, 1};
    for (int s = 0; s < 4; ++s)
        for (int r = 0; r < 4; ++r) cur[cell(qj[s] + qj[r], qk[s] + qk[r])] += qc[s] * qc[r];
    const int ej[4] = {2, -2, 0, 0}, ek[4] = {0, 0, 2, -2};
    std::vector<std::array<double, kMaxOrder + 1>> coef(w * w);
    for (auto& c : coef) c.fill(0.0);
    for (int r = 0; r <= kMaxOrder; ++r) {
        for (int i = 0; i < w * w; ++i) coef[i][r] = cur[i];
        if (r == kMaxOrder) break;
        std::fill(next.begin(), next.end(), 0.0);
        for (int j = -kMaxDegree; j <= kMaxDegree; ++j)
            for (int k = -kMaxDegree; k <= kMaxDegree; ++k) {
                const double c = cur[cell(j, k)];
                if (c == 0.0) continue;
                for (int s = 0; s < 4; ++s) next[cell(j + ej[s], k + ek[s])] += c * qc[s];
            }
        std::swap(cur, next);
    }
    for (int j = -kMaxDegree; j <= kMaxDegree; ++j)
        for (int k = -kMaxDegree; k <= kMaxDegree; ++k) {
            const auto& c = coef[cell(j, k)];
            int order = -1;
            for (int r = 0; r <= kMaxOrder && order < 0; ++r)
                if (c[r] != 0.0) order = r;
            if (order >= 0) t.modes.push_back({j, k, order, c});
        }
    std::stable_sort(t.modes.begin(), t.modes.end(),
                     [](const Mode& a, const Mode& b) { return a.order < b.order; });

    // ln(1 + D) = D - D^2/2 + D^3/3 - ...
    std::array<double, kK + 1> ln{};
    for (int k = 1; k <= kK; ++k) ln[k] = (k % 2 == 1 ? 1.0 : -1.0) / k;
    t.lnpow[0].fill(0.0);
    t.lnpow[0][0] = 1.0;
    for (int j = 1; j <= kK; ++j) {
        t.lnpow[j].fill(0.0);
        for (int a = 0; a <= kK; ++a)
            for (int b = 1; a + b <= kK; ++b) t.lnpow[j][a + b] += t.lnpow[j - 1][a] * ln[b];
    }
    for (int n = 0; n < kGCount; ++n) {
        double b = 1.0;
        t.gbinom[n].fill(0.0);
        for (int j = 0; j <= n; ++j) {
            t.gbinom[n][j] = kG[n] * b;
            b = b * (n - j) / (j + 1);
        }
    }
    // Gregory's coefficients: G(ln(1 + D)) = Sum_j G_j ln(1 + D)^j.
    t.gregory.fill(0.0);
    for (int j = 0; j <= kK; ++j)
        for (int k = j; k <= kK; ++k) t.gregory[k] += kG[j] * t.lnpow[j][k];
    return t;
}

const Tables& tables() {
    static const Tables t = build_tables();
    return t;
}

// |z| from the squared modulus where that neither overflows nor loses
// digits to underflow (the library's hypot costs more than the rest of a
// mode's Euler sum).
inline double modulus(const cplx& z) {
    const double n = z.real() * z.real() + z.imag() * z.imag();
    if (n > 0x1p-1000 && n < 0x1p1000) return std::sqrt(n);
    return std::abs(z);
}

// Product without the C99 Annex G recovery of infinities that the library's
// complex multiply checks for (the values here are finite; a NaN stays a
// NaN and ends in an infinite bound).
inline cplx mul(const cplx& a, const cplx& b) {
    return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

// theta = pi omega reduced to (-pi, pi]; exact 0 when omega is an even
// integer.
double reduced_angle(double omega) { return kPi * (omega - 2.0 * std::nearbyint(0.5 * omega)); }

// c_k(theta), k = 0..kK: the coefficients of D^k in G(i theta + ln(1 + D)),
// from the Taylor coefficients of G at i theta,
// G^(j)(i theta)/j! = Sum_{n>=j} G_n C(n, j) (i theta)^(n-j).
std::array<cplx, kK + 1> boundary_coefficients(double theta) {
    const Tables& t = tables();
    if (theta == 0.0) return t.gregory;
    std::array<cplx, kGCount> ipow;
    ipow[0] = 1.0;
    for (int n = 1; n < kGCount; ++n) ipow[n] = mul(ipow[n - 1], cplx(0.0, theta));
    std::array<cplx, kK + 1> c{};
    for (int j = 0; j <= kK; ++j) {
        cplx gj = 0.0;
        for (int n = j; n < kGCount; ++n) {
            const double gb = t.gbinom[n][j];
            if (gb == 0.0) continue;
            const cplx term = gb * ipow[n - j];
            gj += term;
            // The G_n fall like (2 pi)^-n: once a term is below 1e-18 of the
            // sum, the rest are too.
            if (n > j + 1 && std::fabs(term.real()) + std::fabs(term.imag()) <
                                 1e-18 * (std::fabs(gj.real()) + std::fabs(gj.imag())))
                break;
        }
        for (int k = j; k <= kK; ++k) c[k] += gj * t.lnpow[j][k];
    }
    return c;
}

// The branch of the roots through the first sample: e(x) = pi x + d(x),
// d = F(U/e) + n pi, F = arctan on |w| <= 1 and sign pi/2 - arctan(1/w)
// outside, so that the principal branch's cut on the imaginary axis beyond
// +-i is not crossed where Re w keeps its sign.
struct RootBranch {
    cplx u;
    double sign;    // sign of Re(U/e) at the first sample
    double offset;  // n pi
};

// arctan w for |w| <= 1/4 by its Taylor series (terms to w^29: the next
// is below 2^-62 |w|).
cplx small_atan(const cplx& w) {
    const cplx w2 = -mul(w, w);
    cplx s = 1.0 / 29.0;
    for (int n = 27; n >= 1; n -= 2) s = mul(s, w2) + 1.0 / n;
    return mul(w, s);
}

// arctan w for |w| <= 1: the argument halved (about) by
// arctan w = 2 arctan(w/(1 + sqrt(1 + w^2))) until |w| <= 1/4, then the
// series.
cplx unit_atan(cplx w) {
    double factor = 1.0;
    for (int i = 0; i < 4 && w.real() * w.real() + w.imag() * w.imag() > 0.0625; ++i) {
        w = smith_div(w, 1.0 + principal_sqrt(1.0 + mul(w, w)));
        factor *= 2.0;
    }
    return factor * small_atan(w);
}

cplx branch_atan(const cplx& w, double sign) {
    const double n = w.real() * w.real() + w.imag() * w.imag();
    if (n <= 1.0) return unit_atan(w);
    return sign * 0.5 * kPi - unit_atan(smith_recip(w));
}

RootBranch root_branch(const cplx& u, const cplx& e0, int m0) {
    RootBranch b{u, 1.0, 0.0};
    if (u == cplx(0.0, 0.0)) return b;
    const cplx w = smith_div(u, e0);
    b.sign = w.real() < 0.0 ? -1.0 : 1.0;
    const cplx d0 = e0 - kPi * m0;
    b.offset = kPi * std::nearbyint((d0 - branch_atan(w, b.sign)).real() / kPi);
    return b;
}

// e(x) on the branch, by Newton's method on d - F(U/(pi x + d)) - n pi.
cplx branch_root(const RootBranch& b, const cplx& x) {
    const cplx px = kPi * x;
    if (b.u == cplx(0.0, 0.0)) return px;
    cplx d = branch_atan(smith_div(b.u, px), b.sign) + b.offset;
    for (int it = 0; it < 40; ++it) {
        const cplx e = px + d;
        const cplx r = d - branch_atan(smith_div(b.u, e), b.sign) - b.offset;
        const cplx dr = 1.0 + smith_div(b.u, e * e + b.u * b.u);
        const cplx step = smith_div(r, dr);
        d -= step;
        if (!(modulus(step) > 1e-16 * modulus(px + d))) break;
    }
    return px + d;
}

// Per-sample (or per-node) factors of the modes: the common factor
// -g/(2 e^2), the powers of v = i/(4 L e), and the powers of
// alpha = e^{i zt d}, beta = e^{i zb d} (d = e - pi x).
struct Factors {
    cplx pre;
    cplx v;
    std::array<cplx, kMaxOrder + 1> vpow;
    std::array<cplx, 2 * kMaxDegree + 1> apow, bpow;
};

// Powers of alpha to |j| <= dj and of beta to |k| <= dk.
void make_factors(const Geometry& geo, const cplx& e, const cplx& g, const cplx& d, int order, int dj, int dk,
                  Factors& f) {
    f.pre = -0.5 * smith_div(g, e * e);
    const cplx v = smith_div(cplx(0.0, 0.25 / geo.len), e);
    f.v = v;
    f.vpow[0] = 1.0;
    for (int r = 1; r <= order; ++r) f.vpow[r] = mul(f.vpow[r - 1], v);
    f.apow[kMaxDegree] = f.bpow[kMaxDegree] = 1.0;
    if (dj > 0) {
        const cplx alpha = std::exp(cplx(0.0, geo.top) * d);
        const cplx ialpha = smith_recip(alpha);
        for (int j = 1; j <= dj; ++j) {
            f.apow[kMaxDegree + j] = mul(f.apow[kMaxDegree + j - 1], alpha);
            f.apow[kMaxDegree - j] = mul(f.apow[kMaxDegree - j + 1], ialpha);
        }
    }
    if (dk > 0) {
        const cplx beta = std::exp(cplx(0.0, geo.bottom) * d);
        const cplx ibeta = smith_recip(beta);
        for (int k = 1; k <= dk; ++k) {
            f.bpow[kMaxDegree + k] = mul(f.bpow[kMaxDegree + k - 1], beta);
            f.bpow[kMaxDegree - k] = mul(f.bpow[kMaxDegree - k + 1], ibeta);
        }
    }
}

cplx mode_value(const Mode& md, const Factors& f, int order) {
    cplx p = 0.0;
    for (int r = order; r >= md.order; --r) p = mul(p, f.v) + md.h[r];
    p = mul(p, f.vpow[md.order]);
    return mul(mul(f.pre, p), mul(f.apow[kMaxDegree + md.j], f.bpow[kMaxDegree + md.k]));
}

// Forward differences Delta^k psi_0, k = 0..n-1, of the first n values.
std::array<cplx, kK + 1> differences(std::array<cplx, kTailSamples> v, int n) {
    std::array<cplx, kK + 1> d{};
    for (int k = 0; k < n; ++k) {
        d[k] = v[0];
        for (int i = 0; i + 1 < n - k; ++i) v[i] = v[i + 1] - v[i];
    }
    return d;
}

// Samples a mode of order r uses: the higher orders are smaller by
// (1/(L e))^r and need fewer differences.
// Beyond them the differences of a smooth psi (Delta^k psi ~ (k+1)! psi/M^k)
// sink below their rounding (2^k of an ulp), so later M use fewer.
int samples_for(int order, int first) {
    const int by_order = order <= 1 ? kTailSamples : order <= 3 ? 11 : 7;
    const int by_start = first >= 400 ? 9 : first >= 150 ? 11 : first >= 80 ? 13 : kTailSamples;
    return std::min(by_order, by_start);
}

// Bound of the tail of the expansion in y omitted beyond order r: with
// |A|^2 <= 4, |e_m| >= (m - 1/2) pi, |y_m| <= rho_m = 1/(L |e_m|) and
// |g_m| <= gmax, Sum_m 8 gmax rho_m^(r+1)/((1 - rho_M) |e_m|^2), the sum
// bounded by the integral from M - 1.
double expansion_bound(double gmax, double len, int first, double rho, int r) {
    const double p = r + 3.0;
    const double s = std::pow(first - 1.0, -(p - 1.0)) / (p - 1.0);
    return 8.0 * gmax / (1.0 - rho) * std::pow(1.0 / (len * kPi), r + 1) / (kPi * kPi) * s;
}

}  // namespace

int least_start(double len) {
    const double m = 4.0 / (kPi * len) + 2.0;
    return m < 1e6 ? static_cast<int>(std::ceil(m)) : 1000000;
}

Sum tail_sum(const Geometry& geo, const Samples& s, double tol) {
    const Tables& tab = tables();
    const int first = s.first;
    const double inf = std::numeric_limits<double>::infinity();

    // Order of the expansion in y.
    double gmax = 0.0;
    for (const cplx& g : s.g) gmax = std::max(gmax, std::abs(g));
    const double rho = 1.0 / (geo.len * std::abs(s.root[0]));
    if (!(rho < 1.0) || first < 2) return {cplx(0.0, 0.0), inf};
    int order = 0;
    double ybound = expansion_bound(gmax, geo.len, first, rho, 0);
    while (order < kMaxOrder && !(ybound <= 0.1 * tol)) {
        ++order;
        ybound = expansion_bound(gmax, geo.len, first, rho, order);
    }
    const int degree = 2 + 2 * order;

    // Factors at the samples.
    std::array<Factors, kTailSamples> fs;
    for (int i = 0; i < kTailSamples; ++i) {
        const cplx d = s.root[i] - kPi * (first + i);
        make_factors(geo, s.root[i], s.g[i], d, order, degree, degree, fs[i]);
    }

    struct Near {
        const Mode* mode;
        double theta;
        int lshift;   // theta = pi (j zt + k zb) - 2 pi lshift
        cplx zfirst;  // e^{i theta M}
    };
    std::vector<Near> near;
    // e^{i theta M} = A^j B^k, A = e^{i pi zt M}, B = e^{i pi zb M} (the
    // 2 pi of the reduction times the integer M drops out).
    std::array<cplx, 2 * kMaxDegree + 1> apm, bpm;
    {
        const cplx a = std::polar(1.0, std::remainder(kPi * geo.top * first, 2.0 * kPi));
        const cplx b = std::polar(1.0, std::remainder(kPi * geo.bottom * first, 2.0 * kPi));
        apm[kMaxDegree] = bpm[kMaxDegree] = 1.0;
        for (int j = 1; j <= degree; ++j) {
            apm[kMaxDegree + j] = mul(apm[kMaxDegree + j - 1], a);
            apm[kMaxDegree - j] = std::conj(apm[kMaxDegree + j]);
            bpm[kMaxDegree + j] = mul(bpm[kMaxDegree + j - 1], b);
            bpm[kMaxDegree - j] = std::conj(bpm[kMaxDegree + j]);
        }
    }

    cplx value = 0.0;
    double bound = ybound;
    for (const Mode& md : tab.modes) {
        if (md.order > order) break;
        const double theta = reduced_angle(md.j * geo.top + md.k * geo.bottom);
        const int ns = samples_for(md.order, first);
        const int kk = ns - 1;  // highest difference of this mode
        std::array<cplx, kTailSamples> psi;
        for (int i = 0; i < ns; ++i) psi[i] = mode_value(md, fs[i], order);
        const std::array<cplx, kK + 1> d = differences(psi, ns);
        const cplx zfirst = mul(apm[kMaxDegree + md.j], bpm[kMaxDegree + md.k]);
        // A difference is known only to its rounding, about 2^k ulps of the
        // largest sample (psi_M); below that it may even come out 0.
        double largest = 0.0;
        for (int i = 0; i < ns; ++i) largest = std::max(largest, modulus(psi[i]));
        std::array<double, kK + 1> dk{};  // |Delta^k psi_M|, not below its rounding
        double floor = 4.0 * kUlp * largest;
        for (int k = 0; k <= kk; ++k, floor *= 2.0) dk[k] = std::max(modulus(d[k]), floor);
        // Euler's transformation, cut at the order k whose remainder
        // estimate e_k = |z/(1-z)|^k |Delta^k psi_M| (1 + M/(k+1)) is least,
        // taking max(e_k, e_{k+1}) so that a difference small by chance is
        // not mistaken for convergence; used where that estimate is small
        // enough, otherwise the mode is near.
        if (theta != 0.0) {
            const cplx z = std::polar(1.0, theta);
            const cplx ratio = smith_div(z, 1.0 - z);
            const double aratio = std::abs(ratio);
            std::array<double, kK + 1> est{};
            double scale = 1.0;
            for (int k = 1; k <= kk; ++k) {
                scale *= aratio;
                est[k] = scale * dk[k] * (1.0 + first / (k + 1.0));
            }
            int best = 1;
            double best_bound = inf;
            for (int k = 1; k <= kk; ++k) {
                const double b = k < kk ? std::max(est[k], est[k + 1]) : est[k];
                if (b < best_bound) {
                    best_bound = b;
                    best = k;
                }
            }
            if (std::fabs(theta) >= kNearAngle || (best_bound <= kEulerShare * tol)) {
                cplx acc = 0.0;
                for (int k = best - 1; k >= 0; --k) acc = mul(acc, ratio) + d[k];
                value += smith_div(zfirst, 1.0 - z) * acc;
                bound += best_bound;
                continue;
            }
        }
        const std::array<cplx, kK + 1> c = boundary_coefficients(theta);
        cplx acc = 0.0;
        for (int k = 0; k < kk; ++k) acc += mul(c[k], d[k]);
        value += zfirst * acc;
        bound += 2.0 * modulus(c[kk]) * dk[kk];
        near.push_back({&md, theta, static_cast<int>(std::nearbyint(0.5 * (md.j * geo.top + md.k * geo.bottom))), zfirst});
    }

    // Integrals of the near modes: along the real axis for theta = 0 (as far
    // from the singularities above as from those below), on the ray above
    // it for theta > 0 (and theta = 0 where there are such modes) and below
    // it for theta < 0; in classes by order (the
    // higher orders are small and need fewer levels); the nodes of a path
    // are shared by its classes.
    const RootBranch branch = root_branch(geo.u, s.root[0], first);
    // With modes of theta > 0 the real-axis modes join their ray (one set of
    // nodes instead of two).
    bool rising = false;
    for (const Near& n : near) rising = rising || n.theta > 0.0;
    for (const double side : {0.0, 1.0, -1.0}) {
        constexpr int kClasses = 3;
        std::array<std::vector<const Near*>, kClasses> cls;
        bool any = false;
        int max_j = 0, max_k = 0;  // powers of alpha and beta the modes need
        double least_angle = inf;  // least nonzero |theta|
        for (const Near& n : near) {
            const double n_side = n.theta > 0.0 ? 1.0 : n.theta < 0.0 ? -1.0 : rising ? 1.0 : 0.0;
            if (n_side != side) continue;
            cls[std::min(n.mode->order, kClasses - 1)].push_back(&n);
            any = true;
            max_j = std::max(max_j, std::abs(n.mode->j));
            max_k = std::max(max_k, std::abs(n.mode->k));
            if (n.theta != 0.0) least_angle = std::min(least_angle, std::fabs(n.theta));
        }
        if (!any) continue;
        const cplx dir = std::polar(1.0, side * 0.25 * kPi);
        const double scale = first;
        const int lmax = degree / 2 + 1;
        std::array<cplx, kClasses> level{}, integral{};
        std::array<double, kClasses> l1{}, err{}, dprev{};
        std::array<bool, kClasses> active{};
        for (int c = 0; c < kClasses; ++c) active[c] = !cls[c].empty();
        std::array<cplx, 2 * kMaxDegree + 1> ppow, qpow;
        std::array<cplx, kMaxDegree + 3> rpow, rneg;
        // Adds the integrand at t to the level sums of the active classes.
        auto add_node = [&](double t) {
            const double w = std::exp(-kPi * std::sinh(t));
            const cplx offset = scale * w * dir;
            const cplx x = static_cast<double>(first) + offset;
            const cplx e = branch_root(branch, x);
            const cplx g = k0_over_zk1(principal_sqrt(geo.xkd * (e * e) + geo.ccdp));
            Factors f;
            make_factors(geo, e, g, e - kPi * x, order, max_j, max_k, f);
            const cplx jac = (scale * kPi * std::cosh(t) * w) * dir;
            // e^{i theta offset} = P^j Q^k R^l, P = e^{i pi zt offset},
            // Q = e^{i pi zb offset}, R = e^{-2 pi i offset}, while the powers
            // stay finite; beyond, the oscillating modes have decayed to 0.
            const double decay = std::fabs(offset.imag());
            const bool oscillating = least_angle * decay < 745.0;
            const bool powers = kPi * decay * (2.0 * degree + 2.0 * lmax) < 600.0;
            if (oscillating && powers) {
                const cplx pz = std::exp(cplx(0.0, kPi * geo.top) * offset);
                const cplx qz = std::exp(cplx(0.0, kPi * geo.bottom) * offset);
                const cplx rz = std::exp(cplx(0.0, -2.0 * kPi) * offset);
                const cplx ipz = smith_recip(pz), iqz = smith_recip(qz), irz = smith_recip(rz);
                ppow[kMaxDegree] = qpow[kMaxDegree] = 1.0;
                for (int j = 1; j <= degree; ++j) {
                    ppow[kMaxDegree + j] = ppow[kMaxDegree + j - 1] * pz;
                    ppow[kMaxDegree - j] = ppow[kMaxDegree - j + 1] * ipz;
                    qpow[kMaxDegree + j] = qpow[kMaxDegree + j - 1] * qz;
                    qpow[kMaxDegree - j] = qpow[kMaxDegree - j + 1] * iqz;
                }
                rpow[0] = rneg[0] = 1.0;
                for (int l = 1; l <= lmax; ++l) {
                    rpow[l] = rpow[l - 1] * rz;
                    rneg[l] = rneg[l - 1] * irz;
                }
            }
            for (int c = 0; c < kClasses; ++c) {
                if (!active[c]) continue;
                cplx sum = 0.0;
                for (const Near* n : cls[c]) {
                    cplx osc(1.0, 0.0);
                    if (n->theta != 0.0) {
                        if (!oscillating) continue;
                        if (powers) {
                            const int l = n->lshift;
                            osc = ppow[kMaxDegree + n->mode->j] * qpow[kMaxDegree + n->mode->k] *
                                  (l >= 0 ? rpow[l] : rneg[-l]);
                        } else {
                            osc = std::exp(cplx(0.0, n->theta) * offset);
                        }
                    }
                    sum += mul(mul(n->zfirst, osc), mode_value(*n->mode, f, order));
                }
                sum *= jac;
                level[c] += sum;
                l1[c] += modulus(sum);
            }
        };
        constexpr double kRange = 3.0;
        double h = 0.5;
        for (double t = -kRange; t <= kRange + 1e-12; t += h) add_node(t);
        for (int c = 0; c < kClasses; ++c) {
            integral[c] = level[c] * h;
            err[c] = inf;
        }
        for (int halving = 0; halving < 5; ++halving) {
            for (double t = -kRange + 0.5 * h; t < kRange; t += h) add_node(t);
            h *= 0.5;
            bool more = false;
            for (int c = 0; c < kClasses; ++c) {
                if (!active[c]) continue;
                const cplx refined = level[c] * h;
                const double d = std::abs(refined - integral[c]);
                const double norm = l1[c] * h;
                integral[c] = refined;
                // The error of I_h is estimated from the last two
                // differences d_h = |I_h - I_2h| and d_2h: as if it fell by
                // the square root of their ratio, d_h (d_h / d_2h)^(1/2)
                // (the double-exponential rule's error falls faster; the
                // root keeps a margin where it has not settled), plus
                // rounding.
                err[c] = (halving == 0 ? d : d * std::sqrt(std::min(1.0, d / dprev[c]))) + 1e-15 * norm;
                dprev[c] = d;
                if (err[c] <= 0.05 * tol) active[c] = false;
                more = more || active[c];
            }
            if (!more) break;
        }
        for (int c = 0; c < kClasses; ++c) {
            if (cls[c].empty()) continue;
            value += integral[c];
            bound += err[c];
        }
    }
    if (!std::isfinite(value.real()) || !std::isfinite(value.imag()) || !(bound < inf)) {
        // No usable sum (a root branch through a singularity of arctan, an
        // overflow): no tail, and a bound of all of it, |T_m| <=
        // 8 gmax/((1 - rho) |e_m|^2) summed from M.
        return {cplx(0.0, 0.0), 8.0 * gmax / ((1.0 - rho) * kPi * kPi * (first - 1.5))};
    }
    return {value, bound};
}

}  // namespace slug::series_tail
