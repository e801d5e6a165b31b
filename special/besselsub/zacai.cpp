// zacai: analytic continuation of K_nu(z) to the left half-plane for
// moderate orders (D. E. Amos, ACM TOMS Algorithm 644, 1986):
//   K_nu(z) = e^(-i mr pi nu) K_nu(zn) - i mr pi I_nu(zn),  zn = -z,
// (DLMF 10.34.2), mr = +1 for Im z >= 0 and -1 below, with I from zbinu
// and K from zbknu at zn in the right half-plane. kode 2 gives
// K_nu(z) e^z; the scale factors of the two terms are combined so that
// no intermediate value over- or underflows where the result does not.
// nz = -1 (overflow) or -2 (termination test) pass on from zbinu/zbknu.
#include <cmath>
#include <vector>

#include "special/besselsub/amos.hpp"
#include "special/besselsub/uniform.hpp"

namespace slug::amos {

void zacai(const cplx& z, double fnu, int kode, int mr, int n, cplx* y, int& nz, double /*rl*/, double tol,
           double elim, double alim) {
    nz = 0;
    const cplx zn = -z;
    std::vector<cplx> ci(static_cast<std::size_t>(n)), ck(static_cast<std::size_t>(n));
    int nw = 0;
    const Limits lim = limits();
    zbinu(zn, fnu, kode, n, ci.data(), nw, lim);
    if (nw < 0) {
        nz = (nw == -2) ? -2 : -1;
        return;
    }
    zbknu(zn, fnu, kode, n, ck.data(), nw, tol, elim, alim);
    if (nw < 0) {
        nz = (nw == -2) ? -2 : -1;
        return;
    }
    bool under, over;
    for (int k = 0; k < n; ++k) {
        const double a = -mr * M_PI * std::fmod(fnu + k, 2.0);
        const cplx rot(std::cos(a), std::sin(a));
        uniform::Scaled sk{rot * ck[k], 0.0}, si{cplx(0.0, -mr * M_PI) * ci[k], 0.0};
        if (kode == 2) {
            // K(zn) e^zn e^(-2 zn) and I(zn) e^(-Re zn) e^(-i Im zn).
            sk.m *= zexp1(cplx(0.0, -2.0 * zn.imag()));
            sk.e = -2.0 * zn.real();
            si.m *= zexp1(cplx(0.0, -zn.imag()));
        }
        const double e = std::max(sk.e, si.e);
        const uniform::Scaled s{sk.m * std::exp(sk.e - e) + si.m * std::exp(si.e - e), e};
        y[k] = uniform::to_value(s, elim, under, over);
        if (over) {
            nz = -1;
            return;
        }
    }
}

}  // namespace slug::amos
