// J and Y of large order through the entry points zbesj / zbesy (KODE 2,
// as the unsaturated-zone coupling calls them) against mpmath, on the
// grid of orders 85 ... 50000, |z| 1e-3 ... 3e4, angles 0-180 degrees, and
// at the arguments that the coupling produces; the status where a scaled
// value leaves the range of doubles.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "special/besselsub/amos.hpp"
#include "special/besselsub/zbes.hpp"
#include "test_large_order_common.hpp"

namespace {

using namespace slug::testing_large_order;

const slug::amos::Limits kLim = slug::amos::limits();
constexpr double kEdge = 2.0;  // ln units around the range limits where either outcome is right

void check_table(const char* file) {
    const auto rows = read_reference(file);
    ASSERT_GT(rows.size(), 20u) << file;
    Histogram hj, hy;
    const double ln10 = std::log(10.0);
    for (const auto& r : rows) {
        const double tol = bound(r.nu, std::abs(r.z));
        const int ierr_ok = (r.nu > kLim.aa_sqrt || std::abs(r.z) > kLim.aa_sqrt) ? 3 : 0;
        const double size = std::abs(r.js) + std::abs(r.ys);
        const double lsize = r.jy_lg * ln10;
        const double lj = r.is_lg * ln10;  // |J scaled| = |I scaled| at -i z
        double cr, ci, wr, wi;
        int nz = 0, ierr = 0;
        // J
        slug::zbesj(r.z.real(), r.z.imag(), r.nu, 2, 1, &cr, &ci, nz, ierr);
        if (lj < -kLim.elim - kEdge) {
            EXPECT_EQ(ierr, ierr_ok);
            EXPECT_EQ(nz, 1) << "J underflow nu=" << r.nu << " z=" << r.z;
            EXPECT_EQ(cr, 0.0);
            EXPECT_EQ(ci, 0.0);
        } else if (lj > -kLim.elim + kEdge && lsize < kLim.elim - kEdge) {
            EXPECT_EQ(ierr, ierr_ok) << "J nu=" << r.nu << " z=" << r.z;
            const double err = std::abs(cplx(cr, ci) - r.js) / size;
            hj.add(err, tol);
            EXPECT_LE(err, tol) << "J nu=" << r.nu << " z=" << r.z << " got " << cplx(cr, ci) << " want " << r.js;
        }
        // Y
        ierr = 0;
        slug::zbesy(r.z.real(), r.z.imag(), r.nu, 2, 1, &cr, &ci, nz, &wr, &wi, ierr);
        if (lsize > kLim.elim + kEdge) {
            EXPECT_EQ(ierr, 2) << "Y overflow nu=" << r.nu << " z=" << r.z;
        } else if (lsize < kLim.elim - kEdge && lsize > -kLim.elim + kEdge) {
            EXPECT_EQ(ierr, ierr_ok) << "Y nu=" << r.nu << " z=" << r.z;
            if (ierr == ierr_ok) {
                const double err = std::abs(cplx(cr, ci) - r.ys) / size;
                hy.add(err, tol);
                EXPECT_LE(err, tol) << "Y nu=" << r.nu << " z=" << r.z << " got " << cplx(cr, ci) << " want "
                                    << r.ys;
            }
        }
    }
    std::printf("[ %s ] J: %d values, <=1e-14 %d, <=1e-13 %d, <=1e-12 %d, above %d, max %.2e (%.2f of bound)\n",
                file, hj.n, hj.le14, hj.le13, hj.le12, hj.above, hj.worst, hj.worst_ratio);
    std::printf("[ %s ] Y: %d values, <=1e-14 %d, <=1e-13 %d, <=1e-12 %d, above %d, max %.2e (%.2f of bound)\n",
                file, hy.n, hy.le14, hy.le13, hy.le12, hy.above, hy.worst, hy.worst_ratio);
}

TEST(LargeOrderJY, GridAgainstMpmath) { check_table("large_order_reference.txt"); }
TEST(LargeOrderJY, HighOrdersAgainstMpmathRecurrence) { check_table("large_order_high.txt"); }
TEST(LargeOrderJY, CouplingArgumentsAgainstMpmath) { check_table("large_order_coupling.txt"); }

}  // namespace
