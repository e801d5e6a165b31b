// "slugwell fit": command line (CLI11), the input file read by the
// program's own reader, the observations, the least-squares fit and its
// outputs.
#include "fit/fit_main.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "fio/fio.hpp"
#include "fio/folder_lock.hpp"
#include "fio/replace_file.hpp"
#include "fit/fit_data.hpp"
#include "fit/fit_model.hpp"
#include "fit/fit_report.hpp"
#include "fit/record_cli.hpp"
#include "model/laplace_head.hpp"
#include "report/text_file.hpp"
#include "run/input_check.hpp"
#include "run/input_reader.hpp"
#include "run/input_warnings.hpp"

namespace slug {

namespace {

namespace fs = std::filesystem;

const char* const kDescription =
    "slugwell fit estimates aquifer parameters by least squares: the model of\n"
    "the input file is run at the times of the observations in DATA and the\n"
    "chosen parameters are adjusted until the computed heads match the\n"
    "measured ones. The values of the input file are the start values and\n"
    "the fixed values; its list of output times is not used. The model's\n"
    "heads are those of the accurate mode (run --accurate); --classic fits\n"
    "with the heads of the program's classic table instead.\n"
    "DATA: one observation per line, time and head displacement in the units\n"
    "of the input file (blank or comma separated, '#' comments, one header\n"
    "line allowed), or a logger or transducer export read with the field-record\n"
    "options (columns, clock, slug instant, water levels). Readings at t <= 0\n"
    "are passed over with a note; equal times are kept in file order.\n";

const char* const kFooter =
    "Parameters (--params, comma separated; default kr,ss): kr, ss, kz (or\n"
    "kzkr, the ratio KZ/KR; when neither is estimated the input's ratio is\n"
    "held while KR moves), hks (skin conductivity, input with a skin), sy,\n"
    "u1 and u2 (alias ua1, ua2: the unsaturated zone's decay rates), ho (the\n"
    "initial displacement, when the nominal Ho is uncertain), t0 (the time\n"
    "of the slug on the data's clock) and le (the water column's effective\n"
    "length, below). All but t0 are estimated as logarithms\n"
    "and start from the input file's values (KR from the data's Hvorslev time\n"
    "lag when the input's is more than 10 times away, or with --auto-start).\n"
    "The search samples the bounds (--starts) and runs the local solver from\n"
    "the best points; every parameter has wide finite default bounds.\n"
    "--bound NAME=LO,HI keeps a parameter between LO and HI (may be repeated).\n"
    "The report (console and --report, default fit.txt) gives estimates,\n"
    "standard errors, approximate 95 % intervals, correlations, the RMSE and\n"
    "the number of forward runs, and warns of parameters the data do not\n"
    "determine. Data that do not fit the input (above Ho, wrong sign, H/Ho\n"
    "without --normalized, a response outside the observed times) are refused\n"
    "unless --force. Exit status: 0 after a converged, reliable fit; 1 when the\n"
    "fit failed (FIT FAILED), cannot be trusted (FIT UNRELIABLE) or a file\n"
    "could not be written; 2 for a wrong command line.\n"
    "--inertia LE gives the model the water column in the well (LE its\n"
    "effective length, the input's length unit): the oscillatory response of\n"
    "highly permeable aquifers, heads through zero included; le in --params\n"
    "estimates it (from --inertia, else from the period and decay of the\n"
    "data's first minimum). Needs g in the input's units: --gravity G, or\n"
    "--units; --viscosity NU adds laminar casing friction (default water at\n"
    "20 C when --units are given).\n"
    "--units L,T names the units of the input file (e.g. m,s): the report adds\n"
    "KR in m/d, ft/d and cm/s and T = KR*b. --plot-view: typecurve (default),\n"
    "semilog, both or linear (H/Ho against linear time with the zero line, for\n"
    "an oscillating record).\n"
    "\n"
    "Example:\n"
    "  slugwell fit input.txt heads.csv --params kr,ss --plot fit.svg\n";

const char* const kUsageLine =
    "Usage: slugwell fit INPUT DATA [--params LIST] [--bound NAME=LO,HI] "
    "[--normalized] [--csv FILE] [--plot FILE.svg] [--plot-view VIEW] [--units L,T] [--report FILE]\n"
    "    [--inertia LE] [--gravity G] [--viscosity NU] [--classic]\n"
    "    [field-record options]\n"
    "Run 'slugwell fit --help' for more information.\n";

FitCliResult usage_error(const std::string& reason) {
    FitCliResult r;
    r.status = 2;
    r.err_text = "slugwell fit: " + reason + "\n" + kUsageLine;
    return r;
}

std::vector<std::string> split_commas(const std::string& s) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (true) {
        const std::size_t c = s.find(',', start);
        std::string item = s.substr(start, c == std::string::npos ? std::string::npos : c - start);
        while (!item.empty() && item.front() == ' ') item.erase(item.begin());
        while (!item.empty() && item.back() == ' ') item.pop_back();
        out.push_back(item);
        if (c == std::string::npos) break;
        start = c + 1;
    }
    return out;
}

bool parse_double(const std::string& s, double& v) {
    if (s.empty()) return false;
    char* end = nullptr;
    v = std::strtod(s.c_str(), &end);
    return end == s.c_str() + s.size() && std::isfinite(v);
}

// The command as typed, for the report of a failed fit; words with blanks
// or quotes are shown in single quotes.
std::string command_text(int argc, char** argv) {
    std::string s = "slugwell";
    for (int i = 0; i < argc; ++i) {
        const std::string w = argv[i];
        const bool quote = w.empty() || w.find_first_of(" \t'\"\\$;&|<>*?") != std::string::npos;
        s += quote ? " '" + w + "'" : " " + w;
    }
    return s;
}

// A fit that failed replaces each of its outputs with the failure, so that
// the results of an earlier fit are never taken for this one's: the report
// states the failure and the command, and the CSV file and the picture of
// an earlier fit are removed. Returns status 1.
int fail_fit(const FitCommand& cmd, const std::string& command, const std::string& reason,
             std::string report = {}) {
    for (const std::string& line : fit_failure_lines(reason)) std::fputs(("slugwell fit: " + line + "\n").c_str(), stderr);
    if (report.empty()) report = "FIT FAILED: " + reason + "\n";
    report += "  command:      " + command + "\n";
    std::string error;
    if (!write_text_file(cmd.report, report, error))
        std::fprintf(stderr, "slugwell fit: cannot write %s: %s\n", cmd.report.c_str(), error.c_str());
    for (const std::string* path : {&cmd.csv, &cmd.plot}) {
        std::error_code ec;
        if (!path->empty() && fs::is_regular_file(*path, ec)) fs::remove(*path, ec);
    }
    return 1;
}

}  // namespace

FitCliResult parse_fit_command_line(int argc, const char* const* argv) {
    FitCommand c;
    std::string params = "kr,ss";
    std::vector<std::string> bounds;
    int max_iter = c.options.max_iterations;
    RecordCliOptions record_cli;

    CLI::App app{kDescription, "slugwell fit"};
    app.footer(kFooter);
    app.add_option("INPUT", c.input, "input file: start values and fixed values")->required()->type_name("");
    app.add_option("DATA", c.data, "observations: time and head displacement")->required()->type_name("");
    app.add_option("--params", params, "parameters to estimate (default kr,ss)")->type_name("LIST");
    app.add_option("--bound", bounds, "bounds LO < value < HI on a parameter")->type_name("NAME=LO,HI");
    app.add_flag("--normalized", c.options.normalized, "the second column of DATA is H/Ho");
    app.add_option("--csv", c.csv, "write time, observed, fitted, residual as CSV")->type_name("FILE");
    app.add_option("--plot", c.plot, "draw observations and fitted curve (SVG)")->type_name("FILE.svg");
    app.add_option("--report", c.report, "report file (default fit.txt)")->type_name("FILE");
    app.add_option("--max-iter", max_iter, "iteration limit of the solver (default 100)")->type_name("N");
    record_cli.add_to(app);
    std::string units, view;
    app.add_option("--units", units, "units of the input file, e.g. m,s or ft,min")->type_name("L,T");
    app.add_option("--plot-view", view, "typecurve (default), semilog, both or linear")->type_name("VIEW");
    app.add_option("--starts", c.options.starts,
                   "starts of the global search (default 8 per parameter, at least 16; 0: local fit only)")
        ->type_name("N");
    app.add_flag("--auto-start", c.options.auto_start, "start KR from the data's Hvorslev time lag, SS from 1e-5");
    app.add_flag("--force", c.options.force, "fit data that fail the data checks");
    app.add_flag("--classic", c.classic, "forward runs by the classic inversion (the run's table)");
    CLI::Option* inertia =
        app.add_option("--inertia", c.column.effective_length, "water column's effective length (start of le)")
            ->type_name("LE");
    CLI::Option* gravity =
        app.add_option("--gravity", c.column.gravity, "g in the input's length and time units")->type_name("G");
    CLI::Option* viscosity =
        app.add_option("--viscosity", c.column.viscosity, "kinematic viscosity: casing friction")->type_name("NU");

    try {
        app.parse(argc, const_cast<char**>(argv));
    } catch (const CLI::CallForHelp&) {
        FitCliResult r;
        r.out_text = app.help();
        return r;
    } catch (const CLI::CallForAllHelp&) {
        FitCliResult r;
        r.out_text = app.help("", CLI::AppFormatMode::All);
        return r;
    } catch (const CLI::ParseError& e) {
        return usage_error(e.what());
    }

    c.options.params.clear();
    for (const std::string& w : split_commas(params)) {
        const std::optional<FitParam> p = parse_fit_param(w);
        if (!p) return usage_error("--params: unknown parameter '" + w + "' (use kr, ss, kz, kzkr, hks, sy, u1, u2, ho, t0, le)");
        c.options.params.push_back(*p);
    }
    for (const std::string& b : bounds) {
        const std::size_t eq = b.find('=');
        const std::vector<std::string> lohi = eq == std::string::npos ? std::vector<std::string>{}
                                                                      : split_commas(b.substr(eq + 1));
        FitBound fb{};
        const std::optional<FitParam> p = eq == std::string::npos ? std::nullopt : parse_fit_param(b.substr(0, eq));
        if (!p || lohi.size() != 2 || !parse_double(lohi[0], fb.lo) || !parse_double(lohi[1], fb.hi))
            return usage_error("--bound: expected NAME=LO,HI with two numbers, got '" + b + "'");
        fb.param = *p;
        c.options.bounds.push_back(fb);
    }
    if (max_iter < 1) return usage_error("--max-iter: must be at least 1");
    if (const std::string why = record_cli.apply(c.records); !why.empty()) return usage_error(why);
    if (app.count("--units") > 0) {
        std::string why;
        const std::optional<Units> u = parse_units(units, why);
        if (!u) return usage_error("--units: " + why);
        c.units = *u;
        c.options.metres_per_length = u->metres_per_length;
    }
    if (app.count("--plot-view") > 0) {
        const std::optional<PlotView> v = parse_plot_view(view);
        if (!v) return usage_error("--plot-view: expected typecurve, semilog, both or linear, got '" + view + "'");
        if (c.plot.empty()) return usage_error("--plot-view: no --plot file to draw");
        c.plot_view = *v;
    }
    // The water column: with --inertia, or with le among the parameters.
    // g and the viscosity of water at 20 C (1.0016 mPa s over 998.21
    // kg/m^3: 1.0034e-6 m^2/s) come from the named units unless given.
    const bool le_estimated =
        std::find(c.options.params.begin(), c.options.params.end(), FitParam::LE) != c.options.params.end();
    if (inertia->count() > 0 || le_estimated) {
        if (inertia->count() > 0 && !(std::isfinite(c.column.effective_length) && c.column.effective_length > 0.0))
            return usage_error("--inertia: LE must be a positive number");
        if (gravity->count() == 0 && !c.units.named())
            return usage_error(std::string(inertia->count() > 0 ? "--inertia" : "--params le") +
                               " needs --gravity G, the acceleration of gravity in the input's length and time "
                               "units (9.80665 for m and s), or --units L,T: the input file does not state its units");
        if (gravity->count() == 0) c.column.gravity = gravity_in(c.units);
        if (!(std::isfinite(c.column.gravity) && c.column.gravity > 0.0))
            return usage_error("--gravity: G must be a positive number");
        if (viscosity->count() > 0 && !(std::isfinite(c.column.viscosity) && c.column.viscosity >= 0.0))
            return usage_error("--viscosity: NU must be a number not below 0");
        if (viscosity->count() == 0 && c.units.named()) {
            const double l = c.units.metres_per_length;
            c.column.viscosity = 1.0034e-6 / (l * l) * c.units.seconds_per_time;
        } else if (viscosity->count() == 0) {
            c.notes += "note: no --viscosity given and no --units: the water column has no casing friction\n";
        }
        c.column.friction_length = c.column.effective_length;
    } else if (gravity->count() > 0 || viscosity->count() > 0) {
        return usage_error(std::string(gravity->count() > 0 ? "--gravity" : "--viscosity") +
                           " applies to the water column (--inertia LE or --params ...,le)");
    }
    if (c.classic && (inertia->count() > 0 || le_estimated))
        return usage_error("--classic: the classic inversion has no water column (--inertia LE or --params ...,le): "
                           "leave out --classic");
    if (app.count("--starts") > 0 && c.options.starts < 0) return usage_error("--starts: must be 0 or more");
    c.options.max_iterations = max_iter;

    std::error_code ec;
    for (const std::string* f : {&c.input, &c.data}) {
        if (!fs::exists(*f, ec)) return usage_error("file not found: " + *f);
        if (fs::is_directory(*f, ec)) return usage_error(*f + " is a folder");
    }
    const std::pair<const char*, std::string*> outputs[] = {{"--report", &c.report}, {"--csv", &c.csv},
                                                            {"--plot", &c.plot}};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto& [opt, path] = outputs[i];
        if (path->empty()) {
            if (i == 0) return usage_error("--report: empty file name");
            continue;
        }
        if (fs::is_directory(*path, ec)) return usage_error(std::string(opt) + ": " + *path + " is a folder");
        if (same_path(*path, "log.txt"))
            return usage_error(std::string(opt) + ": " + *path + " is the program's own log.txt");
        if (same_path(*path, c.input) || same_path(*path, c.data))
            return usage_error(std::string(opt) + ": " + *path + " would overwrite the input or the data file");
        for (std::size_t k = 0; k < i; ++k)
            if (!outputs[k].second->empty() && same_path(*path, *outputs[k].second))
                return usage_error(std::string(opt) + " and " + outputs[k].first + " name the same file");
    }
    FitCliResult r;
    r.run = true;
    r.command = c;
    return r;
}

int fit_main(int argc, char** argv) {
    const FitCliResult cli = parse_fit_command_line(argc, argv);
    if (!cli.run) {
        std::fputs(cli.out_text.c_str(), stdout);
        std::fputs(cli.err_text.c_str(), stderr);
        return cli.status;
    }
    const FitCommand& cmd = cli.command;
    const std::string command = command_text(argc, argv);

    // The fit never reads a file that it writes (log.txt here; its other
    // outputs are checked with the command line).
    for (const std::string* f : {&cmd.input, &cmd.data})
        if (is_same_file(*f, "log.txt")) {
            std::fprintf(stderr,
                         "slugwell fit: %s is the same file as log.txt, which the fit writes; give it another name\n",
                         f->c_str());
            return 1;
        }
    // Every output can be written before the fit starts: a fit of minutes
    // is not lost on a folder without write permission.
    for (const std::string* path : {&cmd.report, &cmd.csv, &cmd.plot}) {
        if (path->empty()) continue;
        FileReplacement probe;
        int err = 0;
        if (!probe.open(*path, err)) {
            std::fprintf(stderr, "slugwell fit: cannot write %s: %s\n", path->c_str(), std::strerror(err));
            return 1;
        }
    }
    // One run at a time writes the results of this folder.
    if (const std::string busy = lock_working_folder(); !busy.empty()) {
        std::fprintf(stderr, "slugwell fit: %s\n", busy.c_str());
        return 1;
    }

    // The input file, read and checked as for a run.
    open_log(kLogUnit, "log.txt");
    if (cmd.input.size() > kLongestInputName) return fail_fit(cmd, command, "input file name too long");
    const InputValues values = read_input(cmd.input);
    if (values.input_error)
        return fail_fit(cmd, command, "the input file " + cmd.input + " could not be read (see above)");
    print_warnings("slugwell fit", values.warnings);
    print_warnings("slugwell fit", physical_range_warnings(values.well, cmd.units));
    if (const std::string problem = check_input(values, make_well_model(values.well)); !problem.empty())
        return fail_fit(cmd, command, "input error in " + cmd.input + ": " + problem);

    // The data, read after the input file: --hrange divides by its Ho.
    const double ho = cmd.options.normalized ? 1.0 : values.well.ho;
    RecordOptions records = cmd.records;
    records.ho = ho;
    const DataFile data = read_data_file(cmd.data, records);
    if (!data.ok()) {
        // Every refused line on the error stream; the first names the failure in the outputs.
        for (std::size_t i = 1; i < data.errors.size(); ++i)
            std::fprintf(stderr, "slugwell fit: %s\n", data.errors[i].c_str());
        return fail_fit(cmd, command, data.errors[0]);
    }
    for (const std::string& n : data.notes) std::fprintf(stderr, "slugwell fit: %s\n", n.c_str());
    const Observations& obs = data.obs;
    std::string error;

    const BaseInput base{values.well, Numerics{}, cmd.column, cmd.classic};
    if (!cmd.notes.empty()) std::fprintf(stderr, "slugwell fit: %s", cmd.notes.c_str());
    if (const std::string why = check_fit_setup(base, obs, cmd.options); !why.empty())
        return fail_fit(cmd, command, why);

    FitReportContext rc;
    rc.input_path = cmd.input;
    rc.data_path = cmd.data;
    rc.title = input_title(cmd.input);
    while (!rc.title.empty() && rc.title.back() == ' ') rc.title.pop_back();
    rc.normalized = cmd.options.normalized;
    rc.at_zero = at_zero_text(data, ho, cmd.options.normalized);
    rc.units = cmd.units;
    rc.thickness = values.well.bb;
    rc.gravity = cmd.column.gravity;
    rc.viscosity = cmd.column.viscosity;

    std::printf("\nslugwell fit: %zu observations, estimating", obs.time.size());
    for (FitParam p : cmd.options.params) std::printf(" %s", std::string(fit_param_label(p)).c_str());
    std::printf("\n");
    std::fflush(stdout);

    // A forward run stopped in the model's root iteration, whose message the
    // run has written: as in a normal run the program ends with status 1.
    const std::string stopped =
        "a forward run stopped in the model's root iteration (message above); no estimates were produced";
    const auto t0 = std::chrono::steady_clock::now();
    FitResult r = run_fit(base, obs, cmd.options);
    rc.wall_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (r.root_failure) return fail_fit(cmd, command, "the fit failed: " + stopped, "FIT FAILED: " + stopped + "\n");

    // The fitted curve for the picture, on a fine logarithmic grid over the
    // observed times.
    std::vector<double> curve_t, curve_r;
    if (r.ok && !cmd.plot.empty()) {
        const double a = std::log10(obs.time.front()), b = std::log10(obs.time.back());
        const int n = obs.time.size() > 1 ? 121 : 1;
        // The linear view spaces the curve evenly in time (an oscillation
        // keeps its period to the end); the others in log time.
        const bool linear = cmd.plot_view == PlotView::Linear;
        const double t0 = obs.time.front(), t1 = obs.time.back();
        for (int i = 0; i < n; ++i)
            curve_t.push_back(linear ? (n > 1 ? t0 + (t1 - t0) * i / (n - 1) : t0)
                                     : std::pow(10.0, n > 1 ? a + (b - a) * i / (n - 1) : a));
        std::string err;
        try {
            if (!forward_ratio(base, r.values, curve_t, curve_r, err)) {
                r.ok = false;
                r.error = "the fitted model cannot be drawn: " + err;
            }
        } catch (const RootIterationFailure&) {
            return fail_fit(cmd, command, "the fit failed: " + stopped, "FIT FAILED: " + stopped + "\n");
        }
    }

    const std::string text = fit_report_text(rc, obs, r);
    std::fputs(("\n" + text).c_str(), stdout);
    std::fflush(stdout);
    if (!r.ok) {
        std::string reason;
        for (const std::string& line : fit_failure_lines(r.error))
            reason += (reason.empty() ? "" : "\n") + ("the fit failed: " + line);
        return fail_fit(cmd, command, reason, text);
    }
    int status = r.unreliable.empty() ? 0 : 1;
    for (const std::string& why : r.unreliable) std::fprintf(stderr, "slugwell fit: FIT UNRELIABLE: %s\n", why.c_str());
    if (!write_text_file(cmd.report, text, error)) {
        std::fprintf(stderr, "slugwell fit: cannot write %s: %s\n", cmd.report.c_str(), error.c_str());
        status = 1;
    }
    if (!cmd.csv.empty() && !write_text_file(cmd.csv, fit_csv_text(obs, r, cmd.units, cmd.options.normalized), error)) {
        std::fprintf(stderr, "slugwell fit: cannot write %s: %s\n", cmd.csv.c_str(), error.c_str());
        status = 1;
    }
    if (!cmd.plot.empty()) {
        // Observations and residuals as H/Ho; the key: the estimates.
        const double scale = cmd.options.normalized ? 1.0 : base.well.ho;
        std::vector<double> obs_ratio(obs.value), res_ratio(r.residual);
        for (double& v : obs_ratio) v /= scale;
        for (double& v : res_ratio) v /= scale;
        // The points and the curve over the fitted Ho when Ho is estimated.
        const double ho_scale = r.values.ho != 0.0 ? base.well.ho / r.values.ho : 1.0;
        for (double& v : obs_ratio) v *= ho_scale;
        for (double& v : res_ratio) v *= ho_scale;
        for (double& v : curve_r) v *= ho_scale;
        PlotLabels labels{rc.title, {}, cmd.units, cmd.plot_view};
        for (std::size_t j = 0; j < r.params.size(); ++j) {
            const FitParam p = r.params[j];
            std::string unit;
            if (cmd.units.named()) {
                if (p == FitParam::KR || p == FitParam::KZ || p == FitParam::HKS)
                    unit = " " + cmd.units.length + "/" + cmd.units.time;
                else if (p == FitParam::LE)
                    unit = " " + cmd.units.length;
                else if (p == FitParam::SS || p == FitParam::U1 || p == FitParam::U2)
                    unit = " 1/" + cmd.units.length;
            }
            labels.key.push_back(std::string(fit_param_label(p)) + " = " + fit_value_text(r.estimate[j], 4) + unit);
        }
        labels.key.push_back("RMSE = " + fit_value_text(r.rmse / scale, 3) + " (H/Ho)");
        const std::string svg = fit_plot_svg(labels, FitPlotData{obs.time, obs_ratio, curve_t, curve_r, res_ratio});
        if (!write_text_file(cmd.plot, svg, error)) {
            std::fprintf(stderr, "slugwell fit: cannot write %s: %s\n", cmd.plot.c_str(), error.c_str());
            status = 1;
        }
    }
    return status;
}

}  // namespace slug
