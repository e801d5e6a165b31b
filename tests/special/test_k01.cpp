// Tests of the accurate K0/K1 kernel: k01_scaled (e^z K0, e^z K1) and
// k0_over_zk1 (K0/(z K1)).
//
// Reference: tests/data/k01_reference.txt, from tests/tools/gen_k01.py
// (mpmath, 40 digits): |z| from 1e-8 to 1e4 in 16 directions of the closed
// right half-plane (both axes and next to them), the extremes 1e-300 ..
// 1e300, and points on both sides of every switch of method, term count
// and level count of the kernel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "special/besselsub/zbes.hpp"
#include "special/k01.hpp"

namespace {

using C = std::complex<double>;

struct RefPoint {
    C z;
    C ratio;  // K0/(z K1)
    C k0, k1;  // e^z K0, e^z K1
};

const std::vector<RefPoint>& reference() {
    static const std::vector<RefPoint> pts = [] {
        std::vector<RefPoint> v;
        std::ifstream in(std::string(SLUG_TEST_DATA) + "/k01_reference.txt");
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#') continue;
            std::istringstream s(line);
            double d[8];
            for (double& e : d) s >> e;
            if (!s) continue;
            v.push_back({{d[0], d[1]}, {d[2], d[3]}, {d[4], d[5]}, {d[6], d[7]}});
        }
        return v;
    }();
    return pts;
}

double relerr(C got, C want) { return std::abs(got - want) / std::abs(want); }

// Measured worst over the table: 6e-16 (under 3 ulps), from the series'
// cancellation at its bound and the final complex division. 2e-15 (9 ulps)
// leaves room for other libraries' log, atan2, exp, sin and cos, each good
// to about an ulp.
constexpr double kTol = 2e-15;

TEST(K01, MatchesReferenceToAFewUlps) {
    ASSERT_GE(reference().size(), 1700u);
    double worst[3] = {0, 0, 0};
    for (const RefPoint& p : reference()) {
        C k0, k1;
        slug::k01_scaled(p.z, k0, k1);
        const double e[3] = {relerr(slug::k0_over_zk1(p.z), p.ratio), relerr(k0, p.k0), relerr(k1, p.k1)};
        for (int i = 0; i < 3; ++i) worst[i] = std::max(worst[i], e[i]);
        EXPECT_LE(e[0], kTol) << "K0/(zK1) at z = " << p.z;
        EXPECT_LE(e[1], kTol) << "e^z K0 at z = " << p.z;
        EXPECT_LE(e[2], kTol) << "e^z K1 at z = " << p.z;
    }
    std::printf("largest relative error: K0/(zK1) %.2e  e^z K0 %.2e  e^z K1 %.2e\n", worst[0], worst[1],
                worst[2]);
}

// zbesk (scaled, orders 0 and 1) is an independent method; on the table it
// is within 1.4e-15 of the reference, so the two agree within the sum of
// both errors, 3e-15 with rounding margin. Arguments with Re z < 0 are
// handed to zbesk itself: there the two must agree exactly.
TEST(K01, AgreesWithZbeskAndFallsBackToItLeftOfTheAxis) {
    int compared = 0;
    for (const RefPoint& p : reference()) {
        for (const C z : {p.z, C(-p.z.real(), p.z.imag())}) {
            double re[2], im[2];
            int nz = 0, ierr = 0;
            slug::zbesk(z.real(), z.imag(), 0.0, 2, 2, re, im, nz, ierr);
            if (ierr != 0 || nz != 0) continue;
            const C zk0(re[0], im[0]), zk1(re[1], im[1]);
            C k0, k1;
            slug::k01_scaled(z, k0, k1);
            if (z.real() < 0.0) {
                EXPECT_EQ(k0, zk0) << "z = " << z;
                EXPECT_EQ(k1, zk1) << "z = " << z;
                EXPECT_LE(relerr(slug::k0_over_zk1(z), zk0 / (z * zk1)), 1e-15) << "z = " << z;
            } else {
                EXPECT_LE(relerr(k0, zk0), 3e-15) << "z = " << z;
                EXPECT_LE(relerr(k1, zk1), 3e-15) << "z = " << z;
            }
            ++compared;
        }
    }
    EXPECT_GE(compared, 3000);
}

TEST(K01, SpecialArguments) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        C z;
        bool is_nan;  // else: both scaled values and the ratio are +infinity
    };
    const Case cases[] = {{{0.0, 0.0}, false}, {{-0.0, 0.0}, false}, {{nan, 1.0}, true}, {{1.0, nan}, true}};
    for (const Case& c : cases) {
        C k0, k1;
        slug::k01_scaled(c.z, k0, k1);
        const C r = slug::k0_over_zk1(c.z);
        if (c.is_nan) {
            EXPECT_TRUE(std::isnan(k0.real()) && std::isnan(k1.real()) && std::isnan(r.real())) << c.z;
        } else {
            EXPECT_EQ(k0, C(inf, 0.0));
            EXPECT_EQ(k1, C(inf, 0.0));
            EXPECT_EQ(r, C(inf, 0.0));
        }
    }
}

}  // namespace
