// zuoik: overflow and underflow pre-test for I (ikflg 1) and K (ikflg 2)
// of D. E. Amos, ACM TOMS Algorithm 644 (1986). The logarithm of the
// modulus is estimated from the leading term of the uniform asymptotic
// expansion at the largest order gnn = fnu+n-1 (at least 1): the Debye
// form (zunik) where |arg z| <= 60 degrees, the Airy form (zunhj and the
// Airy function) elsewhere, with z replaced by -z when Re z < 0 (the
// moduli of I and of the K part agree there). Results:
//  ikflg 1: a value above e^elim gives nuf = -1 (overflow); values below
//    e^-elim at the top orders are set to zero one by one, nuf counting
//    them (the caller goes on with n - nuf orders);
//  ikflg 2: nuf = -1 on overflow at the top order; when the top order
//    underflows all n values are set to zero and nuf = n.
#include <cmath>

#include "special/besselsub/amos.hpp"
#include "special/besselsub/uniform.hpp"

namespace slug::amos {

namespace {
// ln |C_nu(z)| from the leading term; ikflg 1: I, 2: K; Re z >= 0.
double leading_log(const cplx& z, double nu, int kode, int ikflg, double tol) {
    if (uniform::airy_region(z)) {
        const cplx zz = z.imag() < 0.0 ? std::conj(z) : z;
        const cplx w = cplx(zz.imag(), -zz.real()) / nu;
        cplx phi, arg, zeta1, zeta2, asum, bsum;
        zunhj(w, nu, 1, tol, phi, arg, zeta1, zeta2, asum, bsum);
        cplx ai, aip;
        double e;
        if (ikflg == 1) {
            uniform::airy_scaled(arg, ai, aip);
            e = -zeta1.real() - (kode == 2 ? zz.real() : 0.0);
        } else {
            uniform::airy_scaled(cplx(-0.5, -0.86602540378443864676) * arg, ai, aip);
            e = zeta1.real() + (kode == 2 ? zz.real() : 0.0) + std::log(M_PI);
        }
        return std::log(zabs(phi)) + std::log(zabs(ai)) + e;
    }
    cplx phi, zeta1, zeta2, sum, cwrk[16];
    int init = 0;
    zunik(z, nu, ikflg, 1, tol, init, phi, zeta1, zeta2, sum, cwrk);
    double e = (ikflg == 1) ? (zeta2 - zeta1).real() : (zeta1 - zeta2).real();
    if (kode == 2) e += (ikflg == 1) ? -z.real() : z.real();
    return std::log(zabs(phi)) + e;
}
}  // namespace

void zuoik(const cplx& z, double fnu, int kode, int ikflg, int n, cplx* y, int& nuf, double tol, double elim,
           double /*alim*/) {
    nuf = 0;
    const cplx zr = z.real() < 0.0 ? -z : z;
    int nn = n;
    while (nn > 0) {
        const double gnu = std::max(fnu + nn - 1, 1.0);
        double la;
        if (zr == cplx(0.0, 0.0))
            la = (ikflg == 1) ? -HUGE_VAL : HUGE_VAL;
        else
            la = leading_log(zr, gnu, kode, ikflg, tol);
        if (la > elim) {
            nuf = -1;
            return;
        }
        if (la >= -elim) return;
        if (ikflg == 2) {
            for (int k = 0; k < n; ++k) y[k] = 0.0;
            nuf = n;
            return;
        }
        y[nn - 1] = 0.0;
        ++nuf;
        --nn;
    }
}

}  // namespace slug::amos
