// zunk1: K_nu(z) for large orders by the Debye-form uniform asymptotic
// expansion (F. W. J. Olver, Phil. Trans. R. Soc. A 247 (1954); DLMF
// 10.41.4), as in D. E. Amos, ACM TOMS Algorithm 644 (1986): used where
// |arg(+-z)| <= 60 degrees; for Re z < 0 (mr = +1 or -1) by analytic
// continuation from -z.
#include <cmath>

#include "special/besselsub/amos.hpp"
#include "special/besselsub/uniform.hpp"

namespace slug::amos {

namespace uniform {
Scaled k_debye(const cplx& z, double nu, int kode, double tol) {
    if (z == cplx(0.0, 0.0)) return {cplx(1.0, 0.0), HUGE_VAL};  // K_nu(0) is infinite
    cplx phi, zeta1, zeta2, sum, cwrk[16];
    int init = 0;
    zunik(z, nu, 2, 0, tol, init, phi, zeta1, zeta2, sum, cwrk);
    cplx e = zeta1 - zeta2;
    if (kode == 2) e += z;
    return {phi * sum * zexp1(cplx(0.0, e.imag())), e.real()};
}
}  // namespace uniform

void zunk1(const cplx& z, double fnu, int kode, int mr, int n, cplx* y, int& nz, double tol, double elim,
           double /*alim*/) {
    if (mr == 0)
        uniform::k_sequence(z, fnu, kode, n, y, nz, tol, elim, uniform::k_debye);
    else
        uniform::k_continued(z, fnu, kode, mr, n, y, nz, tol, elim, uniform::k_debye, uniform::i_debye);
}

}  // namespace slug::amos
