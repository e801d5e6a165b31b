// A run of slugwell. The start-up: banner, log file, console dialogue for
// the input file name, the input reader and the checks of its values, the
// model made of them, the results file with its setting line and table
// head. Then the time loop, the results table, the CSV file and picture
// asked for, and the exit status.
#include "run/run_main.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fio/fio.hpp"
#include "fio/folder_lock.hpp"
#include "model/well_model.hpp"
#include "report/run_outputs.hpp"
#include "run/accurate_run.hpp"
#include "run/input_check.hpp"
#include "run/input_reader.hpp"
#include "run/input_warnings.hpp"
#include "run/results_table.hpp"
#include "run/time_grid.hpp"
#include "run/time_loop.hpp"

#ifndef SLUG_VERSION
#define SLUG_VERSION "0.1.0"
#endif

namespace slug {

namespace {

// The framed text of the banner; each line is written after 10 blanks.
constexpr const char* kBanner[] = {
    " **********************************************************",
    " * The program calculates hydraulic head in a slug well   * ",
    " * of a water table aquifer considering unsaturated flow. *",
    " * It can also calculate hydraulic head in a water table  *",
    " * or confined aquifer of a slug test without unsaturated *",
    " * flow. The input file is input.txt.                     *",
    " * outfile.txt. Time is the time since the slug onsite.   *",
    " * HD is the ratio of H/Ho,Hydraulic head is the actual   *",
    " *  head.                                                 *",
    " *          The output file is outfile.txt                *",
    " *                                                        *",
    nullptr,  // attribution line, built below
    " **********************************************************",
};

// " *  slugwell <version>" padded so that its closing star sits under the
// frame's right edge.
std::string attribution_line() {
    const std::string frame = kBanner[0];
    std::string s = " *  slugwell " SLUG_VERSION;
    if (s.size() < frame.size() - 1) s.resize(frame.size() - 1, ' ');
    s += '*';
    return s;
}

void write_banner() {
    std::string text = "\n";
    for (const char* line : kBanner) {
        text += std::string(10, ' ');
        text += line != nullptr ? std::string(line) : attribution_line();
        text += '\n';
    }
    text += '\n';  // the banner ends with two empty lines
    write_record(kConsole, text, "(/13(10X,A/)/)");
}

// Ends the run with status 1 after an input the model cannot use. The
// console lines so far are on the screen before the message.
[[noreturn]] void reject_input(const std::string& name, const std::string& reason) {
    std::fflush(stdout);
    std::fprintf(stderr, "slugwell: input error in %s: %s\n", name.c_str(), reason.c_str());
    std::fflush(stderr);
    stop_run(1);
}

// The input file name as the echoes show it: its first 20 columns, padded
// with blanks.
std::string name_field(const std::string& name) {
    std::string field = name.substr(0, std::min<std::size_t>(name.size(), 20));
    field.resize(20, ' ');
    return field;
}

// The CSV file and the picture asked for, from the results of the loop,
// which run in the order of evaluation (entry 0 belongs to the last time of
// the list). The time column holds the output times as listed (the input
// file's values or the generated grid), which the table's time column
// stands for.
// The response is also checked against the time list here (a warning on
// the error stream when it lies outside it).
int write_outputs(const RunOptions& options, const std::string& input, const WellInput& well,
                  std::span<const double> times, const time_loop::Results& results) {
    const std::size_t n = static_cast<std::size_t>(std::clamp(results.count, 0, kMaxOutputTimes));
    std::vector<double> time(n), ratio(n), drawdown(n);
    for (std::size_t k = 0; k < n; ++k) {
        time[k] = times[k];
        ratio[k] = results.ratio[n - 1 - k];
        drawdown[k] = results.drawdown[n - 1 - k];
    }
    print_warnings("slugwell", response_span_warnings(time, ratio));
    if (options.csv.empty() && options.plot.empty()) return 0;
    OutputRequest request{options.csv, options.plot, input, {}, options.units, options.plot_view, {}};
    if (!options.plot.empty()) {
        request.title = input_title(input);
        request.key = well_key_lines(well, options.units);
    }
    return write_requested_outputs(request, time, ratio, drawdown);
}

// Parameters at the edge of the double range, or a time far outside the
// time scale TC, can leave the inversion without a finite value. The table
// shows those rows as they came out, but the run has not succeeded: say
// which times, and return status 1.
int check_finite(std::span<const double> times, const time_loop::Results& results) {
    int bad = 0;
    int first = -1;
    for (int i = results.count - 1; i >= 0; --i) {  // in the order of the time list
        const auto k = static_cast<std::size_t>(i);
        if (std::isfinite(results.ratio[k]) && std::isfinite(results.drawdown[k])) continue;
        if (first < 0) first = results.count - 1 - i;
        ++bad;
    }
    if (bad == 0) return 0;
    std::fflush(stdout);
    std::fprintf(stderr,
                 "slugwell: the computation gave no finite head at %d of the %d times (the first at time %s); "
                 "their rows are not usable\n",
                 bad, results.count, format_real_g9(times[static_cast<std::size_t>(first)]).c_str());
    std::fflush(stderr);
    return 1;
}

}  // namespace

void run_main(const RunOptions& options) {
    write_banner();
    open_log(kLogUnit, "log.txt");

    // "slugwell INPUT" takes the name from the command line, whole, and
    // skips only the prompt; the echo below is the same as after the prompt.
    std::string name = options.input;
    if (name.empty()) {
        write_list(kConsole, {"Enter the name of the input file:"});
        read_unit_list_text(kStdin, name);
        while (!name.empty() && name.back() == ' ') name.pop_back();
    }
    // The echo shows the 20-column field; the whole name is the one opened.
    const std::string field = name_field(name);
    write_list(kConsole, {"Input file is ", field});
    // No path that long can be opened; never open a shortened one.
    if (name.size() > kLongestInputName) fatal_io(std::string("open: ") + std::strerror(ENAMETOOLONG), kInputUnit, name);
    // A NUL byte cannot be part of a file name: the name would end there,
    // and the file named by its first part would be opened instead.
    if (name.find('\0') != std::string::npos)
        fatal_io(std::string("open: ") + std::strerror(EINVAL), kInputUnit, name);

    // A run never reads a file that it writes: the results would replace
    // the input. Links and other spellings of the same file count.
    const std::pair<const char*, const std::string*> outputs[] = {
        {"outfile.txt", nullptr}, {"log.txt", nullptr}, {"--csv", &options.csv}, {"--plot", &options.plot}};
    for (const auto& [label, path] : outputs)
        if (is_same_file(name, path != nullptr ? *path : std::string(label)))
            reject_input(name, std::string("it is the same file as ") + (path != nullptr ? label + (" " + *path) : label) +
                                   ", which the run writes; give the input file another name");

    InputValues values = read_input(name);
    // An input error has been reported on the console by the reader; the
    // run ends before outfile.txt is touched.
    if (values.input_error) stop_run(1);
    // What reads without error but looks wrong: error stream only.
    print_warnings("slugwell", values.warnings);
    print_warnings("slugwell", physical_range_warnings(values.well, options.units));
    apply_time_grid(options, values);  // --times replaces the file's time list
    const WellModel model = make_well_model(values.well);
    const std::string problem = check_input(values, model);
    if (!problem.empty()) reject_input(name, problem);

    // One run at a time writes the results of this folder.
    if (const std::string busy = lock_working_folder(); !busy.empty()) {
        std::fflush(stdout);
        std::fprintf(stderr, "slugwell: %s\n", busy.c_str());
        std::fflush(stderr);
        stop_run(1);
    }
    open_results(kResultsUnit, "outfile.txt");
    // The setting line. No input line carries the switch of a run with
    // unsaturated flow, so every run states saturated flow only.
    write_list(kResultsUnit, {" Water table aquifer with only saturated flow"});
    write_results_head(kResultsUnit);

    write_list(kConsole, {"Ho/b=lamda=", model.HOB});
    write_list(kConsole, {"Sw= ", model.SW});

    const std::span<const double> times = values.times;
    static time_loop::Results results;
    const int threads = time_loop::worker_count();
    std::vector<double> estimate;
    if (options.accurate)
        compute_accurate_or_stop(model, times, results, estimate, threads, column_groups(options.inertia, options.gravity, options.viscosity, model));
    else
        time_loop::compute_or_stop(model, times, results, threads);
    write_report(results, field);
    close_unit(kResultsUnit);
    // After the table: the accurate mode names the times it could not
    // resolve to its target; the classic run notes where its table is off.
    if (options.accurate)
        report_inaccurate_times(times, results, estimate);
    else if (options.check)
        check_classic(model, times, results, threads);
    // The CSV file and the picture asked for on the command line; status 1
    // when one could not be written.
    int status = write_outputs(options, name, values.well, times, results);
    if (check_finite(times, results) != 0) status = 1;
    stop_run(status);
}

}  // namespace slug
