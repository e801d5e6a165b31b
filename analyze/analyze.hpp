// The classical slug-test analyses side by side: the straight-line methods
// of Hvorslev (1951) and Bouwer and Rice (1976), the type-curve model of
// Cooper, Bredehoeft and Papadopulos (1967), the partially penetrating
// confined model of Hyder et al. (1994, the KGS model), and this program's
// full model, each estimating K from one record.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "classical/line_fit.hpp"
#include "fit/fit_data.hpp"
#include "fit/fit_solve.hpp"
#include "model/well_model.hpp"

namespace slug {

// HighK: the damped oscillator of the water column (Springer and Gelhar
// 1991; Butler 1998), a row only for a record that oscillates.
enum class AnalyzeMethod { Hvorslev, BouwerRice, Cbp, Kgs, Full, HighK };

// One row of the table: a method's estimate, or why it gave none.
struct AnalyzeRow {
    AnalyzeMethod method = AnalyzeMethod::Hvorslev;
    std::string name;  // e.g. "Hvorslev (1951)"
    bool ok = false;
    std::string error;  // why no estimate (ok false)
    double k = 0.0;     // KR, in the input's units (0 when ok is false)
    std::optional<double> ss;  // specific storage of the type-curve rows
    std::vector<std::string> notes;

    // Straight-line rows: the line through ln(H/Ho) and its head range.
    std::optional<LineFit> line;
    HeadRange range{};

    // Model rows: the model fitted, with the estimates in place, and the
    // fit's measures (over all observations).
    WellInput model{};
    double rmse = 0.0;   // in the unit of the observations
    std::array<double, 2> k95{}, ss95{};  // approximate 95 % intervals of the fit
    std::size_t points = 0;
    double t_first = 0.0, t_last = 0.0;
    // The model is that of the row before for this well (a fully
    // penetrating well makes KGS the CBP model; a confined input without
    // skin makes the full model the KGS model): its fit is repeated here.
    bool repeats = false;

    // The high-K row: the fitted damping parameter, effective column
    // length and the g they were fitted with (its curve is the oscillator's).
    double cd = 0.0, le = 0.0, gravity = 0.0;
};

struct AnalyzeSettings {
    bool normalized = false;          // observations are H/Ho
    std::optional<HeadRange> range;   // --range: extra straight-line rows
    double gravity = 0.0;             // g in the input's units (0: not known), for the high-K row
    double viscosity = 0.0;           // kinematic viscosity of the water (0: no casing friction)
};

// The model of each type-curve method made from the input: CBP has a
// confined top (SY = 0), a screen over the whole thickness and no skin;
// KGS a confined top and no skin, with the input's screen and KZ/KR; the
// full model is the input itself.
WellInput model_input(AnalyzeMethod method, const WellInput& in);

// H/Ho of the observations (the values as they are when normalized).
std::vector<double> observed_ratio(const Observations& obs, double ho, bool normalized);

// The straight-line rows: Hvorslev and Bouwer and Rice over their
// recommended ranges, then over settings.range when given.
std::vector<AnalyzeRow> straight_line_rows(const WellInput& in, const Observations& obs,
                                           const AnalyzeSettings& settings);

// The model rows CBP, KGS and full model. Each fit estimates KR and SS,
// starting from k_start (start_text says where it came from) and the
// input's SS; KZ/KR is held at the input's ratio. A model equal to the one
// of the row before is not fitted again (repeats). A fit that fails (a
// forward run stopped in the model's root iteration included) leaves its
// row without an estimate, with the reason.
std::vector<AnalyzeRow> model_rows(const WellInput& in, const Observations& obs, const AnalyzeSettings& settings,
                                   double k_start, const std::string& start_text);

// The high-K row of a record that oscillates (falls below -0.01 Ho):
// classical/high_k.hpp with settings.gravity and settings.viscosity;
// nothing for a record that does not.
std::optional<AnalyzeRow> high_k_row(const WellInput& in, const Observations& obs, const AnalyzeSettings& settings);

// All rows, in the order of the table: the straight-line rows, then the
// model rows started from the Hvorslev K (the input's KR when Hvorslev
// gives none), then the high-K row when the record oscillates.
std::vector<AnalyzeRow> analyze_record(const WellInput& in, const Observations& obs, const AnalyzeSettings& settings);

// A model curve of the picture: H/Ho at log-spaced times.
struct AnalyzeCurve {
    AnalyzeMethod method;
    std::string label;
    std::vector<double> time, ratio;
};

// The curves of the model rows with an estimate, each fitted model run at
// 121 times spaced evenly in log time over the observed ones; a row that
// repeats the row before adds its name to that row's curve. A curve that
// cannot be computed is left out (the table has the estimate).
std::vector<AnalyzeCurve> model_curves(const std::vector<AnalyzeRow>& rows, const Observations& obs);

// True for a straight-line row over the range Butler (1998) recommends
// for its method.
bool recommended_range(const AnalyzeRow& row);

// The cause when no straight-line row over a recommended range gave an
// estimate ("" when one did): the record has no usable straight-line
// range.
std::string straight_line_failure(const std::vector<AnalyzeRow>& rows);

}  // namespace slug
