// The rows of `slugwell analyze`: the straight-line methods (Hvorslev 1951;
// Bouwer and Rice 1976, classical/) over Butler's (1998) recommended head
// ranges and the user's, then three least-squares fits of this program's
// model in its limits: Cooper, Bredehoeft and Papadopulos (1967) (confined
// top, full screen, no skin), the KGS model of Hyder et al. (1994)
// (confined top, the input's partial screen and anisotropy, no skin) and
// the input's full model (water table, unsaturated zone, skin). Each fit
// estimates KR and SS from the Hvorslev K, as practitioners start a type-
// curve match from the straight-line estimate.
#include "analyze/analyze.hpp"

#include <cmath>

#include "model/laplace_head.hpp"

#include "classical/bouwer_rice.hpp"
#include "classical/geometry.hpp"
#include "classical/high_k.hpp"
#include "classical/hvorslev.hpp"

namespace slug {

namespace {

std::string num(double v, int digits = 4) { return note_number(v, digits); }

AnalyzeRow line_row(AnalyzeMethod method, const StraightLineResult& r, HeadRange range) {
    AnalyzeRow row;
    row.method = method;
    row.name = r.method;
    row.ok = r.ok;
    row.error = r.error;
    row.range = range;
    if (r.ok) {
        row.k = r.k;
        row.line = r.line;
    }
    for (const Note& n : r.notes) row.notes.push_back(n.text);
    return row;
}

const char* method_name(AnalyzeMethod m) {
    switch (m) {
    case AnalyzeMethod::Hvorslev: return "Hvorslev (1951)";
    case AnalyzeMethod::BouwerRice: return "Bouwer & Rice (1976)";
    case AnalyzeMethod::Cbp: return "CBP (1967)";
    case AnalyzeMethod::Kgs: return "KGS (Hyder et al. 1994)";
    case AnalyzeMethod::Full: return "full model";
    case AnalyzeMethod::HighK: return "high-K (Springer-Gelhar)";
    }
    return "";
}

bool same_model(const WellInput& a, const WellInput& b) {
    const WellModel x = make_well_model(a), y = make_well_model(b);
    return x.SY == y.SY && x.SW == y.SW && x.XLD == y.XLD && x.XDD == y.XDD && x.XKD == y.XKD &&
           x.UA1 == y.UA1 && x.UA2 == y.UA2 && x.UL1 == y.UL1 && x.UL2 == y.UL2;
}

// What each model row takes from the input and what it leaves out.
std::vector<std::string> model_notes(AnalyzeMethod method, const WellInput& in) {
    std::vector<std::string> notes;
    const ScreenDepths screen = screen_depths(in);
    const bool full_screen = screen.zpd <= 0.0 && screen.zpl >= in.bb;
    const bool skin = in.hks > 0.0 && in.ds > 0.0;
    switch (method) {
    case AnalyzeMethod::Cbp:
        notes.push_back("confined aquifer (SY = 0), screen over the whole thickness, no skin");
        if (!full_screen)
            notes.push_back("the input's screen (" + num(screen.zpd) + " to " + num(screen.zpl) + " of " +
                            num(in.bb) + ") is partial: this row treats it as full (see KGS)");
        break;
    case AnalyzeMethod::Kgs:
        notes.push_back("confined aquifer (SY = 0), the input's screen and KZ/KR = " + num(in.kz / in.kr) +
                        " held, no skin");
        break;
    case AnalyzeMethod::Full:
        notes.push_back(std::string(in.sy > 0.0 ? "water table (SY = " + num(in.sy) + ")" : "confined top (SY = 0)") +
                        (skin ? ", skin (HKS = " + num(in.hks) + ", DS = " + num(in.ds) + ")" : "") +
                        " and screen as in the input, KZ/KR = " + num(in.kz / in.kr) + " held");
        break;
    default: break;
    }
    if (method != AnalyzeMethod::Full) {
        if (in.sy > 0.0) notes.push_back("the input's water table (SY = " + num(in.sy) + ") is taken as a confined top");
        if (skin) notes.push_back("the input's skin is left out");
    }
    return notes;
}

// The one call of the fit engine: KR and SS of the model `well` (whose KR
// and SS are the start values) fitted to the observations.
FitResult fit_kr_ss(const WellInput& well, const Observations& obs, bool normalized) {
    FitOptions options;
    options.params = {FitParam::KR, FitParam::SS};
    options.normalized = normalized;
    return run_fit(BaseInput{well, Numerics{}}, obs, options);
}

AnalyzeRow model_row(AnalyzeMethod method, const WellInput& in, const Observations& obs, bool normalized,
                     double k_start, const std::string& start_text) {
    AnalyzeRow row;
    row.method = method;
    row.name = method_name(method);
    row.model = model_input(method, in);
    row.model.kz = k_start * (in.kz / in.kr);
    row.model.kr = k_start;
    row.notes = model_notes(method, in);
    row.points = obs.time.size();
    row.t_first = obs.time.empty() ? 0.0 : obs.time.front();
    row.t_last = obs.time.empty() ? 0.0 : obs.time.back();

    const FitResult r = fit_kr_ss(row.model, obs, normalized);
    if (!r.ok) {
        row.error = "the fit failed: " + r.error;
        return row;
    }
    row.ok = true;
    row.k = r.values.kr;
    row.ss = r.values.ss;
    row.model.kr = r.values.kr;
    row.model.kz = r.values.kz;
    row.model.ss = r.values.ss;
    row.rmse = r.rmse;
    row.k95 = {r.lower[0], r.upper[0]};
    row.ss95 = {r.lower[1], r.upper[1]};
    // Without full rank the fit gives no intervals (its warning says why).
    const auto interval = [](double lo, double hi) {
        return std::isfinite(lo) && std::isfinite(hi) ? num(lo, 3) + " ... " + num(hi, 3) : std::string("undetermined");
    };
    row.notes.push_back("KR and SS fitted from " + start_text + "; 95 % intervals K " + interval(r.lower[0], r.upper[0]) +
                        ", Ss " + interval(r.lower[1], r.upper[1]));
    // A fit that cannot be trusted (an estimate at its bound, another
    // optimum within the noise, ...) keeps its row, which says so.
    for (const std::string& u : r.unreliable) row.notes.push_back("fit: FIT UNRELIABLE: " + u);
    for (const std::string& w : r.warnings) row.notes.push_back("fit: " + w);
    return row;
}

}  // namespace

WellInput model_input(AnalyzeMethod method, const WellInput& in) {
    WellInput w = in;
    if (method == AnalyzeMethod::Cbp || method == AnalyzeMethod::Kgs) {
        w.sy = 0.0;
        w.hks = 0.0;
        w.ds = 0.0;
    }
    if (method == AnalyzeMethod::Cbp) {
        w.zpd = 0.0;
        w.zpl = in.bb;
    }
    return w;
}

std::vector<double> observed_ratio(const Observations& obs, double ho, bool normalized) {
    std::vector<double> ratio(obs.value);
    if (!normalized)
        for (double& v : ratio) v /= ho;
    return ratio;
}

std::vector<AnalyzeRow> straight_line_rows(const WellInput& in, const Observations& obs,
                                           const AnalyzeSettings& settings) {
    std::vector<AnalyzeRow> rows;
    const WellGeometry g = well_geometry(in);
    const std::vector<double> ratio = observed_ratio(obs, in.ho, settings.normalized);
    rows.push_back(line_row(AnalyzeMethod::Hvorslev, hvorslev(obs.time, ratio, g), kHvorslevRange));
    rows.push_back(line_row(AnalyzeMethod::BouwerRice, bouwer_rice(obs.time, ratio, g), kBouwerRiceRange));
    if (settings.range) {
        rows.push_back(line_row(AnalyzeMethod::Hvorslev, hvorslev(obs.time, ratio, g, *settings.range), *settings.range));
        rows.push_back(
            line_row(AnalyzeMethod::BouwerRice, bouwer_rice(obs.time, ratio, g, *settings.range), *settings.range));
    }
    return rows;
}

std::vector<AnalyzeRow> model_rows(const WellInput& in, const Observations& obs, const AnalyzeSettings& settings,
                                   double k_start, const std::string& start_text) {
    std::vector<AnalyzeRow> rows;
    for (AnalyzeMethod m : {AnalyzeMethod::Cbp, AnalyzeMethod::Kgs, AnalyzeMethod::Full}) {
        if (!rows.empty() && same_model(model_input(m, in), model_input(rows.back().method, in))) {
            const AnalyzeRow prev = rows.back();
            AnalyzeRow row = prev;
            row.method = m;
            row.name = method_name(m);
            row.repeats = true;
            row.notes = model_notes(m, in);
            row.notes.push_back("the same model as " + prev.name + " for this well: the same fit");
            for (const std::string& n : prev.notes)
                if (n.rfind("KR and SS fitted", 0) == 0 || n.rfind("fit: ", 0) == 0) row.notes.push_back(n);
            rows.push_back(row);
            continue;
        }
        rows.push_back(model_row(m, in, obs, settings.normalized, k_start, start_text));
    }
    return rows;
}

std::optional<AnalyzeRow> high_k_row(const WellInput& in, const Observations& obs, const AnalyzeSettings& settings) {
    const std::vector<double> ratio = observed_ratio(obs, in.ho, settings.normalized);
    if (!first_minimum(obs.time, ratio).found) return std::nullopt;
    const HighKResult h = high_k(obs.time, ratio, well_geometry(in), settings.gravity, settings.viscosity);
    AnalyzeRow row;
    row.method = AnalyzeMethod::HighK;
    row.name = method_name(AnalyzeMethod::HighK);
    row.ok = h.ok;
    row.error = h.error;
    row.points = obs.time.size();
    row.t_first = obs.time.front();
    row.t_last = obs.time.back();
    if (h.ok) {
        row.k = h.k;
        row.rmse = settings.normalized ? h.rmse : h.rmse * std::fabs(in.ho);
        row.cd = h.cd;
        row.le = h.le;
        row.gravity = settings.gravity;
    }
    for (const Note& n : h.notes) row.notes.push_back(n.text);
    return row;
}

std::vector<AnalyzeRow> analyze_record(const WellInput& in, const Observations& obs, const AnalyzeSettings& settings) {
    std::vector<AnalyzeRow> rows = straight_line_rows(in, obs, settings);
    const bool hvorslev_ok = rows.front().ok;
    const double k_start = hvorslev_ok ? rows.front().k : in.kr;
    const std::string start_text =
        hvorslev_ok ? "the Hvorslev K = " + num(k_start) : "the input's KR = " + num(k_start) + " (no Hvorslev K)";
    for (AnalyzeRow& r : model_rows(in, obs, settings, k_start, start_text)) rows.push_back(std::move(r));
    if (std::optional<AnalyzeRow> r = high_k_row(in, obs, settings)) {
        // The type-curve models have no water column: on a record that
        // oscillates they fit a monotone curve through the oscillation.
        for (AnalyzeRow& m : rows)
            if (m.method == AnalyzeMethod::Cbp || m.method == AnalyzeMethod::Kgs || m.method == AnalyzeMethod::Full)
                m.notes.push_back("the record oscillates and this model has no water column: see the high-K row, "
                                  "or fit the column with 'slugwell fit ... --params kr,le'");
        rows.push_back(std::move(*r));
    }
    return rows;
}

std::vector<AnalyzeCurve> model_curves(const std::vector<AnalyzeRow>& rows, const Observations& obs) {
    std::vector<AnalyzeCurve> curves;
    if (obs.time.empty()) return curves;
    const double a = std::log10(obs.time.front()), b = std::log10(obs.time.back());
    const int n = b > a ? 121 : 1;
    std::vector<double> t;
    for (int i = 0; i < n; ++i) t.push_back(std::pow(10.0, n > 1 ? a + (b - a) * i / (n - 1) : a));
    for (const AnalyzeRow& r : rows) {
        if (!r.ok || r.method == AnalyzeMethod::Hvorslev || r.method == AnalyzeMethod::BouwerRice) continue;
        if (r.method == AnalyzeMethod::HighK) {
            // The oscillator in its own time t sqrt(g/Le).
            AnalyzeCurve c{r.method, r.name, t, {}};
            for (double ti : t) c.ratio.push_back(oscillator_head(r.cd, ti * std::sqrt(r.gravity / r.le)));
            curves.push_back(std::move(c));
            continue;
        }
        // A row that repeats the fit of the row before has its curve.
        if (r.repeats && !curves.empty()) {
            curves.back().label += ", " + r.name;
            continue;
        }
        AnalyzeCurve c{r.method, r.name, t, {}};
        std::string err;
        try {
            const BaseInput base{r.model, Numerics{}};
            if (!forward_ratio(base, base_values(base), t, c.ratio, err)) continue;
        } catch (const RootIterationFailure&) {
            continue;
        }
        curves.push_back(std::move(c));
    }
    return curves;
}

bool recommended_range(const AnalyzeRow& r) {
    const auto same = [&](HeadRange h) { return r.range.lower == h.lower && r.range.upper == h.upper; };
    return (r.method == AnalyzeMethod::Hvorslev && same(kHvorslevRange)) ||
           (r.method == AnalyzeMethod::BouwerRice && same(kBouwerRiceRange));
}

std::string straight_line_failure(const std::vector<AnalyzeRow>& rows) {
    std::string why;
    for (const AnalyzeRow& r : rows) {
        if (r.method != AnalyzeMethod::Hvorslev && r.method != AnalyzeMethod::BouwerRice) continue;
        if (!recommended_range(r)) continue;
        if (r.ok) return {};
        why += (why.empty() ? "" : "; ") + r.name + ": " + r.error;
    }
    return why;
}

}  // namespace slug
