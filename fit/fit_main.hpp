// The fit subcommand of slugwell:
//
//   slugwell fit INPUT DATA [options]
//
// estimates aquifer parameters by matching the model to measured heads.
#pragma once

#include <string>
#include <vector>

#include "fit/fit_solve.hpp"
#include "model/inertial_well.hpp"
#include "records/records.hpp"
#include "report/plot_svg.hpp"
#include "report/units.hpp"

namespace slug {

// What the fit's command line asked for.
struct FitCommand {
    std::string input;
    std::string data;
    std::string report = "fit.txt";
    std::string csv;   // empty: no CSV
    std::string plot;  // empty: no SVG
    Units units;       // --units: labels, KR in m/d, ft/d, cm/s, plausibility warnings
    PlotView plot_view = PlotView::TypeCurve;  // --plot-view
    FitOptions options;
    bool classic = false;  // --classic: forward runs by the classic time loop
    RecordOptions records;  // how DATA is read (options.ho is set from the input file)
    // The well's water column (--inertia LE, --gravity G, --viscosity NU):
    // LE the start (le estimated) or fixed value, 0 for none; the friction
    // length of every forward run is its LE.
    WaterColumn column;
    std::string notes;  // for the error stream (e.g. a column without friction)
};

// Outcome of parsing, as for the run's command line: when run is false the
// caller prints out_text / err_text and ends with status.
struct FitCliResult {
    bool run = false;
    int status = 0;
    std::string out_text;
    std::string err_text;
    FitCommand command;
};

// Parses the arguments after "fit" (argv[0] is the word "fit" itself). Pure:
// no output, no exit.
FitCliResult parse_fit_command_line(int argc, const char* const* argv);

// Runs "slugwell fit ..." with argv[0] = "fit". Returns the exit status:
// 0 after a converged fit with all files written, 1 when the fit failed or
// a file could not be written (the reason on the error stream), 2 for a
// wrong command line. An unusable input file ends the program as a normal
// run does.
int fit_main(int argc, char** argv);

}  // namespace slug
