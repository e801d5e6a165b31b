// Modified Bessel function I of complex argument by its power series,
// for the orders fnu, fnu+1, ..., fnu+n-1 (kode 2: times exp(-|Re z|)).
//
// Method (D. E. Amos, ACM TOMS Algorithm 644, 1986; Sandia report
// SAND85-1018): I_m(z) = (z/2)^m / Gamma(m+1) * sum_k (z^2/4)^k / (k! (m+1)_k)
// for the two highest orders, the lower ones by the backward recurrence
// I_{m-1} = (2m/z) I_m + I_{m+1}, which is stable for I. The leading
// factor is formed through its logarithm (ln Gamma from dgamln), so that
// large orders do not overflow; orders whose leading factor is below
// exp(-elim) are set to zero from the top down and counted in nz. Near the
// underflow limit the sums are carried scaled by 1/tol and each value is
// tested (zuchk) when it is scaled back.
// nz < 0 (as -count) tells the caller that orders underflowed while
// |z|^2/4 exceeds the order, so the series is not the method for the rest.
#include <algorithm>
#include <cmath>

#include "special/besselsub/amos.hpp"
#include "special/besselsub/zbes.hpp"

namespace slug::amos {

void zseri(const cplx& z, double fnu, int kode, int n, cplx* y, int& nz, double tol, double elim, double alim) {
    nz = 0;
    const double az = zabs(z);
    const double arm = 1.0e3 * d1mach(1);
    if (az == 0.0 || az < arm) {
        // Below the underflow limit: only I_0 survives.
        for (int i = 0; i < n; ++i) y[i] = 0.0;
        nz = n;
        if (fnu == 0.0) {
            y[0] = 1.0;
            --nz;
        }
        return;
    }
    const double rtr1 = std::sqrt(arm);
    const cplx hz = 0.5 * z;
    cplx cz(0.0, 0.0);
    if (az > rtr1) cz = hz * hz;  // z^2/4, left zero where it would underflow
    const double acz = zabs(cz);
    const cplx ck = zlog1(hz);
    const double ascle = arm / tol;

    int nn = n;
    // Sets the highest remaining order to zero as underflowed. True when
    // the series must stop: nothing is left, or |z^2/4| exceeds that order
    // so that the lower orders cannot underflow either (nz < 0 tells the
    // caller to use another method).
    auto drop_top = [&](double dfnu) {
        y[nn - 1] = 0.0;
        ++nz;
        --nn;
        if (acz > dfnu) {
            nz = -nz;
            return true;
        }
        return nn == 0;
    };
    for (;;) {
        // Leading factor of the highest remaining order.
        const double dfnu = fnu + (nn - 1);
        int ierr = 0;
        cplx ak1 = ck * dfnu;
        ak1 -= dgamln(dfnu + 1.0, ierr);
        if (kode == 2) ak1 -= z.real();
        if (ak1.real() <= -elim) {
            if (drop_top(dfnu)) return;
            continue;
        }
        // Scale up by 1/tol when the values are near the underflow limit.
        bool scaled = ak1.real() <= -alim;
        const double ss = scaled ? 1.0 / tol : 1.0;
        const double crsc = scaled ? tol : 1.0;
        // Series for the (up to) two highest orders.
        const int il = std::min(2, nn);
        cplx w[2];
        bool underflow = false;
        for (int i = 0; i < il; ++i) {
            const double m = dfnu - i;
            // Leading factor (z/2)^m / Gamma(m+1) of this order.
            cplx lead = ck * m;
            lead -= dgamln(m + 1.0, ierr);
            if (kode == 2) lead -= z.real();
            // The modulus through exp of its logarithm loses about
            // |ln| ulps; within range it is formed as |z/2|^m / Gamma(m+1)
            // with a correctly rounded power and a product for the gamma
            // function, which keeps it to a few ulps.
            double mag;
            if (m < 160.0 && std::fabs(m * std::log(zabs(hz))) < 690.0) {
                const double frac = m - std::floor(m);
                double g = std::exp(dgamln(1.0 + frac, ierr));  // Gamma(1+frac), ln in [-0.13, 0]
                for (double t = frac + 1.0; t <= m + 0.5; t += 1.0) g *= t;
                mag = std::pow(zabs(hz), m) * ss / g;
                if (kode == 2) mag *= std::exp(-z.real());
            } else {
                mag = std::exp(lead.real()) * ss;
            }
            const cplx coef = mag * cplx(std::cos(lead.imag()), std::sin(lead.imag()));
            cplx sum(1.0, 0.0);
            if (acz >= tol * (m + 1.0)) {
                cplx term(1.0, 0.0);
                double at = 1.0, asum = 1.0;
                double k = 1.0;
                do {
                    term = term * cz / (k * (m + k));
                    sum += term;
                    at *= acz / (k * (m + k));
                    asum += at;
                    k += 1.0;
                } while (at > tol * asum);
            }
            cplx v = coef * sum;
            const int idx = nn - 1 - i;
            if (scaled) {
                int nw = 0;
                zuchk(v, nw, ascle, tol);
                if (nw != 0) {
                    underflow = true;
                    break;
                }
            }
            w[i] = v;
            y[idx] = v * crsc;
        }
        if (underflow) {
            // Treat the top order as underflowed and start again below it.
            if (drop_top(dfnu)) return;
            continue;
        }
        if (nn <= 2) return;
        // Backward recurrence for the remaining orders, in the scaled units.
        cplx s2 = w[0], s1 = w[1];
        const cplx rz = zdiv(cplx(2.0, 0.0), z);
        double m = dfnu - 1.0;
        for (int idx = nn - 3; idx >= 0; --idx) {
            const cplx s = (m * rz) * s1 + s2;
            s2 = s1;
            s1 = s;
            m -= 1.0;
            if (scaled) {
                cplx v = s * crsc;
                int nw = 0;
                zuchk(s, nw, ascle, tol);
                if (nw != 0) v = 0.0;
                y[idx] = v;
                // Once the values are well above the limit, continue unscaled.
                if (std::max(std::fabs(s.real()), std::fabs(s.imag())) > 1.0 / tol) {
                    s1 *= crsc;
                    s2 *= crsc;
                    scaled = false;
                }
            } else {
                y[idx] = s;
            }
        }
        // Values that came out zero in the scaled recurrence are not
        // counted: they lie below values that did not underflow.
        return;
    }
}

}  // namespace slug::amos
