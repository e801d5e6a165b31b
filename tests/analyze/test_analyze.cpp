// slugwell analyze: the model rows recover the model that made a record,
// a record without a straight line is named, the published Dawsonville
// test, the command line, and the program's outputs and exit status.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "analyze/analyze.hpp"
#include "analyze/analyze_main.hpp"
#include "analyze/analyze_report.hpp"
#include "fit/test_fit_support.hpp"
#include "run/input_reader.hpp"

namespace {

using slug::AnalyzeMethod;
using slug::AnalyzeRow;

const AnalyzeRow& row_of(const std::vector<AnalyzeRow>& rows, AnalyzeMethod m) {
    for (const AnalyzeRow& r : rows)
        if (r.method == m) return r;
    throw std::runtime_error("no row");
}

// The confined setting of the fit tests with a screen over the whole
// thickness: the CBP case, where the KGS and the full model repeat it.
constexpr fittest::Setting kFullScreen{"full_screen", 2.0, 1.0e-4, 4.0e-4, 0.0, 2.0e-4, 0.0, 1.0, 1.0, 0.0, 0.0,
                                       0.5, 0.1, 0.05, 0.0, 2.0, 0.0};

std::size_t count(const std::string& s, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1)) ++n;
    return n;
}

// Each type-curve row on a record that its own model made at known KR
// and SS (3 and 0.4 times the input's values, away from the start): CBP
// from a full screen, KGS from the partial screen without the skin, the
// full model from a water table with a skin.
TEST(Analyze, ModelRowsRecoverTheModelThatMadeTheRecord) {
    struct Case {
        AnalyzeMethod method;
        const fittest::Setting* setting;
    };
    const Case cases[] = {{AnalyzeMethod::Cbp, &kFullScreen},
                          {AnalyzeMethod::Kgs, &fittest::kConfinedSkin},
                          {AnalyzeMethod::Full, &fittest::kWaterTableSkin}};
    for (const Case& c : cases) {
        const slug::BaseInput input = fittest::load(*c.setting);
        SCOPED_TRACE(c.setting->name);
        const slug::BaseInput made{slug::model_input(c.method, input.well), input.numerics};
        slug::FitValues truth = slug::base_values(made);
        truth.kr *= 3.0;
        truth.kz *= 3.0;
        truth.ss *= 0.4;
        const slug::Observations obs = fittest::synthetic(made, truth, fittest::log_times(0.2, 60.0, 24));
        const std::vector<AnalyzeRow> rows = slug::analyze_record(input.well, obs, {});
        const AnalyzeRow& r = row_of(rows, c.method);
        ASSERT_TRUE(r.ok) << r.error;
        // The record is the model's own at the truth: the minimum lies
        // there, and the local fit ends with a Gauss-Newton step onto it; 1e-4
        // leaves room for the inversion's error (1e-4 asked) in the misfit
        // surface of the weakly determined SS.
        EXPECT_NEAR(r.k, truth.kr, 1e-4 * truth.kr);
        EXPECT_NEAR(*r.ss, truth.ss, 1e-4 * truth.ss);
        EXPECT_EQ(r.model.kz / r.model.kr, input.well.kz / input.well.kr);
        for (const std::string& n : r.notes) EXPECT_EQ(n.find("UNRELIABLE"), std::string::npos) << n;
        // The confined CBP model on the water table's record drives SS to
        // its lower bound: the row keeps its numbers and says that they
        // cannot be trusted.
        if (c.method == AnalyzeMethod::Full) {
            const AnalyzeRow& cbp = row_of(rows, AnalyzeMethod::Cbp);
            EXPECT_TRUE(std::any_of(cbp.notes.begin(), cbp.notes.end(), [](const std::string& n) {
                return n.find("fit: FIT UNRELIABLE: SS = ") != std::string::npos;
            }));
        }
    }
}

// Records that give no line over either recommended range: the cause of
// each method is named.
TEST(Analyze, NoUsableStraightLineIsNamed) {
    const slug::BaseInput input = fittest::load(fittest::kConfined);
    struct Case {
        const char* name;
        std::vector<double> time, head;  // head displacements (Ho = 0.5)
        const char* says;
    };
    const std::vector<Case> cases = {
        {"coarse", {1, 2, 3, 4}, {0.4, 0.2, 0.05, 0.02}, "no observation has H/Ho between 0.15-0.25"},
        {"too few points", {1, 2, 3, 4, 5}, {0.4, 0.14, 0.11, 0.06, 0.02}, "only 2 observations have H/Ho between 0.2-0.3"},
        {"not decaying", {1, 2, 3, 4, 5, 6}, {0.06, 0.08, 0.1, 0.12, 0.14, 0.16}, "do not decline"},
        {"too short", {1, 2, 3}, {0.45, 0.4, 0.35}, "never falls to 0.25"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        slug::Observations obs{c.time, c.head, {}};
        const std::string why = slug::straight_line_failure(slug::straight_line_rows(input.well, obs, {}));
        EXPECT_NE(why.find("Hvorslev (1951): "), std::string::npos) << why;
        EXPECT_NE(why.find("; Bouwer & Rice (1976): "), std::string::npos) << why;
        EXPECT_NE(why.find(c.says), std::string::npos) << why;
    }
    slug::Observations line{{1, 2, 3, 4, 5, 6}, {0.4, 0.15, 0.135, 0.12, 0.105, 0.09}, {}};
    EXPECT_EQ(slug::straight_line_failure(slug::straight_line_rows(input.well, line, {})), "");
}

// The Dawsonville test (Cooper et al. 1967): the CBP fit against the
// published least-squares fits, MLU K = 0.4133 m/d, Ss = 1.9388e-5 1/m
// and TTim K = 0.42097 m/d, Ss = 1.698e-5 1/m; and the table, CSV and
// picture made of the rows.
TEST(Analyze, DawsonvilleAgainstThePublishedFits) {
    const std::string dir = std::string(SLUG_TEST_DATA) + "/field/dawsonville/";
    const slug::InputValues values = slug::read_input(dir + "input.txt");
    ASSERT_FALSE(values.input_error);
    slug::RecordOptions records;
    records.ho = values.well.ho;
    const slug::DataFile data = slug::read_data_file(dir + "observed.txt", records);
    ASSERT_TRUE(data.ok());
    const std::vector<AnalyzeRow> rows = slug::analyze_record(values.well, data.obs, {false, slug::HeadRange{0.1, 0.4}});
    ASSERT_EQ(rows.size(), 7u);
    const AnalyzeRow& cbp = row_of(rows, AnalyzeMethod::Cbp);
    ASSERT_TRUE(cbp.ok) << cbp.error;
    // K within 2 % of both published fits. SS is weakly determined by 22
    // readings (its 95 % interval spans a factor of about 4): the published
    // values must lie inside that interval.
    EXPECT_NEAR(cbp.k, 0.4133, 0.02 * 0.4133);
    EXPECT_NEAR(cbp.k, 0.42097, 0.02 * 0.42097);
    for (double ss : {1.9388e-5, 1.698e-5}) {
        EXPECT_LT(cbp.ss95[0], ss);
        EXPECT_GT(cbp.ss95[1], ss);
    }
    // A full screen in a confined aquifer without skin: the KGS and the
    // full model are the CBP model.
    EXPECT_TRUE(row_of(rows, AnalyzeMethod::Kgs).repeats);
    EXPECT_TRUE(row_of(rows, AnalyzeMethod::Full).repeats);
    EXPECT_EQ(row_of(rows, AnalyzeMethod::Full).k, cbp.k);

    slug::AnalyzeContext ctx;
    ctx.title = "Dawsonville";
    ctx.ho = values.well.ho;
    ctx.time_unit = "d";
    ctx.observations = data.obs.time.size();
    const std::string table = slug::analyze_report_text(ctx, rows);
    EXPECT_NE(table.find("K in the input's units: length / d"), std::string::npos) << table;
    EXPECT_NE(table.find("Hvorslev (1951)          0.6345      -           H/Ho 0.15-0.25: 6 points"),
              std::string::npos)
        << table;
    EXPECT_NE(table.find("Bouwer & Rice (1976), H/Ho 0.1-0.4:"), std::string::npos) << table;
    const std::string csv = slug::analyze_csv_text(rows);
    EXPECT_EQ(count(csv, "\n"), 8u);
    EXPECT_EQ(count(csv, ",estimate,"), 7u);

    const std::vector<slug::AnalyzeCurve> curves = slug::model_curves(rows, data.obs);
    ASSERT_EQ(curves.size(), 1u);
    EXPECT_EQ(curves[0].label, "CBP (1967), KGS (Hyder et al. 1994), full model");
    std::vector<double> ratio = slug::observed_ratio(data.obs, values.well.ho, false);
    const std::string svg = slug::analyze_svg(ctx, data.obs.time, ratio, rows, curves);
    EXPECT_EQ(count(svg, "class=\"observed\""), 44u);  // in both views
    EXPECT_EQ(count(svg, "<rect class=\"range\""), 3u);  // the user's range once
    EXPECT_EQ(count(svg, "<polyline class=\"line\""), 4u);
    EXPECT_EQ(count(svg, "<polyline class=\"curve\""), 1u);
    EXPECT_NE(svg.find(">Time (d)</text>"), std::string::npos);
}

slug::AnalyzeCliResult parse(std::vector<std::string> args) {
    std::vector<const char*> argv{"analyze"};
    for (const std::string& a : args) argv.push_back(a.c_str());
    return slug::parse_analyze_command_line(static_cast<int>(argv.size()), argv.data());
}

TEST(Analyze, CommandLine) {
    const fittest::fs::path dir = fittest::scratch("analyze_cli");
    const std::string in = (dir / "in.txt").string(), data = (dir / "d.txt").string();
    fittest::put_file(in, "x\n");
    fittest::put_file(data, "1 1\n");
    slug::AnalyzeCliResult r = parse({in, data, "--range", "0.1,0.4", "--time-unit", "min", "--normalized",
                                      "--clock", "--static", "-1.5", "--csv", (dir / "a.csv").string()});
    ASSERT_TRUE(r.run) << r.err_text;
    EXPECT_EQ(r.command.range->lower, 0.1);
    EXPECT_EQ(r.command.range->upper, 0.4);
    EXPECT_EQ(r.command.time_unit, "min");
    EXPECT_TRUE(r.command.normalized);
    EXPECT_TRUE(r.command.records.clock);
    EXPECT_EQ(r.command.records.static_level, -1.5);
    EXPECT_EQ(parse({in, data}).command.time_unit, "time units");

    const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
        {{in}, "DATA is required"},
        {{in, data, "--range", "0.3,0.2"}, "--range: expected A,B with 0 < A < B <= 1"},
        {{in, data, "--range", "0.2"}, "--range: expected A,B"},
        {{in, data, "--range", "0.2,1.5"}, "--range: expected A,B"},
        {{in, data, "--depth"}, "--depth needs --static"},
        {{in, data, "--csv", data}, "would overwrite the input or the data file"},
        {{in, data, "--csv", (dir / "x").string(), "--plot", (dir / "x").string()}, "name the same file"},
        {{in, (dir / "none").string()}, "file not found"},
    };
    for (const auto& [args, says] : bad) {
        const slug::AnalyzeCliResult b = parse(args);
        EXPECT_FALSE(b.run) << says;
        EXPECT_EQ(b.status, 2) << says;
        EXPECT_NE(b.err_text.find(says), std::string::npos) << b.err_text;
    }
    fittest::fs::remove_all(dir);
}

// The program: a record with a straight line gives every estimate, the
// files and status 0; a record too coarse for a line still gets the model
// rows, and the error stream and status 1 say that the straight-line
// methods gave none.
TEST(Analyze, ProgramStatusAndFiles) {
    const slug::BaseInput base = fittest::load(kFullScreen);
    slug::FitValues truth = slug::base_values(base);
    truth.kr *= 2.0;
    truth.kz *= 2.0;
    const fittest::fs::path dir = fittest::scratch("analyze_program");
    fittest::put_file(dir / "input.txt", fittest::input_text(kFullScreen));
    const auto write_record = [&](const char* name, const std::vector<double>& times) {
        const slug::Observations obs = fittest::synthetic(base, truth, times);
        std::string text = "time,head\n0,0.5\n";
        for (std::size_t i = 0; i < obs.time.size(); ++i)
            text += std::to_string(obs.time[i]) + "," + std::to_string(obs.value[i]) + "\n";
        fittest::put_file(dir / name, text);
    };
    // 60 readings: three or more in each head range.
    write_record("full.csv", fittest::log_times(0.2, 60.0, 60));
    write_record("coarse.csv", {0.5, 2.0, 8.0, 32.0, 60.0});
    const auto run = [&](const std::string& args) {
        const std::string cmd = "cd '" + dir.string() + "' && '" SLUGWELL_EXE "' analyze " + args +
                                " > out.txt 2> err.txt";
        const int st = std::system(cmd.c_str());
        return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    };

    EXPECT_EQ(run("input.txt full.csv --csv a.csv --plot a.svg"), 0) << fittest::get_file(dir / "err.txt");
    const std::string out = fittest::get_file(dir / "out.txt");
    EXPECT_NE(out.find("at t = 0:    Ho = 0.5 (input file); the reading at t = 0 (line 2) is 0.5"), std::string::npos)
        << out;
    EXPECT_EQ(count(fittest::get_file(dir / "a.csv"), ",estimate,"), 5u);
    EXPECT_NE(out.find("KR and SS fitted from the Hvorslev K"), std::string::npos) << out;
    EXPECT_NE(fittest::get_file(dir / "a.svg").find("</svg>"), std::string::npos);
    // Named units: each K restated in m/d, ft/d, cm/s, with the transmissivity.
    EXPECT_EQ(run("input.txt full.csv --units m,s"), 0);
    for (const char* part : {"  K in m/s\n", " m/d = ", "  T = K*b = "})
        EXPECT_NE(fittest::get_file(dir / "out.txt").find(part), std::string::npos) << part;

    EXPECT_EQ(run("input.txt coarse.csv"), 1);
    const std::string err = fittest::get_file(dir / "err.txt");
    EXPECT_NE(err.find("slugwell analyze: the record gives no usable straight-line range: Hvorslev (1951): "),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("2 of 5 methods gave no estimate"), std::string::npos) << err;
    EXPECT_NE(fittest::get_file(dir / "out.txt").find("fitted from the input's KR"), std::string::npos);
    fittest::fs::remove_all(dir);
}

}  // namespace

namespace {

// The high-K row is there only for a record that oscillates: a gravel well
// with its water column (LE = 10 m) gives it, with an estimate when g is
// known and the reason when it is not; the same well's record without the
// column has none.
TEST(Analyze, HighKRowOnlyForAnOscillatingRecord) {
    constexpr fittest::Setting kGravel{"gravel", 2.0, 2.0e-2, 8.0e-2, 0.0, 1.0e-5, 0.0,
                                       1.0, 1.0, 0.0, 0.0, 0.5, 0.1, 0.05, 0.5, 1.5, 0.0};
    slug::BaseInput column = fittest::load(kGravel);
    column.column = {10.0, 10.0, 9.80665, 0.0};
    const slug::BaseInput still = fittest::load(kGravel);
    std::vector<double> t;
    for (int i = 1; i <= 60; ++i) t.push_back(0.4 * i);
    struct Row {
        const slug::BaseInput* base;
        double gravity;
        bool present, ok;
    };
    for (const Row& row : {Row{&column, 9.80665, true, true}, Row{&column, 0.0, true, false},
                           Row{&still, 9.80665, false, false}}) {
        const slug::Observations obs = fittest::synthetic(*row.base, slug::base_values(*row.base), t);
        slug::AnalyzeSettings settings;
        settings.gravity = row.gravity;
        const std::optional<AnalyzeRow> r = slug::high_k_row(row.base->well, obs, settings);
        ASSERT_EQ(r.has_value(), row.present);
        if (!r) continue;
        EXPECT_EQ(r->ok, row.ok) << r->error;
        // The lumped oscillator on the partially penetrating, storing
        // aquifer: Le within 5 % of the column's, K within a factor of two
        // of the model's (Hvorslev's shape factor, no storage).
        if (r->ok) {
            EXPECT_NEAR(r->le / 10.0, 1.0, 0.05);
            EXPECT_GT(r->k, 0.5 * kGravel.kr);
            EXPECT_LT(r->k, 2.0 * kGravel.kr);
        }
    }
}

}  // namespace
