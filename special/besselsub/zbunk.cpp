// zbunk: K_nu(z) for large orders (D. E. Amos, ACM TOMS Algorithm 644,
// 1986): the Airy-form expansion (zunk2) where |Im z| > sqrt(3) |Re z|,
// the Debye form (zunk1) elsewhere; mr = +1 or -1 asks for the analytic
// continuation to Re z < 0 (z itself is passed, in the left half-plane).
#include "special/besselsub/amos.hpp"
#include "special/besselsub/uniform.hpp"

namespace slug::amos {

void zbunk(const cplx& z, double fnu, int kode, int mr, int n, cplx* y, int& nz, double tol, double elim,
           double alim) {
    if (uniform::airy_region(z))
        zunk2(z, fnu, kode, mr, n, y, nz, tol, elim, alim);
    else
        zunk1(z, fnu, kode, mr, n, y, nz, tol, elim, alim);
}

}  // namespace slug::amos
