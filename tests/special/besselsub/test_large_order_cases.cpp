// Single regression cases for large orders (scaled J and Y, KODE 2):
// bug classes known from other ports of these routines, and the two
// faults of the KODE 2 scaling of Y far from the real axis (the K term
// dropped although as large as the result; IERR 2 from an overflowing
// scaled K although the scaled Y is finite). References: mpmath at 35 and
// 60 digits (tests/tools/gen_large_order_cases.py).
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>

#include "special/besselsub/amos.hpp"
#include "special/besselsub/zbes.hpp"
#include "test_large_order_common.hpp"

namespace {

using namespace slug::testing_large_order;

const slug::amos::Limits kLim = slug::amos::limits();
constexpr double kInf = std::numeric_limits<double>::infinity();  // value beyond the range of doubles

struct Case {
    double nu;
    cplx z, j, y;
};

// Case table: J at -50-50i (order 1000) and in the third quadrant; scaled
// Y near the real axis for orders >= 90; Y near the overflow branch of the
// K expansion; Y with 2|Im z| >= ELIM and a K term as large as Y
// (800, 500i: Y = -3.13e-195); Y finite while the scaled K overflows
// (2500.5, 1000i: |Y| about 1e183; orders 3000/3001 of the coupling).
const Case kCases[] = {
        {1000.0, {-50.0, -50.0}, {0.0, 0.0}, {-kInf, -kInf}},
        {1000.0, {-700.0, -700.0}, {-1.1322975704618354432e-166, 2.7468999775829542607e-166}, {2.7468999775829542607e-166, 1.1322975704618354432e-166}},
        {1000.0, {-900.0, -50.0}, {2.4769636358210474987e-36, -1.9608772514813962158e-36}, {-5.128286389443460434e-12, -6.3100044068820011986e-12}},
        {90.0, {150.0, 0.001}, {-0.026467840149217120016, 0.000054362369940076993092}, {-0.067777196853670273668, -0.000020822431673352718484}},
        {95.5, {50.0, 0.5}, {1.600759664990780657e-19, 1.70006348251334786e-19}, {-4242061415053308.3471, 4471253204442512.0474}},
        {120.0, {119.0, 1e-06}, {0.074109253256439876016, 1.6206254568827808488e-8}, {-0.1871949501159980222, 3.1251242853681321431e-8}},
        {300.0, {1200.0, 2.0}, {0.0072023724307652949066, 0.0082421289113392555941}, {-0.0085927519096008073321, 0.0069095213035038855414}},
        {150.0, {2.0, 0.5}, {5.7435976967221824574e-262, -8.1279684884367633492e-262}, {-4.5267923755089527417e+257, -6.4066284524857635087e+257}},
        {150.0, {2.3, 0.0}, {2.2078972606855697344e-254, 0.0}, {-9.6123830642551276378e+250, 0.0}},
        {95.0, {0.9, 0.3}, {7.9889662035689095614e-180, -9.1130177418098358009e-180}, {-1.0002483245116284737e+176, -1.1410526410282411116e+176}},
        {800.0, {0.0, 500.0}, {5.4657672273103846631e-244, 0.0}, {-3.1334447680564701048e-195, 5.4657672273103846704e-244}},
        {600.0, {0.0, 400.0}, {1.9992449541201163073e-174, 0.0}, {-8.0983556457275888312e-178, 1.9992449541201163073e-174}},
        {1000.0, {30.0, 700.0}, {-5.6631210431727494295e-278, -1.186001594519983336e-277}, {1.186001594519983336e-277, -5.6631210431727494295e-278}},
        {2500.5, {0.0, 1000.0}, {0.0, 0.0}, {-1.528815817083105824e+183, 1.528815817083105824e+183}},
        {3000.0, {0.0, 1400.0}, {0.0, 0.0}, {-1.5302035862303595596e-86, 3.566235797384185111e-153}},
        {3001.0, {5.0, 1400.0}, {0.0, 0.0}, {4.5676216192102484341e-86, 5.0091419438523743897e-86}},
};

// Values beyond the range of doubles are written 0.0 or kInf in the
// table. A scaled value is representable when its modulus lies within the
// package's range [e^-ELIM, e^ELIM]; outside it the status is checked.
bool in_range(const cplx& v) {
    const double a = std::abs(v);
    return a > std::exp(-kLim.elim + 1.0) && a < std::exp(kLim.elim - 1.0);
}

TEST(LargeOrderCases, SingleValuesAndStatus) {
    for (const auto& c : kCases) {
        double jr, ji, yr, yi, wr, wi;
        int nz = 0, ierr = 0;
        const double size = std::abs(c.j) + std::abs(c.y);  // inf where Y overflows
        const double tol = bound(c.nu, std::abs(c.z));
        slug::zbesj(c.z.real(), c.z.imag(), c.nu, 2, 1, &jr, &ji, nz, ierr);
        EXPECT_EQ(ierr, 0) << "J " << c.nu << " " << c.z;
        if (in_range(c.j)) {
            EXPECT_EQ(nz, 0);
            if (std::isfinite(size))
                EXPECT_LE(std::abs(cplx(jr, ji) - c.j), tol * size) << "J " << c.nu << " " << c.z;
            else
                EXPECT_LE(std::abs(cplx(jr, ji) - c.j), tol * std::abs(c.j)) << "J " << c.nu << " " << c.z;
        } else if (c.j == cplx(0.0, 0.0)) {
            EXPECT_EQ(nz, 1) << "J underflow " << c.nu << " " << c.z;
            EXPECT_EQ(jr, 0.0);
            EXPECT_EQ(ji, 0.0);
        }
        ierr = 0;
        slug::zbesy(c.z.real(), c.z.imag(), c.nu, 2, 1, &yr, &yi, nz, &wr, &wi, ierr);
        if (in_range(c.y)) {
            EXPECT_EQ(ierr, 0) << "Y " << c.nu << " " << c.z;
            EXPECT_LE(std::abs(cplx(yr, yi) - c.y), tol * size)
                << "Y " << c.nu << " " << c.z << " got " << cplx(yr, yi) << " want " << c.y;
        } else if (std::isinf(std::abs(c.y))) {
            EXPECT_EQ(ierr, 2) << "Y overflow " << c.nu << " " << c.z;
        }
    }
}

// z = 90 - 3i with N = 30 from order 80: the run crosses FNUL, and every
// value of the sequence must be right (a read below the start of the
// array would spoil the lowest orders).
const cplx kSeq[30][2] = {
        {{-0.0090159846646936596231, 0.0081237412892298349559}, {0.0093594529771423672916, 0.0081246822503478270049}},
        {{-0.0037003621609549172004, 0.010360473780273765746}, {0.012003107035716416694, 0.0034593936377851095431}},
        {{0.0017417867902411077751, 0.010282638252781191659}, {0.012014826869050972473, -0.0011852977074615185018}},
        {{0.0062468802277437203161, 0.0084616620825760324914}, {0.0099381941184657784981, -0.0048878927551311367511}},
        {{0.0092477905787770593653, 0.0056907466118263182858}, {0.0065954568554445309012, -0.007209806138963839171}},
        {{0.010642804968796996565, 0.002724054432717785538}, {0.0028077733187470815547, -0.0081455464563609343665}},
        {{0.010661649335134394182, 0.00011833753599321395986}, {-0.00078547282910658241022, -0.0079825599221733274604}},
        {{0.0097026469413408655067, -0.0018197165224817145679}, {-0.0037992788650201680931, -0.0071430626908905276646}},
        {{0.0081931222922097183889, -0.0030079637585463917054}, {-0.0060918274917185473096, -0.0060566046242425303485}},
        {{0.0064975333488446609579, -0.0035225177067806005517}, {-0.0077060436441944987412, -0.0050844748801575761337}},
        {{0.0048752595925988041465, -0.0035231807542594008567}, {-0.0087972722239050467437, -0.0044956601292565733621}},
        {{0.0034767819807151742419, -0.0031913666240862066551}, {-0.0095695949743112612333, -0.0044826999989724292563}},
        {{0.002362645823712161807, -0.0026892082383490070696}, {-0.010231265386130655886, -0.0052036400112221958883}},
        {{0.0015312162666941304105, -0.0021396369438470087543}, {-0.010970218258902329758, -0.0068405133539667353706}},
        {{0.0009455891891286784885, -0.0016224336118401163461}, {-0.011944643752173889904, -0.009672617891585875404}},
        {{0.00055466628813816280011, -0.0011799171823912689505}, {-0.01328036945794657682, -0.014172863610129834581}},
        {{0.00030701240430153574059, -0.0008267492756493331863}, {-0.015064332135495669587, -0.02114817114827720514}},
        {{0.00015829239099669396554, -0.00056004931635614662138}, {-0.017319003179858023045, -0.031963213927455023046}},
        {{0.000074012857619977882791, -0.00036776729754319907678}, {-0.019932240193341703573, -0.048916864617420423642}},
        {{0.000029379822515676352573, -0.00023461039117640791301}, {-0.022493748160073465662, -0.075893938506258282509}},
        {{7.7366811132985881886e-6, -0.0001456505784204557828}, {-0.023939703664074961649, -0.11951219822492835339}},
        {{-1.4293221960749150251e-6, -0.00008812587752506266752}, {-0.021803618595185172599, -0.19116530310764667962}},
        {{-4.3553512014048871947e-6, -0.000052030346805399525378}, {-0.010656869572727671227, -0.31070092341346094864}},
        {{-4.5050317085852427456e-6, -0.000030007387030664928597}, {0.021123983593798818775, -0.51311277779624434909}},
        {{-3.6578098162569052125e-6, -0.000016920333320933370935}, {0.098058812168252286817, -0.86084381434475862987}},
        {{-2.6371451033603537664e-6, -9.3354558714459374472e-6}, {0.27149255407309132727, -1.4666390418783014795}},
        {{-1.7634141638269208563e-6, -5.0431045117766106443e-6}, {0.64866604519575758092, -2.5364231214591444934}},
        {{-1.1165270851126670216e-6, -2.66897938479917943e-6}, {1.4537156402274476469, -4.4505395933043320281}},
        {{-6.7718602044103988371e-7, -1.3844886982214813585e-6}, {3.1564652471561998542, -7.9191333128749797477}},
        {{-3.9627937202462431141e-7, -7.0422037283695220809e-7}, {6.7462205777352496084, -14.282049150330196125}},
};

TEST(LargeOrderCases, SequenceOfThirtyOrdersAcrossFnul) {
    double jr[30], ji[30], yr[30], yi[30], wr[30], wi[30];
    int nz = 0, ierr = 0;
    const cplx z(90.0, -3.0);
    slug::zbesj(z.real(), z.imag(), 80.0, 2, 30, jr, ji, nz, ierr);
    ASSERT_EQ(ierr, 0);
    EXPECT_EQ(nz, 0);
    slug::zbesy(z.real(), z.imag(), 80.0, 2, 30, yr, yi, nz, wr, wi, ierr);
    ASSERT_EQ(ierr, 0);
    for (int k = 0; k < 30; ++k) {
        const double size = std::abs(kSeq[k][0]) + std::abs(kSeq[k][1]);
        const double tol = bound(80.0 + k, std::abs(z));
        EXPECT_LE(std::abs(cplx(jr[k], ji[k]) - kSeq[k][0]), tol * size) << "J k=" << k;
        EXPECT_LE(std::abs(cplx(yr[k], yi[k]) - kSeq[k][1]), tol * size) << "Y k=" << k;
    }
    // Each order alone gives the same values as the sequence.
    for (int k = 0; k < 30; k += 7) {
        double r, i;
        slug::zbesj(z.real(), z.imag(), 80.0 + k, 2, 1, &r, &i, nz, ierr);
        EXPECT_LE(std::abs(cplx(r, i) - cplx(jr[k], ji[k])), 1e-13 * std::abs(cplx(jr[k], ji[k]))) << k;
    }
}

// IERR 3 for an order above sqrt(AA) (values computed) and 4 above AA
// (none), as for |z|.
TEST(LargeOrderCases, StatusForVeryLargeOrders) {
    double cr = 7.0, ci = 7.0, wr, wi;
    int nz = 0, ierr = 0;
    slug::zbesj(40000.0, 10.0, 40000.0, 2, 1, &cr, &ci, nz, ierr);
    EXPECT_EQ(ierr, 3);
    EXPECT_TRUE(std::isfinite(cr) && std::isfinite(ci));
    EXPECT_GT(std::abs(cplx(cr, ci)), 0.0);
    slug::zbesy(40000.0, 10.0, 40000.0, 2, 1, &cr, &ci, nz, &wr, &wi, ierr);
    EXPECT_EQ(ierr, 3);
    EXPECT_TRUE(std::isfinite(cr) && std::isfinite(ci));
    cr = ci = 7.0;
    slug::zbesj(1.0, 1.0, 2.0e9, 2, 1, &cr, &ci, nz, ierr);
    EXPECT_EQ(ierr, 4);
    EXPECT_EQ(nz, 0);
    slug::zbesy(1.0, 1.0, 2.0e9, 2, 1, &cr, &ci, nz, &wr, &wi, ierr);
    EXPECT_EQ(ierr, 4);
}

}  // namespace
