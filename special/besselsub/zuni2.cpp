// zuni2: I_nu(z) for large orders, Re z >= 0, by the Airy-form uniform
// asymptotic expansion (F. W. J. Olver, Phil. Trans. R. Soc. A 247 (1954);
// A&S 9.3.35; DLMF 10.20.4) of J_nu(nu w), w = -i z/nu, through
// I_nu(z) = e^(i nu pi/2) J_nu(-i z) (DLMF 10.27.6), as in D. E. Amos, ACM
// TOMS Algorithm 644 (1986): used where |arg z| > 60 degrees, which holds
// the turning point |z| = nu on the imaginary axis. Im z < 0 by symmetry
// (I of conj z is conj I). Exponential factors are kept apart from the
// mantissa until the final value is formed.
#include <cmath>

#include "special/besselsub/amos.hpp"
#include "special/besselsub/uniform.hpp"

namespace slug::amos {

namespace uniform {
Scaled i_airy(const cplx& z, double nu, int kode, double tol) {
    if (z == cplx(0.0, 0.0)) return {cplx(0.0, 0.0), 0.0};  // I_nu(0) = 0, nu > 0
    const bool cj = z.imag() < 0.0;
    const cplx zz = cj ? std::conj(z) : z;
    const cplx w = cplx(zz.imag(), -zz.real()) / nu;
    cplx phi, arg, zeta1, zeta2, asum, bsum;
    zunhj(w, nu, 0, tol, phi, arg, zeta1, zeta2, asum, bsum);
    cplx ai, aip;
    airy_scaled(arg, ai, aip);
    // J = phi (Ai asum + Ai' bsum), Ai = scaled Ai * exp(-zeta1).
    double e = -zeta1.real();
    if (kode == 2) e -= zz.real();
    cplx m = half_pi_phase(nu) * phi * (ai * asum + aip * bsum) * zexp1(cplx(0.0, -zeta1.imag()));
    if (cj) m = std::conj(m);
    return {m, e};
}
}  // namespace uniform

void zuni2(const cplx& z, double fnu, int kode, int n, cplx* y, int& nz, int& nlast, double fnul, double tol,
           double elim, double /*alim*/) {
    uniform::i_sequence(z, fnu, kode, n, y, nz, nlast, fnul, tol, elim, uniform::i_airy);
}

}  // namespace slug::amos
