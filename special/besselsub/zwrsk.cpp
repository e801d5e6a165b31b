// Modified Bessel function I of complex argument from ratios normalized
// by the Wronskian with K, Re z >= 0, orders fnu .. fnu+n-1
// (kode 2: times exp(-Re z)).
//
// Method (D. E. Amos, ACM TOMS Algorithm 644, 1986; Sandia report
// SAND85-1018): I_m K_{m+1} + I_{m+1} K_m = 1/z gives, with the ratio
// r = I_{m+1}/I_m (zrati) and K from zbknu,
//   I_m = 1 / (z (K_{m+1} + r K_m)),
// and the higher orders follow by multiplying the ratios. K is taken with
// the same scaling as I is wanted, so that the factor exp(i Im z) turns
// exp(-z) I into exp(-Re z) I for kode 2. K values near the underflow or
// overflow limit are scaled by 1/tol or tol for the division.
// nz = -1: K underflowed (so I would overflow); -2: K did not converge.
#include <algorithm>
#include <cmath>

#include "special/besselsub/amos.hpp"
#include "special/besselsub/zbes.hpp"

namespace slug::amos {

void zwrsk(const cplx& zr, double fnu, int kode, int n, cplx* y, int& nz, cplx* cw, double tol, double elim,
           double alim) {
    nz = 0;
    int nw = 0;
    zbknu(zr, fnu, kode, 2, cw, nw, tol, elim, alim);
    if (nw != 0) {
        nz = nw == -2 ? -2 : -1;
        return;
    }
    zrati(zr, fnu, n, y, tol);
    cplx cinu(1.0, 0.0);
    if (kode == 2) cinu = cplx(std::cos(zr.imag()), std::sin(zr.imag()));
    // Scale the K values into the safe range for the division.
    const double acw = zabs(cw[1]);
    const double ascle = 1.0e3 * d1mach(1) / tol;
    double cscl = 1.0;
    if (acw <= ascle) {
        cscl = 1.0 / tol;
    } else if (acw >= 1.0 / ascle) {
        cscl = tol;
    }
    const cplx c1 = cw[0] * cscl, c2 = cw[1] * cscl;
    const cplx ratio0 = y[0];
    const cplx den = zr * (c2 + ratio0 * c1);
    y[0] = zdiv(cinu, den) * cscl;
    cplx ratio = ratio0;
    for (int i = 1; i < n; ++i) {
        const cplx next = y[i];
        y[i] = y[i - 1] * ratio;
        ratio = next;
    }
}

}  // namespace slug::amos
