// "slugwell analyze": command line (CLI11), the input file read by the
// program's own reader, the DATA file read as a field record, the methods,
// and the table, CSV and picture.
#include "analyze/analyze_main.hpp"

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "analyze/analyze.hpp"
#include "analyze/analyze_report.hpp"
#include "fio/fio.hpp"
#include "fio/folder_lock.hpp"
#include "fit/fit_data.hpp"
#include "fit/fit_model.hpp"
#include "fit/record_cli.hpp"
#include "model/laplace_head.hpp"
#include "report/text_file.hpp"
#include "run/input_check.hpp"
#include "run/input_reader.hpp"

namespace slug {

namespace {

namespace fs = std::filesystem;

const char* const kDescription =
    "slugwell analyze estimates K by the classical slug-test analyses and by\n"
    "this program's model, side by side: Hvorslev (1951) and Bouwer & Rice\n"
    "(1976) from the straight line of log(H/Ho) against time over Butler's\n"
    "(1998) recommended head ranges (0.15-0.25, 0.20-0.30) and over --range;\n"
    "least-squares fits of K and Ss with the model of Cooper, Bredehoeft &\n"
    "Papadopulos (1967) (confined, full screen), the KGS model (Hyder et al.\n"
    "1994: confined, the input's screen and KZ/KR) and the input's full model;\n"
    "for a record that oscillates (heads below zero: a highly permeable\n"
    "aquifer), the high-K model of Springer & Gelhar (1991) and Butler (1998),\n"
    "the damped oscillator of the water column fitted for C_D and Le (needs g:\n"
    "--units or --gravity G; --viscosity NU for the casing friction).\n"
    "INPUT and DATA as for 'slugwell fit' (the input's list of output times is\n"
    "not used).\n";

const char* const kFooter =
    "The table (console) gives each method's K and Ss in the input's units,\n"
    "the head range or the matched interval, and the method's validity notes.\n"
    "--plot draws the straight-line view (log H/Ho against time, the lines\n"
    "and their ranges shaded) beside the type-curve view (H/Ho against log\n"
    "time with the model curves). Exit status: 0 when every method gave an\n"
    "estimate, 1 when one gave none or a file could not be written, 2 for a\n"
    "wrong command line.\n"
    "\n"
    "Example:\n"
    "  slugwell analyze input.txt observed.txt --plot analyze.svg --time-unit d\n";

const char* const kUsageLine =
    "Usage: slugwell analyze INPUT DATA [--normalized] [--csv FILE] [--plot FILE.svg] [--range A,B] "
    "[--time-unit U] [--units L,T] [--gravity G] [--viscosity NU]\n    [field-record options]\n"
    "Run 'slugwell analyze --help' for more information.\n";

AnalyzeCliResult usage_error(const std::string& reason) {
    AnalyzeCliResult r;
    r.status = 2;
    r.err_text = "slugwell analyze: " + reason + "\n" + kUsageLine;
    return r;
}

bool parse_range(const std::string& s, HeadRange& r) {
    const std::size_t comma = s.find(',');
    if (comma == std::string::npos) return false;
    const std::string a = s.substr(0, comma), b = s.substr(comma + 1);
    char* end = nullptr;
    r.lower = std::strtod(a.c_str(), &end);
    if (a.empty() || *end != '\0') return false;
    r.upper = std::strtod(b.c_str(), &end);
    if (b.empty() || *end != '\0') return false;
    return std::isfinite(r.lower) && std::isfinite(r.upper) && r.lower > 0.0 && r.lower < r.upper && r.upper <= 1.0;
}

}  // namespace

AnalyzeCliResult parse_analyze_command_line(int argc, const char* const* argv) {
    AnalyzeCommand c;
    std::string range;
    RecordCliOptions record_cli;

    CLI::App app{kDescription, "slugwell analyze"};
    app.footer(kFooter);
    app.add_option("INPUT", c.input, "input file: the well and aquifer")->required()->type_name("");
    app.add_option("DATA", c.data, "observations: time and head displacement")->required()->type_name("");
    app.add_flag("--normalized", c.normalized, "the head column of DATA is H/Ho");
    app.add_option("--csv", c.csv, "write the table as CSV")->type_name("FILE");
    app.add_option("--plot", c.plot, "draw the straight-line and type-curve views (SVG)")->type_name("FILE.svg");
    app.add_option("--range", range, "a head range of your own for the straight-line methods")->type_name("A,B");
    app.add_option("--time-unit", c.time_unit, "time unit named on the plot's axes (default 'time units')")
        ->type_name("U");
    std::string units;
    app.add_option("--units", units, "units of the input file, e.g. m,s or ft,min (K also in m/d, ft/d, cm/s)")
        ->type_name("L,T");
    record_cli.add_to(app);
    CLI::Option* gravity =
        app.add_option("--gravity", c.gravity, "g in the input's units (the high-K row of an oscillating record)")
            ->type_name("G");
    CLI::Option* viscosity =
        app.add_option("--viscosity", c.viscosity, "kinematic viscosity: casing friction of the high-K row")
            ->type_name("NU");

    try {
        app.parse(argc, const_cast<char**>(argv));
    } catch (const CLI::CallForHelp&) {
        AnalyzeCliResult r;
        r.out_text = app.help();
        return r;
    } catch (const CLI::CallForAllHelp&) {
        AnalyzeCliResult r;
        r.out_text = app.help("", CLI::AppFormatMode::All);
        return r;
    } catch (const CLI::ParseError& e) {
        return usage_error(e.what());
    }
    if (app.count("--range") > 0) {
        HeadRange hr{};
        if (!parse_range(range, hr))
            return usage_error("--range: expected A,B with 0 < A < B <= 1 (a range of H/Ho), got '" + range + "'");
        c.range = hr;
    }
    if (c.time_unit.empty()) return usage_error("--time-unit: empty name");
    if (app.count("--units") > 0) {
        std::string why;
        const std::optional<Units> u = parse_units(units, why);
        if (!u) return usage_error("--units: " + why);
        c.units = *u;
        // The named time unit labels the axes unless --time-unit says otherwise.
        if (app.count("--time-unit") == 0) c.time_unit = c.units.time;
    }
    if (const std::string why = record_cli.apply(c.records); !why.empty()) return usage_error(why);
    // g and the viscosity of water at 20 C (1.0034e-6 m^2/s) from the named
    // units unless given.
    if (gravity->count() > 0 && !(std::isfinite(c.gravity) && c.gravity > 0.0))
        return usage_error("--gravity: G must be a positive number");
    if (viscosity->count() > 0 && !(std::isfinite(c.viscosity) && c.viscosity >= 0.0))
        return usage_error("--viscosity: NU must be a number not below 0");
    if (gravity->count() == 0 && c.units.named()) c.gravity = gravity_in(c.units);
    if (viscosity->count() == 0 && c.units.named())
        c.viscosity = 1.0034e-6 / (c.units.metres_per_length * c.units.metres_per_length) * c.units.seconds_per_time;

    std::error_code ec;
    for (const std::string* f : {&c.input, &c.data}) {
        if (!fs::exists(*f, ec)) return usage_error("file not found: " + *f);
        if (fs::is_directory(*f, ec)) return usage_error(*f + " is a folder");
    }
    const std::pair<const char*, std::string*> outputs[] = {{"--csv", &c.csv}, {"--plot", &c.plot}};
    for (std::size_t i = 0; i < 2; ++i) {
        const auto& [opt, path] = outputs[i];
        if (app.count(opt) > 0 && path->empty()) return usage_error(std::string(opt) + ": empty file name");
        if (path->empty()) continue;
        if (fs::is_directory(*path, ec)) return usage_error(std::string(opt) + ": " + *path + " is a folder");
        if (same_path(*path, c.input) || same_path(*path, c.data))
            return usage_error(std::string(opt) + ": " + *path + " would overwrite the input or the data file");
    }
    if (!c.csv.empty() && !c.plot.empty() && same_path(c.csv, c.plot))
        return usage_error("--csv and --plot name the same file");
    AnalyzeCliResult r;
    r.run = true;
    r.command = c;
    return r;
}

int analyze_main(int argc, char** argv) {
    const AnalyzeCliResult cli = parse_analyze_command_line(argc, argv);
    if (!cli.run) {
        std::fputs(cli.out_text.c_str(), stdout);
        std::fputs(cli.err_text.c_str(), stderr);
        return cli.status;
    }
    const AnalyzeCommand& cmd = cli.command;

    // The input file, read and checked as for a run.
    open_log(kLogUnit, "log.txt");
    if (cmd.input.size() > kLongestInputName) {
        std::fprintf(stderr, "slugwell analyze: input file name too long\n");
        return 1;
    }
    const InputValues values = read_input(cmd.input);
    if (values.input_error) {
        std::fprintf(stderr, "slugwell analyze: the input file %s could not be read (see above)\n", cmd.input.c_str());
        return 1;
    }
    if (const std::string problem = check_input(values, make_well_model(values.well)); !problem.empty()) {
        std::fprintf(stderr, "slugwell analyze: input error in %s: %s\n", cmd.input.c_str(), problem.c_str());
        return 1;
    }

    const double ho = cmd.normalized ? 1.0 : values.well.ho;
    RecordOptions records = cmd.records;
    records.ho = ho;
    const DataFile data = read_data_file(cmd.data, records);
    for (const std::string& e : data.errors) std::fprintf(stderr, "slugwell analyze: %s\n", e.c_str());
    if (!data.ok()) return 1;
    for (const std::string& n : data.notes) std::fprintf(stderr, "slugwell analyze: %s\n", n.c_str());

    AnalyzeContext ctx;
    ctx.input_path = cmd.input;
    ctx.data_path = cmd.data;
    ctx.title = input_title(cmd.input);
    while (!ctx.title.empty() && ctx.title.back() == ' ') ctx.title.pop_back();
    ctx.normalized = cmd.normalized;
    ctx.ho = values.well.ho;
    ctx.at_zero = at_zero_text(data, ho, cmd.normalized);
    ctx.time_unit = cmd.time_unit;
    ctx.observations = data.obs.time.size();
    ctx.units = cmd.units;
    ctx.thickness = values.well.bb;

    std::printf("\nslugwell analyze: %zu observations\n", data.obs.time.size());
    std::fflush(stdout);
    const std::vector<AnalyzeRow> rows = analyze_record(values.well, data.obs, {cmd.normalized, cmd.range, cmd.gravity, cmd.viscosity});
    const std::string text = analyze_report_text(ctx, rows);
    std::fputs(("\n" + text).c_str(), stdout);
    std::fflush(stdout);

    int status = 0;
    if (const std::string why = straight_line_failure(rows); !why.empty())
        std::fprintf(stderr, "slugwell analyze: the record gives no usable straight-line range: %s\n", why.c_str());
    std::size_t failed = 0;
    for (const AnalyzeRow& r : rows) failed += !r.ok;
    if (failed > 0) {
        std::fprintf(stderr, "slugwell analyze: %zu of %zu methods gave no estimate (see the table)\n", failed,
                     rows.size());
        status = 1;
    }
    std::string error;
    if (!cmd.csv.empty() && !write_text_file(cmd.csv, analyze_csv_text(rows), error)) {
        std::fprintf(stderr, "slugwell analyze: cannot write %s: %s\n", cmd.csv.c_str(), error.c_str());
        status = 1;
    }
    if (!cmd.plot.empty()) {
        const std::vector<double> ratio = observed_ratio(data.obs, ho, cmd.normalized);
        const std::string svg = analyze_svg(ctx, data.obs.time, ratio, rows, model_curves(rows, data.obs));
        if (!write_text_file(cmd.plot, svg, error)) {
            std::fprintf(stderr, "slugwell analyze: cannot write %s: %s\n", cmd.plot.c_str(), error.c_str());
            status = 1;
        }
    }
    return status;
}

}  // namespace slug
