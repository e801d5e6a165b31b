// Tests of the complex helpers: the principal square root against a
// long-double evaluation over the whole range of magnitudes, its branch
// and its special values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <complex>
#include <limits>

#include "special/cplx.hpp"

namespace {

using slug::cplx;
using slug::principal_sqrt;

// Relative error of one component against a long-double value; below the
// normal range of double the error is taken relative to its smallest
// normal number, since a subnormal result carries fewer digits.
double component_error(double got, long double want) {
    const long double scale = std::max(std::fabs(want), static_cast<long double>(0x1p-1022));
    return static_cast<double>(std::fabs(static_cast<long double>(got) - want) / scale);
}

TEST(PrincipalSqrt, MatchesLongDoubleRootOverAllMagnitudes) {
    // Magnitudes from 2^-1070 (subnormal) to 2^1020 in both components,
    // every quadrant; the moderate range goes through the formula with
    // |z| = sqrt(x^2 + y^2), the extremes through the library root. Each
    // component is formed with at most four roundings that the root does
    // not magnify (no cancellation), so 1e-15 relative (4.5 ulps) each;
    // the long-double reference is 2048 times finer.
    double worst = 0.0;
    for (int ex = -1070; ex <= 1020; ex += 13) {
        for (int ey = -1070; ey <= 1020; ey += 29) {
            for (double sx : {1.0, -1.0}) {
                for (double sy : {1.0, -1.0}) {
                    const double x = sx * std::ldexp(1.37, ex);
                    const double y = sy * std::ldexp(1.11, ey);
                    const cplx r = principal_sqrt(cplx(x, y));
                    const std::complex<long double> w =
                        std::sqrt(std::complex<long double>(x, y));
                    const double e = std::max(component_error(r.real(), w.real()),
                                              component_error(r.imag(), w.imag()));
                    worst = std::max(worst, e);
                    ASSERT_LE(e, 1e-15) << x << " " << y;
                    ASSERT_GE(r.real(), 0.0);
                    ASSERT_EQ(std::signbit(r.imag()), std::signbit(y)) << x << " " << y;
                }
            }
        }
    }
    std::printf("principal_sqrt: largest component error %.2e\n", worst);
}

TEST(PrincipalSqrt, RealAxisAndSpecialValues) {
    // The negative real axis gives the root with positive imaginary part
    // whatever the sign of the zero; the positive axis a real root.
    EXPECT_EQ(principal_sqrt(cplx(-4.0, 0.0)), cplx(0.0, 2.0));
    EXPECT_EQ(principal_sqrt(cplx(-4.0, -0.0)), cplx(0.0, 2.0));
    EXPECT_EQ(principal_sqrt(cplx(9.0, 0.0)), cplx(3.0, 0.0));
    EXPECT_EQ(principal_sqrt(cplx(0.0, 0.0)), cplx(0.0, 0.0));
    // Exact squares off the axis: 3 + 4i = (2 + i)^2, -3 - 4i = (1 - 2i)^2.
    EXPECT_EQ(principal_sqrt(cplx(3.0, 4.0)), cplx(2.0, 1.0));
    EXPECT_EQ(principal_sqrt(cplx(-3.0, -4.0)), cplx(1.0, -2.0));
    // Infinities and NaNs take the library's root (C99 Annex G).
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(principal_sqrt(cplx(-inf, 1.0)), cplx(0.0, inf));
    EXPECT_EQ(principal_sqrt(cplx(1.0, inf)), cplx(inf, inf));
    EXPECT_TRUE(std::isnan(principal_sqrt(cplx(nan, 1.0)).real()));
    // Components at the edges of the formula's range.
    for (double v : {0x1p500, 0x1p-500, 0x1.fffffffffffffp499, 0x1.0000000000001p-500}) {
        const cplx r = principal_sqrt(cplx(v, v));
        const std::complex<long double> w = std::sqrt(std::complex<long double>(v, v));
        EXPECT_LE(component_error(r.real(), w.real()), 1e-15) << v;
        EXPECT_LE(component_error(r.imag(), w.imag()), 1e-15) << v;
    }
}

}  // namespace
