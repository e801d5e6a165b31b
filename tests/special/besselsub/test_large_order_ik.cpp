// I and K of large order (uniform asymptotic expansions) against mpmath:
// zbuni / zbunk directly, at the right-half-plane arguments -i z of the
// reference table, with continuity across FNUL, conjugate symmetry and
// the over/underflow status where the scaled value leaves the range.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "special/besselsub/amos.hpp"
#include "test_large_order_common.hpp"

namespace {

using slug::amos::cplx;
using namespace slug::testing_large_order;

const slug::amos::Limits kLim = slug::amos::limits();

// I_nu(x) scaled (kode 2), one order, as the frame calls it: directly at
// or above FNUL, from above by recurrence (nui > 0) below it.
int ival(const cplx& x, double nu, cplx& v) {
    int nz = 0, nlast = 0;
    cplx y[1];
    const int nui = nu >= kLim.fnul ? 0 : static_cast<int>(kLim.fnul - nu) + 1;
    slug::amos::zbuni(x, nu, 2, 1, y, nz, nui, nlast, kLim.fnul, kLim.tol, kLim.elim, kLim.alim);
    v = y[0];
    return nz;
}

int kval(const cplx& x, double nu, cplx& v) {
    int nz = 0;
    cplx y[1];
    slug::amos::zbunk(x, nu, 2, 0, 1, y, nz, kLim.tol, kLim.elim, kLim.alim);
    v = y[0];
    return nz;
}

// Where the scaled reference lies within this many units of ln from the
// over/underflow limit, the value and the status may both be right.
constexpr double kEdge = 2.0;

void check_table(const char* file) {
    const auto rows = read_reference(file);
    ASSERT_GT(rows.size(), 50u) << file;
    Histogram hi, hk;
    const double ln10 = std::log(10.0);
    for (const auto& r : rows) {
        const cplx x(r.z.imag(), -r.z.real());  // -i z
        const double tol = bound(r.nu, std::abs(x));
        for (int conj = 0; conj < 2; ++conj) {
            const cplx xx = conj ? std::conj(x) : x;
            // I
            cplx v;
            int nz = ival(xx, r.nu, v);
            const double li = r.is_lg * ln10;
            const cplx iref = conj ? std::conj(r.is) : r.is;
            if (li < -kLim.elim - kEdge) {
                EXPECT_EQ(nz, 1) << "I underflow nu=" << r.nu << " x=" << xx;
                EXPECT_EQ(v, cplx(0.0, 0.0));
            } else if (li > kLim.elim + kEdge) {
                EXPECT_EQ(nz, -1) << "I overflow nu=" << r.nu << " x=" << xx;
            } else if (std::fabs(std::fabs(li) - kLim.elim) > kEdge) {
                EXPECT_EQ(nz, 0);
                // Where I oscillates (x near the imaginary axis) it has
                // zeros; as for J and Y, the error is measured against the
                // size of the pair, |I| + (2/pi)|K| e^(-2|Re x|) (= |J| + |Y|
                // of the scaled pair at z = i x).
                const double size =
                    std::abs(iref) + 2.0 / M_PI * std::abs(r.ks) * std::exp(-2.0 * std::fabs(x.real()));
                const double err = std::abs(v - iref) / size;
                if (!conj) hi.add(err, tol);
                EXPECT_LE(err, tol) << "I nu=" << r.nu << " x=" << xx << " got " << v << " want " << iref;
            }
            // K
            nz = kval(xx, r.nu, v);
            const double lk = r.ks_lg * ln10;
            const cplx kref = conj ? std::conj(r.ks) : r.ks;
            if (lk > kLim.elim + kEdge) {
                EXPECT_EQ(nz, -1) << "K overflow nu=" << r.nu << " x=" << xx;
            } else if (lk < -kLim.elim - kEdge) {
                EXPECT_EQ(nz, 1) << "K underflow nu=" << r.nu << " x=" << xx;
            } else if (std::fabs(std::fabs(lk) - kLim.elim) > kEdge) {
                EXPECT_EQ(nz, 0);
                const double err = std::abs(v - kref) / std::abs(kref);
                if (!conj) hk.add(err, tol);
                EXPECT_LE(err, tol) << "K nu=" << r.nu << " x=" << xx << " got " << v << " want " << kref;
            }
        }
    }
    std::printf("[ %s ] I: %d values, <=1e-14 %d, <=1e-13 %d, <=1e-12 %d, above %d, max %.2e (%.2f of bound)\n",
                file, hi.n, hi.le14, hi.le13, hi.le12, hi.above, hi.worst, hi.worst_ratio);
    std::printf("[ %s ] K: %d values, <=1e-14 %d, <=1e-13 %d, <=1e-12 %d, above %d, max %.2e (%.2f of bound)\n",
                file, hk.n, hk.le14, hk.le13, hk.le12, hk.above, hk.worst, hk.worst_ratio);
}

TEST(LargeOrderIK, GridAgainstMpmath) { check_table("large_order_reference.txt"); }
TEST(LargeOrderIK, HighOrdersAgainstMpmathRecurrence) { check_table("large_order_high.txt"); }
TEST(LargeOrderIK, CouplingArgumentsAgainstMpmath) { check_table("large_order_coupling.txt"); }

// The Debye and the Airy forms agree where both hold, on both sides of
// the 60-degree boundary that selects between them.
TEST(LargeOrderIK, FormsAgreeAcrossTheSixtyDegreeLine) {
    for (double nu : {90.0, 400.5, 12000.0}) {
        for (double r : {0.2, 0.9, 1.0, 1.2, 4.0}) {
            for (double deg : {55.0, 59.9, 60.1, 65.0}) {
                const cplx x = std::polar(r * nu, deg * M_PI / 180.0);
                cplx id[1], ia[1], kd[1], ka[1];
                int nz = 0, nl = 0;
                slug::amos::zuni1(x, nu, 2, 1, id, nz, nl, kLim.fnul, kLim.tol, kLim.elim, kLim.alim);
                slug::amos::zuni2(x, nu, 2, 1, ia, nz, nl, kLim.fnul, kLim.tol, kLim.elim, kLim.alim);
                slug::amos::zunk1(x, nu, 2, 0, 1, kd, nz, kLim.tol, kLim.elim, kLim.alim);
                slug::amos::zunk2(x, nu, 2, 0, 1, ka, nz, kLim.tol, kLim.elim, kLim.alim);
                const double tol = 2.0 * bound(nu, r * nu);  // two independent errors
                EXPECT_LE(std::abs(id[0] - ia[0]), tol * std::abs(ia[0])) << nu << " " << x;
                EXPECT_LE(std::abs(kd[0] - ka[0]), tol * std::abs(ka[0])) << nu << " " << x;
            }
        }
    }
}

// Across FNUL: the values just below (by recurrence from above FNUL) and
// just above (directly) follow the three-term recurrence
// I_(nu-1) - I_(nu+1) = (2 nu/x) I_nu, and the sequence routine agrees
// with one-order calls.
TEST(LargeOrderIK, ContinuousAcrossFnul) {
    for (const cplx x : {cplx(40.0, 30.0), cplx(5.0, 86.0), cplx(120.0, -20.0), cplx(0.5, 2.0)}) {
        cplx seq[5];
        int nz = 0, nl = 0;
        // orders fnul-2.5 .. fnul+1.5: the top three directly, the lower by recurrence
        const double f0 = kLim.fnul - 2.5;
        slug::amos::zbuni(x, f0, 2, 5, seq, nz, 0, nl, kLim.fnul, kLim.tol, kLim.elim, kLim.alim);
        ASSERT_EQ(nl, 0);
        for (int k = 0; k < 5; ++k) {
            cplx one;
            ival(x, f0 + k, one);
            // same expansion, only the path differs (direct or recurrence
            // over at most three steps): a few ulps of each of the terms
            EXPECT_LE(std::abs(seq[k] - one), 1e-13 * std::abs(one)) << x << " k=" << k;
        }
        for (int k = 1; k < 4; ++k) {
            const cplx lhs = seq[k - 1] - seq[k + 1];
            const cplx rhs = 2.0 * (f0 + k) / x * seq[k];
            // a difference of two values of size |seq|, each right to ~1e-14
            EXPECT_LE(std::abs(lhs - rhs), 1e-13 * (std::abs(seq[k - 1]) + std::abs(seq[k + 1]))) << x;
        }
    }
}

// Sequences of K: each order on its own, and the recurrence holds.
TEST(LargeOrderIK, KSequenceRecurrence) {
    for (const cplx x : {cplx(90.0, -3.0), cplx(3.0, 150.0), cplx(500.0, 400.0)}) {
        cplx y[30];
        int nz = 0;
        slug::amos::zbunk(x, 100.25, 1, 0, 30, y, nz, kLim.tol, kLim.elim, kLim.alim);
        ASSERT_EQ(nz, 0);
        for (int k = 1; k < 29; ++k) {
            const cplx lhs = y[k + 1] - y[k - 1];
            const cplx rhs = 2.0 * (100.25 + k) / x * y[k];
            // each of the three values carries an error up to the bound
            const double tol = bound(100.25 + k, std::abs(x));
            EXPECT_LE(std::abs(lhs - rhs), tol * (std::abs(y[k + 1]) + std::abs(y[k - 1]) + std::abs(rhs)))
                << x << " k=" << k;
        }
    }
}

// Analytic continuation to the left half-plane (mr = +1 above the real
// axis, -1 below): scaled K_nu(z) e^z against mpmath at 30 digits.
TEST(LargeOrderIK, ContinuationToLeftHalfPlane) {
    struct Case {
        double nu;
        cplx z, want;
    };
    const Case cases[] = {
        {150.3, {-50.0, 80.0}, {1.8060739163544646659e-10, 1.6381112298002005989e-11}},
        {150.3, {-120.0, 10.0}, {3.3911344781681399151e-39, -1.100195478721441951e-38}},
        {150.3, {-20.0, 300.0}, {0.00068403622054096236627, -0.0052934439841291734185}},
        {150.3, {-200.0, -30.0}, {-5.5438121120257853966e-25, 3.077676232703654523e-25}},
        {1000.5, {-900.0, -40.0}, {-9.9381606837154806848e-225, 7.5001069377723361952e-225}},
    };
    for (const auto& c : cases) {
        const int mr = c.z.imag() >= 0.0 ? 1 : -1;
        cplx y[1];
        int nz = 0;
        slug::amos::zbunk(c.z, c.nu, 2, mr, 1, y, nz, kLim.tol, kLim.elim, kLim.alim);
        ASSERT_EQ(nz, 0) << c.z;
        EXPECT_LE(std::abs(y[0] - c.want), bound(c.nu, std::abs(c.z)) * std::abs(c.want)) << c.z << " " << y[0];
    }
}

}  // namespace
