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
#include "model/fun.hpp"

#include <cmath>
#include <cstdio>
#include <string_view>

#include "driver/params.hpp"
#include "fio/fio.hpp"
#include "model/fun_detail.hpp"
#include "model/unsatzone.hpp"
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
        // sinh and cosh from one exponential instead of two. Small |b|:
        // with m = e^|b| - 1, sinh|b| = m (m + 2) / (2 (m + 1)) and
        // cosh b = 1 + m^2 / (2 (m + 1)), free of cancellation. From
        // |b| = 20 on, e^-|b| is below half an ulp of e^|b| and both are
        // e^|b| / 2; where that overflows, sinh and cosh themselves.
        const double ab = std::fabs(b);
        if (ab < 20.0) {
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

// Set on the threads of the parallel time loop: a root that does not
// converge is thrown as RootFailure, so that the loop can report the
// failure that the serial order meets first.
thread_local bool t_defer_failure = false;

}  // namespace

namespace fun_detail {

DeferRootFailure::DeferRootFailure() : previous_(t_defer_failure) { t_defer_failure = true; }
DeferRootFailure::~DeferRootFailure() { t_defer_failure = previous_; }

void report_root_failure() {
    static constexpr std::string_view kMessage =
        " PROGRAM STOPPED BECAUSE NEWTON-RAPHSON ITERATIONS EXCEED 100";
    write_record(iounit.IOUT, kMessage);
    std::fflush(stdout);
    std::fwrite(kMessage.data(), 1, kMessage.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    stop_run(1);
}

}  // namespace fun_detail

namespace {

// The root iteration did not converge: the message goes to the results
// file and to the error stream, and the run ends with a failure status
// (on a worker of the parallel loop: RootFailure is thrown instead).
[[noreturn]] void newton_failure() {
    if (t_defer_failure) throw fun_detail::RootFailure{};
    fun_detail::report_root_failure();
}

}  // namespace

namespace fun_detail {

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

bool newton_root(const cplx& u, double eps, cplx& x, cplx& y) {
    cplx s;
    cplx c;
    for (int k = 1;; ++k) {
        y = x;
        if (k > kMaxUpdates) return false;
        csincos(y, s, c);
        const cplx f = y * s - u * c;
        const cplx fp = s + y * c + u * s;
        x = y - smith_div(f, fp);
        // Equality ends the iteration, and so does a NaN (the comparison
        // is then false).
        if (!(eps * std::abs(x) < std::abs(x - y))) return true;
    }
}

}  // namespace fun_detail

void fun(std::complex<double>& p, std::complex<double>& fp) {
    const int nterms = fun_detail::term_count(par2.NTERM, par13.XKD2);

    // Top-boundary coefficient, from the transform variable scaled to the
    // water table's storage.
    const double sigma = 2.0 * (par5.RW * par5.RW / (par5.RC * par5.RC)) * par5.SY * par5.SL / par5.BB;
    const cplx pp = sigma * p;
    cplx u;
    unsatzone(pp, u);

    const double top = 1.0 - par11.XDD;     // screen top, height above the base
    const double bottom = 1.0 - par11.XLD;  // screen bottom
    const double len = par11.XLD - par11.XDD;
    const cplx ccdp = par6.CCD * p;

    cplx sum(0.0, 0.0);
    cplx k0;
    cplx k1;
    cplx s1, c1, s2, c2;

    if (u == cplx(0.0, 0.0)) {
        // Top without flow: the roots are (n-1) pi exactly. The first root
        // is 0, where A/eps -> XLD - XDD and C -> 1, so the first term is
        // the radial factor of the whole screen.
        if (ccdp == cplx(0.0, 0.0)) {
            // No storage at all (SS = SY = 0): K0(q)/(q K1(q)) grows like
            // -ln q as q -> 0, so Omega is infinite and F = HOB/p in the
            // limit, a head that stays at its starting value.
            fp = smith_div(cplx(par5.HOB, 0.0), p);
            return;
        }
        cplx q = principal_sqrt(ccdp);
        k0k1_scaled(q, k0, k1);
        sum += smith_div(k0 * (len * len), q * k1);
        for (int n = 2; n <= nterms; ++n) {
            const cplx e((n - 1) * kPi, 0.0);
            q = principal_sqrt(par5.XKD * (e * e) + ccdp);
            k0k1_scaled(q, k0, k1);
            csincos(e * top, s1, c1);
            csincos(e * bottom, s2, c2);
            const cplx a = s1 - s2;
            const cplx b = 2.0 * s1 * c1 - 2.0 * s2 * c2;
            const cplx cn = 0.5 + smith_div(b, (4.0 * len) * e);
            sum += smith_div(k0 * (a * a), e * e * q * k1 * cn);
        }
    } else {
        cplx x = fun_detail::first_start(u);
        cplx y;
        for (int n = 1; n <= nterms; ++n) {
            if (n >= 2) x = y + kPi;
            if (!fun_detail::newton_root(u, par7.EPS, x, y)) newton_failure();
            const cplx e = x;
            const cplx q = principal_sqrt(par5.XKD * (e * e) + ccdp);
            k0k1_scaled(q, k0, k1);
            csincos(e * top, s1, c1);
            csincos(e * bottom, s2, c2);
            // A/eps is the integral of cos(eps z) over the screen, C the
            // mean of cos^2(eps z) there; sin 2w is formed as 2 sin w cos w.
            const cplx a = s1 - s2;
            const cplx b = 2.0 * s1 * c1 - 2.0 * s2 * c2;
            const cplx cn = 0.5 + smith_div(b, (4.0 * len) * e);
            sum += smith_div(k0 * (a * a), e * e * q * k1 * cn);
        }
    }

    const cplx omega = par6.SW + sum / len;
    fp = smith_div(par5.HOB * omega, 1.0 + p * omega);
}

}  // namespace slug
