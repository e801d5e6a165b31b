// Run start-up of slugwell: banner, log file, console dialogue for the
// input file name, the input reader and the checks of its values, the
// results file with its setting line and table head, and the time scale
// TC = RC^2/(2*SL*KR); then the time loop.
#include "run/startup.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/command_line.hpp"
#include "run/input_reader.hpp"
#include "fit/fit_main.hpp"
#include "run/input_check.hpp"
#include "compat/params.hpp"
#include "report/run_outputs.hpp"
#include "run/results_table.hpp"
#include "run/time_loop.hpp"
#include "fio/fio.hpp"

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
[[noreturn]] void reject_input(const std::string& reason) {
    std::fflush(stdout);
    std::fprintf(stderr, "slugwell: input error in %s: %s\n", par15.LONGNAME, reason.c_str());
    std::fflush(stderr);
    stop_run(1);
}

}  // namespace

void write_results_head(int unit) {
    write_record(unit, "");
    write_record(unit, std::string(12, ' ') + "TIME" + std::string(12, ' ') + " H/Ho Ratio" + std::string(8, ' ') +
                           "Slug Drawdown");
    write_record(unit, std::string(8, ' ') + "--------------      --------------" + std::string(4, ' ') +
                           "--------------");
}

int slugwell_main(int argc, char** argv) {
    // "slugwell fit INPUT DATA ...": the least-squares fit (driver/fit_main).
    if (argc > 1 && std::strcmp(argv[1], "fit") == 0) return fit_main(argc - 1, argv + 1);
    // --help, --version and a wrong command line end here.
    if (const int status = handle_command_line(argc, argv); status >= 0) return status;
    write_banner();
    open_log(kLogUnit, "log.txt");

    // "slugwell INPUT" takes the name from the command line, whole, and
    // skips only the prompt; the echo below is the same as after the prompt.
    std::string name = run_options.input;
    if (name.empty()) {
        write_list(kConsole, {"Enter the name of the input file:"});
        read_unit_list_text(kStdin, name);
        while (!name.empty() && name.back() == ' ') name.pop_back();
    }
    // The echo shows the 20-column field; the whole name is the one opened.
    std::memset(par15.INFILE, ' ', kInfileLen);
    std::memcpy(par15.INFILE, name.data(), std::min<std::size_t>(name.size(), kInfileLen));
    par15.INFILE[kInfileLen] = '\0';
    const bool too_long = name.size() >= sizeof par15.LONGNAME;
    const std::size_t keep = std::min(name.size(), sizeof par15.LONGNAME - 1);
    std::memcpy(par15.LONGNAME, name.data(), keep);
    par15.LONGNAME[keep] = '\0';
    write_list(kConsole, {"Input file is ", std::string(par15.INFILE, kInfileLen)});
    // No path that long can be opened; never open a shortened one.
    if (too_long) fatal_io(std::string("open: ") + std::strerror(ENAMETOOLONG), kInputUnit, name);
    // A NUL byte cannot be part of a file name: the name would end there,
    // and the file named by its first part would be opened instead.
    if (name.find('\0') != std::string::npos)
        fatal_io(std::string("open: ") + std::strerror(EINVAL), kInputUnit, name);

    datainput();
    // An input error has been reported on the console by the reader; the
    // run ends before outfile.txt is touched.
    if (datainput_record().input_error) stop_run(1);
    apply_time_grid(run_options);  // --times replaces the file's time list
    const std::string problem = check_input(datainput_record());
    if (!problem.empty()) reject_input(problem);

    iounit.IOUT = kResultsUnit;
    open_results(iounit.IOUT, "outfile.txt");
    write_list(iounit.IOUT, {par3.IUNSAT == 1 ? " Water table aquifer with unsaturated flow"
                                              : " Water table aquifer with only saturated flow"});
    write_results_head(iounit.IOUT);

    par14.TC = time_scale();
    write_list(kConsole, {"Ho/b=lamda=", par5.HOB});
    write_list(kConsole, {"Sw= ", par6.SW});

    timeloop();
}

}  // namespace slug
