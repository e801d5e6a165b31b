// What a run of slugwell is asked to do besides its input file: the
// command-line choices that the start-up, the time loop and the writers
// of the extra outputs read.
#pragma once

#include <string>

#include "report/plot_svg.hpp"
#include "report/units.hpp"

namespace slug {

// Largest number of output times a run holds (the time list of an input
// file and a generated grid alike).
constexpr int kMaxOutputTimes = 200;

// Generated output times: NCYCLE*NPERCYC + 1 times ending at TEND with the
// ratio 10^(1/NPERCYC) between neighbours.
struct TimeGridOption {
    double tend = 0.0;
    int ncycle = 0;
    int npercyc = 0;
};

// An empty input path means the interactive run (prompt for the file name
// on the console).
struct RunOptions {
    std::string input;
    std::string csv;   // empty: no CSV file
    std::string plot;  // empty: no SVG picture
    bool has_times = false;
    TimeGridOption times;
    // The table from the accurate response (converged series, grouped de
    // Hoog inversion with error estimates) instead of the classic one.
    bool accurate = false;
    // A classic run also computes the accurate response and notes on the
    // error stream where its table differs; false skips that check.
    bool check = true;
    // The water column's inertia and casing friction (the oscillatory
    // response of highly permeable aquifers), in the input's units: the
    // effective column length LE (0: no column), g, and the kinematic
    // viscosity NU (0: no friction). A column implies the accurate table.
    double inertia = 0.0;
    double gravity = 0.0;
    double viscosity = 0.0;
    Units units;  // --units L,T: labels and plausibility checks; unnamed by default
    PlotView plot_view = PlotView::TypeCurve;  // --plot-view
};

}  // namespace slug
