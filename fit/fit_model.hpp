// Forward model of the fit: the program's own model (make_well_model) and
// time loop evaluated at the observation times for a set of aquifer values
// that override those of the input file.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "inversion/dehoog.hpp"
#include "model/inertial_well.hpp"
#include "model/well_model.hpp"

namespace slug {

// Parameters the fit can estimate. All but T0 are positive and are
// estimated as their natural logarithms (HO as that of |HO|, its sign kept);
// T0, a shift of the time origin, may have either sign and is estimated
// as it is. LE is the effective length of the water column in the well
// (its inertia: the oscillatory response of highly permeable aquifers).
enum class FitParam { KR, SS, KZ, KZKR, HKS, SY, U1, U2, HO, T0, LE };

// Command-line name of a parameter ("kr", "ss", "kz", "kzkr", "hks", "sy",
// "u1", "u2", "ho", "t0", "le") and the label of the report ("KR", "SS",
// "KZ", "KZ/KR", ..., "HO", "T0", "LE").
std::string_view fit_param_name(FitParam p);
std::string_view fit_param_label(FitParam p);

// The parameter named by a command-line word ("ua1" and "ua2" are accepted
// for "u1" and "u2"; case is ignored); nothing when the word names none.
std::optional<FitParam> parse_fit_param(std::string_view word);

// The physical values that the fit may change.
struct FitValues {
    double kr = 0.0;
    double ss = 0.0;
    double kz = 0.0;
    double hks = 0.0;
    double sy = 0.0;
    double u1 = 0.0;
    double u2 = 0.0;
    double ho = 0.0;  // initial displacement of the fitted model (0: the input's)
    double t0 = 0.0;  // time of the slug on the clock of the observations
    double le = 0.0;  // effective length of the water column (0: no column)
};

// Value of parameter p (KZ/KR for FitParam::KZKR).
double get_value(const FitValues& v, FitParam p);

// Everything the input file gave: the values from which every forward run
// starts, and the numerical controls of the model. column: the water
// column of the well (--inertia, --gravity, --viscosity of the fit's
// command line): its effective_length is the start (or fixed) value of LE,
// 0 for none; gravity and viscosity hold for every LE tried. The friction
// length of every forward run is its LE.
struct BaseInput {
    WellInput well;
    Numerics numerics;
    WaterColumn column{};
    // Forward runs by the classic time loop (the run's table: lapadc at
    // every time, H/Ho clamped to [0, 1]) instead of the accurate response
    // (converged series, de Hoog inversion per log cycle, unclamped). A
    // model with a water column (LE > 0) is always run accurately.
    bool classic = false;
};

// The values of the input file that the fit may change.
FitValues base_values(const BaseInput& base);

// The values of a run: those of the input file, with the estimated
// parameters params set to x (same order). The anisotropy enters as KZ
// itself or as the ratio KZ/KR, whichever is estimated; when neither is,
// the ratio of the input file is held while KR moves (anisotropy is
// rarely resolved by a slug test and is usually assumed).
FitValues values_from(const BaseInput& base, std::span<const FitParam> params, std::span<const double> x);

// The model of one run: the input file's values with v in place, made by
// make_well_model as for a run of the program with those values in its
// input file.
WellModel model_for(const BaseInput& base, const FitValues& v);

// The inversion settings of the fit's accurate forward runs, and the model
// they invert (the series' explicit part left to the tail's bound and
// converged to 1e-8 of Omega): heads within 1e-6 (measured: 1.3e-8) of
// the run's --accurate table at a fraction of its cost.
InversionSettings fit_inversion_settings();
WellModel accurate_model(WellModel m);

// The lighter settings with which the global search ranks its sample of
// the bounds box: order 8 per log cycle, no refinement (some 40 % of the
// transform evaluations of fit_inversion_settings; heads within about
// 1e-4 in H/Ho, far finer than the differences of misfit that rank the
// points).
InversionSettings screening_inversion_settings();

// Runs the model at the given times and stores at each the head over the
// input file's Ho (same order): by the accurate response
// (run/accurate_response.hpp), or with base.classic by the classic time
// loop (in chunks of at most kMaxOutputTimes, the capacity of a run's time
// list, so that the log records come in the order of such runs); the
// model's H/Ho at the time since the slug, times - v.t0, scaled by
// v.ho / Ho when the initial displacement is estimated. With a water
// column (v.le > 0) the heads are the accurate response of the well with
// the column's inertia and friction (run/accurate_response.hpp): negative
// heads, the column's overshoot, are kept as they are. A time at or
// before the slug gives 1. Returns false with a message when a value is not
// finite. A root iteration that does not converge is reported as in a run
// (its message on the error stream) and thrown on as RootIterationFailure.
// Every forward run of the fit goes through this function.
bool forward_ratio(const BaseInput& base, const FitValues& v, std::span<const double> times,
                   std::vector<double>& ratio, std::string& error);

// The same on `threads` threads of the time loop (1: on the calling thread
// only, for callers that run several fits at once), without the root
// iteration's message: RootIterationFailure is thrown on silently. The
// accurate response is inverted with `settings` (the classic path has
// none).
bool forward_ratio_quiet(const BaseInput& base, const FitValues& v, std::span<const double> times,
                         std::vector<double>& ratio, std::string& error, int threads,
                         const InversionSettings& settings = fit_inversion_settings());

}  // namespace slug
