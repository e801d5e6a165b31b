// Command line of slugwell, parsed with CLI11 (Debian package libcli11-dev).
// Besides what CLI11 checks (known options, value counts, number syntax),
// the run's files are checked before anything is computed, so that a
// scripted run over many files fails at once with a clear message instead
// of after the computation: the input file must exist, and an output file
// must not overwrite the input file, outfile.txt or log.txt of the run, nor
// the other output, and its folder must exist.
#include "cli/command_line.hpp"

#include "run/time_grid.hpp"

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <optional>
#include <filesystem>
#include <system_error>
#include <tuple>
#include <vector>

#ifndef SLUG_VERSION
#define SLUG_VERSION "unknown"
#endif

namespace slug {

namespace {

namespace fs = std::filesystem;

const char* const kDescription =
    "slugwell computes the head in a well after a slug test (H/Ho and the\n"
    "slug drawdown against time) for the aquifer, unsaturated zone and well\n"
    "described in an input file. Without INPUT it asks for the file name.\n"
    "The table goes to the console and to outfile.txt; log.txt receives the\n"
    "diagnostics of the Bessel-function evaluations (both in the current\n"
    "folder).\n";

const char* const kFooter =
    "--csv writes a header row time,H/Ho,drawdown and one row per output\n"
    "time in the order of the table, with 17 significant digits.\n"
    "--plot draws H/Ho against time on a logarithmic time axis, titled\n"
    "with the input file's title line.\n"
    "--plot-view chooses the type curve (H/Ho against log time, the\n"
    "default), the semi-log view (log H/Ho against time), both, or the\n"
    "linear view (H/Ho against time with the zero line: an oscillating\n"
    "column, --inertia).\n"
    "--units L,T names the length and time units of the input file (L: m,\n"
    "cm, mm, km, ft, in; T: s, min, h, d). Nothing is converted: the CSV\n"
    "header and the picture carry the units, and values far outside\n"
    "physical ranges are warned of on the error stream.\n"
    "--times gives NCYCLE*NPERCYC+1 output times (at most 200) ending at\n"
    "TEND, with the ratio 10^(1/NPERCYC) between neighbours, in increasing\n"
    "order.\n"
    "Both files are written after the table.\n"
    "--accurate computes the table from the converged series with an error\n"
    "estimate per time: values accurate to 1e-8 in H/Ho, none set to 0 (the\n"
    "CSV carries them in full); times whose estimate exceeds 1e-8 are named\n"
    "on the error stream. Without it the classic table is written and\n"
    "checked against the accurate response: where they differ by more than\n"
    "1e-3 in H/Ho one note on the error stream says so (--no-check skips\n"
    "the check).\n"
    "--inertia LE adds the inertia of the water column in the well, LE its\n"
    "effective length in the input's length unit (the oscillatory response\n"
    "of highly permeable aquifers); it needs g, from --units or as\n"
    "--gravity G in the input's length and time units (9.80665 for m and\n"
    "s), and implies --accurate (negative heads are shown as computed).\n"
    "--viscosity NU adds laminar friction over the column's length (NU,\n"
    "kinematic, in the input's units); with --units it defaults to water\n"
    "at 20 C (1.0034e-6 m^2/s), without them there is no friction.\n"
    "Exit status: 0 after a complete run; 1 after an unusable input file or\n"
    "when a file could not be written; 2 for a wrong command line.\n"
    "\n"
    "Examples:\n"
    "  slugwell input.txt\n"
    "  slugwell input.txt --csv results.csv --plot response.svg\n"
    "  slugwell input.txt --units m,s --plot response.svg --plot-view both\n"
    "  slugwell input.txt --times 1000 5 10\n"
    "  slugwell input.txt --accurate --csv results.csv\n"
    "\n"
    "To estimate parameters from measured heads: slugwell fit INPUT DATA\n"
    "(see 'slugwell fit --help'); the classical analyses side by side:\n"
    "slugwell analyze INPUT DATA (see 'slugwell analyze --help').\n";

const char* const kUsageLine =
    "Usage: slugwell [INPUT] [--csv FILE] [--plot FILE.svg] "
    "[--times TEND NCYCLE NPERCYC] [--accurate] [--no-check]\n"
    "       [--units L,T] [--plot-view VIEW] [--inertia LE [--gravity G] [--viscosity NU]]\n"
    "Run 'slugwell --help' for more information.\n";

CliResult usage_error(const std::string& reason) {
    CliResult r;
    r.run = false;
    r.status = kUsageStatus;
    r.err_text = "slugwell: " + reason + "\n" + kUsageLine;
    return r;
}

// Absolute, normalized form of a path for comparisons; the path itself
// when the system cannot resolve it.
fs::path resolved(const std::string& p) {
    std::error_code ec;
    fs::path r = fs::weakly_canonical(fs::absolute(p, ec), ec);
    return ec ? fs::path(p) : r;
}

bool same_file(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::exists(a, ec) && fs::exists(b, ec)) {
        bool eq = fs::equivalent(a, b, ec);
        if (!ec) return eq;
    }
    return resolved(a) == resolved(b);
}

// Empty string when the output path is usable, else the reason.
std::string check_output(const std::string& option, const std::string& path,
                         const RunOptions& o) {
    if (path.empty()) return option + ": empty file name";
    std::error_code ec;
    if (fs::is_directory(path, ec))
        return option + ": " + path + " is a folder";
    fs::path parent = resolved(path).parent_path();
    if (!parent.empty() && !fs::is_directory(parent, ec))
        return option + ": folder of " + path + " does not exist";
    if (!o.input.empty() && same_file(path, o.input))
        return option + ": " + path + " is the input file";
    for (const char* own : {"outfile.txt", "log.txt"})
        if (same_file(path, own))
            return option + ": " + path + " is the program's own " + own;
    return {};
}

}  // namespace

CliResult parse_command_line(int argc, const char* const* argv) {
    RunOptions o;
    std::tuple<double, int, int> grid{0.0, 0, 0};

    CLI::App app{kDescription, "slugwell"};
    app.footer(kFooter);
    app.set_version_flag("--version", std::string("slugwell ") + SLUG_VERSION);
    app.add_option("INPUT", o.input, "input file, run without the prompt")
        ->type_name("");
    app.add_option("--csv", o.csv, "also write the results as CSV")
        ->type_name("FILE");
    app.add_option("--plot", o.plot, "also draw H/Ho against log time (SVG)")
        ->type_name("FILE.svg");
    app.add_flag("--accurate", o.accurate,
                 "H/Ho to 1e-8, with an error estimate per time");
    bool no_check = false;
    app.add_flag("--no-check", no_check,
                 "classic table without its accuracy check");
    CLI::Option* times = app.add_option(
        "--times", grid, "generated output times instead of the file's list");
    times->type_name("TEND NCYCLE NPERCYC");
    CLI::Option* inertia = app.add_option("--inertia", o.inertia, "water column's effective length (oscillation)");
    inertia->type_name("LE");
    CLI::Option* gravity = app.add_option("--gravity", o.gravity, "g in the input's length and time units");
    gravity->type_name("G");
    CLI::Option* viscosity = app.add_option("--viscosity", o.viscosity, "kinematic viscosity: casing friction");
    viscosity->type_name("NU");
    std::string units, view;
    app.add_option("--units", units, "units of the input file, e.g. m,s or ft,min")->type_name("L,T");
    app.add_option("--plot-view", view, "typecurve (default), semilog, both or linear")->type_name("VIEW");

    try {
        // CLI11 wants a mutable argv in some versions; it does not write
        // through it.
        app.parse(argc, const_cast<char**>(argv));
    } catch (const CLI::CallForHelp&) {
        CliResult r;
        r.out_text = app.help();
        return r;
    } catch (const CLI::CallForAllHelp&) {
        CliResult r;
        r.out_text = app.help("", CLI::AppFormatMode::All);
        return r;
    } catch (const CLI::CallForVersion& e) {
        CliResult r;
        r.out_text = std::string(e.what()) + "\n";
        return r;
    } catch (const CLI::ParseError& e) {
        return usage_error(e.what());
    }

    o.check = !no_check;
    if (times->count() > 0) {
        o.has_times = true;
        o.times.tend = std::get<0>(grid);
        o.times.ncycle = std::get<1>(grid);
        o.times.npercyc = std::get<2>(grid);
        if (!(std::isfinite(o.times.tend) && o.times.tend > 0.0))
            return usage_error("--times: TEND must be a positive number");
        if (o.times.ncycle < 1 || o.times.npercyc < 1)
            return usage_error(
                "--times: NCYCLE and NPERCYC must be at least 1");
        // NCYCLE*NPERCYC + 1 <= 200, written so that it cannot overflow.
        if (o.times.ncycle > (kMaxOutputTimes - 1) / o.times.npercyc)
            return usage_error("--times: NCYCLE*NPERCYC + 1 must not exceed " +
                               std::to_string(kMaxOutputTimes) + " times");
        // TEND/10^NCYCLE, the first time of the grid, must not underflow.
        const std::vector<double> grid =
            log_time_grid(o.times.tend, o.times.ncycle, o.times.npercyc);
        if (grid.empty() || !(grid.front() > 0.0))
            return usage_error("--times: TEND/10^NCYCLE, the first of the times, underflows to 0; "
                               "use a larger TEND or fewer cycles");
    }

    if (app.count("--units") > 0) {
        std::string why;
        const std::optional<Units> u = parse_units(units, why);
        if (!u) return usage_error("--units: " + why);
        o.units = *u;
    }
    if (app.count("--plot-view") > 0) {
        const std::optional<PlotView> v = parse_plot_view(view);
        if (!v) return usage_error("--plot-view: expected typecurve, semilog, both or linear, got '" + view + "'");
        if (app.count("--plot") == 0) return usage_error("--plot-view: no --plot file to draw");
        o.plot_view = *v;
    }

    // The water column. g and the viscosity of water at 20 C (1.0016 mPa s
    // over 998.21 kg/m^3: 1.0034e-6 m^2/s) come from the named units of
    // --units unless given; the input file itself states no units.
    std::string notes;
    if (inertia->count() > 0) {
        if (!(std::isfinite(o.inertia) && o.inertia > 0.0))
            return usage_error("--inertia: LE must be a positive number");
        if (gravity->count() == 0 && !o.units.named())
            return usage_error(
                "--inertia needs --gravity G, the acceleration of gravity in the input's length and time units "
                "(9.80665 for m and s), or --units L,T: the input file does not state its units");
        if (gravity->count() == 0) o.gravity = gravity_in(o.units);
        if (!(std::isfinite(o.gravity) && o.gravity > 0.0))
            return usage_error("--gravity: G must be a positive number");
        if (viscosity->count() > 0 && !(std::isfinite(o.viscosity) && o.viscosity >= 0.0))
            return usage_error("--viscosity: NU must be a number not below 0");
        if (viscosity->count() == 0 && o.units.named()) {
            const double l = o.units.metres_per_length;
            o.viscosity = 1.0034e-6 / (l * l) * o.units.seconds_per_time;
        } else if (viscosity->count() == 0) {
            notes += "slugwell: note: no --viscosity given and no --units: the water column has no casing friction\n";
        }
        o.accurate = true;
    } else if (gravity->count() > 0 || viscosity->count() > 0) {
        return usage_error(std::string(gravity->count() > 0 ? "--gravity" : "--viscosity") +
                           " applies to the water column of --inertia LE");
    }

    if (!o.input.empty()) {
        std::error_code ec;
        fs::file_status st = fs::status(o.input, ec);
        if (!fs::exists(st))
            return usage_error("input file not found: " + o.input);
        if (fs::is_directory(st))
            return usage_error("input file is a folder: " + o.input);
    }
    if (app.count("--csv") > 0) {
        std::string why = check_output("--csv", o.csv, o);
        if (!why.empty()) return usage_error(why);
    }
    if (app.count("--plot") > 0) {
        std::string why = check_output("--plot", o.plot, o);
        if (!why.empty()) return usage_error(why);
    }
    if (!o.csv.empty() && !o.plot.empty() && same_file(o.csv, o.plot))
        return usage_error("--csv and --plot name the same file: " + o.csv);

    CliResult r;
    r.run = true;
    r.options = o;
    r.err_text = notes;
    return r;
}

int handle_command_line(int argc, const char* const* argv, RunOptions& options) {
    const CliResult r = parse_command_line(argc, argv);
    std::fputs(r.out_text.c_str(), stdout);
    std::fputs(r.err_text.c_str(), stderr);
    std::fflush(stdout);
    std::fflush(stderr);
    if (!r.run) return r.status;
    options = r.options;
    return -1;
}

}  // namespace slug
