// zbuni: I_nu(z) for Re z >= 0 by the uniform asymptotic expansions for
// large order (D. E. Amos, ACM TOMS Algorithm 644, 1986): the Airy form
// (zuni2) where |Im z| > sqrt(3) |Re z|, the Debye form (zuni1) elsewhere.
// With nui > 0 the orders fnu..fnu+n-1 lie below FNUL: the expansion is
// evaluated at the two orders fnu+n-1+nui and one above, and the
// recurrence I_(nu-1) = (2 nu/z) I_nu + I_(nu+1), stable backwards, brings
// the values down (mantissa and exponent kept apart, so no intermediate
// over- or underflow). nz: values set to zero by underflow at the top,
// -1 on overflow; nlast as for zuni1/zuni2.
#include <cmath>

#include "special/besselsub/amos.hpp"
#include "special/besselsub/uniform.hpp"

namespace slug::amos {

void zbuni(const cplx& z, double fnu, int kode, int n, cplx* y, int& nz, int nui, int& nlast, double fnul,
           double tol, double elim, double alim) {
    nz = 0;
    nlast = 0;
    const bool airy = uniform::airy_region(z);
    if (nui <= 0) {
        if (airy)
            zuni2(z, fnu, kode, n, y, nz, nlast, fnul, tol, elim, alim);
        else
            zuni1(z, fnu, kode, n, y, nz, nlast, fnul, tol, elim, alim);
        return;
    }
    const uniform::Form f = airy ? uniform::i_airy : uniform::i_debye;
    const double top = fnu + (n - 1) + nui;
    const uniform::Scaled s0 = f(z, top, kode, tol);
    const uniform::Scaled s1 = f(z, top + 1.0, kode, tol);
    if (s0.m == cplx(0.0, 0.0)) {
        nlast = n;
        return;
    }
    double e = s0.e;
    cplx c0 = s0.m, c1 = s1.m * std::exp(s1.e - e);
    const cplx rz = zdiv(cplx(2.0, 0.0), z);
    bool under, over;
    // Index of order top is n-1+nui; step down to index 0.
    for (int k = n - 2 + nui; k >= -1; --k) {
        if (k + 1 <= n - 1) {
            y[k + 1] = uniform::to_value({c0, e}, elim, under, over);
            if (over) {
                nz = -1;
                return;
            }
            if (under) ++nz;
        }
        if (k < 0) break;
        const cplx c = rz * (fnu + k + 1.0) * c0 + c1;
        c1 = c0;
        c0 = c;
        if (zabs(c0) > 1.0e150) {
            c0 *= 1.0e-150;
            c1 *= 1.0e-150;
            e += std::log(1.0e150);
        }
    }
}

}  // namespace slug::amos
