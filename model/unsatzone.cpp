// Top-boundary coefficient U = -phi'(0)/phi(0) of the unsaturated zone.
//
// The zone's linearized, Laplace-transformed head phi(eta) satisfies
//   phi'' - a2 phi' - a1 c e^{(a2 - a1) eta} phi = 0,   c = p'/XKD2,
// with a1 = UA1, a2 = UA2 (Kroszynski and Dagan, Water Resour. Res. 11
// (1975) 335-347, exponential conductivity and moisture capacity).
// Equal exponents give constant coefficients and exponential solutions;
// otherwise the solutions are modified Bessel functions (see
// docs/unsatzone.md for the derivation).
#include "model/unsatzone.hpp"

#include <cmath>

#include "driver/params.hpp"
#include "special/cplx.hpp"

namespace slug {

namespace {

// e^z - 1 without cancellation for small |z|.
cplx cexpm1(const cplx& z) {
    const double x = z.real(), y = z.imag();
    const double em1 = std::expm1(x);
    const double s = std::sin(0.5 * y);
    // e^x cos y - 1 = expm1(x) cos y - 2 sin^2(y/2)
    return {em1 * std::cos(y) - 2.0 * s * s, std::exp(x) * std::sin(y)};
}

// Equal exponents a: roots m = (a/2)(1 +- S), S = sqrt(1 + 4c/a).
// Unbounded zone: U = (a/2)(S - 1). Top at L without flow:
//   U = (a/2)(S(1+R)/(1-R) - 1),  R = e^{-a L S}(1-S)/(1+S).
// Both are evaluated with S - 1 = w/(1 + S), w = 4c/a, which is exact
// algebra and keeps full relative accuracy when |p'| is small.
cplx equal_exponents(const cplx& pp) {
    const Par13& z = par13;
    const double a = z.UA1;
    const cplx w = smith_div(4.0 * pp, cplx(a * z.XKD2, 0.0));
    const cplx s = principal_sqrt(1.0 + w);
    const cplx sm1 = smith_div(w, 1.0 + s);  // S - 1
    if (z.UL1 >= z.UL2) return 0.5 * a * sm1;
    // With E = e^{-a L S}: R = -E w/(1+S)^2, and
    // S(1+R)/(1-R) - 1 = ((S-1) + R(1+S))/(1-R) = (S-1)(1 - E)/(1 - R).
    const cplx mals = -a * z.UL1 * s;
    const cplx e = std::exp(mals);
    const cplx r = -e * smith_div(sm1, 1.0 + s);
    const cplx one_minus_e = -cexpm1(mals);
    return 0.5 * a * smith_div(sm1 * one_minus_e, 1.0 - r);
}

}  // namespace

void unsatzone(const std::complex<double>& pp, std::complex<double>& u) {
    const Par13& z = par13;
    const double d = z.UA1 - z.UA2;
    // Exponents closer than 0.01 in single precision count as equal.
    if (std::fabs(d) < static_cast<double>(0.01f)) {
        u = equal_exponents(pp);
        return;
    }
    // No storage at the water table: no flow through the top.
    if (pp == cplx(0.0, 0.0)) {
        u = cplx(0.0, 0.0);
        return;
    }
    // Bessel branch: being completed.
    u = cplx(1.0, 0.0);
}

}  // namespace slug
