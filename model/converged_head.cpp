// The well response of laplace_head with its eigenvalue series converged.
//
// Same model, same roots (Newton-Raphson on x sin x - U cos x, continued
// from root to root as there), same terms, but the radial factor
// K0(q)/(q K1(q)) from k0_over_zk1 (accurate to rounding) and the series
// not cut at the classic count: the terms are summed explicitly up to
// M = max(classic count, 200, 4/(pi L) + 2), and the rest by the asymptotic
// tail sum of series_tail.cpp (Euler's transformation for the oscillating
// modes, a Gregory-type Euler-Maclaurin formula with a contour integral for
// the smooth ones). Where the tail's error estimate is above the target,
// M is doubled (at most twice).
#include "model/converged_head.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/series_detail.hpp"
#include "model/series_tail.hpp"
#include "model/unsat_coefficient.hpp"
#include "special/cplx.hpp"
#include "special/k01.hpp"

namespace slug {

namespace {

constexpr double kPi = 3.141592653589793;
// Fewest explicit terms: the tail sum's differences need M well above their
// order, and the larger M the more modes Euler's transformation sums
// (|theta| M large) instead of a quadrature; 200 was the cheapest of 40,
// 120, 200 and 300 on the benchmark models.
constexpr int kLeastTerms = 200;
// Most explicit terms (a screen so short that the expansion of the screen
// mean of cos^2 needs more is summed this far and its bound says so).
constexpr int kMostTerms = 1 << 18;

using series_tail::kTailSamples;

// sin z and cos z from one real sine/cosine pair and sinh, cosh of the
// imaginary part: for |b| <= 1/4 (the screen angles of most roots) their
// Taylor series to b^13 (the next terms are below 5e-20 relative), beyond
// from one expm1 (sinh = m (m + 2)/(2 (m + 1)), cosh = 1 + m^2/(2 (m + 1)),
// m = e^|b| - 1, free of cancellation), and from |b| = 20 on e^|b|/2.
void csincos(const cplx& z, cplx& s, cplx& c) {
    const double a = z.real(), b = z.imag();
    const double sa = std::sin(a), ca = std::cos(a);
    double sh = 0.0, ch = 1.0;
    const double ab = std::fabs(b);
    if (ab == 0.0) {
    } else if (ab <= 0.25) {
        const double b2 = b * b;
        sh = b * (1.0 + b2 * (1.0 / 6 + b2 * (1.0 / 120 + b2 * (1.0 / 5040 +
             b2 * (1.0 / 362880 + b2 * (1.0 / 39916800 + b2 * (1.0 / 6227020800.0)))))));
        ch = 1.0 + b2 * (0.5 + b2 * (1.0 / 24 + b2 * (1.0 / 720 + b2 * (1.0 / 40320 +
             b2 * (1.0 / 3628800 + b2 * (1.0 / 479001600.0))))));
    } else if (ab < 20.0) {
        const double m = std::expm1(ab);
        const double h = 0.5 / (m + 1.0);
        sh = std::copysign(m * (m + 2.0) * h, b);
        ch = 1.0 + m * m * h;
    } else {
        sh = std::sinh(b);
        ch = std::cosh(b);
    }
    s = cplx(sa * ch, ca * sh);
    c = cplx(ca * ch, -sa * sh);
}

// The roots in order, term by term, and the terms themselves.
class Series {
public:
    Series(const WellModel& m, const cplx& u, const cplx& ccdp)
        : top_(1.0 - m.XDD), bottom_(1.0 - m.XLD), len_(m.XLD - m.XDD), xkd_(m.XKD), ccdp_(ccdp), u_(u),
          eps_(m.numerics.EPS), confined_(u == cplx(0.0, 0.0)) {
        if (!confined_) x_ = series_detail::first_start(u);
    }

    // Root of the next term (n = 1, 2, ...).
    cplx next_root() {
        const int n = next_n_++;
        if (confined_) return cplx((n - 1) * kPi, 0.0);
        if (n >= 2) series_detail::next_start(y_, x_, sy_, cy_);
        if (!series_detail::newton_root(u_, eps_, x_, y_, sy_, cy_, n >= 2)) throw RootIterationFailure();
        return x_;
    }

    cplx radial(const cplx& e) const { return k0_over_zk1(principal_sqrt(xkd_ * (e * e) + ccdp_)); }

    // g A^2/(e C e); at e = 0 (the first root of a top without flow) the
    // limit g L^2.
    cplx term(const cplx& e, const cplx& g) const {
        if (e == cplx(0.0, 0.0)) return g * (len_ * len_);
        cplx s1, c1, s2, c2;
        csincos(e * top_, s1, c1);
        csincos(e * bottom_, s2, c2);
        const cplx a = s1 - s2;
        const cplx b = 2.0 * s1 * c1 - 2.0 * s2 * c2;
        const cplx ce = 0.5 * e + b * (0.25 / len_);
        return smith_div(g * (a * a), e * ce);
    }

    series_tail::Geometry geometry() const { return {top_, bottom_, len_, xkd_, ccdp_, u_}; }

private:
    double top_, bottom_, len_, xkd_;
    cplx ccdp_, u_;
    double eps_;
    bool confined_;
    int next_n_ = 1;
    cplx x_, y_, sy_, cy_;
};

}  // namespace

namespace series_detail {

ConvergedHead converged_head_from(const WellModel& m, std::complex<double> p, int least, ModelLog* log) {
    const double inf = std::numeric_limits<double>::infinity();
    const int classic = series_detail::term_count(m.numerics.NTERM, m.XKD2);
    const double sigma = 2.0 * (m.RW * m.RW / (m.RC * m.RC)) * m.SY * m.SL / m.BB;
    const cplx pp = sigma * p;
    const cplx u = unsat_coefficient(m, pp, log);
    const cplx ccdp = m.CCD * p;
    const double len = m.XLD - m.XDD;
    // Aim of the truncation error of Omega, relative to |Omega|.
    const double target = m.numerics.series_target > 0.0 ? m.numerics.series_target : 1e-10;

    if (u == cplx(0.0, 0.0) && ccdp == cplx(0.0, 0.0)) {
        // No storage at all: Omega is infinite and F = HOB/p (as laplace_head).
        return {smith_div(cplx(m.HOB, 0.0), p), 0.0, 0};
    }

    Series series(m, u, ccdp);
    const bool usable = len > 0.0 && len <= 1.0 && m.XKD > 0.0;
    int start = std::max({classic, kLeastTerms, usable ? series_tail::least_start(len) : 0});
    start = std::max(std::min(start, kMostTerms), least);
    const int last_start = std::max(std::min(4 * start, kMostTerms), start);

    // The explicit sum in long double: thousands of terms of one sign in
    // the real part lose no digits to rounding (the reference with 10^5
    // terms relies on it).
    std::complex<long double> sum(0.0L, 0.0L);
    auto add = [&sum](const cplx& t) { sum += std::complex<long double>(t.real(), t.imag()); };
    auto sum_d = [&sum]() { return cplx(static_cast<double>(sum.real()), static_cast<double>(sum.imag())); };
    int done = 0;
    series_tail::Sum tail{cplx(0.0, 0.0), inf};
    while (true) {
        for (; done < start; ++done) {
            const cplx e = series.next_root();
            add(series.term(e, series.radial(e)));
        }
        if (!usable) break;
        series_tail::Samples s;
        s.first = done;
        for (int i = 0; i < kTailSamples; ++i) {
            s.root[i] = series.next_root();
            s.g[i] = series.radial(s.root[i]);
        }
        const double omega_est = std::abs(m.SW + sum_d() / len);
        tail = series_tail::tail_sum(series.geometry(), s, 0.1 * target * omega_est * len);
        if (tail.bound <= 0.5 * target * omega_est * len || start >= last_start) break;
        // Not there yet: the samples become explicit terms, and M doubles.
        for (int i = 0; i < kTailSamples; ++i) add(series.term(s.root[i], s.g[i]));
        done += kTailSamples;
        start = std::min(2 * start, last_start);
        start = std::max(start, done);
    }

    const cplx omega = m.SW + (sum_d() + tail.value) / len;
    const cplx value = smith_div(m.HOB * omega, 1.0 + p * omega);
    // |F(Omega + d) - F(Omega)| = HOB |d| / (|1 + p Omega| |1 + p (Omega + d)|).
    const double bomega = tail.bound / len;
    const double den = std::abs(1.0 + p * omega);
    const double den2 = den - std::abs(p) * bomega;
    const double bound = den2 > 0.0 ? std::fabs(m.HOB) * bomega / (den * den2) : inf;
    return {value, std::isnan(bound) ? inf : bound, done};
}

}  // namespace series_detail

ConvergedHead laplace_head_converged(const WellModel& m, std::complex<double> p, ModelLog* log) {
    return series_detail::converged_head_from(m, p, 0, log);
}

}  // namespace slug
