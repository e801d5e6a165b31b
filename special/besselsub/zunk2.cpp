// zunk2: K_nu(z) for large orders by the Airy-form uniform asymptotic
// expansion (F. W. J. Olver, Phil. Trans. R. Soc. A 247 (1954); DLMF
// 10.20.6) of the Hankel function H(2)_nu(nu w), w = -i z/nu, through
// K_nu(z) = -(pi i/2) e^(-i nu pi/2) H(2)_nu(-i z) (DLMF 10.27.8), as in
// D. E. Amos, ACM TOMS Algorithm 644 (1986): used where |arg(+-z)| > 60
// degrees; Im z < 0 by symmetry; Re z < 0 (mr = +1 or -1) by analytic
// continuation from -z.
#include <cmath>

#include "special/besselsub/amos.hpp"
#include "special/besselsub/uniform.hpp"

namespace slug::amos {

namespace uniform {
Scaled k_airy(const cplx& z, double nu, int kode, double tol) {
    if (z == cplx(0.0, 0.0)) return {cplx(1.0, 0.0), HUGE_VAL};  // K_nu(0) is infinite
    const bool cj = z.imag() < 0.0;
    const cplx zz = cj ? std::conj(z) : z;
    const cplx w = cplx(zz.imag(), -zz.real()) / nu;
    cplx phi, arg, zeta1, zeta2, asum, bsum;
    zunhj(w, nu, 0, tol, phi, arg, zeta1, zeta2, asum, bsum);
    const cplx rot(-0.5, -0.86602540378443864676);  // e^(-2 pi i/3)
    cplx ai, aip;
    airy_scaled(rot * arg, ai, aip);
    // K = -pi i e^(-i nu pi/2) e^(i pi/3) phi (Ai(a2) asum + e^(-2 pi i/3) Ai'(a2) bsum),
    // Ai(a2) = scaled Ai(a2) * exp(+zeta1).
    cplx ex(0.0, zeta1.imag());
    double e = zeta1.real();
    if (kode == 2) {
        ex += cplx(0.0, zz.imag());
        e += zz.real();
    }
    const cplx c(M_PI * 0.86602540378443864676, -M_PI * 0.5);  // -pi i e^(i pi/3)
    cplx m = c * std::conj(half_pi_phase(nu)) * phi * (ai * asum + rot * aip * bsum) * zexp1(ex);
    if (cj) m = std::conj(m);
    return {m, e};
}
}  // namespace uniform

void zunk2(const cplx& z, double fnu, int kode, int mr, int n, cplx* y, int& nz, double tol, double elim,
           double /*alim*/) {
    if (mr == 0)
        uniform::k_sequence(z, fnu, kode, n, y, nz, tol, elim, uniform::k_airy);
    else
        uniform::k_continued(z, fnu, kode, mr, n, y, nz, tol, elim, uniform::k_airy, uniform::i_airy);
}

}  // namespace slug::amos
