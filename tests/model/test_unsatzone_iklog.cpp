// Tests of the logarithms and consecutive-order ratios of I and K used by
// the unsaturated-zone coefficient where the Bessel package has no value,
// against 30-digit references (tests/tools/gen_unsatzone_iklog.py).
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>

#include "model/bessel_iklog.hpp"

namespace {

using cplx = std::complex<double>;

// |a - b| with the imaginary parts compared modulo 2 pi (branches of log).
double log_dist(const cplx& a, const cplx& b) {
    const cplx d = a - b;
    return std::abs(cplx(d.real(), std::remainder(d.imag(), 2.0 * std::numbers::pi)));
}

TEST(BesselIKLog, AgreesWithReferenceOverOrdersAndArguments) {
    std::ifstream in(std::string(SLUG_TEST_DATA) + "/unsatzone_iklog.txt");
    ASSERT_TRUE(in) << "missing tests/data/unsatzone_iklog.txt";
    std::string line;
    int n = 0;
    double worst_log = 0.0, worst_ratio = 0.0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream ss(line);
        double nu, xr, xi, v[8];
        ss >> nu >> xr >> xi;
        for (double& e : v) ss >> e;
        ASSERT_TRUE(ss) << line;
        const slug::IKLog o = slug::bessel_iklog(nu, cplx(xr, xi));
        ASSERT_TRUE(o.ok) << line;
        const cplx li(v[0], v[1]), lk(v[2], v[3]), rho(v[4], v[5]), h(v[6], v[7]);
        // Logarithms: absolute 1e-10 plus 4e-16 of their size. The size
        // term is the rounding of a logarithm of modulus up to 3e4 (orders
        // in the thousands); 1e-10 covers the trapezoidal K at order and
        // argument near 20 on the ray arg x = pi/4, where the integrand's
        // oscillation costs about five digits (measured 4e-11).
        const double tol_li = 1e-10 + 4e-16 * std::abs(li);
        const double tol_lk = 1e-10 + 4e-16 * std::abs(lk);
        EXPECT_LT(log_dist(o.li, li), tol_li) << line;
        EXPECT_LT(log_dist(o.lk, lk), tol_lk) << line;
        // Ratios: relative 1e-10, same reason (measured 4e-11).
        EXPECT_LT(std::abs(o.rho / rho - 1.0), 1e-10) << line;
        EXPECT_LT(std::abs(o.h / h - 1.0), 1e-10) << line;
        worst_log = std::max({worst_log, log_dist(o.li, li), log_dist(o.lk, lk)});
        worst_ratio = std::max({worst_ratio, std::abs(o.rho / rho - 1.0), std::abs(o.h / h - 1.0)});
        ++n;
    }
    EXPECT_GT(n, 500);
    RecordProperty("worst_log_abs", std::to_string(worst_log));
    RecordProperty("worst_ratio_rel", std::to_string(worst_ratio));
}

TEST(BesselIKLog, RejectsArgumentsOutsideTheRightHalfPlane) {
    for (const cplx& x : {cplx(0.0, 0.0), cplx(0.0, 2.0), cplx(-1.0, 0.5), cplx(NAN, 1.0)})
        EXPECT_FALSE(slug::bessel_iklog(1.5, x).ok) << x;
    EXPECT_FALSE(slug::bessel_iklog(-0.5, cplx(1.0, 0.0)).ok);
}

TEST(BesselIKLog, WronskianHoldsAcrossTheMethodBoundary) {
    // I_nu K_{nu+1} + I_{nu+1} K_nu = 1/x, i.e. x e^{li+lk} (h + rho) = 1,
    // on both sides of the switch between the trapezoidal and the Debye
    // method (|sqrt(nu^2+x^2)| = 20). 1e-10: the accuracy of the logs above.
    for (double nu : {0.0, 3.3, 19.9, 20.1, 45.0})
        for (double m : {0.5, 19.0, 21.0, 80.0}) {
            const cplx x = std::polar(m, 0.6);
            const slug::IKLog o = slug::bessel_iklog(nu, x);
            ASSERT_TRUE(o.ok);
            const cplx w = x * std::exp(o.li + o.lk) * (o.h + o.rho);
            EXPECT_LT(std::abs(w - 1.0), 1e-10) << nu << " " << x;
        }
}

}  // namespace
