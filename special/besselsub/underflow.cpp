// Underflow tests and rescaling of the complex Bessel package: the phase
// test of a value about to be scaled down (zuchk), the combination test
// of the analytic continuation of K (zs1s2), and the return of
// exponentially scaled K values to their true size (zkscl).
//
// Method: D. E. Amos, ACM TOMS Algorithm 644 (1986) and Sandia report
// SAND85-1018: a value is counted as underflowed when, after scaling, its
// smaller component would underflow while lying within one precision of
// the larger, since its phase would then not be accurate.
#include <algorithm>
#include <cmath>

#include "special/besselsub/amos.hpp"

namespace slug::amos {

void zuchk(const cplx& y, int& nz, double ascle, double tol) {
    nz = 0;
    const double wr = std::fabs(y.real()), wi = std::fabs(y.imag());
    const double small = std::min(wr, wi);
    if (small > ascle) return;
    const double large = std::max(wr, wi);
    if (large < small / tol) nz = 1;
}

void zs1s2(const cplx& zr, cplx& s1, cplx& s2, int& nz, double ascle, double alim, int& iuf) {
    // s1 is an exponentially scaled K value of argument zr; the K term of
    // the continuation carries exp(-2 zr). It is dropped when that makes it
    // negligible, and both terms are zeroed when the sum would underflow.
    nz = 0;
    double as1 = zabs(s1);
    const double as2 = zabs(s2);
    if (as1 != 0.0) {
        const double aln = -2.0 * zr.real() + std::log(as1);
        const cplx k = s1;
        s1 = 0.0;
        as1 = 0.0;
        if (aln >= -alim) {
            s1 = zexp1(zlog1(k) - 2.0 * zr);
            as1 = zabs(s1);
            ++iuf;
        }
    }
    if (std::max(as1, as2) > ascle) return;
    s1 = 0.0;
    s2 = 0.0;
    nz = 1;
    iuf = 0;
}

void zkscl(const cplx& zr, double /*fnu*/, int n, cplx* y, int& nz, const cplx& /*rz*/, double& ascle, double tol,
           double elim) {
    // y[0..n-1] hold exp(zr) K; they are replaced by K itself. The factor
    // exp(-Re zr) is split as exp(-c) exp(-(Re zr - c)) with an integer c,
    // so that the large exponent is subtracted exactly and the value keeps
    // full relative accuracy down to the underflow limit. Values below it
    // (or whose phase would be lost) become zero, and so does every value
    // of lower order, the sequence growing with the order.
    nz = 0;
    const double x = zr.real();
    const cplx rot(std::cos(zr.imag()), -std::sin(zr.imag()));
    for (int i = 0; i < n; ++i) {
        const cplx w = y[i];
        const double aw = zabs(w);
        bool under = aw == 0.0 || !(std::log(aw) - x >= -elim);
        if (!under) {
            double c = std::floor(std::log(aw));
            c = std::clamp(c, 0.0, std::floor(x));
            // Scaled by 1/tol for the phase test, then back.
            const cplx v = w * std::exp(-c) * std::exp(-(x - c)) / tol * rot;
            int nw = 0;
            zuchk(v, nw, ascle, tol);
            if (nw != 0) {
                under = true;
            } else {
                y[i] = v * tol;
            }
        }
        if (under) {
            for (int k = 0; k <= i; ++k) y[k] = 0.0;
            nz = i + 1;
        }
    }
}

}  // namespace slug::amos
