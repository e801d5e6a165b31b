// Entry point: modified Bessel function I of complex argument and real
// order, orders fnu .. fnu+n-1, unscaled (kode 1) or times exp(-|Re z|)
// (kode 2).
//
// Method (D. E. Amos, ACM TOMS Algorithm 644, 1986): zbinu for Re z >= 0;
// for Re z < 0 the analytic continuation I_m(z) = e^(+-i m pi) I_m(-z),
// upper sign for Im z >= 0, with the phase formed from the fractional part
// of the order so that large orders lose no accuracy.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "special/besselsub/amos.hpp"
#include "special/besselsub/zbes.hpp"

namespace slug {

void zbesi(double zr, double zi, double fnu, int kode, int n, double* cyr, double* cyi, int& nz, int& ierr) {
    using namespace amos;
    constexpr double pi = std::numbers::pi;
    Limits lim;
    if (!entry_checks(zr, zi, fnu, kode, n, false, lim, nz, ierr)) return;

    cplx zn(zr, zi);
    cplx csgn(1.0, 0.0);
    if (zr < 0.0) {
        zn = -zn;
        const int inu = static_cast<int>(fnu);
        double arg = (fnu - inu) * pi;
        if (zi < 0.0) arg = -arg;
        csgn = cplx(std::cos(arg), std::sin(arg));
        if (inu % 2 == 1) csgn = -csgn;
    }
    CplxSeq cy(n);
    zbinu(zn, fnu, kode, n, cy.data(), nz, lim);
    if (nz < 0) {
        ierr = nz == -2 ? 5 : 2;
        nz = 0;
        return;
    }
    if (zr < 0.0) {
        const int nn = n - nz;
        const double rtol = 1.0 / lim.tol;
        const double ascle = d1mach(1) * rtol * 1.0e3;
        for (int i = 0; i < nn; ++i) {
            cplx v = cy[static_cast<std::size_t>(i)];
            double atol = 1.0;
            if (std::max(std::fabs(v.real()), std::fabs(v.imag())) <= ascle) {
                v *= rtol;
                atol = lim.tol;
            }
            cy[static_cast<std::size_t>(i)] = v * csgn * atol;
            csgn = -csgn;
        }
    }
    for (int i = 0; i < n; ++i) {
        cyr[i] = cy[static_cast<std::size_t>(i)].real();
        cyi[i] = cy[static_cast<std::size_t>(i)].imag();
    }
}

}  // namespace slug
