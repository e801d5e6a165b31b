// Command-line additions to a run: the generated logarithmic time grid and
// the CSV and SVG outputs written after the results table.
#include "report/run_outputs.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "compat/params.hpp"
#include "report/plot_svg.hpp"
#include "report/results_csv.hpp"

namespace slug {

std::vector<double> log_time_grid(double tend, int ncycle, int npercyc) {
    std::vector<double> t;
    if (!(std::isfinite(tend) && tend > 0.0) || ncycle < 1 || npercyc < 1 ||
        ncycle > (kMaxGridTimes - 1) / npercyc)
        return t;
    const int n = ncycle * npercyc + 1;
    t.resize(n);
    // Time j steps below TEND is TEND / 10^(j/npercyc); with j = q*npercyc
    // + m this is (TEND / 10^q) / 10^(m/npercyc). The whole decades divide
    // by 10^q alone (exact for q <= 22), so the decade times are the
    // correctly rounded TEND/10^q.
    for (int j = 0; j < n; ++j) {
        const int q = j / npercyc, m = j % npercyc;
        double v = tend / std::pow(10.0, q);
        if (m != 0) v /= std::pow(10.0, static_cast<double>(m) / npercyc);
        t[n - 1 - j] = v;
    }
    return t;
}

void apply_time_grid(const RunOptions& options) {
    if (!options.has_times) return;
    const std::vector<double> grid = log_time_grid(
        options.times.tend, options.times.ncycle, options.times.npercyc);
    par7.TEND = options.times.tend;
    par3.NCYCLE = options.times.ncycle;
    par3.NPERCYC = options.times.npercyc;
    const int n = static_cast<int>(std::min<std::size_t>(grid.size(), kMaxTimes));
    std::fill(par12.TIMES.begin(), par12.TIMES.end(), 0.0);
    std::copy_n(grid.begin(), n, par12.TIMES.begin());
    par4.NTIME = n;
}

std::string input_title(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line)) return {};
    if (!line.empty() && line.back() == '\r') line.pop_back();
    constexpr std::size_t kTitleLen = 70;
    if (line.size() > kTitleLen) {
        std::size_t cut = kTitleLen;
        const auto byte = [&](std::size_t i) {
            return static_cast<unsigned char>(line[i]);
        };
        // line[cut] continues a UTF-8 character: drop that character whole.
        if ((byte(cut) & 0xC0) == 0x80) {
            std::size_t k = cut;
            while (k > 0 && (byte(k - 1) & 0xC0) == 0x80) --k;
            if (k > 0 && byte(k - 1) >= 0xC0) cut = k - 1;
        }
        line.resize(cut);
    }
    return line;
}

namespace {

// True when path names the input file of the run. The command line is
// checked for this before the run, but in the interactive run the input
// name is typed only later.
bool is_input_file(const std::string& path) {
    std::error_code ec;
    return std::filesystem::equivalent(path, par15.LONGNAME, ec) && !ec;
}

}  // namespace

int write_requested_outputs(const RunOptions& options,
                            std::span<const double> time,
                            std::span<const double> ratio,
                            std::span<const double> drawdown) {
    int status = 0;
    std::string error = "it is the input file";
    if (!options.csv.empty() &&
        (is_input_file(options.csv) ||
         !write_results_csv(options.csv, time, ratio, drawdown, error))) {
        std::fprintf(stderr, "slugwell: cannot write CSV file %s: %s\n",
                     options.csv.c_str(), error.c_str());
        status = 1;
    }
    if (!options.plot.empty()) {
        const std::string title = input_title(par15.LONGNAME);
        error = "it is the input file";
        if (is_input_file(options.plot) ||
            !write_response_svg(options.plot, title, time, ratio, error)) {
            std::fprintf(stderr, "slugwell: cannot write SVG file %s: %s\n",
                         options.plot.c_str(), error.c_str());
            status = 1;
        }
    }
    return status;
}

int write_requested_outputs(const RunOptions& options,
                            const timeloop_detail::Results& results) {
    if (options.csv.empty() && options.plot.empty()) return 0;
    const std::size_t n = static_cast<std::size_t>(
        std::clamp(results.count, 0, kMaxTimes));
    std::vector<double> time(n), ratio(n), drawdown(n);
    for (std::size_t k = 0; k < n; ++k) {
        time[k] = par12.TIMES[k];
        ratio[k] = results.ratio[n - 1 - k];
        drawdown[k] = results.drawdown[n - 1 - k];
    }
    return write_requested_outputs(options, time, ratio, drawdown);
}

}  // namespace slug
