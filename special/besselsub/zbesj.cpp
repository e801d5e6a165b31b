// Entry point: Bessel function J of complex argument and real order,
// orders fnu .. fnu+n-1, unscaled (kode 1) or times exp(-|Im z|) (kode 2).
//
// Method (D. E. Amos, ACM TOMS Algorithm 644, 1986):
//   J_m(z) = e^( i m pi/2) I_m(-iz),  Im z >= 0,
//   J_m(z) = e^(-i m pi/2) I_m( iz),  Im z <  0,
// with the rotated argument in the right half-plane, where the I routine's
// own exp(-|Re|) scaling is exactly the factor exp(-|Im z|). The phase is
// formed from the fractional part of the order relative to an even
// integer and turned by +-i from one order to the next; values near the
// underflow limit are scaled up by 1/tol for the product and back after.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "special/besselsub/amos.hpp"
#include "special/besselsub/zbes.hpp"

namespace slug {

void zbesj(double zr, double zi, double fnu, int kode, int n, double* cyr, double* cyi, int& nz, int& ierr) {
    using namespace amos;
    constexpr double hpi = std::numbers::pi / 2.0;
    Limits lim;
    if (!entry_checks(zr, zi, fnu, kode, n, false, lim, nz, ierr)) return;

    // e^(i fnu pi/2) from n = int(fnu) (through single precision, as the
    // published algorithm does) and m = n div 2: cos and sin of
    // (pi/2)(fnu - 2m), negated when m is odd.
    const int inu = static_cast<int>(static_cast<float>(fnu));
    const int inuh = inu / 2;
    const double arg = (fnu - 2.0 * inuh) * hpi;
    double csgnr = std::cos(arg), csgni = std::sin(arg);
    if (inuh % 2 == 1) {
        csgnr = -csgnr;
        csgni = -csgni;
    }
    double cii = 1.0;
    cplx zn(zi, -zr);  // -iz
    if (zi < 0.0) {
        zn = cplx(-zi, zr);  // iz
        csgni = -csgni;
        cii = -1.0;
    }
    CplxSeq cy(n);
    zbinu(zn, fnu, kode, n, cy.data(), nz, lim);
    if (nz < 0) {
        ierr = nz == -2 ? 5 : 2;
        nz = 0;
        return;
    }
    const int nl = n - nz;
    const double rtol = 1.0 / lim.tol;
    const double ascle = d1mach(1) * rtol * 1.0e3;
    for (int i = 0; i < nl; ++i) {
        double aa = cy[static_cast<std::size_t>(i)].real(), bb = cy[static_cast<std::size_t>(i)].imag();
        double atol = 1.0;
        if (std::max(std::fabs(aa), std::fabs(bb)) <= ascle) {
            aa *= rtol;
            bb *= rtol;
            atol = lim.tol;
        }
        cy[static_cast<std::size_t>(i)] = cplx((aa * csgnr - bb * csgni) * atol, (aa * csgni + bb * csgnr) * atol);
        const double str = -csgni * cii;
        csgni = csgnr * cii;
        csgnr = str;
    }
    for (int i = 0; i < n; ++i) {
        cyr[i] = cy[static_cast<std::size_t>(i)].real();
        cyi[i] = cy[static_cast<std::size_t>(i)].imag();
    }
}

}  // namespace slug
