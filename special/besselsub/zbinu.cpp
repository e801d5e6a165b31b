// Modified Bessel function I of complex argument for Re z >= 0: choice
// among the power series, the large-|z| asymptotic expansion, Miller's
// recurrence, the Wronskian normalization and the uniform expansions for
// large orders.
//
// Method: D. E. Amos, ACM TOMS Algorithm 644 (1986) and Sandia report
// SAND85-1018. Regions (|z| = az, largest order dfnu):
//  - az <= 2 or az^2/4 <= dfnu+1: power series (zseri);
//  - az >= rl and (dfnu <= 1 or 2 az >= dfnu^2): asymptotic expansion (zasyi);
//  - otherwise, after the overflow/underflow pre-test (zuoik), orders or
//    arguments above fnul by the uniform expansions (zbuni), az > rl by
//    ratios and the Wronskian (zwrsk), and az <= rl by Miller's recurrence
//    (zmlri).
// Miller's recurrence is normalized by a Neumann series whose terms rotate
// with arg z; away from the real axis (az - Re z > 2) that sum cancels
// by up to a factor exp(az - Re z) or more, so there the Wronskian
// normalization, which does not cancel, is used instead.
// nz >= 0: number of orders that underflowed (set to zero, highest
// first); -1 overflow; -2 a method did not converge.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "special/besselsub/amos.hpp"

namespace slug::amos {

void zbinu(const cplx& z, double fnu, int kode, int n, cplx* y, int& nz, const Limits& lim) {
    const double tol = lim.tol, elim = lim.elim, alim = lim.alim, rl = lim.rl, fnul = lim.fnul;
    nz = 0;
    const double az = zabs(z);
    int nn = n;
    double dfnu = fnu + (n - 1);
    int nw = 0;
    auto fail = [&](int code) { nz = code == -2 ? -2 : -1; };

    if (az <= 2.0 || az * az * 0.25 <= dfnu + 1.0) {
        zseri(z, fnu, kode, nn, y, nw, tol, elim, alim);
        const int inw = std::abs(nw);
        nz += inw;
        nn -= inw;
        if (nn == 0 || nw >= 0) return;
        dfnu = fnu + (nn - 1);
    }
    if (az >= rl && (dfnu <= 1.0 || az + az >= dfnu * dfnu)) {
        zasyi(z, fnu, kode, nn, y, nw, rl, tol, elim, alim);
        if (nw < 0) fail(nw);
        return;
    }
    if (!(az < rl && dfnu <= 1.0)) {
        // Overflow and underflow pre-test of the I sequence.
        zuoik(z, fnu, kode, 1, nn, y, nw, tol, elim, alim);
        if (nw < 0) {
            fail(-1);
            return;
        }
        nz += nw;
        nn -= nw;
        if (nn == 0) return;
        dfnu = fnu + (nn - 1);
        if (dfnu > fnul || az > fnul) {
            // Uniform expansions, possibly after raising the order above
            // fnul and recurring back; nlast orders are left for below.
            int nui = static_cast<int>(fnul - dfnu) + 1;
            nui = std::max(nui, 0);
            int nlast = 0;
            zbuni(z, fnu, kode, nn, y, nw, nui, nlast, fnul, tol, elim, alim);
            if (nw < 0) {
                fail(nw);
                return;
            }
            nz += nw;
            if (nlast == 0) return;
            nn = nlast;
        }
    }
    const bool neumann_ok = az - z.real() <= 2.0;
    if (az <= rl && neumann_ok) {
        zmlri(z, fnu, kode, nn, y, nw, tol);
        if (nw < 0) fail(nw);
        return;
    }
    // Overflow test on the K functions of the Wronskian: K overflowing
    // means I underflows.
    cplx cw[2];
    zuoik(z, fnu, kode, 2, 2, cw, nw, tol, elim, alim);
    if (nw < 0) {
        nz = nn;
        for (int i = 0; i < nn; ++i) y[i] = 0.0;
        return;
    }
    if (nw > 0) {
        fail(-1);
        return;
    }
    zwrsk(z, fnu, kode, nn, y, nw, cw, tol, elim, alim);
    if (nw < 0) fail(nw);
}

}  // namespace slug::amos
