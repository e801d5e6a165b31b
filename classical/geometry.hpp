// The well and aquifer as the classical slug-test analyses see them, and
// how the values of a slugwell input file map onto them.
#pragma once

#include <string>

#include "model/well_model.hpp"

namespace slug {

// Lengths in the length unit of the input. Depths are measured from the top
// of the aquifer: the water table when the aquifer is unconfined (SY > 0),
// the confining layer otherwise.
struct WellGeometry {
    double rw = 0.0;             // radius of the screen
    double rc = 0.0;             // radius of the casing in which the water level moves
    double skin = 0.0;           // thickness of a skin around the screen (0: none)
    double screen_top = 0.0;     // depth of the top of the screen
    double screen_bottom = 0.0;  // depth of the bottom of the screen
    double thickness = 0.0;      // saturated thickness of the aquifer
    double kz_over_kr = 1.0;     // anisotropy KZ/KR
    bool water_table = false;    // true: the top is a water table

    double screen_length() const { return screen_bottom - screen_top; }
    // Radius of the well as the formation sees it: the outer radius of the
    // skin when there is one, else the screen radius.
    double outer_radius() const { return rw + skin; }
};

// The geometry of an input's values, with the program's own conventions:
// a skin exists when HKS > 0, and its thickness is DS (a skin of thickness
// DS <= 0 adds nothing to the radius); screen depths given bottom first
// are exchanged; SY > 0 makes the top a water table.
WellGeometry well_geometry(const WellInput& in);

// The ten values of the aquifer line (BB KR KZ HKS SY) and the well line
// (RW RC ZPD ZPL DS) that the geometry reads, for callers that hold them
// one by one; as well_geometry.
struct InputWell {
    double bb, kr, kz, hks, sy;
    double rw, rc, zpd, zpl, ds;
};
WellGeometry geometry_from_input(const InputWell& in);

// Checks what the straight-line methods need: finite values, rw, rc and
// the thickness > 0, a screen of positive length inside the aquifer, a
// skin thickness >= 0 and KZ/KR > 0. Returns an empty string when usable,
// else the value in error and why.
std::string check_geometry(const WellGeometry& g);

}  // namespace slug
