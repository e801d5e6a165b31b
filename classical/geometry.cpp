// Mapping of a slugwell input onto the geometry of the classical
// straight-line analyses (Hvorslev 1951; Bouwer and Rice 1976), and the
// checks both methods need before any formula is evaluated.
#include "classical/geometry.hpp"

#include <cmath>
#include <utility>

#include "classical/notes.hpp"

namespace slug {

WellGeometry geometry_from_input(const InputWell& in) {
    WellInput w;
    w.bb = in.bb, w.kr = in.kr, w.kz = in.kz, w.hks = in.hks, w.sy = in.sy;
    w.rw = in.rw, w.rc = in.rc, w.zpd = in.zpd, w.zpl = in.zpl, w.ds = in.ds;
    return well_geometry(w);
}

WellGeometry well_geometry(const WellInput& in) {
    WellGeometry g;
    g.rw = in.rw;
    g.rc = in.rc;
    g.skin = (in.hks > 0.0 && in.ds > 0.0) ? in.ds : 0.0;
    g.screen_top = in.zpd;
    g.screen_bottom = in.zpl;
    if (g.screen_top > g.screen_bottom) std::swap(g.screen_top, g.screen_bottom);
    g.thickness = in.bb;
    g.kz_over_kr = in.kz / in.kr;
    g.water_table = in.sy > 0.0;
    return g;
}

std::string check_geometry(const WellGeometry& g) {
    const struct {
        const char* name;
        double value;
    } values[] = {{"screen radius rw", g.rw},          {"casing radius rc", g.rc},
                  {"skin thickness", g.skin},          {"depth of the screen top", g.screen_top},
                  {"depth of the screen bottom", g.screen_bottom},
                  {"aquifer thickness", g.thickness}, {"anisotropy KZ/KR", g.kz_over_kr}};
    for (const auto& v : values)
        if (!std::isfinite(v.value)) return std::string("the ") + v.name + " is not a finite number";
    if (!(g.rw > 0.0)) return "the screen radius rw is " + note_number(g.rw) + ": it must be greater than 0";
    if (!(g.rc > 0.0)) return "the casing radius rc is " + note_number(g.rc) + ": it must be greater than 0";
    if (g.skin < 0.0) return "the skin thickness is " + note_number(g.skin) + ": it must not be negative";
    if (!(g.thickness > 0.0))
        return "the aquifer thickness is " + note_number(g.thickness) + ": it must be greater than 0";
    if (!(g.kz_over_kr > 0.0))
        return "the anisotropy KZ/KR is " + note_number(g.kz_over_kr) + ": it must be greater than 0";
    if (g.screen_top < 0.0 || g.screen_bottom > g.thickness)
        return "the screen (" + note_number(g.screen_top) + " to " + note_number(g.screen_bottom) +
               ") is not inside the aquifer (0 to " + note_number(g.thickness) + ")";
    if (!(g.screen_length() > 0.0))
        return "the screen length is " + note_number(g.screen_length()) + ": it must be greater than 0";
    return {};
}

}  // namespace slug
