// Bouwer and Rice (1976) slug-test analysis, with the fully penetrating form
// of Bouwer (1989) and the A, B, C curves as the polynomials of Van Rooy
// (1988) quoted by Butler (1998, eqs. 6.5a-c).
#include "classical/bouwer_rice.hpp"

#include <algorithm>
#include <cmath>

namespace slug {

namespace {

// Horner evaluation of c[0] + c[1] x + c[2] x^2 + ...
template <std::size_t N>
double polynomial(const double (&c)[N], double x) {
    double s = c[N - 1];
    for (std::size_t i = N - 1; i-- > 0;) s = s * x + c[i];
    return s;
}

// Van Rooy (1988) via Butler (1998), eqs. 6.5a-c, x = Le/rw.
constexpr double kA[] = {1.4720, 3.537e-2, -8.148e-5, 1.028e-7, -6.484e-11, 1.573e-14};
constexpr double kB[] = {0.2372, 5.151e-3, -2.682e-6, -3.491e-10, 4.738e-13};
constexpr double kC[] = {0.7920, 3.993e-2, -5.743e-5, 3.858e-8, -9.659e-12};

BouwerRiceLog log_failed(std::string why) {
    BouwerRiceLog r;
    r.error = std::move(why);
    return r;
}

}  // namespace

BouwerRiceCurves bouwer_rice_curves(double le_over_rw) {
    return {polynomial(kA, le_over_rw), polynomial(kB, le_over_rw), polynomial(kC, le_over_rw)};
}

BouwerRiceLog bouwer_rice_log_ratio(double le, double lw, double d, double rw) {
    if (!(std::isfinite(le) && std::isfinite(lw) && std::isfinite(d) && std::isfinite(rw)))
        return log_failed("a length of the Bouwer-Rice geometry is not a finite number");
    if (!(rw > 0.0)) return log_failed("the well radius rw is " + note_number(rw) + ": it must be greater than 0");
    if (!(le > 0.0)) return log_failed("the screen length Le is " + note_number(le) + ": it must be greater than 0");
    if (lw < le)
        return log_failed("the screen bottom lies " + note_number(lw) + " below the water table, less than the screen length " +
                          note_number(le) + ": the screen must lie below the water table");
    if (lw > d)
        return log_failed("the screen bottom (" + note_number(lw) + ") lies below the base of the aquifer (" +
                          note_number(d) + ")");
    if (!(lw > rw))
        return log_failed("the screen bottom lies " + note_number(lw) + " below the water table, not more than the well radius " +
                          note_number(rw) + ": ln(Lw/rw) must be positive");

    BouwerRiceLog r;
    r.le_over_rw = le / rw;
    r.curves_at = std::min(r.le_over_rw, kCurvesMaxLeRw);
    r.curves = bouwer_rice_curves(r.curves_at);
    r.full_penetration = d - lw < rw;
    double inverse = 1.1 / std::log(lw / rw);
    if (r.full_penetration) {
        inverse += r.curves.c / r.le_over_rw;
    } else {
        r.log_term = std::log((d - lw) / rw);
        if (r.log_term > kMaxLogTerm) {
            r.log_term = kMaxLogTerm;
            r.log_term_capped = true;
        }
        inverse += (r.curves.a + r.curves.b * r.log_term) / r.le_over_rw;
    }
    r.value = 1.0 / inverse;
    r.ok = true;
    return r;
}

BouwerRiceResult bouwer_rice(std::span<const double> time, std::span<const double> ratio, const WellGeometry& g,
                             HeadRange range) {
    BouwerRiceResult r;
    r.method = "Bouwer & Rice (1976)";
    r.line.range = range;
    if (std::string bad = check_geometry(g); !bad.empty()) {
        r.failure = LineFailure::bad_geometry;
        r.error = bad;
        return r;
    }
    r.rw = g.outer_radius();
    r.le = g.screen_length();
    r.lw = g.screen_bottom;
    r.d = g.thickness;
    r.ln_re = bouwer_rice_log_ratio(r.le, r.lw, r.d, r.rw);
    if (!r.ln_re.ok) {
        r.failure = LineFailure::bad_geometry;
        r.error = r.ln_re.error;
        return r;
    }

    r.line = fit_log_line(time, ratio, range);
    if (!r.line.ok) {
        r.failure = r.line.failure;
        r.error = r.line.error;
        return r;
    }
    r.k = g.rc * g.rc * r.ln_re.value / (2.0 * r.le * r.line.t0);
    r.ok = true;

    r.notes = r.line.notes;
    if (range.lower != kBouwerRiceRange.lower || range.upper != kBouwerRiceRange.upper)
        r.notes.push_back({NoteKind::user_range, "head range " + head_range_text(range) +
                                                     " as asked; Butler (1998) recommends " +
                                                     head_range_text(kBouwerRiceRange) + " for this method"});
    if (r.ln_re.full_penetration)
        r.notes.push_back({NoteKind::full_penetration,
                           "fully penetrating form (Bouwer 1989): ln(Re/rw) from C = " +
                               note_number(r.ln_re.curves.c) + " at Le/rw = " + note_number(r.ln_re.curves_at)});
    if (r.ln_re.log_term_capped)
        r.notes.push_back({NoteKind::log_term_capped, "ln((D - Lw)/rw) limited to " + note_number(kMaxLogTerm) +
                                                          " (Bouwer and Rice 1976): the base is far below the screen"});
    if (r.ln_re.le_over_rw > kCurvesMaxLeRw)
        r.notes.push_back({NoteKind::curves_range,
                           "Le/rw = " + note_number(r.ln_re.le_over_rw) + " is beyond " + note_number(kCurvesMaxLeRw) +
                               ", where the polynomial fit of the A, B, C curves ends; they are read at " +
                               note_number(kCurvesMaxLeRw) + " (they enter divided by Le/rw)"});
    if (!g.water_table)
        r.notes.push_back({NoteKind::confined,
                           std::string("confined top (SY = 0): the curves were made for a water table; Bouwer (1989) "
                                       "allows a confined aquifer when the screen top lies some distance below the "
                                       "confining layer") +
                               (g.screen_top <= 0.0 ? ", and here it reaches it" : "")});
    else if (g.screen_top <= 0.0)
        r.notes.push_back({NoteKind::screen_at_water_table,
                           "the screen reaches the water table: a filter pack draining as the level falls gives "
                           "Bouwer's (1989) double straight line; read the line after the drainage"});
    if (g.skin > 0.0)
        r.notes.push_back({NoteKind::skin_radius, "rw = RW + DS = " + note_number(r.rw) +
                                                      ": the outer radius of the skin is taken as the well radius"});
    if (g.kz_over_kr != 1.0)
        r.notes.push_back({NoteKind::anisotropy, "the method assumes an isotropic aquifer; the input's KZ/KR = " +
                                                     note_number(g.kz_over_kr) + " is not used"});
    return r;
}

}  // namespace slug
