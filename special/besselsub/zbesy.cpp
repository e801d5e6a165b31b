// Entry point: Bessel function Y of complex argument and real order,
// orders fnu .. fnu+n-1, unscaled (kode 1) or times exp(-|Im z|) (kode 2).
//
// Method (D. E. Amos, ACM TOMS Algorithm 644, 1986, in the form that builds
// Y from I and K of the rotated argument): with zeta = -iz for Im z >= 0
// (zeta = -i conj(z) below, the result conjugated at the end),
//   Y_m(z) = i e^(i m pi/2) I_m(zeta) - (2/pi) e^(-i m pi/2) K_m(zeta).
// For kode 2 the I routine's scaling exp(-Re zeta) is the wanted
// exp(-|Im z|), and the K value, scaled by exp(zeta), is multiplied by
// exp(-2|Im z|) exp(i Re z). Once 2|Im z| >= elim that factor alone would
// underflow; the product is then formed so that it vanishes only where it
// is itself below the underflow limit (see far_kterm).
// Products near the underflow limit are formed scaled by 1/tol. Where the
// scaled K of a large order overflows but the K term of Y does not, that
// term comes from the uniform expansion with its exponents combined.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "special/besselsub/amos.hpp"
#include "special/besselsub/uniform.hpp"
#include "special/besselsub/zbes.hpp"

namespace slug {

void zbesy(double zr, double zi, double fnu, int kode, int n, double* cyr, double* cyi, int& nz,
           double* cwrkr, double* cwrki, int& ierr) {
    using namespace amos;
    constexpr double hpi = std::numbers::pi / 2.0;
    ierr = 0;
    nz = 0;
    // A NaN argument or order is an input error too: it would otherwise
    // pass every range test and come back as a value with IERR 0.
    if (std::isnan(zr) || std::isnan(zi) || std::isnan(fnu) || (zr == 0.0 && zi == 0.0) || fnu < 0.0 || kode < 1 ||
        kode > 2 || n < 1) {
        ierr = 1;
        return;
    }
    const double zzr = zi >= 0.0 ? zi : -zi;  // zeta = zzr + i zzi, Re zeta = |Im z|
    const double zzi = -zr;
    int nz1 = 0, nz2 = 0;
    zbesi(zzr, zzi, fnu, kode, n, cyr, cyi, nz1, ierr);
    if (ierr != 0 && ierr != 3) {
        nz = 0;
        return;
    }
    const int ierr_i = ierr;
    zbesk(zzr, zzi, fnu, kode, n, cwrkr, cwrki, nz2, ierr);
    // With kode 2 the scaled K of a large order may overflow although
    // its contribution e^(-2|Im z|) K to Y does not: the K terms are
    // then formed from the uniform expansion with all exponents combined
    // before rounding (below), and IERR 2 is left for a Y that is itself
    // out of range.
    const bool k_combined = ierr == 2 && kode == 2 && fnu > limits().fnul;
    if (k_combined) ierr = ierr_i;
    if (ierr != 0 && ierr != 3) {
        nz = 0;
        return;
    }
    nz = std::min(nz1, nz2);

    // e^(i fnu pi/2): fractional part from n = int(fnu) (through single
    // precision), times i^(n mod 4).
    static constexpr double cipr[4] = {1.0, 0.0, -1.0, 0.0};
    static constexpr double cipi[4] = {0.0, 1.0, 0.0, -1.0};
    const int ifnu = static_cast<int>(static_cast<float>(fnu));
    const double arg = hpi * (fnu - ifnu);
    double csr = std::cos(arg), csi = std::sin(arg);
    const int i4 = ifnu % 4;
    {
        const double t = csr * cipr[i4] - csi * cipi[i4];
        csi = csr * cipi[i4] + csi * cipr[i4];
        csr = t;
    }
    // cspn = (2/pi) e^(-i fnu pi/2), csgn = i e^(i fnu pi/2)
    const double rhpi = 1.0 / hpi;
    cplx cspn(csr * rhpi, -csi * rhpi);
    cplx csgn(-csi, csr);
    const double sgn = zi < 0.0 ? -1.0 : 1.0;

    if (kode == 1) {
        for (int i = 0; i < n; ++i) {
            const cplx v = csgn * cplx(cyr[i], cyi[i]) - cspn * cplx(cwrkr[i], cwrki[i]);
            cyr[i] = v.real();
            cyi[i] = sgn * v.imag();
            csgn *= cplx(0.0, 1.0);
            cspn *= cplx(0.0, -1.0);
        }
        return;
    }
    const Limits lim = limits();
    const double tay = std::fabs(zi + zi);
    const bool small_factor = tay >= lim.elim;
    const double ey = small_factor ? 0.0 : std::exp(-tay);
    const cplx rot(std::cos(zr), std::sin(zr));
    const cplx ex = rot * ey;
    // exp(-2|Im z|) K for 2|Im z| >= ELIM. Taking the factor as 0 there is
    // right only while the scaled K is of moderate size; for orders large
    // against |z| it grows like exp(fnu^2/(2|z|)) and the K term is then
    // the larger part of Y. The product is formed as K e^-c e^-(tay-c) with
    // an integer c near ln|K| (so tay - c is exact), and is zero only when
    // it really is below exp(-ELIM).
    auto far_kterm = [&](const cplx& k, bool& dropped) {
        dropped = true;
        const double ak = std::abs(k);
        if (!(ak > 0.0) || !(std::log(ak) - tay >= -lim.elim)) return cplx(0.0, 0.0);
        dropped = false;
        const double c = std::clamp(std::floor(std::log(ak)), 0.0, std::floor(tay));
        return k * std::exp(-c) * std::exp(-(tay - c)) * rot;
    };
    const double rtol = 1.0 / lim.tol;
    const double ascle = d1mach(1) * rtol * 1.0e3;
    // Guarded product: a factor near the underflow limit is scaled up
    // before the multiplication and the result back after.
    auto guarded = [&](const cplx& a, const cplx& b) {
        if (std::max(std::fabs(a.real()), std::fabs(a.imag())) <= ascle) return (a * rtol) * b * lim.tol;
        return a * b;
    };
    nz = 0;
    for (int i = 0; i < n; ++i) {
        bool dropped = false;
        cplx kterm;
        if (k_combined) {
            // (2/pi) e^(-i nu pi/2) K(zeta) e^zeta e^(-2|Im z|) e^(i Re z) as mantissa times e^(exponent)
            const cplx zeta(zzr, zzi);
            uniform::Scaled s = uniform::airy_region(zeta) ? uniform::k_airy(zeta, fnu + i, 2, lim.tol)
                                                           : uniform::k_debye(zeta, fnu + i, 2, lim.tol);
            s.m *= rot * cspn;
            s.e -= tay;
            bool under = false, over = false;
            kterm = uniform::to_value(s, lim.elim, under, over);
            if (over) {
                nz = 0;
                ierr = 2;
                return;
            }
            dropped = under;
        } else {
            const cplx zv =
                small_factor ? far_kterm(cplx(cwrkr[i], cwrki[i]), dropped) : cplx(cwrkr[i], cwrki[i]) * ex;
            kterm = guarded(zv, cspn);
        }
        const cplx iterm = guarded(cplx(cyr[i], cyi[i]), csgn);
        const cplx v = iterm - kterm;
        cyr[i] = v.real();
        cyi[i] = sgn * v.imag();
        if (dropped && v.real() == 0.0 && v.imag() == 0.0) ++nz;
        csgn *= cplx(0.0, 1.0);
        cspn *= cplx(0.0, -1.0);
    }
}

}  // namespace slug
