// Modified Bessel function I of complex argument by Miller's backward
// recurrence normalized by a Neumann series, Re z >= 0, orders
// fnu .. fnu+n-1 (kode 2: times exp(-Re z)).
//
// Method (D. E. Amos, ACM TOMS Algorithm 644, 1986; Sandia report
// SAND85-1018; J. C. P. Miller's algorithm, see W. Gautschi, SIAM Rev. 9
// (1967) 24-82): the recurrence I_{m-1} = (2m/z) I_m + I_{m+1} is run
// downwards from a high index with arbitrary start values, and the result
// is normalized by the identity
//   sum_k w_k I_{nu+k}(z) = (z/2)^nu e^z / Gamma(nu+1),
//   w_0 = 1, w_k = (nu+k)/nu * (2nu)_k / k!   (w_k = 2 for nu = 0).
// The start index is where a forward run of the recurrence (which follows
// the dominant solution K) has grown by 10/tol from the highest order
// wanted, and is moved up until the first terms of the normalizing sum are
// below tol relative to the sum of moduli.
// The weights and the unnormalized terms are kept finite by exact powers
// of two, so no rounding is added by the rescaling.
// nz = -2: the start index exceeded its limit.
#include <algorithm>
#include <cmath>

#include "special/besselsub/amos.hpp"

namespace slug::amos {

namespace {
constexpr int kMaxIndex = 30000;
double cmax(const cplx& c) { return std::max(std::fabs(c.real()), std::fabs(c.imag())); }
}  // namespace

void zmlri(const cplx& z, double fnu, int kode, int n, cplx* y, int& nz, double tol) {
    nz = 0;
    const cplx rz = zdiv(cplx(2.0, 0.0), z);
    const double top = fnu + (n - 1);
    // Forward growth test from the highest order.
    int kk = n - 1;  // index offset from fnu
    {
        cplx fm(0.0, 0.0), fk(1.0, 0.0);
        const double test = 10.0 / tol;
        double mu = top + 1.0;
        for (;;) {
            ++kk;
            if (kk > kMaxIndex) {
                nz = -2;
                return;
            }
            const cplx fn = fm - (mu * rz) * fk;
            fm = fk;
            fk = fn;
            mu += 1.0;
            if (zabs(fk) > test) break;
        }
    }
    kk += 6;

    const double big = std::ldexp(1.0, 600), rbig = std::ldexp(1.0, -600);
    for (;;) {
        // Weight of the start index, w_kk = wm * 2^we, formed upwards.
        double wm = 1.0;
        int we = 0;
        for (int k = 1; k <= kk; ++k) {
            if (k == 1) {
                wm *= 2.0 * (fnu + 1.0);
            } else {
                wm *= ((fnu + k) / (fnu + k - 1.0)) * ((2.0 * fnu + k - 1.0) / k);
            }
            if (wm > big) {
                wm *= rbig;
                we += 600;
            }
        }
        // Backward recurrence with the running weights wk = w_k / w_kk * 2^ew.
        cplx p1(0.0, 0.0), p2(tol, 0.0);  // p_{k+1}, p_k
        double wk = 1.0;
        int ew = 0;
        cplx sum = p2;
        double asum = zabs(p2);
        double head = asum;  // modulus of the two highest terms of the sum
        for (int k = kk; k >= 1; --k) {
            // Step to index k-1.
            const double mu = fnu + k;
            const cplx pn = (mu * rz) * p2 + p1;
            p1 = p2;
            p2 = pn;
            if (k - 1 <= n - 1) y[k - 1] = p2;
            // w_{k-1} / w_k
            wk *= (k == 1) ? 1.0 / (2.0 * (fnu + 1.0)) : ((fnu + k - 1.0) / (fnu + k)) * (k / (2.0 * fnu + k - 1.0));
            if (wk < rbig) {
                wk *= big;
                ew += 600;
                sum *= big;
                asum *= big;
                head *= big;
            }
            const cplx t = wk * p2;
            sum += t;
            asum += zabs(t);
            if (k == kk) head += zabs(t);
            if (cmax(p2) > big) {
                p1 *= rbig;
                p2 *= rbig;
                sum *= rbig;
                asum *= rbig;
                head *= rbig;
                for (int j = std::max(k - 1, 0); j < n; ++j) y[j] *= rbig;
            }
        }
        if (head > tol * asum * 1.0e-3 && kk < kMaxIndex) {
            kk += std::max(10, kk / 2);
            continue;
        }
        if (kk >= kMaxIndex) {
            nz = -2;
            return;
        }
        // True sum = wm * 2^(we - ew) * sum; the right side of the identity
        // is (z/2)^fnu e^z / Gamma(fnu+1) (e^{i Im z} for kode 2).
        int ierr = 0;
        cplx lr = fnu * zlog1(0.5 * z);
        lr -= dgamln(fnu + 1.0, ierr);
        lr += (kode == 1) ? z : cplx(0.0, z.imag());
        // Split the real part of the exponent into a power of two.
        const int q = static_cast<int>(std::floor(lr.real() / std::log(2.0)));
        const double r = lr.real() - q * std::log(2.0);
        const cplx rhs = std::exp(r) * cplx(std::cos(lr.imag()), std::sin(lr.imag()));
        const cplx cnorm = zdiv(rhs, wm * sum);
        const int e2 = q + ew - we;
        for (int j = 0; j < n; ++j) {
            const cplx v = y[j] * cnorm;
            y[j] = cplx(std::ldexp(v.real(), e2), std::ldexp(v.imag(), e2));
        }
        return;
    }
}

}  // namespace slug::amos
