// Entry point: modified Bessel function K of complex argument and real
// order, orders fnu .. fnu+n-1, unscaled (kode 1) or times exp(z) (kode 2).
//
// Method (D. E. Amos, ACM TOMS Algorithm 644, 1986): zbknu for Re z >= 0,
// the analytic continuation zacon for Re z < 0, and the uniform
// expansions (zbunk) for fnu > fnul, after overflow and underflow
// pre-tests on the highest order.
#include <cmath>
#include <vector>

#include "special/besselsub/amos.hpp"
#include "special/besselsub/zbes.hpp"

namespace slug {

void zbesk(double zr, double zi, double fnu, int kode, int n, double* cyr, double* cyi, int& nz, int& ierr) {
    using namespace amos;
    Limits lim;
    if (!entry_checks(zr, zi, fnu, kode, n, true, lim, nz, ierr)) return;
    const cplx z(zr, zi);
    const double az = zabs(z);
    int nn = n;
    const double fn = fnu + (nn - 1);

    CplxSeq cy(n);
    auto overflow = [&]() {
        nz = 0;
        ierr = 2;
    };
    auto store = [&]() {
        for (int i = 0; i < n; ++i) {
            cyr[i] = cy[static_cast<std::size_t>(i)].real();
            cyi[i] = cy[static_cast<std::size_t>(i)].imag();
        }
    };
    auto failed = [&](int nw) {
        if (nw == -1) {
            overflow();
        } else {
            nz = 0;
            ierr = 5;
        }
    };

    const double ufl = d1mach(1) * 1.0e3;
    if (az < ufl) {
        overflow();
        return;
    }
    int nw = 0;
    if (fnu > lim.fnul) {
        // Uniform asymptotic expansions for large orders.
        int mr = 0;
        if (zr < 0.0) mr = zi < 0.0 ? -1 : 1;
        zbunk(z, fnu, kode, mr, nn, cy.data(), nw, lim.tol, lim.elim, lim.alim);
        if (nw < 0) {
            failed(nw);
            return;
        }
        nz += nw;
        store();
        return;
    }
    if (fn > 2.0) {
        zuoik(z, fnu, kode, 2, nn, cy.data(), nw, lim.tol, lim.elim, lim.alim);
        if (nw < 0) {
            overflow();
            return;
        }
        nz += nw;
        nn -= nw;
        if (nn == 0) {
            if (zr < 0.0) {
                overflow();
                return;
            }
            store();
            return;
        }
    } else if (fn > 1.0 && az <= lim.tol) {
        // K_fn(z) ~ Gamma(fn)/2 (2/z)^fn overflows for tiny |z|.
        const double aln = -fn * std::log(0.5 * az);
        if (aln > lim.elim) {
            overflow();
            return;
        }
    }
    if (zr >= 0.0) {
        zbknu(z, fnu, kode, nn, cy.data(), nw, lim.tol, lim.elim, lim.alim);
        if (nw < 0) {
            failed(nw);
            return;
        }
        nz = nw;
        store();
        return;
    }
    // Left half-plane: no underflow is allowed in the continuation.
    if (nz != 0) {
        overflow();
        return;
    }
    const int mr = zi < 0.0 ? -1 : 1;
    zacon(z, fnu, kode, mr, nn, cy.data(), nw, lim);
    if (nw < 0) {
        failed(nw);
        return;
    }
    nz = nw;
    store();
}

}  // namespace slug
