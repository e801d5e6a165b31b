// Calling contract of lapadc: sampling points and their order, what is
// written where (guard slots past index N), reuse of the coefficients,
// odd and too small term counts, the N = 2 closed form, a zero sample, and
// the entry for a transform with context.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "inversion/lapadc.hpp"
#include "lapadc_test_support.hpp"

namespace slug::lapadc_test {
namespace {

const cplx kSentinel(12345.25, -678.5);
constexpr int kGuard = 4;

// Caller's arrays: slots 0..ninv plus kGuard guard slots, all set to a
// sentinel, so that any write shows.
struct Arrays {
    explicit Arrays(int ninv)
        : d(std::max(ninv, 0) + 1 + kGuard, kSentinel), work(std::max(ninv, 0) + 1 + kGuard, kSentinel) {}
    std::vector<cplx> d, work;
    static int untouched_from(const std::vector<cplx>& v, int first) {
        int bad = 0;
        for (int i = first; i < static_cast<int>(v.size()); ++i) bad += v[i] != kSentinel;
        return bad;
    }
};

double run(Transform F, double t, double gamma, double tper, int ninv, int minv, int inew, Arrays& a,
           double ft = -99.0) {
    lapadc(t, gamma, tper, ninv, ft, F, minv, inew, a.d.data(), a.work.data());
    return ft;
}

// n + 1 calls, k = 0..n in order, real part γ, first imaginary part exactly
// 0, the others built by repeated addition of π/T (not k·π/T). T = 0.3 is
// chosen so that the two ways of forming the ordinates differ in the last
// bit for some k, which makes the comparison meaningful.
TEST(LapadcContract, SamplesOnTheLineByRepeatedAddition) {
    const double tper = 0.3, gamma = 2.5;
    const double omega = 3.141592653589793 / tper;
    for (int ninv : {2, 3, 6, 7, 16, 17}) {
        const int n = 2 * (ninv / 2);
        std::vector<double> expected{0.0};
        bool differs_from_product = false;
        double s = 0.0;
        for (int k = 1; k <= n; ++k) {
            s += omega;
            expected.push_back(s);
            differs_from_product |= s != k * omega;
        }
        if (n == 16) {
            ASSERT_TRUE(differs_from_product);
        }
        for (int minv : {1, 2, 3}) {
            for (int inew : {1, 0}) {
                if (minv != 1 && inew != 1) continue;  // reuse: no sampling, checked below
                recorded_points().clear();
                Arrays a(ninv);
                run(f_recording, 0.2, gamma, tper, ninv, minv, inew, a);
                const auto& pts = recorded_points();
                ASSERT_EQ(pts.size(), static_cast<size_t>(n + 1)) << "N=" << ninv << " minv=" << minv;
                for (int k = 0; k <= n; ++k) {
                    EXPECT_EQ(pts[k].real(), gamma);
                    EXPECT_EQ(pts[k].imag(), expected[k]) << "k=" << k;
                }
            }
        }
    }
}

// The transform may use p as scratch: the result must not depend on it.
TEST(LapadcContract, TransformMayOverwriteItsArgument) {
    for (int minv : {1, 2, 3}) {
        Arrays a(10), b(10);
        const double clean = run(f_exp, 1.3, 2.0, 1.5, 10, minv, 1, a);
        const double dirty = run(f_scribbling, 1.3, 2.0, 1.5, 10, minv, 1, b);
        EXPECT_EQ(clean, dirty) << "minv=" << minv;
    }
}

// Writes stay within 0..n; d is written only by rebuilding calls of the
// fraction selectors, work only by rebuilding calls; odd N leaves slot N.
TEST(LapadcContract, WritesOnlyWhereAllowed) {
    for (int ninv = 2; ninv <= 17; ++ninv) {
        const int n = 2 * (ninv / 2);
        for (int minv : {0, 1, 2, 3, -4}) {
            Arrays a(ninv);
            const double ft = run(f_sin, 0.7, 3.0, 0.7, ninv, minv, 1, a);
            EXPECT_TRUE(std::isfinite(ft));
            EXPECT_EQ(Arrays::untouched_from(a.work, n + 1), 0) << "N=" << ninv << " minv=" << minv;
            if (minv == 1) {
                EXPECT_EQ(Arrays::untouched_from(a.d, 0), 0) << "selector 1 wrote d, N=" << ninv;
            } else {
                EXPECT_EQ(Arrays::untouched_from(a.d, n + 1), 0) << "N=" << ninv << " minv=" << minv;
                for (int k = 0; k <= n; ++k) EXPECT_NE(a.d[k], kSentinel) << "d[" << k << "] not set";
            }
        }
    }
}

// Odd N uses its even part: the same samples and the same value as N - 1.
TEST(LapadcContract, OddCountBehavesAsItsEvenPart) {
    for (int minv : {1, 2, 3}) {
        Arrays six(7), seven(7);
        recorded_points().clear();
        const double v6 = run(f_recording, 1.0, driver_gamma(1.0), 1.0, 6, minv, 1, six);
        const size_t calls6 = recorded_points().size();
        recorded_points().clear();
        const double v7 = run(f_recording, 1.0, driver_gamma(1.0), 1.0, 7, minv, 1, seven);
        EXPECT_EQ(recorded_points().size(), calls6);
        EXPECT_EQ(calls6, 7u);
        EXPECT_EQ(v6, v7);
        EXPECT_EQ(seven.d[7], kSentinel);
        EXPECT_EQ(seven.work[7], kSentinel);
        EXPECT_EQ(seven.d, six.d);
        EXPECT_EQ(seven.work, six.work);
    }
}

// N <= 1: nothing sampled, nothing written, the result argument unchanged.
TEST(LapadcContract, TooFewTermsLeaveEverythingAlone) {
    for (int ninv : {1, 0, -1, -6, INT_MIN}) {
        for (int minv : {1, 3}) {
            recorded_points().clear();
            Arrays a(1);
            const double ft = run(f_recording, 1.0, 4.0, 1.0, ninv, minv, 1, a, 42.5);
            EXPECT_EQ(ft, 42.5);
            EXPECT_TRUE(recorded_points().empty());
            EXPECT_EQ(Arrays::untouched_from(a.d, 0), 0);
            EXPECT_EQ(Arrays::untouched_from(a.work, 0), 0);
        }
    }
}

// A reusing call (inew != 1, fraction selector) makes no transform call,
// leaves d and work as they were, and evaluates the stored coefficients at
// its own t: bit for bit what a rebuild at that t gives, since the
// coefficients depend on γ, T and N only.
TEST(LapadcContract, ReuseEvaluatesStoredCoefficientsWithoutSampling) {
    const double tper = 2.0, gamma = driver_gamma(tper);
    for (int minv : {2, 3}) {
        for (int ninv : {2, 6, 9}) {
            Arrays built(ninv);
            run(f_recording, 1.0, gamma, tper, ninv, minv, 1, built);
            for (int inew : {0, 2, -1}) {
                for (double t : {0.25, 1.0, 2.0, 3.5}) {
                    Arrays reused = built;
                    recorded_points().clear();
                    const double v = run(f_recording, t, gamma, tper, ninv, minv, inew, reused);
                    EXPECT_TRUE(recorded_points().empty());
                    EXPECT_EQ(reused.d, built.d);
                    EXPECT_EQ(reused.work, built.work);
                    Arrays fresh(ninv);
                    EXPECT_EQ(v, run(f_recording, t, gamma, tper, ninv, minv, 1, fresh))
                        << "minv=" << minv << " N=" << ninv << " inew=" << inew << " t=" << t;
                }
            }
        }
    }
}

// Selector 1 always rebuilds (its table depends on t), whatever inew says,
// and never touches d.
TEST(LapadcContract, EpsilonSelectorAlwaysSamples) {
    for (int inew : {0, 1, 5}) {
        recorded_points().clear();
        Arrays a(6);
        const double v = run(f_recording, 1.0, driver_gamma(1.0), 1.0, 6, 1, inew, a);
        EXPECT_EQ(recorded_points().size(), 7u);
        EXPECT_EQ(Arrays::untouched_from(a.d, 0), 0);
        Arrays b(6);
        EXPECT_EQ(v, run(f_exp, 1.0, driver_gamma(1.0), 1.0, 6, 1, 1, b));
    }
}

// Any selector other than 1 and 3 is the plain continued fraction.
TEST(LapadcContract, OtherSelectorsArePlainFraction) {
    for (int minv : {0, 4, -3, INT_MAX}) {
        Arrays a(8), b(8);
        EXPECT_EQ(run(f_erfc, 0.9, 3.0, 1.1, 8, minv, 1, a), run(f_erfc, 0.9, 3.0, 1.1, 8, 2, 1, b));
        EXPECT_EQ(a.d, b.d);
    }
}

// N = 2 in closed form from the three samples F0, F1, F2:
//   d0 = F0/2, d1 = -2F1/F0, d2 = -(F2/F1 - 2F1/F0),
//   selector 2: v = Re(d0(1 + d2 z)/(1 + d1 z + d2 z)),
//   selector 3: d2 z replaced by R = -h(1 - sqrt(1 + d2 z/h²)),
//               h = (1 + (d1 - d2) z)/2;
// f = e^{γt} v / T. The closed form rounds differently from the
// recurrences only in a few operations: 1e-14 relative.
TEST(LapadcContract, TwoTermsMatchClosedForm) {
    struct Case {
        Transform F;
        double t, gamma, tper;
    };
    const Case cases[] = {
        {f_exp, 1.0, 4.6, 1.0}, {f_sin, 0.4, 1.5, 0.9}, {f_rsqrt, 2.0, 0.8, 3.0}, {f_erfc, 5.0, 0.3, 4.0}};
    for (const auto& c : cases) {
        const double omega = 3.141592653589793 / c.tper;
        cplx p0(c.gamma, 0.0), p1(c.gamma, omega), p2(c.gamma, omega + omega), F0, F1, F2;
        c.F(p0, F0);
        c.F(p1, F1);
        c.F(p2, F2);
        const cplx d0 = F0 / 2.0, d1 = -2.0 * F1 / F0, d2 = -(F2 / F1 - 2.0 * F1 / F0);
        const cplx z = std::polar(1.0, c.t * omega);
        const cplx h = (1.0 + (d1 - d2) * z) / 2.0;
        const cplx R = -h * (1.0 - std::sqrt(1.0 + d2 * z / (h * h)));
        const double scale = std::exp(c.gamma * c.t) / c.tper;
        const double want2 = scale * (d0 * (1.0 + d2 * z) / (1.0 + d1 * z + d2 * z)).real();
        const double want3 = scale * (d0 * (1.0 + R) / (1.0 + d1 * z + R)).real();

        Arrays a2(2), a3(2);
        const double got2 = run(c.F, c.t, c.gamma, c.tper, 2, 2, 1, a2);
        const double got3 = run(c.F, c.t, c.gamma, c.tper, 2, 3, 1, a3);
        EXPECT_LT(rel_err(got2, want2), 1e-14) << "t=" << c.t;
        EXPECT_LT(rel_err(got3, want3), 1e-14) << "t=" << c.t;
        const cplx want_d[] = {d0, d1, d2};
        for (int k = 0; k < 3; ++k) {
            EXPECT_LT(std::abs(a2.d[k] - want_d[k]), 1e-14 * std::abs(want_d[k])) << "d[" << k << "]";
        }
    }
}

// A zero F(γ) is divided by in the QD start: the fraction selectors return
// a non-finite value without failing; the epsilon route never divides by
// the first sample and stays finite.
TEST(LapadcContract, ZeroFirstSampleGivesNonFiniteFraction) {
    for (int minv : {2, 3}) {
        Arrays a(6);
        EXPECT_FALSE(std::isfinite(run(f_zero_at_gamma, 1.0, driver_gamma(1.0), 1.0, 6, minv, 1, a)));
        EXPECT_EQ(Arrays::untouched_from(a.work, 7), 0);
    }
    Arrays a(6);
    EXPECT_TRUE(std::isfinite(run(f_zero_at_gamma, 1.0, driver_gamma(1.0), 1.0, 6, 1, 1, a)));
}

// The entry for a transform with context runs the same routine: for every
// selector, a fresh build and a reuse, the value and both arrays are those
// of the plain entry bit for bit; and each transform sees its own context
// (here a scale, so that a mix-up of contexts would show).
TEST(LapadcContract, TransformWithContextGivesThePlainEntrysBits) {
    const double tper = 3.0, gamma = driver_gamma(tper);
    for (const KnownPair& pair : known_pairs()) {
        for (int minv : {1, 2, 3}) {
            for (int ninv : {2, 6, 9}) {
                SCOPED_TRACE(::testing::Message() << pair.name << " minv=" << minv << " N=" << ninv);
                Arrays plain(ninv), ref(ninv), scaled(ninv);
                const auto with_context = [&pair](const cplx& p) {
                    cplx q = p, fp;
                    pair.F(q, fp);
                    return fp;
                };
                const double factor = 4.0;  // a power of two: scaling is exact
                const auto times_factor = [&pair, factor](const cplx& p) {
                    cplx q = p, fp;
                    pair.F(q, fp);
                    return factor * fp;
                };
                for (int inew : {1, 0}) {
                    const double t = inew == 1 ? 1.0 : 2.5;
                    double a = -99.0, b = -99.0, c = -99.0;
                    lapadc(t, gamma, tper, ninv, a, pair.F, minv, inew, plain.d.data(), plain.work.data());
                    lapadc(t, gamma, tper, ninv, b, TransformRef(with_context), minv, inew, ref.d.data(),
                           ref.work.data());
                    lapadc(t, gamma, tper, ninv, c, TransformRef(times_factor), minv, inew, scaled.d.data(),
                           scaled.work.data());
                    EXPECT_EQ(a, b);
                    EXPECT_EQ(plain.d, ref.d);
                    EXPECT_EQ(plain.work, ref.work);
                    // The inverse is linear in F: four times the value. The
                    // tolerance is only a margin for rounding; a transform
                    // called with the wrong context is off by the factor.
                    EXPECT_NEAR(c, factor * a, 1e-12 * std::fabs(factor * a) + 1e-300);
                }
            }
        }
    }
}

}  // namespace
}  // namespace slug::lapadc_test
