// Hvorslev (1951) analysis of a slug test: basic time lag T0 from the
// straight line of ln(H/Ho) against time, and K from the shape factor of a
// screen of length Le and radius R in a uniform aquifer (Hvorslev 1951,
// U.S. Army Corps of Engineers Waterways Experiment Station Bull. 36; the
// anisotropic form with m = sqrt(KR/KZ) as given by Butler 1998):
//
//   K = rc^2 ln(m Le/R + sqrt(1 + (m Le/R)^2)) / (2 Le T0).
#pragma once

#include <span>

#include "classical/geometry.hpp"
#include "classical/line_fit.hpp"
#include "classical/result.hpp"

namespace slug {

struct HvorslevResult : StraightLineResult {
    double m = 1.0;              // sqrt(KR/KZ)
    double radius = 0.0;         // R: the screen radius, or the skin's outer radius
    double screen_length = 0.0;  // Le
    double shape_log = 0.0;      // ln(m Le/R + sqrt(1 + (m Le/R)^2)) = asinh(m Le/R)
};

// ln(x + sqrt(1 + x^2)) with x = m Le/R, evaluated as asinh(x) (no loss
// for small x, no overflow of x^2 for large x).
double hvorslev_shape_log(double le, double radius, double m);

// K from the basic time lag t0 (all arguments > 0).
double hvorslev_k(double rc, double le, double radius, double m, double t0);

// The analysis of a record of H/Ho (time >= 0, increasing) for the well g,
// over the head range (Butler's 0.15-0.25 unless given). K is the radial
// conductivity KR; with KZ/KR != 1 the anisotropic form is used.
HvorslevResult hvorslev(std::span<const double> time, std::span<const double> ratio, const WellGeometry& g,
                        HeadRange range = kHvorslevRange);

}  // namespace slug
