// Sequences of orders for the large-order routines zuni1/zuni2 (I) and
// zunk1/zunk2 (K) of D. E. Amos, ACM TOMS Algorithm 644 (1986): the
// underflow trimming from the top (I), backward recurrence
// I_(nu-1) = (2 nu/z) I_nu + I_(nu+1) below FNUL (stable for I, the
// recessive solution as the order grows), and the analytic continuation
// of K to the left half-plane, K(z) = e^(-i mr pi nu) K(zn) - i mr pi I(zn),
// zn = -z (DLMF 10.34.2). All values are carried as mantissa times
// e^(exponent) until each result is formed.
#include <cmath>

#include "special/besselsub/amos.hpp"
#include "special/besselsub/uniform.hpp"

namespace slug::amos::uniform {

namespace {
constexpr double kBig = 1.0e150;
const double kLogBig = std::log(kBig);

Scaled add(const Scaled& a, const Scaled& b) {
    if (a.m == cplx(0.0, 0.0)) return b;
    if (b.m == cplx(0.0, 0.0)) return a;
    const double e = std::max(a.e, b.e);
    return {a.m * std::exp(a.e - e) + b.m * std::exp(b.e - e), e};
}
}  // namespace

void i_sequence(const cplx& z, double fnu, int kode, int n, cplx* y, int& nz, int& nlast, double fnul,
                double tol, double elim, Form f) {
    nz = 0;
    nlast = 0;
    int nn = n;
    Scaled top{};
    while (nn > 0) {
        const double fn = fnu + nn - 1;
        if (fn < fnul) {
            nlast = nn;
            return;
        }
        top = f(z, fn, kode, tol);
        const double la = log_abs(top);
        if (la > elim) {
            nz = -1;
            return;
        }
        if (la >= -elim) break;
        y[nn - 1] = 0.0;
        ++nz;
        --nn;
    }
    if (nn == 0) return;

    bool under, over;
    // Orders at or above fnul directly.
    int j0 = nn - 1;  // lowest index computed directly
    Scaled sj = top, sj1{};
    y[nn - 1] = to_value(top, elim, under, over);
    if (under) {
        y[nn - 1] = 0.0;
        ++nz;
    }
    bool have_sj1 = false;
    while (j0 > 0 && fnu + (j0 - 1) >= fnul) {
        sj1 = sj;
        have_sj1 = true;
        --j0;
        sj = f(z, fnu + j0, kode, tol);
        y[j0] = to_value(sj, elim, under, over);
        if (over) {
            nz = -1;
            return;
        }
        if (under) y[j0] = 0.0;
    }
    if (j0 == 0) return;
    if (!have_sj1) sj1 = f(z, fnu + j0 + 1, kode, tol);

    // Backward recurrence below fnul, with a common exponent.
    double e = sj.e;
    cplx c0 = sj.m, c1 = sj1.m * std::exp(sj1.e - e);
    const cplx rz = zdiv(cplx(2.0, 0.0), z);
    for (int k = j0 - 1; k >= 0; --k) {
        const cplx c = rz * (fnu + k + 1.0) * c0 + c1;
        c1 = c0;
        c0 = c;
        if (zabs(c0) > kBig) {
            c0 /= kBig;
            c1 /= kBig;
            e += kLogBig;
        }
        y[k] = to_value({c0, e}, elim, under, over);
        if (over) {
            nz = -1;
            return;
        }
        if (under) y[k] = 0.0;
    }
}

void k_sequence(const cplx& z, double fnu, int kode, int n, cplx* y, int& nz, double tol, double elim, Form f) {
    nz = 0;
    bool under, over;
    for (int k = 0; k < n; ++k) {
        y[k] = to_value(f(z, fnu + k, kode, tol), elim, under, over);
        if (over) {
            nz = -1;
            return;
        }
        if (under) ++nz;
    }
}

void k_continued(const cplx& z, double fnu, int kode, int mr, int n, cplx* y, int& nz, double tol, double elim,
                 Form kf, Form iff) {
    nz = 0;
    const cplx zn = -z;
    bool under, over;
    for (int k = 0; k < n; ++k) {
        const double nu = fnu + k;
        Scaled sk = kf(zn, nu, 1, tol);
        Scaled si = iff(zn, nu, 1, tol);
        // e^(-i mr pi nu), nu reduced exactly modulo 2.
        const double a = -mr * M_PI * std::fmod(nu, 2.0);
        sk.m *= cplx(std::cos(a), std::sin(a));
        si.m *= cplx(0.0, -mr * M_PI);
        Scaled s = add(sk, si);
        if (kode == 2) {
            s.m *= zexp1(cplx(0.0, z.imag()));
            s.e += z.real();
        }
        y[k] = to_value(s, elim, under, over);
        if (over) {
            nz = -1;
            return;
        }
        if (under) ++nz;
    }
}

}  // namespace slug::amos::uniform
