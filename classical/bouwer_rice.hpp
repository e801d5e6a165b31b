// Bouwer and Rice (1976) analysis of a slug test (Water Resour. Res. 12(3),
// 423-428), with the fully penetrating form of Bouwer (1989, Ground Water
// 27(3), 304-309):
//
//   K = rc^2 ln(Re/rw) / (2 Le) * (1/t) ln(H0/Ht),
//   ln(Re/rw) = [1.1/ln(Lw/rw) + (A + B ln((D - Lw)/rw)) / (Le/rw)]^-1   (partial),
//   ln(Re/rw) = [1.1/ln(Lw/rw) + C / (Le/rw)]^-1                         (full),
//
// Lw the depth of the screen bottom below the water table, Le the screen
// length, D the saturated thickness, ln((D - Lw)/rw) at most 6 (Bouwer and
// Rice 1976). A, B and C are their empirical curves against Le/rw, here as
// the polynomials of Van Rooy (1988, Nordic Hydrology 19, 47-54) given by
// Butler (1998, The Design, Performance, and Analysis of Slug Tests,
// eqs. 6.5a-c).
#pragma once

#include <span>
#include <string>

#include "classical/geometry.hpp"
#include "classical/line_fit.hpp"
#include "classical/result.hpp"

namespace slug {

struct BouwerRiceCurves {
    double a, b, c;
};

// A, B and C at Le/rw by the Van Rooy (1988) polynomials, as printed.
BouwerRiceCurves bouwer_rice_curves(double le_over_rw);

// The polynomials are used up to Le/rw = 1000: beyond it A turns down (its
// maximum is near 1010), which the published curves never do, and all three
// soon run off (A = 35 and C = 5 at 2000). Beyond this value the curves are
// read at 1000.
inline constexpr double kCurvesMaxLeRw = 1000.0;

// Upper limit of ln((D - Lw)/rw) (Bouwer and Rice 1976): a deeper base no
// longer changes the flow to the screen.
inline constexpr double kMaxLogTerm = 6.0;

struct BouwerRiceLog {
    bool ok = false;
    std::string error;

    double value = 0.0;             // ln(Re/rw)
    bool full_penetration = false;  // the C form was used
    double le_over_rw = 0.0;        // Le/rw of the well
    double curves_at = 0.0;         // Le/rw at which A, B, C were read (at most kCurvesMaxLeRw)
    BouwerRiceCurves curves{};      // A, B, C there
    double log_term = 0.0;          // ln((D - Lw)/rw) as used (partial penetration)
    bool log_term_capped = false;   // it was limited to kMaxLogTerm
};

// ln(Re/rw) for screen length le, depth lw of the screen bottom below the
// water table, saturated thickness d and well radius rw. The fully
// penetrating form is used when the screen bottom is less than one well
// radius above the base: there ln((D - Lw)/rw) < 0, outside the curves
// (the partial form would subtract B).
// Needs le > 0, le <= lw <= d and lw > rw > 0.
BouwerRiceLog bouwer_rice_log_ratio(double le, double lw, double d, double rw);

struct BouwerRiceResult : StraightLineResult {
    double rw = 0.0;  // well radius used (the skin's outer radius with a skin)
    double le = 0.0;  // screen length
    double lw = 0.0;  // depth of the screen bottom below the top of the aquifer
    double d = 0.0;   // saturated thickness
    BouwerRiceLog ln_re;
};

// The analysis of a record of H/Ho (time >= 0, increasing) for the well g,
// over the head range (Butler's 0.20-0.30 unless given). The top of the
// aquifer is taken as the water table; a confined top, a screen reaching
// the water table, anisotropy and a skin are reported as notes.
BouwerRiceResult bouwer_rice(std::span<const double> time, std::span<const double> ratio, const WellGeometry& g,
                             HeadRange range = kBouwerRiceRange);

}  // namespace slug
