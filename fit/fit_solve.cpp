// Least-squares fit of the slug-test model: the local solver, the global
// search around it and the statistics and verdict of the result.
//
// Minimizes sum_i (H_i/Ho - y_i)^2 over the logarithms of the chosen
// parameters with GSL's trust-region Levenberg-Marquardt solver
// (gsl_multifit_nlinear; More, "The Levenberg-Marquardt algorithm:
// implementation and theory", Lecture Notes in Math. 630 (1978) 105-116,
// with More's diagonal scaling). Residuals are taken in H/Ho (the data
// divided by Ho when they are head displacements), which makes the
// convergence tests independent of the length unit.
//
// Logarithms: the parameters are positive and span decades, so ln p makes
// the problem better conditioned and keeps every trial value positive (HO
// as ln |HO|; the time shift T0 as T0 over the first observation time).
// Every parameter has finite bounds lo < p < hi (search_bounds); the
// unconstrained solver moves a variable that equals ln p inside them and
// approaches a bound exponentially near it (lnp_of below), so that it never
// leaves the bounds.
//
// Global search (multi-start): a local least-squares solver finds the
// minimum of the valley it starts in; a slug-test misfit has several (the
// model's response moved out of the observed times gives a flat plateau,
// and KZ/KR, SS and SY trade off along curved valleys). The bounds box,
// in the log parameters, is sampled by a Sobol low-discrepancy sequence
// (Sobol, USSR Comput. Math. Math. Phys. 7 (1967) 86-112; GSL gsl_qrng),
// the misfit is evaluated at each point (with a lighter inversion: it only
// ranks them), and the local solver is run from the start values and from
// the best few points, in the order of their misfit. This is multi-level
// single linkage (Rinnooy Kan and Timmer, Math. Programming 39 (1987)
// 27-56) in a simple form: a local fit that enters the valley of an
// optimum found by an earlier one stops there (in_valley), and one that
// creeps far above the best misfit found is abandoned. The evaluations of
// the sample run in parallel, each forward run on one thread with its own
// WellModel value; the log records of each task are kept and written
// afterwards in task order, so that log.txt does not depend on the
// scheduling. The local fits run one after the other, each forward run on
// all threads (its transform samples shared among them).
//
// Jacobian: during the iterations forward differences in ln p with the
// step h = 1e-3 (one run per parameter; their truncation error h/2 |f''|
// ~ 5e-4 relative steers the solver as well as the exact derivative would,
// and the solver's stopping tests are made on its own steps); at the
// optimum central differences with the same step (a change of 0.1 % in the
// parameter) for the reported uncertainty. The inverted heads carry relative errors of
// about 1e-5 to 1e-6 (the accuracy asked of the de Hoog-Knight-Stokes
// inversion), which vary smoothly with the parameters: the contour and the
// sampling of the inversion do not depend on them. A difference over 2h
// therefore sees mostly the derivative of that error (itself of the order
// of the error); a rough, uncorrelated part of 1e-6 would still only add
// 1e-6/2e-3 = 5e-4 to a derivative of order 1. The truncation error of the
// central difference is h^2/6 |f'''| ~ 2e-7. Smaller steps would let the
// inversion's error dominate, larger ones the truncation. A forward
// difference has a truncation error of h/2 ~ 5e-4, comparable to that,
// for half the cost; the central one is used where the Jacobian gives the
// reported standard errors.
//
// Uncertainty: at the optimum, with J the Jacobian in ln p, n observations
// and m parameters, cov(ln p) = s^2 (J^T J)^-1, s^2 = SSR/(n - m)
// (linearized least-squares theory, e.g. Bates and Watts, Nonlinear
// Regression Analysis and Its Applications, Wiley 1988, ch. 2). The
// approximate 95 % interval is exp(ln p +- t se), t the 0.975 quantile of
// Student's t with n - m degrees of freedom; the standard error in natural
// units is p se (delta method). (J^T J)^-1 comes from the singular value
// decomposition of J, which also shows when J lacks full rank.
#include "fit/fit_solve.hpp"

#include <gsl/gsl_blas.h>
#include <gsl/gsl_cdf.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_linalg.h>
#include <gsl/gsl_matrix.h>
#include <gsl/gsl_multifit_nlinear.h>
#include <gsl/gsl_qrng.h>
#include <gsl/gsl_vector.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <memory>
#include <numeric>
#include <thread>

#include "fio/capture.hpp"
#include "fit/fit_limits.hpp"
#include "fit/fit_verdict.hpp"
#include "model/inertial_well.hpp"
#include "model/laplace_head.hpp"
#include "run/time_loop.hpp"

namespace slug {

namespace {

// Relative size of the smallest singular value of J below which the
// parameters are taken as not separately determined. J carries relative
// errors of about 1e-3 (see the step above), so a singular value below
// 1e-6 of the largest cannot be told from zero.
constexpr double kRankTolerance = 1.0e-6;

// A Gauss-Newton step smaller than this in every ln p (a relative change of
// 1e-5) is below what the model's accuracy can resolve: when the trust
// region can no longer reduce the sum of squares, such a point counts as
// converged.
constexpr double kStallStep = 1.0e-5;

// Scatter (in H/Ho) below which residuals cannot be told from the model's
// own error: the inversion is asked for an accuracy of about 1e-4.
constexpr double kModelScatter = 1.0e-4;

// An estimate within this share of its (log) bound range from a bound lies
// at the bound.
constexpr double kAtBound = 1.0e-3;

// Values in the fit's messages: six digits, enough to tell the user which
// value is meant.
std::string shown(double v) { return fit_value_text(v, 6); }

// The solver's coordinate u of one parameter and its bounds a < u < b.
struct Transform {
    bool log = true;     // u = ln |p|; else u = p / scale
    double sign = 1.0;   // sign of p (HO of a rising-head test is negative)
    double scale = 1.0;  // linear parameters: p = u scale
    double a = 0.0;
    double b = 0.0;
};

double value_of(const Transform& t, double u) { return t.log ? t.sign * std::exp(u) : u * t.scale; }
double u_of(const Transform& t, double p) { return t.log ? std::log(std::fabs(p)) : p / t.scale; }

// The solver's variable theta maps onto u with slope 1 inside the bounds
// less a margin w, so that the solver's path in the interior is that of an
// unbounded fit in ln p, and approaches a bound exponentially beyond it:
//   u = b - w exp(-(theta - (b - w))/w)   for theta > b - w,
//   u = a + w exp((theta - (a + w))/w)    for theta < a + w,
// continuous with its first derivative, so that u never reaches a bound.
double margin(const Transform& t) { return std::min(0.5, 0.25 * (t.b - t.a)); }

double lnp_of(const Transform& t, double theta) {
    const double w = margin(t);
    if (theta > t.b - w) return t.b - w * std::exp(-(theta - (t.b - w)) / w);
    if (theta < t.a + w) return t.a + w * std::exp((theta - (t.a + w)) / w);
    return theta;
}

double theta_of(const Transform& t, double u) {
    const double w = margin(t);
    const double tiny = 1.0e-9 * (t.b - t.a);
    u = std::clamp(u, t.a + tiny, t.b - tiny);
    if (u > t.b - w) return t.b - w - w * std::log((t.b - u) / w);
    if (u < t.a + w) return t.a + w + w * std::log((u - t.a) / w);
    return u;
}

double dlnp_dtheta(const Transform& t, double theta) {
    const double w = margin(t);
    if (theta > t.b - w) return std::exp(-(theta - (t.b - w)) / w);
    if (theta < t.a + w) return std::exp((theta - (t.a + w)) / w);
    return 1.0;
}

// Position of u within its bounds, 0 ... 1.
double bound_share(const Transform& t, double u) { return (u - t.a) / (t.b - t.a); }

// What every local fit shares.
struct Problem {
    const BaseInput* base = nullptr;
    const Observations* obs = nullptr;
    const FitOptions* opt = nullptr;
    std::vector<Transform> tr;
    std::vector<double> y;  // observations as H/Ho
    bool quiet = false;     // forward runs without messages (the search's)
    int run_threads = 1;    // threads of each quiet forward run
    bool screening = false;  // the search's sample: lighter inversion (screening_inversion_settings)
};

struct Context {
    const Problem* pb = nullptr;
    int runs = 0;
    std::string error;
    bool root_failure = false;  // a forward run stopped in the root iteration
    std::vector<double> ratio;  // scratch
    std::vector<double> last_u, last_f;  // the last residuals computed and where
};

std::vector<double> values_at(const Problem& pb, const std::vector<double>& u) {
    std::vector<double> x(u.size());
    for (std::size_t j = 0; j < u.size(); ++j) x[j] = value_of(pb.tr[j], u[j]);
    return x;
}

std::string describe_values(const Problem& pb, const std::vector<double>& u) {
    std::string s;
    for (std::size_t j = 0; j < u.size(); ++j) {
        if (j) s += ", ";
        s += std::string(fit_param_label(pb.opt->params[j])) + " = " + shown(value_of(pb.tr[j], u[j]));
    }
    return s;
}

// Residuals H/Ho - y at the parameters of u.
bool residuals(Context& c, const std::vector<double>& u, std::vector<double>& f) {
    const Problem& pb = *c.pb;
    const FitValues v = values_from(*pb.base, pb.opt->params, values_at(pb, u));
    // After a root failure no further run is made: the fit has ended.
    if (c.root_failure) return false;
    // Below this ratio one forward run would take hours: the fit stops
    // with the reason instead.
    if (const double lo = min_kz_over_kr(*pb.base); v.kz / v.kr < lo) {
        c.error = "the fit moved KZ/KR to " + shown(v.kz / v.kr) + " at " + describe_values(pb, u) + ", below " +
                  shown(lo) +
                  ", the smallest ratio the model evaluates in reasonable time for this RW and BB; "
                  "keep it above with --bound (kzkr or kz) or hold the anisotropy fixed";
        return false;
    }
    ++c.runs;
    std::string err;
    try {
        const bool ok = pb.quiet ? forward_ratio_quiet(*pb.base, v, pb.obs->time, c.ratio, err, pb.run_threads,
                                                       pb.screening ? screening_inversion_settings()
                                                                    : fit_inversion_settings())
                                    : forward_ratio(*pb.base, v, pb.obs->time, c.ratio, err);
        if (!ok) {
            c.error = "the forward run failed at " + describe_values(pb, u) + ": " + err;
            return false;
        }
    } catch (const RootIterationFailure&) {
        // Not thrown on through the solver's C code: noted, and the fit
        // ends with it.
        c.root_failure = true;
        c.error = "a forward run stopped in the model's root iteration at " + describe_values(pb, u);
        return false;
    }
    f.resize(pb.y.size());
    for (std::size_t i = 0; i < f.size(); ++i) f[i] = c.ratio[i] - pb.y[i];
    c.last_u = u;
    c.last_f = f;
    return true;
}

double sum_of_squares(const std::vector<double>& f) {
    double s = 0.0;
    for (double v : f) s += v * v;
    return s;
}

// Jacobian of the residuals in u (row i, column j), central differences.
bool jacobian_lnp(Context& c, const std::vector<double>& u, std::vector<std::vector<double>>& J) {
    const double h = c.pb->opt->log_step;
    const std::size_t m = u.size();
    J.assign(c.pb->y.size(), std::vector<double>(m, 0.0));
    std::vector<double> fp, fm, q;
    for (std::size_t j = 0; j < m; ++j) {
        q = u;
        q[j] = u[j] + h;
        if (!residuals(c, q, fp)) return false;
        q[j] = u[j] - h;
        if (!residuals(c, q, fm)) return false;
        for (std::size_t i = 0; i < J.size(); ++i) J[i][j] = (fp[i] - fm[i]) / (2.0 * h);
    }
    return true;
}

std::vector<double> lnp_from_vector(const Problem& pb, const gsl_vector* theta) {
    std::vector<double> u(pb.tr.size());
    for (std::size_t j = 0; j < u.size(); ++j) u[j] = lnp_of(pb.tr[j], gsl_vector_get(theta, j));
    return u;
}

int gsl_f(const gsl_vector* theta, void* data, gsl_vector* f) {
    Context& c = *static_cast<Context*>(data);
    std::vector<double> r;
    if (!residuals(c, lnp_from_vector(*c.pb, theta), r)) return GSL_EDOM;
    for (std::size_t i = 0; i < r.size(); ++i) gsl_vector_set(f, i, r[i]);
    return GSL_SUCCESS;
}

// Jacobian of the residuals in u by forward differences, from the
// residuals at u (those of the last run when it was made there, which is
// where the solver asks for the Jacobian).
bool forward_jacobian(Context& c, const std::vector<double>& u, std::vector<std::vector<double>>& J) {
    const double h = c.pb->opt->log_step;
    const std::size_t m = u.size();
    std::vector<double> f0;
    if (c.last_u == u) f0 = c.last_f;
    else if (!residuals(c, u, f0)) return false;
    J.assign(c.pb->y.size(), std::vector<double>(m, 0.0));
    std::vector<double> fp, q;
    for (std::size_t j = 0; j < m; ++j) {
        q = u;
        q[j] = u[j] + h;
        if (!residuals(c, q, fp)) return false;
        for (std::size_t i = 0; i < J.size(); ++i) J[i][j] = (fp[i] - f0[i]) / h;
    }
    return true;
}

int gsl_df(const gsl_vector* theta, void* data, gsl_matrix* jac) {
    Context& c = *static_cast<Context*>(data);
    std::vector<std::vector<double>> J;
    if (!forward_jacobian(c, lnp_from_vector(*c.pb, theta), J)) return GSL_EDOM;
    for (std::size_t j = 0; j < c.pb->tr.size(); ++j) {
        const double d = dlnp_dtheta(c.pb->tr[j], gsl_vector_get(theta, j));
        for (std::size_t i = 0; i < J.size(); ++i) gsl_matrix_set(jac, i, j, J[i][j] * d);
    }
    return GSL_SUCCESS;
}

struct Svd {
    std::vector<double> s;               // singular values, decreasing
    std::vector<std::vector<double>> v;  // right singular vectors, v[row][k]
    std::vector<std::vector<double>> u;  // left singular vectors, u[row][k]
};

Svd svd_of(const std::vector<std::vector<double>>& J) {
    const std::size_t n = J.size();
    const std::size_t m = J.empty() ? 0 : J[0].size();
    std::unique_ptr<gsl_matrix, decltype(&gsl_matrix_free)> a(gsl_matrix_alloc(n, m), gsl_matrix_free);
    std::unique_ptr<gsl_matrix, decltype(&gsl_matrix_free)> v(gsl_matrix_alloc(m, m), gsl_matrix_free);
    std::unique_ptr<gsl_vector, decltype(&gsl_vector_free)> s(gsl_vector_alloc(m), gsl_vector_free);
    std::unique_ptr<gsl_vector, decltype(&gsl_vector_free)> w(gsl_vector_alloc(m), gsl_vector_free);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < m; ++j) gsl_matrix_set(a.get(), i, j, J[i][j]);
    gsl_linalg_SV_decomp(a.get(), v.get(), s.get(), w.get());
    Svd out;
    out.s.resize(m);
    out.v.assign(m, std::vector<double>(m));
    out.u.assign(n, std::vector<double>(m));
    for (std::size_t k = 0; k < m; ++k) out.s[k] = gsl_vector_get(s.get(), k);
    for (std::size_t i = 0; i < m; ++i)
        for (std::size_t k = 0; k < m; ++k) out.v[i][k] = gsl_matrix_get(v.get(), i, k);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t k = 0; k < m; ++k) out.u[i][k] = gsl_matrix_get(a.get(), i, k);
    return out;
}

// Number of singular values that count as nonzero.
std::size_t rank_of(const Svd& d) {
    std::size_t r = 0;
    for (double s : d.s)
        if (s > kRankTolerance * d.s[0]) ++r;
    return r;
}

// Gauss-Newton step -J^+ f within the numerical rank.
std::vector<double> gauss_newton_step(const Svd& d, const std::vector<double>& f) {
    const std::size_t m = d.s.size();
    std::vector<double> step(m, 0.0);
    const std::size_t r = rank_of(d);
    for (std::size_t k = 0; k < r; ++k) {
        double ut_f = 0.0;
        for (std::size_t i = 0; i < f.size(); ++i) ut_f += d.u[i][k] * f[i];
        for (std::size_t j = 0; j < m; ++j) step[j] -= d.v[j][k] * ut_f / d.s[k];
    }
    return step;
}

// Start value of p as the search sees it (|HO| for HO).
double start_magnitude(const BaseInput& base, FitParam p) {
    const double v = get_value(base_values(base), p);
    return p == FitParam::HO ? std::fabs(v) : v;
}

// Specific storage of a typical aquifer (1/m), the automatic start of SS.
constexpr double kTypicalSs = 1.0e-5;

FitResult failure(std::string why) {
    FitResult r;
    r.ok = false;
    r.error = std::move(why);
    return r;
}

// One run of the local solver.
struct LocalFit {
    bool ok = false;
    std::string error;
    bool root_failure = false;
    std::vector<double> u;  // end point
    std::vector<double> f;  // residuals there
    std::vector<std::vector<double>> J;  // Jacobian in u there (forward differences)
    double ssr = 0.0;
    int iterations = 0;
    int runs = 0;
    std::string stop_reason;
    bool joined = false;     // stopped in the valley of an optimum found before (u, f, ssr are that optimum's)
    bool abandoned = false;  // stopped far above the best misfit found before, making no headway
};

// Where the local solver stands after an accepted step: is it a minimum,
// and how far is the Gauss-Newton step from there.
struct MinimumTest {
    bool minimum = false;
    bool small_step = false;
    bool pushed = false;             // a parameter at its bound with the step pushing it out
    double biggest = 0.0;            // largest component of the step in ln p (bound-pushed ones left out)
    std::vector<double> step_theta;  // the Gauss-Newton step in the solver's variables
};

// A point is a minimum as far as the model can resolve when the
// Gauss-Newton step from there is below kStallStep in every ln p (not
// counting a parameter pushed against its bound), or when the reduction of
// the sum of squares that the step promises (|P f|^2, P the projection on
// the range of J) is below a hundredth of the residual variance s^2: the
// optimum then lies within a tenth of a standard error along the step, in
// a direction the data do not resolve better (the 95 % region reaches some
// 8 s^2 above the minimum for three parameters).
MinimumTest minimum_test(const Problem& pb, const gsl_vector* theta, const std::vector<double>& u,
                         const std::vector<std::vector<double>>& Jtheta, const std::vector<double>& f) {
    const std::size_t n = f.size();
    const std::size_t m = u.size();
    const Svd d = svd_of(Jtheta);
    MinimumTest t;
    t.step_theta = gauss_newton_step(d, f);
    for (std::size_t j = 0; j < m; ++j) {
        const double du = t.step_theta[j] * dlnp_dtheta(pb.tr[j], gsl_vector_get(theta, j));
        const double s = bound_share(pb.tr[j], u[j]);
        if ((s < kAtBound && du < 0.0) || (s > 1.0 - kAtBound && du > 0.0)) {
            t.pushed = true;
            continue;
        }
        t.biggest = std::max(t.biggest, std::fabs(du));
    }
    double promised = 0.0;
    for (std::size_t k = 0; k < rank_of(d); ++k) {
        double ut_f = 0.0;
        for (std::size_t i = 0; i < n; ++i) ut_f += d.u[i][k] * f[i];
        promised += ut_f * ut_f;
    }
    const double variance = sum_of_squares(f) / static_cast<double>(n - m);
    t.small_step = t.biggest <= kStallStep;
    t.minimum = t.small_step || promised <= 1.0e-2 * variance;
    return t;
}

// A local fit may stop when it enters the valley of an optimum that an
// earlier local fit found (the single-linkage rule of Rinnooy Kan and
// Timmer's multi-level single linkage, with the valley taken as the region
// where the optimum's linearization holds): at a point u within kJoinReach
// of the optimum u* in every ln p whose residuals the linearization
// f* + J* (u - u*) predicts to a tenth of the change it predicts (and to
// the model's accuracy), a Gauss-Newton step from u lands on u*; running on
// would only reproduce it.
constexpr double kJoinReach = 0.25;
constexpr double kJoinLinear = 0.1;
// Accuracy of one fitted H/Ho: the fit's inversion aims at 1e-6.
constexpr double kHeadAccuracy = 1.0e-6;

// A local fit that creeps is abandoned when the floor it is heading for
// could not compete with the best optimum found before. Creeping: two
// accepted steps in a row each reduce the sum of squares by less than
// kHeadway of it, the second by no more than the first (typically a
// path along a valley towards a bound, which the solver's variables
// approach only exponentially). While the reductions d_k shrink by a
// ratio q < 1, what remains to be gained is about d_k q/(1 - q); it is
// taken as at least kCreepSteps d_k (q >= 0.9, a conservative reading of
// two steps). When the sum of squares less that gain still exceeds the
// best found by kBeyondNoise m s^2 (s^2 = the best's SSR/(n - m); an
// optimum within m s^2 of the best counts as fitting equally well), the
// fit is abandoned. It does not count as converged.
constexpr double kHeadway = 0.1;
constexpr double kCreepSteps = 9.0;
constexpr double kBeyondNoise = 2.0;

bool in_valley(const LocalFit& o, const std::vector<double>& u, const std::vector<double>& f) {
    const std::size_t m = u.size();
    std::vector<double> d(m);
    for (std::size_t j = 0; j < m; ++j) {
        d[j] = u[j] - o.u[j];
        if (std::fabs(d[j]) > kJoinReach) return false;
    }
    double change = 0.0, miss = 0.0;
    for (std::size_t i = 0; i < f.size(); ++i) {
        double jd = 0.0;
        for (std::size_t j = 0; j < m; ++j) jd += o.J[i][j] * d[j];
        change += jd * jd;
        const double e = f[i] - (o.f[i] + jd);
        miss += e * e;
    }
    return miss <= kJoinLinear * kJoinLinear * change + static_cast<double>(f.size()) * kHeadAccuracy * kHeadAccuracy;
}

// Trust-region Levenberg-Marquardt from u0. Converged (ok) only at a local
// minimum (minimum_test after an accepted step, or where the solver makes
// no further progress); never where the model is (nearly) constant at
// every observation, a plateau on which every test of a minimum holds
// trivially. With `found` (the local fits run before it), a fit that
// enters the valley of an optimum found before stops there (joined), and
// one that stalls far above the best misfit found is abandoned.
LocalFit local_fit(const Problem& pb, const std::vector<double>& u0, const std::vector<const LocalFit*>& found = {}) {
    const std::size_t n = pb.y.size();
    const std::size_t m = pb.tr.size();
    Context c;
    c.pb = &pb;
    LocalFit out;
    std::unique_ptr<gsl_vector, decltype(&gsl_vector_free)> x0(gsl_vector_alloc(m), gsl_vector_free);
    for (std::size_t j = 0; j < m; ++j) gsl_vector_set(x0.get(), j, theta_of(pb.tr[j], u0[j]));

    gsl_multifit_nlinear_fdf fdf;
    fdf.f = gsl_f;
    fdf.df = gsl_df;
    fdf.fvv = nullptr;
    fdf.n = n;
    fdf.p = m;
    fdf.params = &c;
    gsl_multifit_nlinear_parameters par = gsl_multifit_nlinear_default_parameters();
    // No geodesic acceleration: its second directional derivative would
    // need extra runs. (Double-dogleg steps took fewer runs along curved
    // valleys, but ended more four-parameter searches on a wrong optimum.)
    par.trs = gsl_multifit_nlinear_trs_lm;
    par.scale = gsl_multifit_nlinear_scale_more;
    par.solver = gsl_multifit_nlinear_solver_qr;
    std::unique_ptr<gsl_multifit_nlinear_workspace, decltype(&gsl_multifit_nlinear_free)> w(
        gsl_multifit_nlinear_alloc(gsl_multifit_nlinear_trust, &par, n, m), gsl_multifit_nlinear_free);
    if (!w) {
        out.error = "cannot allocate the least-squares solver";
        return out;
    }
    const auto done = [&]() -> LocalFit& {
        out.runs = c.runs;
        return out;
    };
    // The state after init or an accepted step: position, residuals and
    // the Jacobian there (the solver forms it at every accepted point).
    std::vector<std::vector<double>> Jt(n, std::vector<double>(m));
    const auto read_state = [&]() {
        const gsl_vector* theta = gsl_multifit_nlinear_position(w.get());
        const gsl_vector* fv = gsl_multifit_nlinear_residual(w.get());
        const gsl_matrix* jac = gsl_multifit_nlinear_jac(w.get());
        out.u = lnp_from_vector(pb, theta);
        out.f.resize(n);
        for (std::size_t i = 0; i < n; ++i) out.f[i] = gsl_vector_get(fv, i);
        out.ssr = sum_of_squares(out.f);
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = 0; j < m; ++j) Jt[i][j] = gsl_matrix_get(jac, i, j);
    };
    // The solver's own tests (a small step, a small gradient, no progress)
    // also hold where its trust region has collapsed on a slope, so an end
    // is taken as a minimum only by minimum_test. Otherwise the solver is
    // started again from that point with a fresh trust region, within the
    // same iteration limit.
    const std::size_t limit = static_cast<std::size_t>(pb.opt->max_iterations);
    // Step test: |d theta_j| <= xtol (|theta_j| + xtol), a relative change
    // of about 1e-9 in each parameter; gradient and misfit tests well below
    // the model's accuracy.
    const double xtol = 1.0e-9, gtol = 1.0e-14, ftol = 1.0e-14;
    std::size_t used = 0;
    bool minimum = false;
    MinimumTest end;
    // Sum of squares of the best optimum found before, and the headway of
    // the last accepted steps.
    double best_found = HUGE_VAL;
    for (const LocalFit* o : found)
        if (o->ok) best_found = std::min(best_found, o->ssr);
    const double noise_margin =
        kBeyondNoise * static_cast<double>(m) * best_found / static_cast<double>(n - m) +
        static_cast<double>(n) * kHeadAccuracy * kHeadAccuracy;
    double last_ssr = HUGE_VAL, last_gain = HUGE_VAL;
    int slow = 0;
    for (int pass = 0; !minimum; ++pass) {
        int status = gsl_multifit_nlinear_init(x0.get(), &fdf, w.get());
        while (status == GSL_SUCCESS) {
            if (used >= limit) {
                status = GSL_EMAXITER;
                break;
            }
            status = gsl_multifit_nlinear_iterate(w.get());
            ++used;
            if (status != GSL_SUCCESS) break;
            read_state();
            end = minimum_test(pb, gsl_multifit_nlinear_position(w.get()), out.u, Jt, out.f);
            // A point with a parameter pushed against its bound is judged
            // only where the solver itself ends: the linearization there
            // says little about the valleys the trust region may still find.
            if (end.minimum && !end.pushed) {
                minimum = true;
                out.stop_reason = end.small_step ? "small parameter step" : "small gradient";
                break;
            }
            int info = 0;
            if (gsl_multifit_nlinear_test(xtol, gtol, ftol, &info, w.get()) == GSL_SUCCESS) break;
            const auto joined = std::find_if(found.begin(), found.end(), [&](const LocalFit* o) {
                return o->ok && !o->joined && in_valley(*o, out.u, out.f);
            });
            if (joined != found.end()) {
                const LocalFit& o = **joined;
                out.iterations = static_cast<int>(used);
                out.joined = true;
                out.u = o.u;
                out.f = o.f;
                out.ssr = o.ssr;
                out.stop_reason = o.stop_reason;
                out.ok = true;
                return done();
            }
            const double gain = last_ssr - out.ssr;
            slow = gain < kHeadway * last_ssr ? slow + 1 : 0;
            const bool creeping = slow >= 2 && gain <= last_gain;
            last_ssr = out.ssr;
            last_gain = gain;
            if (creeping && out.ssr - kCreepSteps * gain > best_found + noise_margin) {
                out.iterations = static_cast<int>(used);
                out.abandoned = true;
                out.error = "stopped at " + describe_values(pb, out.u) + ", where the misfit (sum of squares " +
                            shown(out.ssr) + ") falls too slowly to come near the best found (" + shown(best_found) +
                            ")";
                return done();
            }
        }
        out.iterations = static_cast<int>(used);
        if (!c.error.empty()) {
            out.error = c.error;
            out.root_failure = c.root_failure;
            return done();
        }
        if (minimum) break;
        if (status != GSL_SUCCESS && status != GSL_ENOPROG) {
            out.u = lnp_from_vector(pb, gsl_multifit_nlinear_position(w.get()));
            out.error = (status == GSL_EMAXITER
                             ? "no convergence within " + std::to_string(pb.opt->max_iterations) + " iterations"
                             : std::string("the least-squares solver stopped: ") + gsl_strerror(status)) +
                        " (last point " + describe_values(pb, out.u) + ")";
            return done();
        }
        // The solver ended (its own tests, or no progress): a minimum only
        // by minimum_test.
        read_state();
        end = minimum_test(pb, gsl_multifit_nlinear_position(w.get()), out.u, Jt, out.f);
        if (end.minimum) {
            out.stop_reason = status == GSL_ENOPROG ? "no further reduction of the misfit at the model's accuracy"
                              : end.small_step     ? "small parameter step"
                                                   : "small gradient";
            break;
        }
        if (pass >= 4 || used >= limit) {
            out.error = "the least-squares solver could not reduce the misfit further, but the point " +
                        describe_values(pb, out.u) + " is not a minimum (a Gauss-Newton step of " + shown(end.biggest) +
                        " in ln parameter remains)";
            return done();
        }
        gsl_vector_memcpy(x0.get(), gsl_multifit_nlinear_position(w.get()));
    }
    const gsl_vector* theta = gsl_multifit_nlinear_position(w.get());
    out.J.assign(n, std::vector<double>(m));
    for (std::size_t j = 0; j < m; ++j) {
        const double d = dlnp_dtheta(pb.tr[j], gsl_vector_get(theta, j));
        for (std::size_t i = 0; i < n; ++i) out.J[i][j] = d > 0.0 ? Jt[i][j] / d : 0.0;
    }
    // The last Gauss-Newton step (one run): at a minimum it is below what
    // the data resolve, and taking it puts the estimate on the optimum to
    // the accuracy of the heads rather than to that of the stopping test
    // (the solver's iterations converge only linearly while the trust
    // region is active).
    std::vector<double> q(m), fq;
    for (std::size_t j = 0; j < m; ++j) q[j] = lnp_of(pb.tr[j], gsl_vector_get(theta, j) + end.step_theta[j]);
    if (!residuals(c, q, fq)) {
        out.error = c.error;
        out.root_failure = c.root_failure;
        return done();
    }
    if (const double ssr = sum_of_squares(fq); ssr <= out.ssr) {
        out.u = q;
        out.f = fq;
        out.ssr = ssr;
    }
    std::vector<double> fitted(n);
    for (std::size_t i = 0; i < n; ++i) fitted[i] = out.f[i] + pb.y[i];
    if (const std::string flat = degenerate_model(fitted); !flat.empty()) {
        out.error = flat + " at " + describe_values(pb, out.u) +
                    ": its response lies outside the observed times (a start far from the data?)";
        return done();
    }
    out.ok = true;
    return done();
}

// Runs task(i) for i = 0 ... count-1 on up to `threads` threads. The writes
// of each task to the program's units are kept and written afterwards in
// task order.
void run_tasks(int count, int threads, const std::function<void(int)>& task) {
    std::vector<WriteCapture> writes(static_cast<std::size_t>(count));
    std::atomic<int> next{0};
    const auto worker = [&] {
        for (;;) {
            const int i = next.fetch_add(1);
            if (i >= count) return;
            ScopedWriteCapture keep(&writes[static_cast<std::size_t>(i)]);
            task(i);
        }
    };
    {
        std::vector<std::jthread> pool;
        for (int k = 1; k < std::min(threads, count); ++k) pool.emplace_back(worker);
        worker();
    }
    for (const WriteCapture& w : writes) replay_writes(w);
}

// Statistics of the fit ending at `best`: residuals in data units, the
// Jacobian there and from it the covariance, the warnings and the reasons
// not to trust the result.
FitResult finish(const Problem& pb, Context& c, const LocalFit& best) {
    const BaseInput& base = *pb.base;
    const Observations& obs = *pb.obs;
    const FitOptions& opt = *pb.opt;
    const std::size_t n = pb.y.size();
    const std::size_t m = pb.tr.size();
    const std::vector<double>& lnp = best.u;
    FitResult r;
    r.params = opt.params;
    r.iterations = best.iterations;
    r.stop_reason = best.stop_reason;
    const std::vector<double>& f = best.f;
    std::vector<std::vector<double>> J;
    if (!jacobian_lnp(c, lnp, J)) {
        r = failure(c.error);
        r.root_failure = c.root_failure;
        return r;
    }
    const Svd d = svd_of(J);
    const std::size_t rank = rank_of(d);

    const double ssr = sum_of_squares(f);
    const double ho = base.well.ho;
    const double unit = opt.normalized ? 1.0 : std::fabs(ho);
    r.dof = static_cast<int>(n - m);
    r.rmse = std::sqrt(ssr / static_cast<double>(n)) * unit;
    const double s2 = ssr / static_cast<double>(r.dof);
    r.sigma = std::sqrt(s2) * unit;
    r.t_quantile = gsl_cdf_tdist_Pinv(0.975, static_cast<double>(r.dof));

    const std::vector<double> x = values_at(pb, lnp);
    r.estimate = x;
    r.values = values_from(base, opt.params, x);
    r.fitted.resize(n);
    r.residual.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double fit_ratio = f[i] + pb.y[i];
        r.fitted[i] = opt.normalized ? fit_ratio : fit_ratio * ho;
        r.residual[i] = obs.value[i] - r.fitted[i];
    }

    const double nan = std::nan("");
    r.se.assign(m, nan);
    r.se_log.assign(m, nan);
    r.lower.assign(m, nan);
    r.upper.assign(m, nan);
    r.correlation.assign(m, std::vector<double>(m, nan));
    if (rank < m) {
        r.singular = true;
        // Parameters that take part in a direction the data do not see.
        std::vector<bool> involved(m, false);
        for (std::size_t k = rank; k < m; ++k)
            for (std::size_t j = 0; j < m; ++j)
                if (std::fabs(d.v[j][k]) > 0.1) involved[j] = true;
        std::string names;
        for (std::size_t j = 0; j < m; ++j)
            if (involved[j]) names += (names.empty() ? "" : ", ") + std::string(fit_param_label(opt.params[j]));
        r.unreliable.push_back("not identifiable: the data do not determine " + names +
                               " separately (the Jacobian has rank " + std::to_string(rank) + " of " +
                               std::to_string(m) + "); no standard errors can be given");
    } else {
        // cov = s^2 V diag(1/s_k^2) V^T
        std::vector<std::vector<double>> cov(m, std::vector<double>(m, 0.0));
        for (std::size_t a = 0; a < m; ++a)
            for (std::size_t b = 0; b < m; ++b) {
                double sum = 0.0;
                for (std::size_t k = 0; k < m; ++k) sum += d.v[a][k] * d.v[b][k] / (d.s[k] * d.s[k]);
                cov[a][b] = s2 * sum;
            }
        for (std::size_t j = 0; j < m; ++j) {
            r.se_log[j] = std::sqrt(cov[j][j]);
            if (pb.tr[j].log) {
                r.se[j] = std::fabs(x[j]) * r.se_log[j];
                r.lower[j] = value_of(pb.tr[j], lnp[j] - r.t_quantile * r.se_log[j]);
                r.upper[j] = value_of(pb.tr[j], lnp[j] + r.t_quantile * r.se_log[j]);
                if (r.lower[j] > r.upper[j]) std::swap(r.lower[j], r.upper[j]);
            } else {
                r.se[j] = r.se_log[j] * pb.tr[j].scale;
                r.lower[j] = x[j] - r.t_quantile * r.se[j];
                r.upper[j] = x[j] + r.t_quantile * r.se[j];
            }
        }
        for (std::size_t a = 0; a < m; ++a)
            for (std::size_t b = 0; b < m; ++b)
                r.correlation[a][b] = a == b ? 1.0 : cov[a][b] / (r.se_log[a] * r.se_log[b]);
        // An interval wider than a factor of 10 on either side says the data
        // do not determine the parameter. The judgement takes the residual
        // scatter as no smaller than the model's own accuracy (kModelScatter):
        // on data the model fits to within its accuracy, two quite different
        // parameter sets can give curves that differ by less than that.
        const double s2_judged = std::max(s2, kModelScatter * kModelScatter);
        for (std::size_t j = 0; j < m; ++j) {
            const double half = r.t_quantile * r.se_log[j] * std::sqrt(s2_judged / s2);
            if (!pb.tr[j].log || !(half <= std::log(10.0)))
                if (pb.tr[j].log)
                    r.unreliable.push_back("not identifiable: the 95 % interval of " +
                                           std::string(fit_param_label(opt.params[j])) + " spans " +
                                           shown(value_of(pb.tr[j], lnp[j] - half)) + " ... " +
                                           shown(value_of(pb.tr[j], lnp[j] + half)) +
                                           " (more than a factor of 10 either way" +
                                           (s2_judged > s2 ? ", at the model's accuracy of 1e-4 in H/Ho)" : ")"));
        }
        for (std::size_t a = 0; a < m; ++a)
            for (std::size_t b = a + 1; b < m; ++b)
                if (std::fabs(r.correlation[a][b]) > 0.99)
                    r.warnings.push_back("not identifiable separately: " + std::string(fit_param_label(opt.params[a])) +
                                         " and " + std::string(fit_param_label(opt.params[b])) +
                                         " are correlated (r = " + shown(r.correlation[a][b]) +
                                         "); only a combination of them is determined");
    }
    for (std::size_t j = 0; j < m; ++j) {
        const double s = bound_share(pb.tr[j], lnp[j]);
        if (s < kAtBound || s > 1.0 - kAtBound)
            r.unreliable.push_back(std::string(fit_param_label(opt.params[j])) + " = " + shown(x[j]) + " lies at its " +
                                   (s < 0.5 ? "lower" : "upper") + " bound " +
                                   shown(value_of(pb.tr[j], s < 0.5 ? pb.tr[j].a : pb.tr[j].b)) +
                                   "; the data ask for a value outside the bounds");
    }
    std::vector<double> fitted_ratio(n), y(pb.y);
    for (std::size_t i = 0; i < n; ++i) fitted_ratio[i] = f[i] + pb.y[i];
    for (std::string& why : residual_verdict(y, fitted_ratio)) r.unreliable.push_back(std::move(why));
    if (std::string w = small_systematic_residuals(y, fitted_ratio); !w.empty()) r.warnings.push_back(std::move(w));
    r.ok = true;
    return r;
}

}  // namespace

std::string check_fit_setup(const BaseInput& base, const Observations& obs, const FitOptions& opt) {
    if (opt.params.empty()) return "no parameter to estimate";
    bool kz = false, kzkr = false;
    for (std::size_t j = 0; j < opt.params.size(); ++j) {
        const FitParam p = opt.params[j];
        for (std::size_t k = 0; k < j; ++k)
            if (opt.params[k] == p) return "parameter " + std::string(fit_param_name(p)) + " is named twice";
        kz = kz || p == FitParam::KZ;
        kzkr = kzkr || p == FitParam::KZKR;
        if (p == FitParam::HKS && !(base.well.hks > 0.0))
            return "hks cannot be estimated: the input file has no skin (HKS not greater than 0)";
        // A parameter that does not act on the model's heads cannot be
        // estimated: the solver would only wander along a flat direction.
        if (p == FitParam::HKS && !(base.well.ds > 0.0))
            return "hks cannot be estimated: the input file's skin has no thickness (DS = 0), so HKS does not act "
                   "on the heads";
        if ((p == FitParam::U1 || p == FitParam::U2) && !(base.well.sy > 0.0))
            return std::string(fit_param_name(p)) +
                   " cannot be estimated: the input file has no unsaturated zone above a water table (SY = 0, a "
                   "confined aquifer), so it does not act on the heads";
        if (p == FitParam::LE && !(base.column.gravity > 0.0 && std::isfinite(base.column.gravity)))
            return "le cannot be estimated without the acceleration of gravity in the input's units: give --gravity G "
                   "or --units L,T";
        const double start = start_magnitude(base, p);
        // LE without a start value is started from the data.
        if (p == FitParam::LE && start == 0.0) continue;
        if (p != FitParam::T0 && (!(start > 0.0) || !std::isfinite(start)))
            return "parameter " + std::string(fit_param_name(p)) + " starts from " + shown(start) +
                   " in the input file; it is estimated in log space and needs a start value greater than 0";
    }
    if (kz && kzkr) return "kz and kzkr cannot both be estimated (they describe the same anisotropy)";
    for (std::size_t b = 0; b < opt.bounds.size(); ++b) {
        const FitBound& fb = opt.bounds[b];
        const std::string name(fit_param_name(fb.param));
        if (std::find(opt.params.begin(), opt.params.end(), fb.param) == opt.params.end())
            return "bounds given for " + name + ", which is not estimated";
        for (std::size_t k = 0; k < b; ++k)
            if (opt.bounds[k].param == fb.param) return "bounds for " + name + " are given twice";
        if (fb.param == FitParam::T0 ? !(fb.hi > fb.lo) || !std::isfinite(fb.lo) || !std::isfinite(fb.hi)
                                     : !(fb.lo > 0.0) || !(fb.hi > fb.lo) || !std::isfinite(fb.hi))
            return "bounds for " + name + " must satisfy " + (fb.param == FitParam::T0 ? "" : "0 < ") +
                   "lower < upper (finite): got " + shown(fb.lo) + ", " + shown(fb.hi);
        const double start = start_magnitude(base, fb.param);
        if (!(fb.param == FitParam::LE && start == 0.0) && !(start > fb.lo && start < fb.hi))
            return "the start value " + shown(start) + " of " + name + " (from the input file) lies outside its bounds " +
                   shown(fb.lo) + " ... " + shown(fb.hi);
    }
    if (obs.time.size() <= opt.params.size())
        return std::to_string(obs.time.size()) + " observations cannot determine " +
               std::to_string(opt.params.size()) + " parameters: more observations than parameters are needed";
    if (!(opt.log_step > 0.0) || !(opt.max_iterations > 0)) return "invalid solver settings";
    return {};
}

FitResult run_fit(const BaseInput& base, const Observations& obs, const FitOptions& opt) {
    if (std::string why = check_fit_setup(base, obs, opt); !why.empty()) return failure(why);
    gsl_set_error_handler_off();
    std::vector<std::string> data_findings = check_fit_data(base, obs, opt);
    if (!data_findings.empty() && !opt.force) {
        std::string why;
        for (const std::string& s : data_findings) why += (why.empty() ? "" : "\n") + s;
        return failure(why + "\n(--force fits such data anyway)");
    }

    const std::size_t n = obs.time.size();
    const std::size_t m = opt.params.size();
    Problem pb;
    pb.base = &base;
    pb.obs = &obs;
    pb.opt = &opt;
    const double ho = base.well.ho;
    pb.y.resize(n);
    for (std::size_t i = 0; i < n; ++i) pb.y[i] = opt.normalized ? obs.value[i] : obs.value[i] / ho;

    // Start values: the input's, or from the data when the input's KR is
    // far from them (or when asked).
    std::vector<std::string> notes;
    FitValues start = base_values(base);
    std::string kr_source;
    const double kr_data = data_start_kr(base, obs, opt, &kr_source);
    const bool kr_estimated = std::find(opt.params.begin(), opt.params.end(), FitParam::KR) != opt.params.end();
    if (std::find(opt.params.begin(), opt.params.end(), FitParam::LE) != opt.params.end() && start.le > 0.0)
        notes.push_back("start: LE = " + shown(start.le) + " (--inertia)");
    if (std::find(opt.params.begin(), opt.params.end(), FitParam::LE) != opt.params.end() && !(start.le > 0.0)) {
        // The column's length from the data's period and decay, else from
        // the well.
        const OscillationStart o = oscillation_start(base, obs, opt.normalized);
        if (o.found) {
            start.le = o.le;
            notes.push_back("start: LE = " + shown(o.le) + " from the data's oscillation (first minimum H/Ho = " +
                            shown(o.y_min) + " at time " + shown(o.t_min) + ": damped period " +
                            shown(2.0 * std::acos(-1.0) / o.omega_d) + ", decay rate " + shown(o.gamma) +
                            "; LE = g/(omega_d^2 + gamma^2) of the damped oscillator)");
        } else {
            const ScreenDepths sd = screen_depths(base.well);
            start.le = effective_column_length(sd.zpd, base.well.rc, base.well.rw, sd.zpl - sd.zpd);
            notes.push_back("start: LE = " + shown(start.le) +
                            " from the well (the data do not fall below zero, so no oscillation gives it): the "
                            "screen's depth below the aquifer top plus (RC/RW)^2 times half the screen; give the "
                            "column's length with --inertia LE");
        }
    }
    if (kr_estimated && kr_data > 0.0 && (opt.auto_start || start.kr < 0.1 * kr_data || start.kr > 10.0 * kr_data)) {
        const double ratio = start.kz / start.kr;
        const bool kz_estimated = std::find(opt.params.begin(), opt.params.end(), FitParam::KZ) != opt.params.end();
        std::string note = "automatic start: KR = " + shown(kr_data) + " from " + kr_source;
        if (!opt.auto_start) note += "; the input's KR = " + shown(start.kr) + " is more than 10 times away from it";
        start.kr = kr_data;
        start.kz = kz_estimated ? start.kz : ratio * kr_data;
        if (std::find(opt.params.begin(), opt.params.end(), FitParam::SS) != opt.params.end()) {
            start.ss = kTypicalSs;
            note += "; SS = " + shown(kTypicalSs) + " (a typical value)";
        }
        notes.push_back(note);
    }
    const std::vector<FitBound> bounds = search_bounds(base, obs, opt, start);
    const bool ss_default = std::find(opt.params.begin(), opt.params.end(), FitParam::SS) != opt.params.end() &&
                            std::none_of(opt.bounds.begin(), opt.bounds.end(),
                                         [](const FitBound& b) { return b.param == FitParam::SS; });
    if (ss_default && !(opt.metres_per_length > 0.0))
        notes.push_back("SS is searched within the range per metre (1e-7 ... 1e-2); with lengths in another unit "
                        "name it with --units or give --bound ss=LO,HI");
    pb.tr.resize(m);
    std::vector<double> u0(m);
    for (std::size_t j = 0; j < m; ++j) {
        Transform& t = pb.tr[j];
        const FitParam p = opt.params[j];
        t.log = p != FitParam::T0;
        t.sign = p == FitParam::HO && ho < 0.0 ? -1.0 : 1.0;
        t.scale = obs.time.front();
        t.a = t.log ? std::log(bounds[j].lo) : bounds[j].lo / t.scale;
        t.b = t.log ? std::log(bounds[j].hi) : bounds[j].hi / t.scale;
        u0[j] = std::clamp(u_of(t, get_value(start, p)), t.a + 1.0e-6 * (t.b - t.a), t.b - 1.0e-6 * (t.b - t.a));
    }

    // The first run, at the start values, on the calling thread: a model
    // that cannot be run there ends the fit at once.
    Context c;
    c.pb = &pb;
    std::vector<double> f0;
    if (!residuals(c, u0, f0)) {
        FitResult r = failure(c.error);
        r.root_failure = c.root_failure;
        r.forward_runs = c.runs;
        return r;
    }

    const int starts = opt.starts < 0 ? std::max(16, 8 * static_cast<int>(m)) : opt.starts;
    const int threads = opt.threads > 0 ? opt.threads : time_loop::worker_count();
    std::vector<std::vector<double>> origins{u0};
    std::vector<double> origin_ssr;  // misfit at origins[1 ...]
    int runs = c.runs;
    if (starts > 0) {
        // The misfit at the points of a Sobol sequence in the bounds box.
        std::vector<std::vector<double>> points(static_cast<std::size_t>(starts), std::vector<double>(m));
        std::unique_ptr<gsl_qrng, decltype(&gsl_qrng_free)> q(gsl_qrng_alloc(gsl_qrng_sobol, static_cast<unsigned>(m)),
                                                             gsl_qrng_free);
        // The sampled box: the bounds, except for KR when the data give its
        // Hvorslev estimate: the basic time lag fixes KR within a factor of
        // a few for any storage, so the starts cover a factor of 30 either
        // side of it (the local fits may still move to the bounds).
        std::vector<double> lo(m), hi(m);
        for (std::size_t j = 0; j < m; ++j) {
            lo[j] = pb.tr[j].a;
            hi[j] = pb.tr[j].b;
            const bool given = std::any_of(opt.bounds.begin(), opt.bounds.end(),
                                           [&](const FitBound& b) { return b.param == opt.params[j]; });
            if (opt.params[j] == FitParam::KR && kr_data > 0.0 && !given) {
                lo[j] = std::max(lo[j], std::log(kr_data / 30.0));
                hi[j] = std::min(hi[j], std::log(kr_data * 30.0));
            }
            // The record's period fixes LE within a factor of about two
            // (the aquifer's reactance shifts the frequency; Kipp 1985):
            // the starts cover a factor of ten either side of its start.
            if (opt.params[j] == FitParam::LE && !given) {
                lo[j] = std::max(lo[j], std::log(start.le / 10.0));
                hi[j] = std::min(hi[j], std::log(start.le * 10.0));
            }
        }
        std::vector<double> z(m);
        for (auto& pt : points) {
            gsl_qrng_get(q.get(), z.data());
            for (std::size_t j = 0; j < m; ++j) {
                // Kept off the bounds themselves, where the mapping is flat.
                const double s = 0.02 + 0.96 * z[j];
                pt[j] = lo[j] + s * (hi[j] - lo[j]);
            }
        }
        pb.quiet = true;
        pb.run_threads = 1;
        pb.screening = true;
        std::vector<double> cost(points.size(), HUGE_VAL);
        std::vector<int> used(points.size(), 0);
        run_tasks(starts, threads, [&](int i) {
            Context ci;
            ci.pb = &pb;
            std::vector<double> fi;
            if (residuals(ci, points[static_cast<std::size_t>(i)], fi)) cost[static_cast<std::size_t>(i)] = sum_of_squares(fi);
            used[static_cast<std::size_t>(i)] = ci.runs;
        });
        runs += std::accumulate(used.begin(), used.end(), 0);
        std::vector<std::size_t> order(points.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return cost[a] < cost[b]; });
        for (std::size_t k = 0; k < order.size() && static_cast<int>(origins.size()) <= opt.local_fits; ++k)
            if (std::isfinite(cost[order[k]])) {
                origins.push_back(points[order[k]]);
                origin_ssr.push_back(cost[order[k]]);
            }
    }

    // Local fits from the start values and the best points, one after the
    // other in the order of their misfit (each forward run on all threads),
    // so that a fit entering the valley of an optimum found before stops
    // there; fits[0] stays the fit from the start values.
    pb.run_threads = threads;
    pb.screening = false;
    std::vector<double> origin_cost{sum_of_squares(f0)};
    for (std::size_t k = 1; k < origins.size(); ++k) origin_cost.push_back(origin_ssr[k - 1]);
    std::vector<std::size_t> run_order(origins.size());
    std::iota(run_order.begin(), run_order.end(), 0);
    std::stable_sort(run_order.begin(), run_order.end(),
                     [&](std::size_t a, std::size_t b) { return origin_cost[a] < origin_cost[b]; });
    std::vector<LocalFit> fits(origins.size());
    std::vector<const LocalFit*> found;
    for (std::size_t k : run_order) {
        fits[k] = local_fit(pb, origins[k], found);
        found.push_back(&fits[k]);
    }
    std::size_t best = fits.size();
    int converged = 0;
    for (std::size_t k = 0; k < fits.size(); ++k) {
        runs += fits[k].runs;
        if (!fits[k].ok) continue;
        ++converged;
        // On a tie the fit that found the optimum, not one that joined it.
        if (best == fits.size() || fits[k].ssr < fits[best].ssr ||
            (fits[k].ssr == fits[best].ssr && fits[best].joined && !fits[k].joined))
            best = k;
    }
    if (best == fits.size()) {
        // No local fit converged: the reason is that of the fit from the
        // start values.
        FitResult r = failure(fits[0].error);
        r.root_failure = fits[0].root_failure && !pb.quiet;
        r.iterations = fits[0].iterations;
        r.forward_runs = runs;
        r.notes = notes;
        return r;
    }

    pb.quiet = false;
    Context cf;
    cf.pb = &pb;
    FitResult r = finish(pb, cf, fits[best]);
    r.forward_runs = runs + cf.runs;
    r.notes = notes;
    if (!r.ok) return r;
    r.starts = starts;
    r.local_fits = static_cast<int>(fits.size());
    r.converged_fits = converged;
    // Local fits that reached the best misfit (up to the solver's stopping
    // test), and optima elsewhere whose misfit lies within the noise.
    const double ssr_best = fits[best].ssr;
    const double s2 = ssr_best / static_cast<double>(r.dof);
    std::string other;
    for (const LocalFit& lf : fits) {
        if (lf.abandoned) ++r.abandoned_fits;
        if (!lf.ok) continue;
        if (lf.ssr <= ssr_best * (1.0 + 1.0e-4) + 1.0e-24) {
            ++r.reached_best;
            if (lf.joined) ++r.joined_best;
        }
        if (!other.empty() || lf.ssr - ssr_best > s2 * static_cast<double>(std::max<std::size_t>(m, 2))) continue;
        for (std::size_t j = 0; j < m; ++j) {
            const double se = std::isfinite(r.se_log[j]) ? r.se_log[j] : 0.0;
            if (std::fabs(lf.u[j] - fits[best].u[j]) > std::max(0.1, 3.0 * se)) {
                other = describe_values(pb, lf.u);
                break;
            }
        }
    }
    if (!data_findings.empty())
        for (const std::string& s : data_findings) r.warnings.push_back("data check overridden by --force: " + s);
    if (!other.empty())
        r.unreliable.push_back("the data do not determine the parameters: another optimum, " + other +
                               ", fits them as well within the noise");
    if (starts > 0)
        r.notes.push_back("global search: " + std::to_string(starts) + " starts in the bounds, local fits from the " +
                          "start values and the best " + std::to_string(fits.size() - 1) + "; " +
                          std::to_string(converged) + " of " + std::to_string(fits.size()) + " converged, " +
                          std::to_string(r.reached_best) + " reached the best misfit" +
                          (r.joined_best > 0
                               ? " (" + std::to_string(r.joined_best) + " of them stopped on entering its valley)"
                               : "") +
                          (r.abandoned_fits > 0
                               ? "; " + std::to_string(r.abandoned_fits) + " abandoned far above the best misfit"
                               : ""));
    return r;
}

}  // namespace slug
