// Modified Bessel function I of complex argument for large |z| (|z| >= rl)
// by its asymptotic expansion, Re z >= 0, orders fnu .. fnu+n-1.
//
// Method (D. E. Amos, ACM TOMS Algorithm 644, 1986; Sandia report
// SAND85-1018; Abramowitz & Stegun 9.7.1): with mu = 4 m^2,
//   I_m(z) ~ e^z / sqrt(2 pi z) * sum_k (-1)^k a_k / z^k
//          + i^(+-1) e^(+-i m pi) e^-z / sqrt(2 pi z) * sum_k a_k / z^k,
//   a_k = (mu - 1)(mu - 9)...(mu - (2k-1)^2) / (k! 8^k),
// the upper signs for Im z >= 0. The expansion is summed for the two
// highest orders until the term bound falls below tol relative to the
// first reciprocal power (the leading term of the imaginary part on the
// imaginary axis); the lower orders follow by backward recurrence.
// nz = -1: overflow (Re z beyond elim with kode 1); -2: the expansion did
// not reach the tolerance within 2 rl + 2 terms.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "special/besselsub/amos.hpp"
#include "special/besselsub/zbes.hpp"

namespace slug::amos {

void zasyi(const cplx& z, double fnu, int kode, int n, cplx* y, int& nz, double rl, double tol, double elim,
           double alim) {
    constexpr double pi = std::numbers::pi;
    nz = 0;
    const double az = zabs(z);
    const double arm = 1.0e3 * d1mach(1);
    const double rtr1 = std::sqrt(arm);
    const int il = std::min(2, n);
    const double dfnu = fnu + (n - il);
    // 1/sqrt(2 pi z)
    cplx ak1 = zsqrt1(zdiv(cplx(1.0 / (2.0 * pi), 0.0), z));
    cplx cz = z;
    if (kode == 2) cz = cplx(0.0, z.imag());
    if (std::fabs(cz.real()) > elim) {
        nz = -1;
        return;
    }
    // With many orders and a large exponent the factor exp(cz) is applied
    // after the recurrence, so the intermediate values stay finite.
    bool deferred = std::fabs(cz.real()) > alim && n > 2;
    if (!deferred) ak1 *= zexp1(cz);
    double fdn = 0.0;
    const double dnu2 = dfnu + dfnu;
    if (dnu2 > rtr1) fdn = dnu2 * dnu2;  // mu = 4 m^2 of the lower of the two orders
    const cplx ez = 8.0 * z;
    const double aez = 8.0 * az;
    const double s = tol / aez;
    const int jl = static_cast<int>(rl + rl) + 2;
    // Coefficient of the exp(-2z) part: i e^(i m pi) for Im z >= 0, its
    // conjugate sense below.
    cplx p1(0.0, 0.0);
    if (z.imag() != 0.0) {
        int inu = static_cast<int>(fnu);
        const double arg = (fnu - inu) * pi;
        inu += n - il;
        double ak = -std::sin(arg);
        double bk = std::cos(arg);
        if (z.imag() < 0.0) bk = -bk;
        p1 = cplx(ak, bk);
        if (inu % 2 == 1) p1 = -p1;
    }
    for (int k = 0; k < il; ++k) {
        double sqk = fdn - 1.0;
        const double atol = s * std::fabs(sqk);
        double sgn = 1.0;
        cplx cs1(1.0, 0.0), cs2(1.0, 0.0), ck(1.0, 0.0);
        double ak = 0.0, aa = 1.0, bb = aez;
        cplx dk = ez;
        bool done = false;
        for (int j = 0; j < jl; ++j) {
            ck = zdiv(ck * sqk, dk);
            cs2 += ck;
            sgn = -sgn;
            cs1 += ck * sgn;
            dk += ez;
            aa = aa * std::fabs(sqk) / bb;
            bb += aez;
            ak += 8.0;
            sqk -= ak;
            if (aa <= atol) {
                done = true;
                break;
            }
        }
        if (!done) {
            nz = -2;
            return;
        }
        cplx s2 = cs1;
        if (z.real() + z.real() < elim) s2 += zexp1(-2.0 * z) * p1 * cs2;
        fdn += 8.0 * dfnu + 4.0;  // mu of the next order: 4 (m+1)^2
        p1 = -p1;
        y[n - il + k] = s2 * ak1;
    }
    if (n <= 2) return;
    const cplx rz = zdiv(cplx(2.0, 0.0), z);
    double ak = n - 2;
    for (int k = n - 3; k >= 0; --k) {
        y[k] = (ak + fnu) * rz * y[k + 1] + y[k + 2];
        ak -= 1.0;
    }
    if (!deferred) return;
    const cplx ec = zexp1(cz);
    for (int i = 0; i < n; ++i) y[i] *= ec;
}

}  // namespace slug::amos
