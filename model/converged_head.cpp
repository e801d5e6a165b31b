// The well response of laplace_head with four times its series terms and
// the radial factor K0(q)/(q K1(q)) from k0_over_zk1 (accurate to
// rounding). The terms decay like n^-3 times bounded oscillating factors
// (A^2 is bounded, C e ~ e/2, K0/(q K1) ~ 1/q ~ 1/(sqrt(XKD) e)), so the
// tail beyond the last term N is bounded by c Sum_{n>N} n^-3 < c/(2 N^2)
// with c the largest |term_n| n^3 of the last eight terms (the envelope,
// not the last term alone, which A^2 can make small by chance).
#include "model/converged_head.hpp"

#include <algorithm>
#include <cmath>

#include "model/series_detail.hpp"
#include "model/unsat_coefficient.hpp"
#include "special/cplx.hpp"
#include "special/k01.hpp"

namespace slug {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr int kTermFactor = 4;
constexpr int kEnvelopeTerms = 8;

// K0(q) A^2 / (e q K1(q) C e) of laplace_head, for the root e.
cplx term(const cplx& e, double xkd, const cplx& ccdp, double top, double bottom, double quarter_inv_len) {
    const cplx q = principal_sqrt(xkd * (e * e) + ccdp);
    const cplx a = std::sin(e * top) - std::sin(e * bottom);
    const cplx b = std::sin(2.0 * e * top) - std::sin(2.0 * e * bottom);
    const cplx ce = 0.5 * e + b * quarter_inv_len;
    return smith_div(k0_over_zk1(q) * (a * a), e * ce);
}

}  // namespace

ConvergedHead laplace_head_converged(const WellModel& m, std::complex<double> p, ModelLog* log) {
    const int nterms = kTermFactor * series_detail::term_count(m.numerics.NTERM, m.XKD2);
    const double sigma = 2.0 * (m.RW * m.RW / (m.RC * m.RC)) * m.SY * m.SL / m.BB;
    const cplx u = unsat_coefficient(m, sigma * p, log);
    const double top = 1.0 - m.XDD, bottom = 1.0 - m.XLD, len = m.XLD - m.XDD;
    const double quarter_inv_len = 0.25 / len;
    const cplx ccdp = m.CCD * p;

    cplx sum(0.0, 0.0);
    double envelope = 0.0;
    const auto add = [&](int n, const cplx& t) {
        sum += t;
        if (n > nterms - kEnvelopeTerms) envelope = std::max(envelope, std::abs(t) * std::pow(double(n), 3));
    };
    if (u == cplx(0.0, 0.0)) {
        if (ccdp == cplx(0.0, 0.0)) return {smith_div(cplx(m.HOB, 0.0), p), 0.0, 0};
        add(1, k0_over_zk1(principal_sqrt(ccdp)) * (len * len));
        for (int n = 2; n <= nterms; ++n)
            add(n, term(cplx((n - 1) * kPi, 0.0), m.XKD, ccdp, top, bottom, quarter_inv_len));
    } else {
        cplx x = series_detail::first_start(u), y, sy, cy;
        for (int n = 1; n <= nterms; ++n) {
            if (n >= 2) series_detail::next_start(y, x, sy, cy);
            if (!series_detail::newton_root(u, m.numerics.EPS, x, y, sy, cy, n >= 2)) throw RootIterationFailure();
            add(n, term(x, m.XKD, ccdp, top, bottom, quarter_inv_len));
        }
    }
    const cplx omega = m.SW + sum / len;
    const cplx den = 1.0 + p * omega;
    // dF/dOmega = HOB/(1 + p Omega)^2.
    const double tail = envelope / (2.0 * double(nterms) * double(nterms)) / len;
    return {smith_div(m.HOB * omega, den), std::fabs(m.HOB) * tail / std::norm(den), nterms};
}

}  // namespace slug
