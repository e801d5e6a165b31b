// zunhj: quantities of the Airy-form uniform asymptotic expansions for
// large order (F. W. J. Olver, Phil. Trans. R. Soc. A 247 (1954) 328-368;
// A&S 9.3.35-9.3.42; DLMF 10.20), in the arrangement of D. E. Amos, ACM
// TOMS Algorithm 644 (1986). For the J-type argument z (the caller's
// argument divided by fnu, here with Im z <= 0 or z real):
//   J_fnu(fnu z) ~ phi * (Ai(arg)*asum + Ai'(arg)*bsum),
//   H(2)_fnu(fnu z) ~ 2 e^(i pi/3) phi * (Ai(a2)*asum + e^(-2 pi i/3) Ai'(a2)*bsum),
// a2 = e^(-2 pi i/3) arg, with
//   (2/3) zeta^(3/2) = ln((1 + sqrt(1-z^2))/z) - sqrt(1-z^2),
//   arg = fnu^(2/3) zeta,  phi = (4 zeta/(1-z^2))^(1/4) / fnu^(1/3),
//   asum = sum_k A_k(zeta)/fnu^(2k),  bsum = sum_k B_k(zeta)/fnu^(2k+4/3),
// zeta1 = (2/3) fnu zeta^(3/2) (= (2/3) arg^(3/2), principal power: the
// exponent of the Airy functions, formed without cancellation) and
// zeta2 = fnu sqrt(1-z^2).
// Near the turning point (|1 - z^2| <= 1/4) zeta, A_k and B_k come from
// their Taylor series in q = 1 - z^2 (the closed forms cancel there);
// elsewhere from the closed forms of DLMF 10.20.10-11 in the Debye
// polynomials. ipmtr 1 gives phi, arg, zeta1 and zeta2 only.
#include <cmath>

#include "special/besselsub/amos.hpp"
#include "special/besselsub/uniform_coeffs.hpp"

namespace slug::amos {

namespace {
using namespace uniform;

cplx horner(const double* c, int n, const cplx& x) {
    cplx s = c[n - 1];
    for (int i = n - 2; i >= 0; --i) s = s * x + c[i];
    return s;
}
}  // namespace

void zunhj(const cplx& z, double fnu, int ipmtr, double tol, cplx& phi, cplx& arg, cplx& zeta1, cplx& zeta2,
           cplx& asum, cplx& bsum) {
    const cplx one(1.0, 0.0);
    const cplx q = (one - z) * (one + z);
    const double rfn = 1.0 / fnu;
    const double rfn13 = std::cbrt(rfn);
    const double fn23 = 1.0 / (rfn13 * rfn13);
    const cplx w = zsqrt1(q);
    zeta2 = fnu * w;

    cplx zeta, xi;  // xi = (2/3) zeta^(3/2)
    cplx a[kTurnOrders + 1], b[kTurnOrders];
    const int na = kTurnOrders;
    const bool near = zabs(q) <= 0.25;
    if (near) {
        const cplx g = horner(kTurnG, kTurnTerms, q);
        zeta = q * g;
        xi = (2.0 / 3.0) * zeta * zsqrt1(zeta);
        phi = std::pow(4.0 * g, 0.25) * rfn13;
    } else {
        xi = zlog1(zdiv(one + w, z)) - w;
        // zeta = (3 xi/2)^(2/3) on the branch that maps Im z <= 0 to
        // 0 <= arg zeta <= pi (and Im z > 0 to -pi < arg zeta < 0).
        double th = std::atan2(xi.imag(), xi.real());
        if (z.imag() <= 0.0) {
            if (th < -0.25 * M_PI) th += 2.0 * M_PI;
        } else if (th > 0.25 * M_PI) {
            th -= 2.0 * M_PI;
        }
        const double r = std::pow(1.5 * zabs(xi), 2.0 / 3.0);
        zeta = std::polar(r, th * (2.0 / 3.0));
        phi = std::pow(zdiv(4.0 * zeta, q), 0.25) * rfn13;
    }
    zeta1 = fnu * xi;
    arg = fn23 * zeta;
    if (ipmtr == 1) return;

    if (near) {
        for (int k = 0; k < na; ++k) {
            a[k + 1] = horner(kTurnA[k], kTurnTerms, q);
            b[k] = horner(kTurnB[k], kTurnTerms, q);
        }
    } else {
        // A_k = sum_{j=0}^{2k} v_j xi^-j U_{2k-j}(p),
        // B_k = -zeta^(-1/2) sum_{j=0}^{2k+1} u_j xi^-j U_{2k+1-j}(p),
        // p = 1/sqrt(1-z^2), zeta^(-1/2) = zeta/(3 xi/2).
        const cplx p = zdiv(one, w);
        const cplx p2 = p * p;
        const cplx rxi = zdiv(one, xi);
        cplx up[2 * kTurnOrders + 1];
        for (int k = 0; k <= 2 * na; ++k) up[k] = debye_poly(k, p, p2);
        cplx rxp[2 * kTurnOrders + 1];
        rxp[0] = 1.0;
        for (int j = 1; j <= 2 * na; ++j) rxp[j] = rxp[j - 1] * rxi;
        const cplx zmh = zdiv(zeta, 1.5 * xi);
        for (int k = 1; k <= na; ++k) {
            cplx s = 0.0;
            for (int j = 0; j <= 2 * k; ++j) s += kAiryV[j] * rxp[j] * up[2 * k - j];
            a[k] = s;
        }
        for (int k = 0; k < na; ++k) {
            cplx s = 0.0;
            for (int j = 0; j <= 2 * k + 1; ++j) s += kAiryU[j] * rxp[j] * up[2 * k + 1 - j];
            b[k] = -zmh * s;
        }
    }
    // Sum while the terms matter.
    const double rfn2 = rfn * rfn;
    cplx as = 1.0, bs = b[0];
    double sc = 1.0;
    for (int k = 1; k <= na; ++k) {
        sc *= rfn2;
        const cplx ta = a[k] * sc;
        const cplx tb = (k < na) ? b[k] * sc : cplx(0.0);
        as += ta;
        bs += tb;
        if (zabs(ta) < tol * zabs(as) && zabs(tb) < tol * zabs(bs)) break;
    }
    asum = as;
    bsum = bs * (rfn * rfn13);
}

}  // namespace slug::amos
