// Hvorslev (1951) slug-test analysis: basic time lag from the straight line
// of ln(H/Ho) (range 0.15-0.25 after Butler 1998) and the shape factor of a
// screen in a uniform, possibly anisotropic aquifer.
#include "classical/hvorslev.hpp"

#include <cmath>

namespace slug {

double hvorslev_shape_log(double le, double radius, double m) { return std::asinh(m * le / radius); }

double hvorslev_k(double rc, double le, double radius, double m, double t0) {
    return rc * rc * hvorslev_shape_log(le, radius, m) / (2.0 * le * t0);
}

HvorslevResult hvorslev(std::span<const double> time, std::span<const double> ratio, const WellGeometry& g,
                        HeadRange range) {
    HvorslevResult r;
    r.method = "Hvorslev (1951)";
    r.line.range = range;
    if (std::string bad = check_geometry(g); !bad.empty()) {
        r.failure = LineFailure::bad_geometry;
        r.error = bad;
        return r;
    }
    r.m = std::sqrt(1.0 / g.kz_over_kr);
    r.radius = g.outer_radius();
    r.screen_length = g.screen_length();
    r.shape_log = hvorslev_shape_log(r.screen_length, r.radius, r.m);

    r.line = fit_log_line(time, ratio, range);
    if (!r.line.ok) {
        r.failure = r.line.failure;
        r.error = r.line.error;
        return r;
    }
    r.k = hvorslev_k(g.rc, r.screen_length, r.radius, r.m, r.line.t0);
    r.ok = true;

    r.notes = r.line.notes;
    if (range.lower != kHvorslevRange.lower || range.upper != kHvorslevRange.upper)
        r.notes.push_back({NoteKind::user_range, "head range " + head_range_text(range) +
                                                     " as asked; Butler (1998) recommends " +
                                                     head_range_text(kHvorslevRange) + " for this method"});
    if (g.skin > 0.0)
        r.notes.push_back({NoteKind::skin_radius, "R = rw + skin thickness = " + note_number(r.radius) +
                                                      ": the outer radius of the skin is taken as the well radius"});
    if (g.kz_over_kr != 1.0)
        r.notes.push_back({NoteKind::anisotropy, "anisotropic form with m = sqrt(KR/KZ) = " + note_number(r.m) +
                                                     " from the input's KZ/KR; K is the radial conductivity"});
    if (g.screen_top <= 0.0 || g.screen_bottom >= g.thickness)
        r.notes.push_back({NoteKind::screen_at_boundary,
                           std::string("the screen reaches the ") +
                               (g.screen_top <= 0.0 ? (g.screen_bottom >= g.thickness ? "top and base" : "top")
                                                    : "base") +
                               " of the aquifer; the shape factor is that of a screen in an unbounded uniform "
                               "aquifer"});
    return r;
}

}  // namespace slug
