// The fit's report, CSV and picture, and "slugwell fit" run as a program.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "fit/fit_report.hpp"
#include "test_fit_support.hpp"

namespace {

int count(const std::string& s, const std::string& what) {
    int n = 0;
    for (std::size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1)) ++n;
    return n;
}

TEST(FitOutputs, ReportCsvAndPictureOfAFit) {
    const slug::BaseInput base = fittest::load(fittest::kConfined);
    slug::FitValues truth = slug::base_values(base);
    truth.kr *= 2.0;
    truth.kz *= 2.0;
    const slug::Observations obs =
        fittest::synthetic(base, truth, fittest::log_times(0.2, 60.0, 20), 0.005 * base.well.ho, 5);
    const slug::FitResult r = slug::run_fit(base, obs, slug::FitOptions{});
    ASSERT_TRUE(r.ok) << r.error;

    slug::FitReportContext ctx{"in.txt", "heads.csv", "Fit test", false, 1.25, "", {}, 0.0};
    const std::string text = slug::fit_report_text(ctx, obs, r);
    for (const char* part : {"data file:    heads.csv (20 observations, head displacement)", "iterations:", "forward runs: " ,
                             "wall time:    1.25 s", "95 % lower", "Correlation matrix", "RMSE of the residuals:",
                             "KR", "SS"})
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
    EXPECT_NE(text.find("forward runs: " + std::to_string(r.forward_runs) + "\n"), std::string::npos);

    // CSV: header and one row per observation; observed = fitted + residual.
    const std::string csv = slug::fit_csv_text(obs, r);
    EXPECT_EQ(csv.rfind("time,observed,fitted,residual\n", 0), 0u);
    EXPECT_EQ(count(csv, "\n"), 21);
    std::istringstream in(csv);
    std::string line;
    std::getline(in, line);
    for (std::size_t i = 0; std::getline(in, line); ++i) {
        double t, o, f, res;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf,%lf,%lf,%lf", &t, &o, &f, &res), 4) << line;
        EXPECT_EQ(t, obs.time[i]);  // 17 digits restore the double
        EXPECT_EQ(o, obs.value[i]);
        EXPECT_EQ(res, o - f);
    }

    // Picture: every observation as a point, the curve as one line.
    const std::vector<double> curve_t{0.2, 1.0, 60.0}, curve_r{0.9, 0.5, 0.01};
    const std::string svg = slug::fit_svg("A & B", obs.time, obs.value, curve_t, curve_r);
    EXPECT_EQ(count(svg, "class=\"observed\""), 20);
    EXPECT_EQ(count(svg, "<polyline class=\"fitted\""), 1);
    EXPECT_NE(svg.find("A &amp; B"), std::string::npos);
    EXPECT_NE(svg.find("data-value=\"1e-1\""), std::string::npos);  // decades 0.1 ... 100
    EXPECT_NE(svg.find("data-value=\"1e2\""), std::string::npos);

    // Undetermined values in neighbouring columns stay apart, and the
    // reasons not to trust a fit are given once each.
    slug::FitResult doubtful = r;
    doubtful.se.assign(2, std::nan(""));
    doubtful.lower = doubtful.upper = doubtful.se;
    doubtful.unreliable = {"KR = 1 lies at its upper bound 1"};
    const std::string dtext = slug::fit_report_text(ctx, obs, doubtful);
    EXPECT_EQ(dtext.find("undeterminedundetermined"), std::string::npos) << dtext;
    EXPECT_EQ(count(dtext, "FIT UNRELIABLE: KR = 1 lies at its upper bound 1\n"), 1) << dtext;
    EXPECT_EQ(dtext.find("converged:"), std::string::npos);

    // A failed fit reports the failure and no estimates.
    slug::FitResult failed;
    failed.error = "no convergence within 3 iterations";
    const std::string ftext = slug::fit_report_text(ctx, obs, failed);
    EXPECT_NE(ftext.find("FIT FAILED: no convergence within 3 iterations"), std::string::npos);
    EXPECT_EQ(ftext.find("estimate"), std::string::npos);
}

struct FitRun {
    int status = -1;
    std::string out, err;
};

FitRun run_fit_command(const fittest::fs::path& dir, const std::string& args) {
    const std::string cmd = "cd '" + dir.string() + "' && exec '" SLUGWELL_EXE "' fit " + args +
                            " > .stdout 2> .stderr < /dev/null";
    const int st = std::system(cmd.c_str());
    FitRun r;
    if (WIFEXITED(st)) r.status = WEXITSTATUS(st);
    r.out = fittest::get_file(dir / ".stdout");
    r.err = fittest::get_file(dir / ".stderr");
    return r;
}

// Values near the largest double (only from a broken parameter set) are
// drawn at the axis end: the picture is finished, with finite coordinates.
TEST(FitOutputs, PictureOfExtremeValuesIsFinished) {
    const std::vector<double> t{1.0, 2.0, 3.0}, v{1.7e308, -1.7e308, 0.5};
    const std::string svg = slug::fit_svg("extreme", t, v, t, v);
    EXPECT_EQ(count(svg, "class=\"observed\""), 3);
    for (const char* bad : {"nan", "inf"}) EXPECT_EQ(svg.find(bad), std::string::npos) << bad;
}

TEST(FitProgram, FitsAFileAndWritesItsOutputs) {
    const slug::BaseInput base = fittest::load(fittest::kConfinedSkin);
    slug::FitValues truth = slug::base_values(base);
    truth.kr *= 3.0;
    truth.kz *= 3.0;
    const slug::Observations obs = fittest::synthetic(base, truth, fittest::log_times(0.1, 30.0, 18));
    const fittest::fs::path dir = fittest::scratch("program");
    fittest::put_file(dir / "input.txt", fittest::input_text(fittest::kConfinedSkin));
    // A logger's record starts at the slug: the reading at t = 0 is passed
    // over and shown beside Ho.
    std::string data = "time,head  # synthetic\n0,0.5\n";
    for (std::size_t i = 0; i < obs.time.size(); ++i)
        data += std::to_string(obs.time[i]) + "," + std::to_string(obs.value[i]) + "\n";
    fittest::put_file(dir / "heads.csv", data);

    const FitRun r =
        run_fit_command(dir, "input.txt heads.csv --csv fit.csv --plot fit.svg --units m,s");
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    const std::string report = fittest::get_file(dir / "fit.txt");
    EXPECT_NE(report.find("converged:"), std::string::npos) << report;
    // Named units: KR restated and the transmissivity, labels in the CSV
    // header, the curve over a panel of residuals.
    EXPECT_NE(report.find(" m/d = "), std::string::npos) << report;
    EXPECT_NE(report.find("  T = KR*b = "), std::string::npos) << report;
    EXPECT_EQ(fittest::get_file(dir / "fit.csv").rfind("time (s),observed (m),fitted (m),residual (m)\n", 0), 0u);
    EXPECT_EQ(count(fittest::get_file(dir / "fit.svg"), "class=\"panel\""), 2);
    EXPECT_NE(r.out.find(report), std::string::npos);  // the same report on the console
    EXPECT_NE(report.find("at t = 0:     Ho = 0.5 (input file); the reading at t = 0 (line 2) is 0.5"),
              std::string::npos);
    EXPECT_NE(r.err.find("slugwell fit: data file heads.csv: 1 reading at t <= 0 passed over"), std::string::npos)
        << r.err;
    EXPECT_EQ(count(fittest::get_file(dir / "fit.csv"), "\n"), 19);
    EXPECT_EQ(count(fittest::get_file(dir / "fit.svg"), "class=\"observed\""), 18);
    EXPECT_FALSE(fittest::fs::exists(dir / "outfile.txt"));  // a fit writes no results table

    // A failed fit after a converged one: a failure status and the reason,
    // fit.txt states the failure and the command, and no CSV or picture
    // of the earlier estimates remains.
    fittest::put_file(dir / "bad.csv", "1 0.4\n0.5 0.3\n");
    fittest::put_file(dir / "one.csv", "1 0.4\n");
    const std::pair<const char*, const char*> failures[] = {
        {"input.txt bad.csv", "slugwell fit: data file bad.csv, line 2: time 0.5 is out of order"},
        {"input.txt one.csv", "1 observations cannot determine 2 parameters"},
        {"input.txt heads.csv --params kr,kr", "parameter kr is named twice"},
        {"input.txt heads.csv --max-iter 1", "the fit failed: no convergence within 1 iterations"},
    };
    const std::string converged_csv = fittest::get_file(dir / "fit.csv");
    for (const auto& [args, message] : failures) {
        fittest::put_file(dir / "fit.csv", converged_csv);
        fittest::put_file(dir / "fit.svg", "<svg/>");
        const FitRun bad = run_fit_command(dir, std::string(args) + " --csv fit.csv --plot fit.svg");
        EXPECT_EQ(bad.status, 1) << args;
        EXPECT_NE(bad.err.find(message), std::string::npos) << bad.err;
        const std::string failed = fittest::get_file(dir / "fit.txt");
        EXPECT_NE(failed.find("FIT FAILED"), std::string::npos) << failed;
        EXPECT_NE(failed.find("command:      slugwell fit " + std::string(args) + " --csv fit.csv --plot fit.svg\n"),
                  std::string::npos)
            << failed;
        EXPECT_FALSE(fittest::fs::exists(dir / "fit.csv")) << args;
        EXPECT_FALSE(fittest::fs::exists(dir / "fit.svg")) << args;
    }

    // An output that cannot be written is found before the fit starts.
    const FitRun nowhere = run_fit_command(dir, "input.txt heads.csv --report none/fit.txt");
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_NE(nowhere.err.find("cannot write none/fit.txt"), std::string::npos) << nowhere.err;
    EXPECT_EQ(nowhere.out.find("estimating"), std::string::npos) << nowhere.out;

    // Data that are H/Ho, given as displacements: refused with the cause.
    std::string ratios = "time,ratio\n";
    for (std::size_t i = 0; i < obs.time.size(); ++i)
        ratios += std::to_string(obs.time[i]) + "," + std::to_string(obs.value[i] / base.well.ho) + "\n";
    fittest::put_file(dir / "ratios.csv", ratios);
    FitRun refused = run_fit_command(dir, "input.txt ratios.csv --starts 0");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("the fit failed: the data rise to"), std::string::npos) << refused.err;
    EXPECT_NE(fittest::get_file(dir / "fit.txt").find("FIT FAILED: the data rise to"), std::string::npos);

    // A wrong command line.
    EXPECT_EQ(run_fit_command(dir, "input.txt heads.csv --params kr,zz").status, 2);
    fittest::fs::remove_all(dir);
}

}  // namespace
