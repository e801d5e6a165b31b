// Logarithms of I_nu(x) and K_nu(x), Re x > 0, and the ratios of
// consecutive orders, free of overflow and underflow.
//
// Two methods, chosen by R = |sqrt(nu^2 + x^2)|:
//
// R >= kDebyeR: the uniform asymptotic expansions of Debye (DLMF 10.41.3,
//   10.41.4; Olver, "Asymptotics and Special Functions", ch. 10),
//     I_nu(x) ~ e^{nu eta} / (sqrt(2 pi) r^{1/2}) sum_k  U_k(p)/nu^k,
//     K_nu(x) ~ sqrt(pi/2) e^{-nu eta} / r^{1/2} sum_k (-1)^k U_k(p)/nu^k,
//   r = sqrt(nu^2 + x^2), p = nu/r, nu eta = r + nu log(x/(nu + r)).
//   U_k(p) holds only the powers p^k, p^{k+2}, ..., so U_k(p)/nu^k =
//   r^{-k} P_k(p^2): no division by a small order, and for small orders
//   the expansion turns into Hankel's large-argument expansion. The
//   polynomials follow from Debye's recurrence (DLMF 10.41.9)
//     U_{k+1}(p) = p^2(1-p^2)/2 U_k'(p) + 1/8 int_0^p (1-5t^2) U_k(t) dt,
//   evaluated at compile time. The expansion is uniform in nu for
//   |arg x| < pi/2, so it serves orders in the thousands as well as large
//   arguments.
//
// R < kDebyeR (order and argument both moderate):
//   K_nu and K_{nu+1} from the integral K_nu(x) = int_0^inf
//   e^{-x cosh t} cosh(nu t) dt (DLMF 10.32.9) by the trapezoidal rule,
//   which converges geometrically for this analytic, doubly exponentially
//   decaying integrand (Trefethen and Weideman, SIAM Rev. 56 (2014)
//   385-458); the terms are scaled by the integrand's real maximum.
//   I_{nu+1}/I_nu from Gauss's continued fraction (DLMF 10.33.1, evaluated
//   by the modified Lentz method, Thompson and Barnett, J. Comput. Phys.
//   64 (1986) 490-509), and I_nu from the Wronskian
//     I_nu K_{nu+1} + I_{nu+1} K_nu = 1/x   (DLMF 10.28.2).
#include "model/bessel_iklog.hpp"

#include <array>
#include <cmath>
#include <numbers>

#include "special/cplx.hpp"

namespace slug {

namespace {

constexpr int kTerms = 20;            // Debye terms U_0 .. U_19
constexpr int kDeg = 3 * kTerms;      // highest power of p in U_{kTerms-1}
constexpr double kDebyeR = 20.0;      // |sqrt(nu^2+x^2)| from which Debye is used

using Poly = std::array<double, kDeg + 1>;

// Coefficients of U_k(p) (index = power of p), k = 0 .. kTerms-1.
constexpr std::array<Poly, kTerms> debye_polys() {
    std::array<Poly, kTerms> u{};
    u[0][0] = 1.0;
    for (int k = 0; k + 1 < kTerms; ++k) {
        Poly& v = u[k + 1];
        for (int e = 0; e + 3 <= kDeg; ++e) {
            const double c = u[k][e];
            if (c == 0.0) continue;
            if (e > 0) {  // p^2 (1 - p^2) / 2 * e c p^{e-1}
                v[e + 1] += 0.5 * e * c;
                v[e + 3] -= 0.5 * e * c;
            }
            // 1/8 int_0^p (1 - 5 t^2) c t^e dt
            v[e + 1] += c / (8.0 * (e + 1));
            v[e + 3] -= 5.0 * c / (8.0 * (e + 3));
        }
    }
    return u;
}

constexpr std::array<Poly, kTerms> kU = debye_polys();

// log(1 + z), accurate for small |z|.
cplx clog1p(const cplx& z) {
    const double a = z.real(), b = z.imag();
    return {0.5 * std::log1p(2.0 * a + a * a + b * b), std::atan2(b, 1.0 + a)};
}

struct DebyeSums {
    cplx r, logx_minus_log_nu_r, si, sk;
};

// r, log(x/(nu+r)) and the two Debye sums at (nu, x).
DebyeSums debye_sums(double nu, const cplx& x) {
    DebyeSums out;
    const cplx r = principal_sqrt(cplx(nu * nu, 0.0) + x * x);
    out.r = r;
    out.logx_minus_log_nu_r = std::log(smith_div(x, nu + r));
    const cplx w = smith_recip(r);
    const cplx p2 = (nu * w) * (nu * w);
    cplx si = 1.0, sk = 1.0, wk = 1.0;
    for (int k = 1; k < kTerms; ++k) {
        wk *= w;
        cplx pk = 0.0;
        for (int e = 3 * k; e >= k; e -= 2) pk = pk * p2 + kU[k][e];
        const cplx t = wk * pk;
        const double at = std::abs(t);
        si += t;
        sk += (k % 2 == 0) ? t : -t;
        // From |r| = kDebyeR on the terms decrease through U_{kTerms-1};
        // stop once they no longer matter.
        if (at < 1e-18 * std::abs(si)) break;
    }
    out.si = si;
    out.sk = sk;
    return out;
}

IKLog debye(double nu, const cplx& x) {
    const DebyeSums a = debye_sums(nu, x);
    const DebyeSums b = debye_sums(nu + 1.0, x);
    const double log2pi = std::log(2.0 * std::numbers::pi);
    const cplx half_log_r = 0.5 * std::log(a.r);
    const cplx nu_eta = a.r + nu * a.logx_minus_log_nu_r;
    IKLog o;
    o.li = nu_eta - 0.5 * log2pi - half_log_r + std::log(a.si);
    o.lk = -nu_eta + 0.5 * (std::log(0.5 * std::numbers::pi)) - half_log_r + std::log(a.sk);
    // (nu+1) eta(nu+1) - nu eta(nu), formed without cancellation:
    //   r_b - r_a = (2 nu + 1)/(r_a + r_b),
    //   (nu+1) L_b - nu L_a = L_b + nu log((nu + r_a)/(nu + 1 + r_b)).
    const cplx dr = smith_div(cplx(2.0 * nu + 1.0, 0.0), a.r + b.r);
    //   (nu + r_a)/(nu + 1 + r_b) = 1 - (1 + r_b - r_a)/(nu + 1 + r_b).
    const cplx dl = b.logx_minus_log_nu_r +
                    nu * clog1p(-smith_div(1.0 + dr, nu + 1.0 + b.r));
    const cplx dhalf = 0.5 * std::log(smith_div(b.r, a.r));
    o.rho = std::exp(dr + dl - dhalf + std::log(smith_div(b.si, a.si)));
    o.h = std::exp(-dr - dl - dhalf + std::log(smith_div(b.sk, a.sk)));
    o.ok = true;
    return o;
}

// log K_nu(x) by the trapezoidal rule on int_0^inf e^{-x cosh t} cosh(nu t).
cplx log_k_trapezoid(double nu, const cplx& x) {
    const double xr = x.real();
    const double theta = std::fabs(std::arg(x));
    // The integrand is analytic and decays in |Im t| < pi/2 - |arg x|. On
    // the line Im t = dstrip it exceeds the real-axis maximum by up to
    // e^{Re x} (the decay of K) times cos(dstrip + |arg x|)^{-nu} (the
    // growth of cosh(nu t) against the weakened decay); the trapezoidal
    // error is exp(-2 pi dstrip/h) times that excess, so h is chosen to
    // bring it below e^{-46} of the value.
    const double dstrip = 0.5 * (0.5 * std::numbers::pi - theta);
    const double excess = xr - nu * std::log(std::cos(dstrip + theta));
    const double step = 2.0 * std::numbers::pi * dstrip / (46.0 + excess);
    // Real part of the exponent -x cosh t + nu t is largest at
    // sinh t* = nu/Re x.
    const double tstar = std::asinh(nu / xr);
    const double gmax = -xr * std::cosh(tstar) + nu * tstar;
    cplx sum = 0.5 * std::exp(-x - gmax);  // t = 0, weight 1/2
    for (int j = 1; j < 200000; ++j) {
        const double t = j * step;
        const cplx g = -x * std::cosh(t) + nu * t;
        const double rel = g.real() - gmax;
        if (t > tstar && rel < -46.0) break;
        // cosh(nu t) = e^{nu t} (1 + e^{-2 nu t})/2
        sum += std::exp(g - gmax) * (0.5 * (1.0 + std::exp(-2.0 * nu * t)));
    }
    return std::log(sum * step) + gmax;
}

// I_{nu+1}(x)/I_nu(x) by Gauss's continued fraction
//   1/(2(nu+1)/x + 1/(2(nu+2)/x + ...)), modified Lentz method.
cplx i_ratio_cf(double nu, const cplx& x, bool& ok) {
    const double tiny = 1e-300;
    const cplx xinv = smith_recip(x);
    cplx f = tiny, c = f, dd = 0.0;
    for (int k = 1; k < 100000; ++k) {
        const cplx b = 2.0 * (nu + k) * xinv;
        dd = b + dd;
        if (dd == 0.0) dd = tiny;
        c = b + smith_recip(c);
        if (c == 0.0) c = tiny;
        dd = smith_recip(dd);
        const cplx delta = c * dd;
        f *= delta;
        if (std::abs(delta - 1.0) < 1e-16) {
            ok = true;
            return f;
        }
    }
    ok = false;
    return f;
}

bool finite(const cplx& z) { return std::isfinite(z.real()) && std::isfinite(z.imag()); }

}  // namespace

IKLog bessel_iklog(double nu, const std::complex<double>& x) {
    IKLog o{};
    o.ok = false;
    if (!(x.real() > 0.0) || !(nu >= 0.0) || !finite(x)) return o;
    if (std::abs(principal_sqrt(cplx(nu * nu, 0.0) + x * x)) >= kDebyeR) {
        o = debye(nu, x);
    } else {
        const cplx lk0 = log_k_trapezoid(nu, x);
        const cplx lk1 = log_k_trapezoid(nu + 1.0, x);
        bool ok = false;
        o.rho = i_ratio_cf(nu, x, ok);
        o.lk = lk0;
        o.h = std::exp(lk1 - lk0);
        // Wronskian: I_nu = 1/(x K_nu (h + rho))
        o.li = -std::log(x) - lk0 - std::log(o.h + o.rho);
        o.ok = ok;
    }
    o.ok = o.ok && finite(o.li) && finite(o.lk) && finite(o.rho) && finite(o.h);
    return o;
}

}  // namespace slug
