// The CSV and SVG outputs of a run, written after the results table.
#include "report/run_outputs.hpp"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "report/plot_svg.hpp"
#include "report/results_csv.hpp"
#include "report/text_file.hpp"

namespace slug {

namespace {

// True when path names the input file of the run. The command line is
// checked for this before the run, but in the interactive run the input
// name is typed only later.
bool is_input_file(const std::string& path, const std::string& input) {
    std::error_code ec;
    return std::filesystem::equivalent(path, input, ec) && !ec;
}

}  // namespace

int write_requested_outputs(const OutputRequest& request, std::span<const double> time,
                            std::span<const double> ratio, std::span<const double> drawdown) {
    int status = 0;
    std::string error = "it is the input file";
    if (!request.csv.empty() && (is_input_file(request.csv, request.input_path) ||
                                 !write_results_csv(request.csv, time, ratio, drawdown, error, request.units))) {
        std::fprintf(stderr, "slugwell: cannot write CSV file %s: %s\n", request.csv.c_str(), error.c_str());
        status = 1;
    }
    if (!request.plot.empty()) {
        error = "it is the input file";
        if (is_input_file(request.plot, request.input_path) ||
            !write_text_file(request.plot,
                             response_svg(PlotLabels{request.title, request.key, request.units, request.view},
                                          time, ratio),
                             error)) {
            std::fprintf(stderr, "slugwell: cannot write SVG file %s: %s\n", request.plot.c_str(), error.c_str());
            status = 1;
        }
    }
    return status;
}

}  // namespace slug
