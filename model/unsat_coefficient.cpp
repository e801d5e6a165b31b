// Top-boundary coefficient U = -phi'(0)/phi(0) of the unsaturated zone.
//
// The zone's linearized, Laplace-transformed head phi(eta) satisfies
//   phi'' - a2 phi' - a1 c e^{-d eta} phi = 0,  c = p'/XKD2, d = a1 - a2,
// with a1 = UA1, a2 = UA2: the linearized unsaturated flow of Kroszynski
// and Dagan (Water Resour. Res., 1975) with conductivity and moisture
// capacity decaying exponentially with height at different rates (as in
// Mishra and Neuman, Water Resour. Res. 46, W07508, 2010), and either
// phi'(UL1) = 0 (top without flow)
// or phi bounded as eta -> infinity (unbounded zone, UL1 >= UL2).
//
// Equal exponents (|d| below 0.01 in single precision): constant
// coefficients, exponential solutions.
//
// Otherwise, with xi = x1 e^{-d eta/2}, x1 = 2 sqrt(a1 c)/|d|, the
// solutions are phi = xi^{-a2/d} C_{nu2}(xi), C a modified Bessel function
// of order nu2 = a2/|d|, and with s = sqrt(a1 c), nu1 = a1/|d|,
//   d < 0, unbounded:  U = s K_nu1(x1)/K_nu2(x1)
//   d < 0, bounded:    U = s (K_nu1(x1) - r I_nu1(x1))/(K_nu2(x1) + r I_nu2(x1)),
//                      r = K_nu1(x2)/I_nu1(x2)
//   d > 0, unbounded:  U = s I_nu1(x1)/I_nu2(x1)
//   d > 0, bounded:    U = s (I_nu1(x1) - B K_nu1(x1))/(I_nu2(x1) + B K_nu2(x1)),
//                      B = I_nu1(x2)/K_nu1(x2)
// where x2 = x1 e^{-d UL1/2} is the argument at the top (derivation in
// docs/unsatzone.md). The argument lies in the right half-plane, where
// these combinations have no cancellation (unlike J + iY = H^(1) of the
// rotated argument, which is exponentially smaller than its parts).
//
// The values come from the complex Bessel package (Amos, ACM TOMS 644) in
// scaled form, kept as mantissa and exponent so that the scale factors
// combine as exponents; where the package gives no usable value (orders
// far above the argument: I underflows, K overflows), logarithms and
// ratios of consecutive orders from model/bessel_iklog are used instead.
#include "model/unsat_coefficient.hpp"

#include <algorithm>
#include <cmath>

#include "model/bessel_iklog.hpp"
#include "special/besselsub/zbes.hpp"
#include "special/cplx.hpp"

namespace slug {

namespace {

// e^z - 1 without cancellation for small |z|.
cplx cexpm1(const cplx& z) {
    const double x = z.real(), y = z.imag();
    const double em1 = std::expm1(x);
    const double s = std::sin(0.5 * y);
    // e^x cos y - 1 = expm1(x) cos y - 2 sin^2(y/2)
    return {em1 * std::cos(y) - 2.0 * s * s, std::exp(x) * std::sin(y)};
}

// Equal exponents a: roots m = (a/2)(1 +- S), S = sqrt(1 + 4c/a).
// Unbounded zone: U = (a/2)(S - 1). Top at L without flow:
//   U = (a/2)(S(1+R)/(1-R) - 1),  R = e^{-a L S}(1-S)/(1+S).
// Both are evaluated with S - 1 = w/(1 + S), w = 4c/a, which is exact
// algebra and keeps full relative accuracy when |p'| is small.
cplx equal_exponents(const WellModel& z, const cplx& pp) {
    const double a = z.UA1;
    const cplx w = smith_div(4.0 * pp, cplx(a * z.XKD2, 0.0));
    const cplx s = principal_sqrt(1.0 + w);
    const cplx sm1 = smith_div(w, 1.0 + s);  // S - 1
    if (z.UL1 >= z.UL2) return 0.5 * a * sm1;
    // With E = e^{-a L S}: R = -E w/(1+S)^2, and
    // S(1+R)/(1-R) - 1 = ((S-1) + R(1+S))/(1-R) = (S-1)(1 - E)/(1 - R).
    const cplx mals = -a * z.UL1 * s;
    const cplx e = std::exp(mals);
    const cplx r = -e * smith_div(sm1, 1.0 + s);
    const cplx one_minus_e = -cexpm1(mals);
    return 0.5 * a * smith_div(sm1 * one_minus_e, 1.0 - r);
}

// A value m * e^{e}: m from a scaled evaluation, e the scale exponent.
struct Val {
    cplx m;
    cplx e;
};

bool finite(const cplx& z) { return std::isfinite(z.real()) && std::isfinite(z.imag()); }

// log(a/b) for two mantissas, through the quotient when it is representable
// (full accuracy when a and b are close), else as a difference of logs.
cplx log_ratio(const cplx& a, const cplx& b) {
    const cplx q = smith_div(a, b);
    if (finite(q) && q != cplx(0.0, 0.0)) return std::log(q);
    return std::log(a) - std::log(b);
}

// exp(z), 0 where it underflows entirely.
cplx exp_or_zero(const cplx& z) {
    if (z.real() < -745.0) return {0.0, 0.0};
    return std::exp(z);
}

// Evaluation k of the package: I (kind_i) or K of order nu at x, scaled
// (KODE = 2, N = 1). Returns false when no usable value came back; a
// condition the package reports (ierr not 0) goes to the log.
bool package_value(int k, bool kind_i, double nu, const cplx& x, Val& v, ModelLog* log) {
    double cyr = 0.0, cyi = 0.0;
    int nz = 0, ierr = 0;
    if (kind_i)
        zbesi(x.real(), x.imag(), nu, 2, 1, &cyr, &cyi, nz, ierr);
    else
        zbesk(x.real(), x.imag(), nu, 2, 1, &cyr, &cyi, nz, ierr);
    if (ierr != 0 && log != nullptr) log->events.push_back({ModelEvent::Kind::BesselStatus, k, ierr, nz, {}});
    // I_nu(x) = cy e^{|Re x|}, K_nu(x) = cy e^{-x}
    v.m = cplx(cyr, cyi);
    v.e = kind_i ? cplx(std::fabs(x.real()), 0.0) : -x;
    return (ierr == 0 || ierr == 3) && nz == 0 && finite(v.m) && v.m != cplx(0.0, 0.0);
}

// Re of nu*eta(x/nu) = sqrt(nu^2+x^2) + nu log(x/(nu+sqrt(nu^2+x^2))):
// log|I_nu(x)/K_nu(x)| is about twice this (Debye), used only to tell
// whether the top's correction can matter at all.
double half_log_i_over_k(double nu, const cplx& x) {
    if (std::abs(x) > 1e100 * (1.0 + nu)) return x.real();
    const cplx r = principal_sqrt(cplx(nu * nu, 0.0) + x * x);
    return (r + nu * std::log(smith_div(x, nu + r))).real();
}

// The Bessel branch for d = UA1 - UA2 with |d| >= 0.01, p' != 0.
cplx bessel_branch(const WellModel& z, const cplx& pp, double d, bool& ok, ModelLog* log) {
    const double ad = std::fabs(d);
    const double nu1 = z.UA1 / ad;
    const double nu2 = z.UA2 / ad;
    const cplx s = principal_sqrt(smith_div(z.UA1 * pp, cplx(z.XKD2, 0.0)));
    const cplx x1 = (2.0 / ad) * s;
    const bool dpos = d > 0.0;  // main function I (d > 0) or K (d < 0)

    // Top of a bounded zone: x2 = x1 e^{t/2}, t = -d UL1, capped at 700 so
    // that e^t stays finite. A correction below e^{-60} of the main term
    // cannot change U (thick zone): the top is then not evaluated.
    bool bounded = z.UL1 < z.UL2;
    cplx x2 = 0.0;
    if (bounded) {
        const double t = std::min(-d * z.UL1, 700.0);
        x2 = x1 * std::exp(0.5 * t);
        const double lc = x2 == cplx(0.0, 0.0)
                              ? -HUGE_VAL
                              : 2.0 * (dpos ? half_log_i_over_k(nu1, x2) - half_log_i_over_k(nu1, x1)
                                            : half_log_i_over_k(nu1, x1) - half_log_i_over_k(nu1, x2));
        if (!(lc > -60.0)) bounded = false;
    }

    // Evaluations in the order 1 I_nu1(x1), 2 I_nu2(x1), 3 I_nu1(x2),
    // 4 K_nu1(x1), 5 K_nu2(x1), 6 K_nu1(x2), each made only when needed.
    Val i1{}, i2{}, i3{}, k1{}, k2{}, k3{};
    bool usable = true;
    if (dpos || bounded) {
        usable &= package_value(1, true, nu1, x1, i1, log);
        usable &= package_value(2, true, nu2, x1, i2, log);
        if (bounded) usable &= package_value(3, true, nu1, x2, i3, log);
    }
    if (!dpos || bounded) {
        usable &= package_value(4, false, nu1, x1, k1, log);
        usable &= package_value(5, false, nu2, x1, k2, log);
        if (bounded) usable &= package_value(6, false, nu1, x2, k3, log);
    }
    if (!usable) {
        // Logarithms and consecutive-order ratios, for all values alike.
        const double nlo = std::min(nu1, nu2);
        const IKLog a = bessel_iklog(nlo, x1);
        ok = a.ok;
        const Val ilo{1.0, a.li}, ihi{a.rho, a.li};
        const Val klo{1.0, a.lk}, khi{a.h, a.lk};
        i1 = dpos ? ihi : ilo;
        i2 = dpos ? ilo : ihi;
        k1 = dpos ? khi : klo;
        k2 = dpos ? klo : khi;
        if (bounded) {
            const IKLog b = bessel_iklog(nu1, x2);
            ok = ok && b.ok;
            i3 = {1.0, b.li};
            k3 = {1.0, b.lk};
        }
        if (!ok) return 1.0;
    }
    ok = true;
    const Val& f1 = dpos ? i1 : k1;
    const Val& f2 = dpos ? i2 : k2;
    cplx u = s * smith_div(f1.m, f2.m) * std::exp(f1.e - f2.e);
    if (bounded) {
        const Val& f3 = dpos ? i3 : k3;
        const Val& g1 = dpos ? k1 : i1;
        const Val& g2 = dpos ? k2 : i2;
        const Val& g3 = dpos ? k3 : i3;
        // c1 = (F/G)(nu1,x2) (G/F)(nu1,x1), c2 = (F/G)(nu1,x2) (G/F)(nu2,x1);
        // U = s (F1/F2) (1 - c1)/(1 + c2).
        const cplx top = log_ratio(f3.m, g3.m) + (f3.e - g3.e);
        const cplx e1 = top + log_ratio(g1.m, f1.m) + (g1.e - f1.e);
        const cplx e2 = top + log_ratio(g2.m, f2.m) + (g2.e - f2.e);
        const cplx one_minus_c1 = e1.real() < -745.0 ? cplx(1.0, 0.0) : -cexpm1(e1);
        u = u * smith_div(one_minus_c1, 1.0 + exp_or_zero(e2));
    }
    if (!finite(u)) {
        ok = false;
        return 1.0;
    }
    return u;
}

}  // namespace

std::complex<double> unsat_coefficient(const WellModel& z, std::complex<double> pp, ModelLog* log) {
    const double d = z.UA1 - z.UA2;
    // Exponents closer than 0.01 in single precision count as equal.
    if (std::fabs(d) < static_cast<double>(0.01f)) return equal_exponents(z, pp);
    // No storage at the water table (p' = 0) or none in the zone (UA1 = 0):
    // the Bessel forms carry the factor sqrt(UA1 p'/XKD2) and U = 0, a top
    // without flow; the evaluations would be at a zero argument.
    if (pp == cplx(0.0, 0.0) || z.UA1 == 0.0) return cplx(0.0, 0.0);
    bool ok = false;
    const cplx v = bessel_branch(z, pp, d, ok, log);
    if (!ok) {
        // No method gave a value: the water table is left without coupling
        // information (U = 1) and the log says so.
        if (log != nullptr) log->events.push_back({ModelEvent::Kind::NoBesselMethod, 0, 0, 0, pp});
        return cplx(1.0, 0.0);
    }
    return v;
}

}  // namespace slug
