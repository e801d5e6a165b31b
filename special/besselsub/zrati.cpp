// Ratios I_{m+1}(z) / I_m(z) of modified Bessel functions for the orders
// m = fnu .. fnu+n-1 by backward recurrence (a continued fraction).
//
// Method (D. E. Amos, ACM TOMS Algorithm 644, 1986; Sandia report
// SAND85-1018): r_m = I_m / I_{m-1} satisfies r_m = 1 / (2m/z + r_{m+1});
// the fraction is started with r = 0 at an index where a forward run of
// the three-term recurrence (following the dominant solution) has grown by
// 10/tol from the highest order wanted, which makes the truncation error
// of every ratio below tol.
#include <cmath>

#include "special/besselsub/amos.hpp"

namespace slug::amos {

void zrati(const cplx& z, double fnu, int n, cplx* cy, double tol) {
    const cplx rz = zdiv(cplx(2.0, 0.0), z);
    const double top = fnu + (n - 1);
    int kk = n;  // offset from fnu of the last ratio's upper order
    {
        cplx fm(0.0, 0.0), fk(1.0, 0.0);
        const double test = 10.0 / tol;
        double mu = top + 1.0;
        while (kk < 100000) {
            ++kk;
            const cplx fn = fm - (mu * rz) * fk;
            fm = fk;
            fk = fn;
            mu += 1.0;
            if (zabs(fk) > test) break;
        }
    }
    kk += 6;
    cplx r(0.0, 0.0);
    for (int k = kk; k >= 1; --k) {
        // r_{fnu+k} = I_{fnu+k} / I_{fnu+k-1}
        r = zdiv(cplx(1.0, 0.0), (fnu + k) * rz + r);
        if (k <= n) cy[k - 1] = r;
    }
}

}  // namespace slug::amos
