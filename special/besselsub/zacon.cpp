// Analytic continuation of the modified Bessel function K to the left
// half-plane, orders fnu .. fnu+n-1.
//
// Method (D. E. Amos, ACM TOMS Algorithm 644, 1986; Abramowitz & Stegun
// 9.6.31, DLMF 10.34.2): with zn = -z in the right half-plane and
// mr = +1 for Im z >= 0 (-1 below),
//   K_m(z) = e^(-i mr m pi) K_m(zn) - i mr pi I_m(zn).
// For kode 2 (values times exp(z) = exp(-zn)) the K term carries
// exp(-2 zn) on top of its own scaling and the I term exp(-i Im zn);
// zs1s2 drops a negligible K term and counts sums that underflow.
// nz < 0: -1 overflow, -2 a method did not converge.
#include <cmath>
#include <numbers>
#include <vector>

#include "special/besselsub/amos.hpp"
#include "special/besselsub/zbes.hpp"

namespace slug::amos {

void zacon(const cplx& z, double fnu, int kode, int mr, int n, cplx* y, int& nz, const Limits& lim) {
    constexpr double pi = std::numbers::pi;
    nz = 0;
    const cplx zn = -z;
    int nw = 0;
    zbinu(zn, fnu, kode, n, y, nw, lim);
    if (nw < 0) {
        nz = nw == -2 ? -2 : -1;
        return;
    }
    std::vector<cplx> ck(static_cast<std::size_t>(n));
    zbknu(zn, fnu, kode, n, ck.data(), nw, lim.tol, lim.elim, lim.alim);
    if (nw != 0) {
        nz = nw == -2 ? -2 : -1;
        return;
    }
    const double sgn = -mr * pi;
    cplx csgn(0.0, sgn);
    if (kode != 1) csgn *= cplx(std::cos(-zn.imag()), std::sin(-zn.imag()));
    const int inu = static_cast<int>(fnu);
    const double arg = (fnu - inu) * sgn;
    cplx cspn(std::cos(arg), std::sin(arg));
    if (inu % 2 == 1) cspn = -cspn;
    const double ascle = 1.0e3 * d1mach(1) / lim.tol;
    int iuf = 0;
    for (int i = 0; i < n; ++i) {
        cplx c1 = ck[static_cast<std::size_t>(i)];
        cplx c2 = y[i];
        if (kode != 1) {
            int nw1 = 0;
            zs1s2(zn, c1, c2, nw1, ascle, lim.alim, iuf);
            nz += nw1;
        }
        y[i] = cspn * c1 + csgn * c2;
        cspn = -cspn;
    }
}

}  // namespace slug::amos
