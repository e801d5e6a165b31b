// Parts of the large-order expansions: the Airy function of complex
// argument against mpmath, the turning-point series of the Airy-form
// coefficients against their closed forms, the reuse of the Debye terms
// between I and K, and the over/underflow pre-test with its trimming of
// the orders.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "special/besselsub/amos.hpp"

namespace {

using slug::amos::cplx;
const slug::amos::Limits kLim = slug::amos::limits();

struct AiryRow {
    cplx z, ai, aip;
    double re_xi;
};

std::vector<AiryRow> read_airy() {
    std::vector<AiryRow> rows;
    std::ifstream in(std::string(SLUG_TEST_DATA) + "/large_order_airy.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream ss(line);
        std::vector<double> v;
        std::string tok;
        while (ss >> tok) v.push_back(std::strtod(tok.c_str(), nullptr));
        if (v.size() != 7) continue;
        rows.push_back({{v[0], v[1]}, {v[2], v[3]}, {v[4], v[5]}, v[6]});
    }
    return rows;
}

// Ai and Ai' over all arguments and both scalings. Ai oscillates on the
// negative axis, so each error is measured against the size of the pair
// (Ai, Ai'/sqrt|z|); the tolerance grows with |xi| = |2/3 z^(3/2)|, whose
// rounding error becomes a relative error of the scaled values.
TEST(LargeOrderParts, AiryAgainstMpmath) {
    const auto rows = read_airy();
    ASSERT_GT(rows.size(), 250u);
    double worst = 0.0;
    for (const auto& r : rows) {
        const double az = std::abs(r.z);
        const double s = std::max(1.0, std::sqrt(az));
        const double tol = 2e-14 + 4.0 * 2.2e-16 * std::pow(az, 1.5);
        cplx ai, aip;
        int nz = 0, ierr = 0;
        slug::amos::zairy(r.z, 0, 2, ai, nz, ierr);
        ASSERT_EQ(ierr, 0);
        slug::amos::zairy(r.z, 1, 2, aip, nz, ierr);
        ASSERT_EQ(ierr, 0);
        const double e1 = std::abs(ai - r.ai) / (std::abs(r.ai) + std::abs(r.aip) / s);
        const double e2 = std::abs(aip - r.aip) / (std::abs(r.aip) + std::abs(r.ai) * s);
        worst = std::max({worst, e1 / tol, e2 / tol});
        EXPECT_LE(e1, tol) << "Ai z=" << r.z << " got " << ai << " want " << r.ai;
        EXPECT_LE(e2, tol) << "Ai' z=" << r.z << " got " << aip << " want " << r.aip;
        // Unscaled where representable: the scaled value times exp(-xi).
        if (std::fabs(r.re_xi) < 600.0) {
            cplx u;
            slug::amos::zairy(r.z, 0, 1, u, nz, ierr);
            EXPECT_EQ(ierr, 0);
            const cplx xi = 2.0 / 3.0 * r.z * std::sqrt(r.z);
            const cplx want = r.ai * std::exp(-xi);
            EXPECT_LE(std::abs(u - want), 2.0 * tol * (std::abs(want) + std::abs(r.aip * std::exp(-xi)) / s))
                << "Ai unscaled z=" << r.z;
        }
    }
    std::printf("[ Airy ] worst error / tolerance %.3f\n", worst);
}

TEST(LargeOrderParts, AiryStatus) {
    cplx v;
    int nz = -7, ierr = -7;
    slug::amos::zairy(cplx(1.0, 0.0), 2, 1, v, nz, ierr);
    EXPECT_EQ(ierr, 1);
    slug::amos::zairy(cplx(1.0, 0.0), 0, 3, v, nz, ierr);
    EXPECT_EQ(ierr, 1);
    // Unscaled Ai(-x e^(+-i pi/3) * r) grows like exp(2/3 r^1.5): overflow
    // past r ~ 103, underflow of Ai(r) for r ~ 103 on the positive axis.
    slug::amos::zairy(cplx(-120.0, 1.0), 0, 1, v, nz, ierr);
    EXPECT_EQ(ierr, 0);  // oscillatory, no overflow on the negative axis
    slug::amos::zairy(std::polar(120.0, 2.0 * M_PI / 3.0), 0, 1, v, nz, ierr);
    EXPECT_EQ(ierr, 2);
    slug::amos::zairy(cplx(120.0, 0.0), 0, 1, v, nz, ierr);
    EXPECT_EQ(ierr, 0);
    EXPECT_EQ(nz, 1);
    EXPECT_EQ(v, cplx(0.0, 0.0));
    // Range of |z|: reduced accuracy above AA^(1/3), none above AA^(2/3).
    slug::amos::zairy(cplx(2.0e3, 0.0), 0, 2, v, nz, ierr);
    EXPECT_EQ(ierr, 3);
    slug::amos::zairy(cplx(2.0e6, 0.0), 0, 2, v, nz, ierr);
    EXPECT_EQ(ierr, 4);
}

// The Taylor series about the turning point (|1 - z^2| <= 1/4) and the
// closed forms (outside) must join: both sides of the boundary agree to
// rounding level for every output of zunhj.
TEST(LargeOrderParts, AiryFormCoefficientsJoinAtTheSeriesBoundary) {
    for (double nu : {86.0, 1000.0}) {
        for (double deg = -175.0; deg <= 180.0; deg += 25.0) {
            // 1 - z^2 = q on the circle |q| = 0.25 (inside / outside),
            // z = sqrt(1 - q) near 1 in the fourth quadrant or on the axis.
            const cplx q = std::polar(0.25, deg * M_PI / 180.0);
            cplx out[2][6];
            for (int side = 0; side < 2; ++side) {
                const cplx qq = q * (side == 0 ? 1.0 - 1e-9 : 1.0 + 1e-9);
                cplx z = std::sqrt(cplx(1.0, 0.0) - qq);
                if (z.imag() > 0.0) z = std::conj(z);
                slug::amos::zunhj(z, nu, 0, kLim.tol, out[side][0], out[side][1], out[side][2], out[side][3],
                                  out[side][4], out[side][5]);
            }
            // phi, arg, zeta1 (= 2/3 nu zeta^(3/2)), asum, bsum; a step of
            // 1e-9 in q moves them by about 1e-9 relative.
            for (int k : {0, 1, 3, 4, 5}) {
                const double scale = std::abs(out[1][k]) + (k == 3 ? 1.0 : 0.0);
                EXPECT_LE(std::abs(out[0][k] - out[1][k]), 1e-8 * scale) << "nu=" << nu << " deg=" << deg << " k=" << k;
            }
            // asum - 1 and bsum carry the O(1/nu^2) content; they must
            // agree to far better than their size.
            EXPECT_LE(std::abs(out[0][4] - out[1][4]), 1e-7 * std::abs(out[1][4] - 1.0)) << nu << " " << deg;
            EXPECT_LE(std::abs(out[0][5] - out[1][5]), 1e-7 * std::abs(out[1][5])) << nu << " " << deg;
        }
    }
}

// The Debye terms formed for I are reused for K at the same argument and
// order (init carried over): the result equals a fresh computation.
TEST(LargeOrderParts, DebyeTermsReusedBetweenIAndK) {
    for (const cplx z : {cplx(100.0, 30.0), cplx(4.0, -9.0), cplx(3000.0, 2500.0)}) {
        const double nu = 150.3;
        cplx phi, z1, z2, sum_i, sum_k, sum_k_fresh, w[16], w2[16];
        int init = 0;
        slug::amos::zunik(z, nu, 1, 0, kLim.tol, init, phi, z1, z2, sum_i, w);
        EXPECT_GT(init, 1);
        slug::amos::zunik(z, nu, 2, 0, kLim.tol, init, phi, z1, z2, sum_k, w);
        int init2 = 0;
        slug::amos::zunik(z, nu, 2, 0, kLim.tol, init2, phi, z1, z2, sum_k_fresh, w2);
        EXPECT_EQ(sum_k, sum_k_fresh);
        EXPECT_NE(sum_i, sum_k);
    }
}

// Pre-test of I: at z = 0.02 the orders 60..119 of I_nu(z) ~ (z/2)^nu/nu!
// fall below e^-ELIM from about nu = 88 on; the top values are set to
// zero one by one and counted. ln I is taken from the leading term of the
// power series (exact to O(z^2/nu) here).
TEST(LargeOrderParts, UnderflowTrimmingOfI) {
    const cplx z(0.02, 0.0);
    const int n = 60;
    cplx y[60];
    for (auto& v : y) v = cplx(9.0, 9.0);
    int nuf = 0;
    slug::amos::zuoik(z, 60.0, 1, 1, n, y, nuf, kLim.tol, kLim.elim, kLim.alim);
    int expect = 0;
    for (int k = n - 1; k >= 0; --k) {
        const double nu = 60.0 + k;
        if (nu * std::log(0.01) - std::lgamma(nu + 1.0) < -kLim.elim)
            ++expect;
        else
            break;
    }
    EXPECT_NEAR(nuf, expect, 1);
    for (int k = n - nuf; k < n; ++k) EXPECT_EQ(y[k], cplx(0.0, 0.0));
    EXPECT_EQ(y[0], cplx(9.0, 9.0));

    // Through zbuni: the orders left above FNUL all underflow, the rest is
    // handed back (nlast) for the moderate-order methods.
    int nz = 0, nlast = 0;
    cplx y2[30];
    slug::amos::zbuni(cplx(0.015, 0.0), 60.0, 1, 30, y2, nz, 0, nlast, kLim.fnul, kLim.tol, kLim.elim, kLim.alim);
    EXPECT_GT(nz, 0);
    EXPECT_GT(nlast, 0);
    EXPECT_EQ(nz + nlast, 30);
    EXPECT_LT(60.0 + nlast - 1, kLim.fnul);
    for (int k = nlast; k < 30; ++k) EXPECT_EQ(y2[k], cplx(0.0, 0.0));
}

// Overflow of I (kode 1, large real z), of K (tiny z), and underflow of
// all K values (large real z, kode 1).
TEST(LargeOrderParts, OverflowAndUnderflowOfIAndK) {
    cplx y[5];
    int nuf = 0;
    slug::amos::zuoik(cplx(1000.0, 0.0), 90.0, 1, 1, 5, y, nuf, kLim.tol, kLim.elim, kLim.alim);
    EXPECT_EQ(nuf, -1);
    slug::amos::zuoik(cplx(1000.0, 0.0), 90.0, 2, 1, 5, y, nuf, kLim.tol, kLim.elim, kLim.alim);
    EXPECT_EQ(nuf, 0);  // scaled: no overflow
    slug::amos::zuoik(cplx(0.01, 0.0), 100.0, 1, 2, 5, y, nuf, kLim.tol, kLim.elim, kLim.alim);
    EXPECT_EQ(nuf, -1);
    slug::amos::zuoik(cplx(2000.0, 0.0), 100.0, 1, 2, 5, y, nuf, kLim.tol, kLim.elim, kLim.alim);
    EXPECT_EQ(nuf, 5);
    for (const auto& v : y) EXPECT_EQ(v, cplx(0.0, 0.0));
    slug::amos::zuoik(cplx(2000.0, 0.0), 100.0, 2, 2, 5, y, nuf, kLim.tol, kLim.elim, kLim.alim);
    EXPECT_EQ(nuf, 0);
    // K at z = 0 is infinite: overflow, not a NaN, from both forms.
    int nz = 0;
    slug::amos::zunk1(cplx(0.0, 0.0), 100.0, 1, 0, 1, y, nz, kLim.tol, kLim.elim, kLim.alim);
    EXPECT_EQ(nz, -1);
    slug::amos::zunk2(cplx(0.0, 0.0), 100.0, 1, 0, 1, y, nz, kLim.tol, kLim.elim, kLim.alim);
    EXPECT_EQ(nz, -1);
    // Moderate orders, where the entry points call the pre-test as well:
    // I_2(5i) and K_2(5i) are of order one.
    slug::amos::zuoik(cplx(0.0, 5.0), 2.0, 1, 1, 1, y, nuf, kLim.tol, kLim.elim, kLim.alim);
    EXPECT_EQ(nuf, 0);
    slug::amos::zuoik(cplx(0.0, 5.0), 2.0, 1, 2, 1, y, nuf, kLim.tol, kLim.elim, kLim.alim);
    EXPECT_EQ(nuf, 0);
}

}  // namespace
