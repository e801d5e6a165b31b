// The extra outputs a run may be asked for on the command line: the CSV
// file and the SVG picture of the results (--csv, --plot), written after
// the results table.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "report/plot_svg.hpp"
#include "report/units.hpp"

namespace slug {

// What to write, and about which run.
struct OutputRequest {
    std::string csv;         // CSV path; empty: no CSV file
    std::string plot;        // SVG path; empty: no picture
    std::string input_path;  // the run's input file, which is never overwritten
    std::string title;       // the picture's title
    Units units;             // labels of the CSV header and the picture
    PlotView view = PlotView::TypeCurve;
    std::vector<std::string> key;  // key parameters in the picture's title box
};

// Writes the CSV file and the SVG picture that the request asks for, from
// the result arrays in table order. A file that cannot be written (or that
// is the input file itself) is reported on the error stream
// ("slugwell: cannot write ...") and the other is still written. Returns
// the exit status for the run: 0 when all was written, 1 otherwise.
int write_requested_outputs(const OutputRequest& request, std::span<const double> time,
                            std::span<const double> ratio, std::span<const double> drawdown);

}  // namespace slug
