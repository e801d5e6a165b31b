// libFuzzer target over the two command-line parsers (the run's and the
// fit's). The input is split at NUL bytes into the words of a command
// line; the first byte chooses the parser. The parsers are pure functions
// of the words (they look at the file system, never write to it); the
// target aborts when one breaks its promises:
//  - no exception leaves the parser;
//  - a command line that does not run ends with status 0 (help, version)
//    or 2 (usage error), and a usage error says why on the error text,
//    starting with the program's name;
//  - a run that goes on has checked its options: a --times grid of 1 to
//    200 times, all greater than 0; the fit's options are usable (at least
//    one parameter, an iteration limit of at least 1, a report name).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/command_line.hpp"
#include "fit/fit_main.hpp"
#include "run/time_grid.hpp"

namespace {

void require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz_cli: broken promise: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > 512) return 0;
    const bool fit = (data[0] & 1) != 0;
    std::vector<std::string> words{fit ? "fit" : "slugwell"};
    std::string w;
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] == 0) {
            words.push_back(w);
            w.clear();
        } else {
            w += static_cast<char>(data[i]);
        }
    }
    if (size > 1) words.push_back(w);
    if (words.size() > 16) return 0;
    std::vector<const char*> argv;
    for (const std::string& s : words) argv.push_back(s.c_str());
    const int argc = static_cast<int>(argv.size());
    argv.push_back(nullptr);
    if (fit) {
        slug::FitCliResult r;
        try {
            r = slug::parse_fit_command_line(argc, argv.data());
        } catch (...) {
            require(false, "no exception leaves the fit's parser");
        }
        if (!r.run) {
            require(r.status == 0 || r.status == 2, "status 0 or 2");
            if (r.status == 2) require(r.err_text.rfind("slugwell fit: ", 0) == 0, "a usage error says why");
            return 0;
        }
        require(!r.command.options.params.empty(), "a parameter to estimate");
        require(r.command.options.max_iterations >= 1, "an iteration limit of at least 1");
        require(!r.command.report.empty(), "a report file");
        return 0;
    }
    slug::CliResult r;
    try {
        r = slug::parse_command_line(argc, argv.data());
    } catch (...) {
        require(false, "no exception leaves the run's parser");
    }
    if (!r.run) {
        require(r.status == 0 || r.status == slug::kUsageStatus, "status 0 or 2");
        if (r.status != 0) require(r.err_text.rfind("slugwell: ", 0) == 0, "a usage error says why");
        return 0;
    }
    if (r.options.has_times) {
        const std::vector<double> t = slug::log_time_grid(r.options.times.tend, r.options.times.ncycle,
                                                          r.options.times.npercyc);
        require(!t.empty() && t.size() <= 200, "a grid of 1 to 200 times");
        for (double v : t) require(std::isfinite(v) && v > 0.0, "grid times finite and greater than 0");
    }
    return 0;
}
