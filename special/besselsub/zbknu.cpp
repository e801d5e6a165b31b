// Modified Bessel function K of complex argument, Re z >= 0, for the
// orders fnu, fnu+1, ..., fnu+n-1, unscaled (kode 1) or multiplied by
// exp(z) (kode 2).
//
// Method (D. E. Amos, ACM TOMS Algorithm 644, 1986; Sandia report
// SAND85-1018): with fnu = inu + dnu, |dnu| <= 1/2, the functions
// K_dnu and K_dnu+1 are formed first and the orders are then reached by the
// forward recurrence K_{m+1} = (2m/z) K_m + K_{m-1}, which is stable for K.
//  - |z| <= 2: Temme's series (N. M. Temme, J. Comput. Phys. 19 (1975)
//    324-337), K_dnu = sum c_k f_k, K_dnu+1 = (2/z) sum c_k (p_k - k f_k),
//    c_k = (z^2/4)^k / k!.
//  - |z| > 2: K_dnu = sqrt(pi/(2z)) exp(-z) U(dnu+1/2, 2dnu+1, 2z), where the
//    terms p_k = (a)_k (1-a)_k / k! U(a+k, 2dnu+1, 2z), a = dnu+1/2, satisfy
//      p_{k-1} = k [2(k+z) p_k - (k+1) p_{k+1}] / ((k-1/2)^2 - dnu^2)
//    and sum to (2z)^-a. Backward (Miller) recurrence from an index fixed by
//    a forward growth test gives p_0 / sum p_k, and
//      K_dnu+1 / K_dnu = 1 + (dnu + 1/2 - p_1/p_0) / z.
//    For |dnu| = 1/2 the closed form sqrt(pi/(2z)) exp(-z) is exact.
// Values are carried scaled by 1/tol, 1 or tol so that the recurrence
// neither underflows nor overflows. With kode 1 and Re z > alim the values
// are formed with the exp(z) scaling and brought back by zkscl, which
// sets underflowed leading members to zero and counts them in nz.
// nz = -1 reports overflow, -2 a recurrence that did not converge.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "special/besselsub/amos.hpp"
#include "special/besselsub/zbes.hpp"

namespace slug::amos {

namespace {

// Odd Taylor coefficients of 1/Gamma(1+x) (x, x^3, ..., x^17); they give
// (1/Gamma(1-x) - 1/Gamma(1+x)) / (2x) = -(c1 + c3 x^2 + ...) for small x.
constexpr double kRecipGammaOdd[9] = {
    0.577215664901532860607,      -0.042002635034095235529,       -0.0421977345555443367482,
    0.0072189432466630995424,     -0.000215241674114950972816,    -0.0000201348547807882386557,
    0.00000113302723198169588237, 0.00000000611609510448141581786, -0.00000000118127457048702014459};

constexpr int kMaxMiller = 30000;

double cmax(const cplx& c) { return std::max(std::fabs(c.real()), std::fabs(c.imag())); }

// Temme's series for |z| <= 2: s1 = K_dnu(z), s2 = K_dnu+1(z).
void temme_series(const cplx& z, double dnu, double tol, cplx& s1, cplx& s2) {
    constexpr double pi = std::numbers::pi;
    const double caz = zabs(z);
    const cplx rz = zdiv(cplx(2.0, 0.0), z);
    const double dnu2 = std::fabs(dnu) > tol ? dnu * dnu : 0.0;
    cplx smu = zlog1(rz);  // ln(2/z)
    const cplx fmu = smu * dnu;
    cplx csh, cch;
    zshch(fmu, csh, cch);
    double fc = 1.0;
    if (dnu != 0.0) {
        fc = dnu * pi / std::sin(dnu * pi);
        smu = csh / dnu;  // sinh(dnu ln(2/z)) / dnu
    }
    int ierr = 0;
    const double t2 = std::exp(-dgamln(1.0 + dnu, ierr));  // 1/Gamma(1+dnu)
    const double t1 = 1.0 / (t2 * fc);                      // 1/Gamma(1-dnu)
    double g1;
    if (std::fabs(dnu) <= 0.1) {
        double s = 0.0;
        for (int k = 8; k >= 0; --k) s = s * dnu2 + kRecipGammaOdd[k];
        g1 = -s;
    } else {
        g1 = (t1 - t2) / (dnu + dnu);
    }
    const double g2 = 0.5 * (t1 + t2);
    cplx f = fc * (cch * g1 + smu * g2);
    const cplx pt = zexp1(fmu);
    cplx p = (0.5 / t2) * pt;
    cplx q = zdiv(cplx(0.5 / t1, 0.0), pt);
    s1 = f;
    s2 = p;
    if (caz >= tol) {
        const cplx cz = 0.25 * z * z;
        const double t = 0.25 * caz * caz;
        double ak = 1.0, a1 = 1.0, bk = 1.0 - dnu2;
        cplx ck(1.0, 0.0);
        do {
            f = (f * ak + p + q) / bk;
            p /= (ak - dnu);
            q /= (ak + dnu);
            const double rk = 1.0 / ak;
            ck = ck * cz * rk;
            s1 += ck * f;
            s2 += ck * (p - f * ak);
            a1 *= t * rk;
            bk += ak + ak + 1.0;
            ak += 1.0;
        } while (a1 > tol);
    }
    s2 = s2 * rz;
}

// Miller recurrence for |z| > 2; coef = sqrt(pi/(2z)) (times exp(-z) when
// unscaled). Returns false when the start index exceeds the limit.
bool miller_k(const cplx& z, double dnu, double tol, const cplx& coef, cplx& s1, cplx& s2) {
    // Start index: forward recurrence of the same relation from (0, 1) grows
    // like the dominant solution; once it has grown by 1/tol the minimal
    // one is resolved to tol at index 0.
    const double test = 10.0 / tol;
    cplx pm(0.0, 0.0), pk(1.0, 0.0);
    int k = 1;
    for (;; ++k) {
        if (k > kMaxMiller) return false;
        const double dk = (k - 0.5) * (k - 0.5) - dnu * dnu;
        const cplx pn = (2.0 * (static_cast<double>(k) + z) * pk - (dk / k) * pm) / (k + 1.0);
        pm = pk;
        pk = pn;
        if (zabs(pk) > test) break;
    }
    const int kstart = k + 6;
    cplx p1(0.0, 0.0), p2(tol, 0.0), cs = p2;  // p_{k+1}, p_k, running sum
    for (int j = kstart; j >= 1; --j) {
        const double dj = (j - 0.5) * (j - 0.5) - dnu * dnu;
        const cplx pn = (static_cast<double>(j) / dj) * (2.0 * (static_cast<double>(j) + z) * p2 - (j + 1.0) * p1);
        p1 = p2;
        p2 = pn;
        cs += p2;
        if (cmax(p2) > 1.0e200) {  // keep the unnormalized terms finite
            p1 *= 1.0e-200;
            p2 *= 1.0e-200;
            cs *= 1.0e-200;
        }
    }
    // p2 = p_0, p1 = p_1.
    s1 = coef * zdiv(p2, cs);
    const cplx ratio = zdiv(p1, p2);
    s2 = s1 * (1.0 + zdiv(dnu + 0.5 - ratio, z));
    return true;
}

}  // namespace

void zbknu(const cplx& z, double fnu, int kode, int n, cplx* y, int& nz, double tol, double elim, double alim) {
    constexpr double pi = std::numbers::pi;
    const double tiny = d1mach(1), huge = d1mach(2);
    const double css[3] = {1.0 / tol, 1.0, tol};
    const double csr[3] = {tol, 1.0, 1.0 / tol};
    const double bry[3] = {1.0e3 * tiny / tol, tol / (1.0e3 * tiny), huge};
    nz = 0;
    const double caz = zabs(z);
    const cplx rz = zdiv(cplx(2.0, 0.0), z);
    int inu = static_cast<int>(fnu + 0.5);
    const double dnu = fnu - inu;
    // Unscaled values with Re z > alim are formed scaled and brought back
    // with an underflow test at the end.
    const bool iflag = kode == 1 && z.real() > alim;
    const int koded = iflag ? 2 : kode;

    cplx s1, s2;
    if (std::fabs(dnu) != 0.5 && caz <= 2.0) {
        temme_series(z, dnu, tol, s1, s2);
        if (koded == 2) {
            const cplx ez = zexp1(z);
            s1 *= ez;
            s2 *= ez;
        }
    } else {
        cplx coef = std::sqrt(pi / 2.0) / zsqrt1(z);
        if (koded == 1) coef *= zexp1(-z);
        if (std::fabs(dnu) == 0.5) {
            s1 = coef;
            s2 = coef;
        } else if (!miller_k(z, dnu, tol, coef, s1, s2)) {
            nz = -2;
            return;
        }
    }

    // Scale index: 0 small values (times 1/tol), 1 none, 2 large (times tol).
    int kflag = 1;
    if (std::max(cmax(s1), cmax(s2)) > bry[1]) kflag = 2;
    s1 *= css[kflag];
    s2 *= css[kflag];
    auto rescale = [&]() {
        if (kflag >= 2) return;
        if (cmax(s2 * csr[kflag]) <= bry[kflag]) return;
        s1 *= csr[kflag];
        s2 *= csr[kflag];
        ++kflag;
        s1 *= css[kflag];
        s2 *= css[kflag];
    };

    // Forward recurrence from (K_dnu, K_dnu+1) to (K_fnu, K_fnu+1).
    cplx ck = (dnu + 1.0) * rz;
    for (int i = 0; i < inu; ++i) {
        const cplx st = s2;
        s2 = ck * s2 + s1;
        s1 = st;
        ck += rz;
        rescale();
    }
    // s1 = K_fnu, s2 = K_fnu+1; ck = 2(fnu+1)/z.
    y[0] = s1 * csr[kflag];
    if (n > 1) y[1] = s2 * csr[kflag];
    for (int i = 2; i < n; ++i) {
        const cplx st = s2;
        s2 = ck * s2 + s1;
        s1 = st;
        ck += rz;
        y[i] = s2 * csr[kflag];
        rescale();
    }
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(y[i].real()) || !std::isfinite(y[i].imag())) {
            nz = -1;
            return;
        }
    }
    if (iflag) {
        double ascle = bry[0];
        zkscl(z, fnu, n, y, nz, rz, ascle, tol, elim);
    }
}

}  // namespace slug::amos
