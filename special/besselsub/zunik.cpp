// zunik: quantities of the Debye-form uniform asymptotic expansions for
// large order (F. W. J. Olver, Phil. Trans. R. Soc. A 247 (1954) 328-368;
// A&S 9.7.7-9.7.10; DLMF 10.41.3-4), in the arrangement of D. E. Amos, ACM
// TOMS Algorithm 644 (1986). With z = zr/fnu, t = 1/sqrt(1+z^2):
//   I_fnu(zr) ~ phi * exp(zeta2 - zeta1) * sum_k U_k(t)/fnu^k,
//   K_fnu(zr) ~ phi * exp(zeta1 - zeta2) * sum_k (-1)^k U_k(t)/fnu^k,
// zeta1 = fnu*ln((1+sqrt(1+z^2))/z), zeta2 = fnu*sqrt(1+z^2),
// phi = sqrt(t/fnu)/sqrt(2 pi) for I (ikflg 1), sqrt(t/fnu)*sqrt(pi/2) for
// K (ikflg 2). ipmtr 1 gives phi, zeta1, zeta2 only.
// The terms U_k(t)/fnu^k are kept in cwrk[0..init-1] so that the second
// call at the same argument and order (the other ikflg) reuses them; the
// caller sets init = 0 before the first call.
#include <cmath>

#include "special/besselsub/amos.hpp"
#include "special/besselsub/uniform_coeffs.hpp"

namespace slug::amos {

namespace {
constexpr double kRecipSqrt2Pi = 0.398942280401432678;  // 1/sqrt(2 pi)
constexpr double kSqrtPiOver2 = 1.25331413731550025;    // sqrt(pi/2)
constexpr int kMaxTerms = 15;                           // cwrk[15] unused
}  // namespace

cplx debye_poly(int k, const cplx& p, const cplx& p2) {
    const double* c = uniform::kDebye + uniform::kDebyeStart[k];
    cplx s = c[k];
    for (int j = k - 1; j >= 0; --j) s = s * p2 + c[j];
    cplx pk = 1.0;
    for (int j = 0; j < k; ++j) pk *= p;
    return s * pk;
}

void zunik(const cplx& zr, double fnu, int ikflg, int ipmtr, double tol, int& init, cplx& phi, cplx& zeta1,
           cplx& zeta2, cplx& sum, cplx* cwrk) {
    const double rfn = 1.0 / fnu;
    const cplx z = zr * rfn;
    const cplx sr = zsqrt1(cplx(1.0, 0.0) + z * z);
    const cplx t = zdiv(cplx(1.0, 0.0), sr);
    zeta1 = fnu * zlog1(zdiv(cplx(1.0, 0.0) + sr, z));
    zeta2 = fnu * sr;
    phi = zsqrt1(t * rfn) * (ikflg == 1 ? kRecipSqrt2Pi : kSqrtPiOver2);
    if (ipmtr == 1) return;

    if (init == 0) {
        const cplx t2 = t * t;
        cplx scale = 1.0;
        cplx s = 0.0;
        int k = 0;
        for (; k < kMaxTerms; ++k) {
            const cplx term = debye_poly(k, t, t2) * scale;
            cwrk[k] = term;
            s += term;
            scale *= rfn;
            if (k > 0 && zabs(term) < tol * zabs(s)) {
                ++k;
                break;
            }
        }
        init = k;
    }
    cplx s = 0.0;
    double sgn = 1.0;
    for (int k = 0; k < init; ++k) {
        s += sgn * cwrk[k];
        if (ikflg == 2) sgn = -sgn;
    }
    sum = s;
}

}  // namespace slug::amos
