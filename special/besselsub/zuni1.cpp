// zuni1: I_nu(z) for large orders, Re z >= 0, by the Debye-form uniform
// asymptotic expansion (F. W. J. Olver, Phil. Trans. R. Soc. A 247 (1954);
// DLMF 10.41.3), as in D. E. Amos, ACM TOMS Algorithm 644 (1986): used
// where |arg z| <= 60 degrees. The exponential factor is kept apart from
// the mantissa until the final value is formed.
#include "special/besselsub/amos.hpp"
#include "special/besselsub/uniform.hpp"

namespace slug::amos {

namespace uniform {
Scaled i_debye(const cplx& z, double nu, int kode, double tol) {
    if (z == cplx(0.0, 0.0)) return {cplx(0.0, 0.0), 0.0};
    cplx phi, zeta1, zeta2, sum, cwrk[16];
    int init = 0;
    zunik(z, nu, 1, 0, tol, init, phi, zeta1, zeta2, sum, cwrk);
    cplx e = zeta2 - zeta1;
    if (kode == 2) e -= z.real();
    return {phi * sum * zexp1(cplx(0.0, e.imag())), e.real()};
}
}  // namespace uniform

void zuni1(const cplx& z, double fnu, int kode, int n, cplx* y, int& nz, int& nlast, double fnul, double tol,
           double elim, double /*alim*/) {
    uniform::i_sequence(z, fnu, kode, n, y, nz, nlast, fnul, tol, elim, uniform::i_debye);
}

}  // namespace slug::amos
