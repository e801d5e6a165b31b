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

    slug::FitReportContext ctx{"in.txt", "heads.csv", "Fit test", false, 1.25, {}, 0.0};
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

TEST(FitProgram, FitsAFileAndWritesItsOutputs) {
    const slug::BaseInput base = fittest::load(fittest::kConfinedSkin);
    slug::FitValues truth = slug::base_values(base);
    truth.kr *= 3.0;
    truth.kz *= 3.0;
    const slug::Observations obs = fittest::synthetic(base, truth, fittest::log_times(0.1, 30.0, 18));
    const fittest::fs::path dir = fittest::scratch("program");
    fittest::put_file(dir / "input.txt", fittest::input_text(fittest::kConfinedSkin));
    std::string data = "time,head  # synthetic\n";
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
    EXPECT_EQ(count(fittest::get_file(dir / "fit.csv"), "\n"), 19);
    EXPECT_EQ(count(fittest::get_file(dir / "fit.svg"), "class=\"observed\""), 18);
    EXPECT_FALSE(fittest::fs::exists(dir / "outfile.txt"));  // a fit writes no results table

    // Bad data: a clear message and a failure status; no report written.
    fittest::fs::remove(dir / "fit.txt");
    fittest::put_file(dir / "bad.csv", "1 0.4\n0.5 0.3\n");
    FitRun bad = run_fit_command(dir, "input.txt bad.csv");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("slugwell fit: data file bad.csv, line 2: time 0.5 is out of order"), std::string::npos)
        << bad.err;
    EXPECT_FALSE(fittest::fs::exists(dir / "fit.txt"));

    // A fit that cannot finish: failure status, and the report says so.
    FitRun unfinished = run_fit_command(dir, "input.txt heads.csv --max-iter 1");
    EXPECT_EQ(unfinished.status, 1);
    EXPECT_NE(unfinished.err.find("the fit failed: no convergence within 1 iterations"), std::string::npos)
        << unfinished.err;
    EXPECT_NE(fittest::get_file(dir / "fit.txt").find("FIT FAILED"), std::string::npos);

    // A wrong command line.
    EXPECT_EQ(run_fit_command(dir, "input.txt heads.csv --params kr,zz").status, 2);
    fittest::fs::remove_all(dir);
}

}  // namespace
