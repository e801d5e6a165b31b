// Least-squares fit of the slug-test model to observations: trust-region
// Levenberg-Marquardt (GSL multifit_nlinear) in the logarithms of the
// parameters, with a finite-difference Jacobian, and the linearized
// uncertainty of the estimates at the optimum.
#pragma once

#include <string>
#include <vector>

#include "fit/fit_data.hpp"
#include "fit/fit_model.hpp"

namespace slug {

// Bounds lo < hi (both > 0) on one estimated parameter.
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
    std::vector<std::string> warnings;            // identifiability, bounds
    bool singular = false;                        // Jacobian without full rank

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

// Runs the fit from the values of the input file. Never reports a result
// that was not reached: ok is false, with the reason, when the setup is
// unusable, a forward run fails, or the iteration does not converge.
FitResult run_fit(const BaseInput& base, const Observations& obs, const FitOptions& opt);

}  // namespace slug
