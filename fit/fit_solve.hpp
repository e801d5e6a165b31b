// Least-squares fit of the slug-test model to observations: a global
// search (low-discrepancy starts within finite bounds, evaluated in
// parallel, then trust-region Levenberg-Marquardt from the best of them,
// one after the other), in the logarithms of the parameters, with a
// finite-difference Jacobian, the linearized uncertainty of the estimates
// at the optimum and the checks of the data and of the result.
#pragma once

#include <string>
#include <vector>

#include "fit/fit_data.hpp"
#include "fit/fit_model.hpp"

namespace slug {

// Bounds lo < hi on one estimated parameter (both > 0, except for T0; for
// HO they bound |HO|).
struct FitBound {
    FitParam param;
    double lo;
    double hi;
};

struct FitOptions {
    std::vector<FitParam> params{FitParam::KR, FitParam::SS};
    std::vector<FitBound> bounds;
    bool normalized = false;  // observations are H/Ho, not head displacements
    int max_iterations = 100;
    // Step of the central differences in ln(parameter); see fit_solve.cpp.
    double log_step = 1.0e-3;
    // Global search: the number of low-discrepancy starts within the bounds
    // (-1: 8 per parameter, at least 16; 0: one local fit from the start
    // values only) and the number of the best of them from which a local
    // fit is run besides the start values.
    int starts = -1;
    int local_fits = 3;
    // Start KR from the Hvorslev basic time lag of the data (and SS from a
    // typical value) even when the input's start is near the data.
    bool auto_start = false;
    // Fit data that fail the data checks (the findings become warnings).
    bool force = false;
    // Threads of the search (0: the time loop's worker_count()).
    int threads = 0;
    // Size of the input's length unit in metres (--units); 0: not named,
    // the default bounds of SS are then those per metre.
    double metres_per_length = 0.0;
};

struct FitResult {
    bool ok = false;
    std::string error;  // why the fit failed (ok false)
    bool root_failure = false;  // a forward run stopped in the model's root iteration

    std::vector<FitParam> params;
    std::vector<double> estimate;                 // natural units
    std::vector<double> se;                       // standard error, natural units (delta method)
    std::vector<double> se_log;                   // standard error of ln(parameter)
    std::vector<double> lower, upper;             // approximate 95 % interval
    std::vector<std::vector<double>> correlation;  // of the ln(parameters)
    std::vector<std::string> warnings;            // identifiability, correlations
    std::vector<std::string> unreliable;          // why the result cannot be trusted
    std::vector<std::string> notes;               // automatic start, search
    bool singular = false;                        // Jacobian without full rank

    // Global search: starts evaluated, local fits run, local fits that
    // converged, and of those the ones that reached the best misfit; of
    // these the ones that stopped on entering its valley (found by an
    // earlier local fit), and the local fits abandoned far above the best
    // misfit (not converged).
    int starts = 0;
    int local_fits = 0;
    int converged_fits = 0;
    int reached_best = 0;
    int joined_best = 0;
    int abandoned_fits = 0;

    FitValues values;  // all values of the fitted model
    std::vector<double> fitted;    // model at the observation times, data units
    std::vector<double> residual;  // observed - fitted, data units
    double rmse = 0.0;             // sqrt(sum residual^2 / n), data units
    double sigma = 0.0;            // sqrt(sum residual^2 / (n - p)), data units
    double t_quantile = 0.0;       // Student t, 0.975, n - p degrees of freedom
    int dof = 0;
    int iterations = 0;
    int forward_runs = 0;
    std::string stop_reason;
};

// Checks the choice of parameters and bounds against the input (each named
// once, KZ and KZ/KR not both, HKS only with a skin, start values greater
// than 0 and inside their bounds, more observations than parameters).
// Returns an empty string when all is usable, else the reason.
std::string check_fit_setup(const BaseInput& base, const Observations& obs, const FitOptions& opt);

// Checks the observations against the input before any run: values above
// 1.05 Ho (1.05 with normalized data), a sign opposite to that of HO, data
// that look normalized when they are said to be head displacements and the
// reverse, and a record that does not show the response (over before the
// first observation, or not begun by the last). Returns one message per
// finding (empty when none).
std::vector<std::string> check_fit_data(const BaseInput& base, const Observations& obs, const FitOptions& opt);

// The finite bounds within which the search and the local fits move, one
// per estimated parameter (same order): those of opt.bounds, else wide
// defaults around a data-based estimate (KR four decades either side of
// the data's estimate, SS 1e-7 ... 1e-2, SY 1e-3 ... 0.5, KZ/KR 1e-4 ...
// 1e2, LE two decades either side of its start, ...), widened to hold the
// start values.
std::vector<FitBound> search_bounds(const BaseInput& base, const Observations& obs, const FitOptions& opt,
                                    const FitValues& start);

// KR from the Hvorslev basic time lag of the observations (the time at
// which H/Ho falls to 0.37, interpolated in ln H/Ho) and the well of the
// input; 0 when the data do not fall to 0.37 or the geometry is unusable.
double hvorslev_start_kr(const BaseInput& base, const Observations& obs, bool normalized);

// The water column's oscillation read from the data (a record released
// from rest that falls through zero): the first minimum after the first
// zero crossing, at time t1 with H/Ho = y1 < 0. For the lumped damped
// oscillator f'' + 2 gamma f' + w0^2 f = 0, f(0) = 1, f'(0) = 0 (van der
// Kamp 1976; Kipp 1985; Butler 1998, ch. 9), the first minimum lies at
// wd t1 = pi with f = -exp(-gamma t1), so
//   wd = pi/t1,  gamma = -ln(-y1)/t1,  w0^2 = g/LE = wd^2 + gamma^2,
// and the quasi-steady aquifer's damping gamma = g rc^2 Omega0/(4 K SL LE)
// (Springer and Gelhar 1991; Omega0 the Hvorslev shape factor) gives K:
// Hvorslev's K with the basic time lag 2 LE gamma/g. found is false when
// the data do not fall below -0.01 Ho (no overshoot to read) or the
// column has no g (base.column.gravity not > 0); kr is 0 when the well's
// geometry is unusable or the record shows no decay.
struct OscillationStart {
    bool found = false;
    double t_min = 0.0;      // time of the first minimum (interpolated)
    double y_min = 0.0;      // H/Ho there
    double omega_d = 0.0;    // damped angular frequency
    double gamma = 0.0;      // decay rate
    double le = 0.0;         // g/(omega_d^2 + gamma^2)
    double kr = 0.0;         // from the decay rate and LE
};
OscillationStart oscillation_start(const BaseInput& base, const Observations& obs, bool normalized);

// True when the fitted model has a water column: LE estimated, or a
// column of given length (--inertia) held fixed.
bool fit_has_column(const BaseInput& base, const FitOptions& opt);

// KR from the data, for the start and the centre of the search: from the
// oscillation's decay (oscillation_start) when the model has a column and
// the data oscillate, else from the Hvorslev time lag (hvorslev_start_kr);
// 0 when neither can be read. source names the method for the notes.
double data_start_kr(const BaseInput& base, const Observations& obs, const FitOptions& opt,
                     std::string* source = nullptr);

// Runs the fit. Never reports a result that was not reached: ok is false,
// with the reason, when the setup or the data are unusable, a forward run
// at the start fails, or no local fit converges; a result that was reached
// but cannot be trusted carries its reasons in unreliable.
FitResult run_fit(const BaseInput& base, const Observations& obs, const FitOptions& opt);

}  // namespace slug
