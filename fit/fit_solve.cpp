// Least-squares fit of the slug-test model.
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
// the problem better conditioned and keeps every trial value positive. A
// parameter with bounds lo < p < hi is mapped once more,
//   ln p = ln lo + (ln hi - ln lo) / (1 + e^-theta),
// so that the unconstrained solver never leaves the bounds.
//
// Jacobian: central differences in ln p with the step h = 1e-3 (a change
// of 0.1 % in the parameter). The inverted heads carry relative errors of
// about 1e-5 to 1e-6 (the accuracy asked of the de Hoog-Knight-Stokes
// inversion), which vary smoothly with the parameters: the contour and the
// sampling of the inversion do not depend on them. A difference over 2h
// therefore sees mostly the derivative of that error (itself of the order
// of the error); a rough, uncorrelated part of 1e-6 would still only add
// 1e-6/2e-3 = 5e-4 to a derivative of order 1. The truncation error of the
// central difference is h^2/6 |f'''| ~ 2e-7. Smaller steps would let the
// inversion's error dominate, larger ones the truncation. A forward
// difference would have a truncation error of h/2 ~ 5e-4, comparable to
// that, for half the cost; the central one is used because the same
// Jacobian gives the reported standard errors.
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
#include <gsl/gsl_vector.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "fit/fit_limits.hpp"
#include "model/laplace_head.hpp"

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

// Values in the fit's messages: six digits, enough to tell the user which
// value is meant.
std::string shown(double v) { return fit_value_text(v, 6); }

struct Transform {
    bool bounded = false;
    double a = 0.0;  // ln lo
    double b = 0.0;  // ln hi
};

double lnp_of(const Transform& t, double theta) {
    if (!t.bounded) return theta;
    return t.a + (t.b - t.a) / (1.0 + std::exp(-theta));
}

double theta_of(const Transform& t, double lnp) {
    if (!t.bounded) return lnp;
    const double s = (lnp - t.a) / (t.b - t.a);
    return std::log(s / (1.0 - s));
}

double dlnp_dtheta(const Transform& t, double theta) {
    if (!t.bounded) return 1.0;
    const double s = 1.0 / (1.0 + std::exp(-theta));
    return (t.b - t.a) * s * (1.0 - s);
}

struct Context {
    const BaseInput* base = nullptr;
    const Observations* obs = nullptr;
    const FitOptions* opt = nullptr;
    std::vector<Transform> tr;
    std::vector<double> y;  // observations as H/Ho
    int runs = 0;
    std::string error;
    bool root_failure = false;  // a forward run stopped in the root iteration
    std::vector<double> ratio;  // scratch
};

std::string describe_values(const Context& c, const std::vector<double>& lnp) {
    std::string s;
    for (std::size_t j = 0; j < lnp.size(); ++j) {
        if (j) s += ", ";
        s += std::string(fit_param_label(c.opt->params[j])) + " = " + shown(std::exp(lnp[j]));
    }
    return s;
}

// Residuals H/Ho - y at the parameters exp(lnp).
bool residuals(Context& c, const std::vector<double>& lnp, std::vector<double>& f) {
    std::vector<double> x(lnp.size());
    for (std::size_t j = 0; j < lnp.size(); ++j) x[j] = std::exp(lnp[j]);
    const FitValues v = values_from(*c.base, c.opt->params, x);
    // After a root failure no further run is made: the fit has ended.
    if (c.root_failure) return false;
    // Below this ratio one forward run would take hours: the fit stops
    // with the reason instead.
    if (const double lo = min_kz_over_kr(*c.base); v.kz / v.kr < lo) {
        c.error = "the fit moved KZ/KR to " + shown(v.kz / v.kr) + " at " + describe_values(c, lnp) +
                  ", below " + shown(lo) +
                  ", the smallest ratio the model evaluates in reasonable time for this RW and BB; "
                  "keep it above with --bound (kzkr or kz) or hold the anisotropy fixed";
        return false;
    }
    ++c.runs;
    std::string err;
    try {
        if (!forward_ratio(*c.base, v, c.obs->time, c.ratio, err)) {
            c.error = "the forward run failed at " + describe_values(c, lnp) + ": " + err;
            return false;
        }
    } catch (const RootIterationFailure&) {
        // Not thrown on through the solver's C code: noted, and the fit
        // ends with it.
        c.root_failure = true;
        c.error = "a forward run stopped in the model's root iteration at " + describe_values(c, lnp);
        return false;
    }
    f.resize(c.y.size());
    for (std::size_t i = 0; i < f.size(); ++i) f[i] = c.ratio[i] - c.y[i];
    return true;
}

// Jacobian of the residuals in ln p (row i, column j), central differences.
bool jacobian_lnp(Context& c, const std::vector<double>& lnp, std::vector<std::vector<double>>& J) {
    const double h = c.opt->log_step;
    const std::size_t m = lnp.size();
    J.assign(c.y.size(), std::vector<double>(m, 0.0));
    std::vector<double> fp, fm, q;
    for (std::size_t j = 0; j < m; ++j) {
        q = lnp;
        q[j] = lnp[j] + h;
        if (!residuals(c, q, fp)) return false;
        q[j] = lnp[j] - h;
        if (!residuals(c, q, fm)) return false;
        for (std::size_t i = 0; i < J.size(); ++i) J[i][j] = (fp[i] - fm[i]) / (2.0 * h);
    }
    return true;
}

std::vector<double> lnp_from_vector(const Context& c, const gsl_vector* theta) {
    std::vector<double> lnp(c.tr.size());
    for (std::size_t j = 0; j < lnp.size(); ++j) lnp[j] = lnp_of(c.tr[j], gsl_vector_get(theta, j));
    return lnp;
}

int gsl_f(const gsl_vector* theta, void* data, gsl_vector* f) {
    Context& c = *static_cast<Context*>(data);
    std::vector<double> r;
    if (!residuals(c, lnp_from_vector(c, theta), r)) return GSL_EDOM;
    for (std::size_t i = 0; i < r.size(); ++i) gsl_vector_set(f, i, r[i]);
    return GSL_SUCCESS;
}

int gsl_df(const gsl_vector* theta, void* data, gsl_matrix* jac) {
    Context& c = *static_cast<Context*>(data);
    std::vector<std::vector<double>> J;
    if (!jacobian_lnp(c, lnp_from_vector(c, theta), J)) return GSL_EDOM;
    for (std::size_t j = 0; j < c.tr.size(); ++j) {
        const double d = dlnp_dtheta(c.tr[j], gsl_vector_get(theta, j));
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

FitResult failure(std::string why) {
    FitResult r;
    r.ok = false;
    r.error = std::move(why);
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
        const double start = get_value(base_values(base), p);
        if (!(start > 0.0) || !std::isfinite(start))
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
        if (!(fb.lo > 0.0) || !(fb.hi > fb.lo) || !std::isfinite(fb.hi))
            return "bounds for " + name + " must satisfy 0 < lower < upper (finite): got " + shown(fb.lo) + ", " +
                   shown(fb.hi);
        const double start = get_value(base_values(base), fb.param);
        if (!(start > fb.lo && start < fb.hi))
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

    const std::size_t n = obs.time.size();
    const std::size_t m = opt.params.size();
    Context c;
    c.base = &base;
    c.obs = &obs;
    c.opt = &opt;
    c.tr.resize(m);
    const double ho = base.well.ho;
    c.y.resize(n);
    for (std::size_t i = 0; i < n; ++i) c.y[i] = opt.normalized ? obs.value[i] : obs.value[i] / ho;

    const FitValues start = base_values(base);
    std::unique_ptr<gsl_vector, decltype(&gsl_vector_free)> x0(gsl_vector_alloc(m), gsl_vector_free);
    for (std::size_t j = 0; j < m; ++j) {
        for (const FitBound& b : opt.bounds) {
            if (b.param == opt.params[j]) {
                c.tr[j].bounded = true;
                c.tr[j].a = std::log(b.lo);
                c.tr[j].b = std::log(b.hi);
            }
        }
        gsl_vector_set(x0.get(), j, theta_of(c.tr[j], std::log(get_value(start, opt.params[j]))));
    }

    gsl_multifit_nlinear_fdf fdf;
    fdf.f = gsl_f;
    fdf.df = gsl_df;
    fdf.fvv = nullptr;
    fdf.n = n;
    fdf.p = m;
    fdf.params = &c;
    gsl_multifit_nlinear_parameters par = gsl_multifit_nlinear_default_parameters();
    par.trs = gsl_multifit_nlinear_trs_lm;  // no geodesic acceleration: its second
                                            // directional derivative would need extra runs
    par.scale = gsl_multifit_nlinear_scale_more;
    par.solver = gsl_multifit_nlinear_solver_qr;
    std::unique_ptr<gsl_multifit_nlinear_workspace, decltype(&gsl_multifit_nlinear_free)> w(
        gsl_multifit_nlinear_alloc(gsl_multifit_nlinear_trust, &par, n, m), gsl_multifit_nlinear_free);
    if (!w) return failure("cannot allocate the least-squares solver");

    int status = gsl_multifit_nlinear_init(x0.get(), &fdf, w.get());
    int info = 0;
    if (status == GSL_SUCCESS) {
        // Step test: |d theta_j| <= xtol (|theta_j| + xtol), a relative change
        // of about 1e-9 in each parameter; gradient test well below the
        // model's accuracy, so that the step test decides in practice.
        const double xtol = 1.0e-9, gtol = 1.0e-14, ftol = 1.0e-14;
        status = gsl_multifit_nlinear_driver(static_cast<std::size_t>(opt.max_iterations), xtol, gtol, ftol,
                                             nullptr, nullptr, &info, w.get());
    }
    FitResult r;
    r.params = opt.params;
    r.iterations = static_cast<int>(gsl_multifit_nlinear_niter(w.get()));
    if (!c.error.empty()) {
        r = failure(c.error);
        r.root_failure = c.root_failure;
        r.forward_runs = c.runs;
        return r;
    }
    std::vector<double> lnp = lnp_from_vector(c, gsl_multifit_nlinear_position(w.get()));
    if (status != GSL_SUCCESS && status != GSL_ENOPROG) {
        std::string why = status == GSL_EMAXITER
                              ? "no convergence within " + std::to_string(opt.max_iterations) + " iterations"
                              : std::string("the least-squares solver stopped: ") + gsl_strerror(status);
        r = failure(why + " (last point " + describe_values(c, lnp) + ")");
        r.forward_runs = c.runs;
        return r;
    }

    // Residuals and Jacobian in ln p at the final point.
    std::vector<double> f;
    std::vector<std::vector<double>> J;
    if (!residuals(c, lnp, f) || !jacobian_lnp(c, lnp, J)) {
        r = failure(c.error);
        r.root_failure = c.root_failure;
        r.forward_runs = c.runs;
        return r;
    }
    r.forward_runs = c.runs;
    const Svd d = svd_of(J);
    const std::size_t rank = rank_of(d);
    if (status == GSL_ENOPROG) {
        const std::vector<double> step = gauss_newton_step(d, f);
        double biggest = 0.0;
        for (std::size_t j = 0; j < m; ++j) {
            // A parameter held at a bound may be pushed against it.
            if (c.tr[j].bounded) {
                const double s = (lnp[j] - c.tr[j].a) / (c.tr[j].b - c.tr[j].a);
                if ((s < 1.0e-3 && step[j] < 0.0) || (s > 1.0 - 1.0e-3 && step[j] > 0.0)) continue;
            }
            biggest = std::max(biggest, std::fabs(step[j]));
        }
        if (!(biggest <= kStallStep)) {
            r = failure("the least-squares solver could not reduce the misfit further, but the point " +
                        describe_values(c, lnp) + " is not a minimum (a Gauss-Newton step of " + shown(biggest) +
                        " in ln parameter remains)");
            r.forward_runs = c.runs;
            return r;
        }
        r.stop_reason = "no further reduction of the misfit at the model's accuracy";
    } else {
        r.stop_reason = info == 1 ? "small parameter step" : "small gradient";
    }

    double ssr = 0.0;
    for (double v : f) ssr += v * v;
    const double unit = opt.normalized ? 1.0 : std::fabs(ho);
    r.dof = static_cast<int>(n - m);
    r.rmse = std::sqrt(ssr / static_cast<double>(n)) * unit;
    const double s2 = ssr / static_cast<double>(r.dof);
    r.sigma = std::sqrt(s2) * unit;
    r.t_quantile = gsl_cdf_tdist_Pinv(0.975, static_cast<double>(r.dof));

    std::vector<double> x(m);
    for (std::size_t j = 0; j < m; ++j) x[j] = std::exp(lnp[j]);
    r.estimate = x;
    r.values = values_from(base, opt.params, x);
    r.fitted.resize(n);
    r.residual.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double fit_ratio = f[i] + c.y[i];
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
        r.warnings.push_back("not identifiable: the data do not determine " + names +
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
            r.se[j] = x[j] * r.se_log[j];
            r.lower[j] = std::exp(lnp[j] - r.t_quantile * r.se_log[j]);
            r.upper[j] = std::exp(lnp[j] + r.t_quantile * r.se_log[j]);
        }
        for (std::size_t a = 0; a < m; ++a)
            for (std::size_t b = 0; b < m; ++b)
                r.correlation[a][b] = a == b ? 1.0 : cov[a][b] / (r.se_log[a] * r.se_log[b]);
        for (std::size_t j = 0; j < m; ++j) {
            // An interval wider than a factor of 10 on either side says the
            // data hardly constrain the parameter.
            if (r.t_quantile * r.se_log[j] > std::log(10.0))
                r.warnings.push_back("not identifiable: the 95 % interval of " +
                                     std::string(fit_param_label(opt.params[j])) + " spans " + shown(r.lower[j]) +
                                     " ... " + shown(r.upper[j]) + " (more than a factor of 10 either way)");
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
        if (!c.tr[j].bounded) continue;
        const double s = (lnp[j] - c.tr[j].a) / (c.tr[j].b - c.tr[j].a);
        if (s < 1.0e-3 || s > 1.0 - 1.0e-3)
            r.warnings.push_back(std::string(fit_param_label(opt.params[j])) + " = " + shown(x[j]) +
                                 " lies at its bound; the data ask for a value outside the bounds");
    }
    r.ok = true;
    return r;
}

}  // namespace slug
