// Command-line parsing: help, version, usage errors with status 2, the
// checks on the run's files, and the --times grid arguments.
#include "cli/command_line.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace slug {
namespace {

namespace fs = std::filesystem;

// A scratch folder with an input file in it, removed afterwards.
class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("slug_cli_" + std::to_string(::testing::UnitTest::GetInstance()
                                                ->random_seed()) +
               "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        input = (dir / "in.txt").string();
        std::ofstream(input) << "title\n";
    }
    void TearDown() override { fs::remove_all(dir); }

    static CliResult parse(std::vector<std::string> args) {
        std::vector<const char*> argv{"slugwell"};
        for (const std::string& a : args) argv.push_back(a.c_str());
        return parse_command_line(static_cast<int>(argv.size()), argv.data());
    }

    fs::path dir;
    std::string input;
};

TEST_F(CliTest, NoArgumentsIsTheInteractiveRun) {
    CliResult r = parse({});
    EXPECT_TRUE(r.run);
    EXPECT_TRUE(r.options.input.empty());
    EXPECT_TRUE(r.options.csv.empty());
    EXPECT_TRUE(r.options.plot.empty());
    EXPECT_FALSE(r.options.has_times);
    EXPECT_TRUE(r.out_text.empty());
    EXPECT_TRUE(r.err_text.empty());
}

TEST_F(CliTest, InputAndOutputsAreTaken) {
    const std::string csv = (dir / "r.csv").string();
    const std::string svg = (dir / "r.svg").string();
    for (const auto& args : std::vector<std::vector<std::string>>{
             {input, "--csv", csv, "--plot", svg},
             {"--plot", svg, "--csv=" + csv, input},
             {"--csv", csv, "--plot=" + svg, "--", input}}) {
        CliResult r = parse(args);
        ASSERT_TRUE(r.run) << r.err_text;
        EXPECT_EQ(r.options.input, input);
        EXPECT_EQ(r.options.csv, csv);
        EXPECT_EQ(r.options.plot, svg);
        EXPECT_TRUE(r.err_text.empty());
    }
}

TEST_F(CliTest, HelpAndVersionGoToStandardOutputWithStatus0) {
    for (const char* flag : {"--help", "-h"}) {
        CliResult r = parse({flag});
        EXPECT_FALSE(r.run) << flag;
        EXPECT_EQ(r.status, 0);
        EXPECT_TRUE(r.err_text.empty());
        for (const char* word : {"Usage", "INPUT", "--csv", "--plot", "--times",
                                 "--version", "outfile.txt"})
            EXPECT_NE(r.out_text.find(word), std::string::npos) << word;
    }
    // A request for help next to a valid input only prints the help.
    EXPECT_FALSE(parse({input, "--help"}).run);

    CliResult v = parse({"--version"});
    EXPECT_FALSE(v.run);
    EXPECT_EQ(v.status, 0);
    EXPECT_EQ(v.out_text.rfind("slugwell ", 0), 0u) << v.out_text;
    EXPECT_EQ(v.out_text.back(), '\n');
    EXPECT_EQ(v.out_text.find('\n'), v.out_text.size() - 1) << "one line";
}

// Every malformed command line: status 2, nothing on standard output, a
// message naming the problem and the usage line on the error stream.
TEST_F(CliTest, UsageErrorsGiveStatus2AndAMessage) {
    const std::string nodir = (dir / "no" / "such" / "r.csv").string();
    const struct {
        std::vector<std::string> args;
        const char* expect_in_message;
    } cases[] = {
        {{"--bogus"}, "--bogus"},
        {{"-x", input}, "-x"},
        {{input, "second.txt"}, "second.txt"},
        {{input, "--csv"}, "--csv"},
        {{input, "--plot"}, "--plot"},
        {{(dir / "missing.txt").string()}, "input file not found"},
        {{dir.string()}, "folder"},
        {{input, "--csv", input}, "is the input file"},
        {{input, "--plot", (dir / "." / "in.txt").string()}, "is the input file"},
        {{input, "--csv", "./outfile.txt"}, "outfile.txt"},
        {{input, "--plot", "log.txt"}, "log.txt"},
        {{input, "--csv", nodir}, "does not exist"},
        {{input, "--csv", dir.string()}, "folder"},
        {{input, "--csv", (dir / "a").string(), "--plot", (dir / "a").string()},
         "same file"},
        {{input, "--times", "1000", "3"}, "--times"},
        {{input, "--times", "1000", "3.5", "10"}, "--times"},
        {{input, "--times", "ten", "3", "10"}, "--times"},
        {{input, "--times", "-1", "3", "10"}, "TEND"},
        {{input, "--times", "0", "3", "10"}, "TEND"},
        {{input, "--times", "nan", "3", "10"}, "TEND"},
        {{input, "--times", "inf", "3", "10"}, "TEND"},
        {{input, "--times", "1000", "0", "10"}, "at least 1"},
        {{input, "--times", "1000", "3", "-2"}, "at least 1"},
        {{input, "--times", "1000", "20", "10"}, "200"},
        {{input, "--times", "1000", "2000000000", "2000000000"}, "200"},
        {{input, "--times", "1e-300", "100", "1"}, "--times: TEND/10^NCYCLE, the first of the times, underflows"},
        {{input, "--inertia", "20"}, "needs --gravity"},
        {{input, "--inertia", "0", "--gravity", "9.8"}, "--inertia: LE"},
        {{input, "--inertia", "nan", "--gravity", "9.8"}, "--inertia: LE"},
        {{input, "--inertia", "20", "--gravity", "-9.8"}, "--gravity: G"},
        {{input, "--inertia", "20", "--gravity", "9.8", "--viscosity", "-1"}, "--viscosity: NU"},
        {{input, "--gravity", "9.8"}, "--gravity applies"},
        {{input, "--viscosity", "1e-6"}, "--viscosity applies"},
        {{input, "--units", "m"}, "--units: expected LENGTH,TIME"},
        {{input, "--units", "yd,s"}, "unknown length unit 'yd'"},
        {{input, "--plot-view", "semilog"}, "no --plot file"},
        {{input, "--plot", (dir / "p.svg").string(), "--plot-view", "loglog"}, "typecurve, semilog, both or linear"},
    };
    for (const auto& c : cases) {
        std::string line;
        for (const std::string& a : c.args) line += a + " ";
        CliResult r = parse(c.args);
        EXPECT_FALSE(r.run) << line;
        EXPECT_EQ(r.status, kUsageStatus) << line;
        EXPECT_TRUE(r.out_text.empty()) << line;
        EXPECT_NE(r.err_text.find(c.expect_in_message), std::string::npos)
            << line << "\n" << r.err_text;
        EXPECT_EQ(r.err_text.rfind("slugwell: ", 0), 0u) << r.err_text;
        EXPECT_NE(r.err_text.find("Usage: slugwell"), std::string::npos)
            << r.err_text;
    }
}

TEST_F(CliTest, UnitsAndPlotViewAreTaken) {
    const CliResult r = parse({input, "--units", "ft,min", "--plot", (dir / "p.svg").string(), "--plot-view", "both"});
    ASSERT_TRUE(r.run) << r.err_text;
    EXPECT_EQ(r.options.units.length, "ft");
    EXPECT_EQ(r.options.units.time, "min");
    EXPECT_EQ(r.options.plot_view, PlotView::Both);
    EXPECT_FALSE(parse({input}).options.units.named());
}

TEST_F(CliTest, TimesGridArguments) {
    CliResult r = parse({input, "--times", "1e4", "3", "10"});
    ASSERT_TRUE(r.run) << r.err_text;
    EXPECT_TRUE(r.options.has_times);
    EXPECT_EQ(r.options.times.tend, 1e4);
    EXPECT_EQ(r.options.times.ncycle, 3);
    EXPECT_EQ(r.options.times.npercyc, 10);

    // The largest grid that fits: 199*1 + 1 = 200 times.
    EXPECT_TRUE(parse({input, "--times", "5", "199", "1"}).run);
    EXPECT_TRUE(parse({input, "--times", "5", "1", "199"}).run);
}

// The water column: its values taken, the accurate table implied, and a
// note when it has no friction.
TEST_F(CliTest, WaterColumnArguments) {
    const struct {
        std::vector<std::string> args;
        double inertia, gravity, viscosity;
        bool note;
    } cases[] = {
        {{input, "--inertia", "20", "--gravity", "9.80665", "--viscosity", "1e-6"}, 20.0, 9.80665, 1e-6, false},
        {{input, "--inertia", "2.5", "--gravity", "32.174"}, 2.5, 32.174, 0.0, true},
        {{input, "--inertia", "1", "--gravity", "1", "--viscosity", "0"}, 1.0, 1.0, 0.0, false},
        // g and water at 20 C from the named units: m,s; ft,min (0.3048 m,
        // 60 s: g = 9.80665 * 3600 / 0.3048, nu = 1.0034e-6 * 60 / 0.3048^2).
        {{input, "--inertia", "20", "--units", "m,s"}, 20.0, 9.80665, 1.0034e-6, false},
        {{input, "--inertia", "20", "--units", "ft,min"}, 20.0, 115826.57480314960, 6.4803e-4, false},
        {{input, "--inertia", "20", "--units", "m,s", "--gravity", "9.81", "--viscosity", "0"}, 20.0, 9.81, 0.0,
         false},
    };
    for (const auto& c : cases) {
        CliResult r = parse(c.args);
        ASSERT_TRUE(r.run) << r.err_text;
        EXPECT_TRUE(r.options.accurate);
        EXPECT_EQ(r.options.inertia, c.inertia);
        // The conversions of the named units: to rounding, and to the 5
        // digits of the viscosity written above.
        EXPECT_NEAR(r.options.gravity, c.gravity, 1e-14 * c.gravity);
        EXPECT_NEAR(r.options.viscosity, c.viscosity, 1e-5 * c.viscosity);
        EXPECT_EQ(r.err_text.find("no casing friction") != std::string::npos, c.note) << r.err_text;
    }
}

}  // namespace
}  // namespace slug
