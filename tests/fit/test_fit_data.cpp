// Observation files of the fit, and the fit's command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fit/fit_data.hpp"
#include "fit/fit_main.hpp"
#include "test_fit_support.hpp"

namespace {

using slug::Observations;
using slug::parse_observations;

struct GoodCase {
    const char* name;
    const char* text;
    std::vector<double> time;
    std::vector<double> value;
};

TEST(FitData, AcceptsTheUsualLayouts) {
    const GoodCase cases[] = {
        {"blanks", "1 0.5\n2 0.25\n", {1, 2}, {0.5, 0.25}},
        {"comma", "1,0.5\n2, 0.25\n", {1, 2}, {0.5, 0.25}},
        {"tabs and crlf", "1\t0.5\r\n2\t0.25\r\n", {1, 2}, {0.5, 0.25}},
        {"header and comments", "# logger MW-3\ntime,head\n\n1 0.5 # first\n  # aside\n2 0.25\n", {1, 2},
         {0.5, 0.25}},
        {"byte order mark", "\xEF\xBB\xBFt h\n1e-1 5E-1\n2.5 -1e-3\n", {0.1, 2.5}, {0.5, -1e-3}},
        {"no final line end", "1 0.5\n2 0.25", {1, 2}, {0.5, 0.25}},
    };
    for (const GoodCase& c : cases) {
        Observations obs;
        std::string err;
        ASSERT_TRUE(parse_observations(c.text, "d.txt", obs, err)) << c.name << ": " << err;
        EXPECT_EQ(obs.time, c.time) << c.name;
        EXPECT_EQ(obs.value, c.value) << c.name;
    }
}

struct BadCase {
    const char* name;
    const char* text;
    const char* message;  // expected part of the error
};

TEST(FitData, RefusesBadFilesWithTheLineInError) {
    const BadCase cases[] = {
        {"empty", "", "data file d.txt holds no observations"},
        {"comments only", "# nothing\n\n   \n", "holds no observations"},
        {"header only", "time head\n", "holds no observations"},
        {"one column", "1 0.5\n2\n", "line 2: expected two values (time and head), found 1"},
        {"three columns", "1 0.5 7\n", "line 1: expected two values (time and head), found 3"},
        {"non-numeric value", "1 0.5\n2 abc\n", "line 2: 'abc' is not a number"},
        {"non-numeric time", "1 0.5\n2x 0.4\n", "line 2: '2x' is not a number"},
        {"second header", "t h\n1 0.5\nt h\n", "line 3: 't' is not a number"},
        {"empty field", "1,,0.5\n", "found 3"},
        {"negative time", "1 0.5\n-2 0.4\n", "line 2: time -2 is not greater than 0"},
        {"zero time", "0 1\n", "line 1: time 0 is not greater than 0"},
        {"out of order", "1 0.5\n3 0.3\n2 0.4\n", "line 3: time 2 is out of order: not greater than the time 3 on line 2"},
        {"repeated time", "1 0.5\n1 0.4\n", "line 2: time 1 is out of order"},
        {"not finite", "1 nan\n", "line 1: 'nan' is not a finite number"},
        {"overflow", "1 1e999\n", "line 1: '1e999' is not a number"},
    };
    for (const BadCase& c : cases) {
        Observations obs;
        std::string err;
        EXPECT_FALSE(parse_observations(c.text, "d.txt", obs, err)) << c.name;
        EXPECT_NE(err.find(c.message), std::string::npos) << c.name << ": got \"" << err << "\"";
    }
}

TEST(FitData, MissingFileIsNamed) {
    Observations obs;
    std::string err;
    EXPECT_FALSE(slug::read_observations("/nonexistent/heads.csv", obs, err));
    EXPECT_NE(err.find("cannot open data file /nonexistent/heads.csv"), std::string::npos) << err;
}

// ---- command line ----------------------------------------------------

slug::FitCliResult parse(std::vector<std::string> args) {
    std::vector<const char*> argv{"fit"};
    for (const std::string& a : args) argv.push_back(a.c_str());
    return slug::parse_fit_command_line(static_cast<int>(argv.size()), argv.data());
}

struct Files {
    fittest::fs::path dir = fittest::scratch("cli");
    std::string input = (dir / "in.txt").string();
    std::string data = (dir / "d.txt").string();
    Files() {
        fittest::put_file(input, "x\n");
        fittest::put_file(data, "1 1\n");
    }
    ~Files() { fittest::fs::remove_all(dir); }
};

TEST(FitCli, DefaultsAndChoices) {
    Files f;
    slug::FitCliResult r = parse({f.input, f.data});
    ASSERT_TRUE(r.run) << r.err_text;
    EXPECT_EQ(r.command.options.params, (std::vector<slug::FitParam>{slug::FitParam::KR, slug::FitParam::SS}));
    EXPECT_EQ(r.command.report, "fit.txt");
    EXPECT_FALSE(r.command.options.normalized);

    EXPECT_EQ(r.command.options.starts, -1);
    EXPECT_FALSE(r.command.options.force || r.command.options.auto_start);

    r = parse({f.input, f.data, "--params", "KR,ua1,u2,kzkr,hks,sy,ho,t0", "--normalized", "--bound", "kr=1e-6,1e-2",
               "--bound", "u2=0.5, 80", "--max-iter", "7", "--starts", "0", "--force", "--auto-start"});
    ASSERT_TRUE(r.run) << r.err_text;
    using P = slug::FitParam;
    EXPECT_EQ(r.command.options.params, (std::vector<P>{P::KR, P::U1, P::U2, P::KZKR, P::HKS, P::SY, P::HO, P::T0}));
    EXPECT_EQ(r.command.options.starts, 0);
    EXPECT_TRUE(r.command.options.force && r.command.options.auto_start);
    EXPECT_TRUE(r.command.options.normalized);
    ASSERT_EQ(r.command.options.bounds.size(), 2u);
    EXPECT_EQ(r.command.options.bounds[0].param, P::KR);
    EXPECT_EQ(r.command.options.bounds[0].lo, 1e-6);
    EXPECT_EQ(r.command.options.bounds[1].hi, 80.0);
    EXPECT_EQ(r.command.options.max_iterations, 7);
}

TEST(FitCli, WrongCommandLinesAreUsageErrors) {
    Files f;
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{f.input}, "DATA is required"},
        {{f.input, f.data, "--params", "kr,porosity"}, "unknown parameter 'porosity'"},
        {{f.input, f.data, "--params", "kr,"}, "unknown parameter ''"},
        {{f.input, f.data, "--bound", "kr=1e-6"}, "--bound: expected NAME=LO,HI"},
        {{f.input, f.data, "--bound", "kr:1,2"}, "--bound: expected NAME=LO,HI"},
        {{f.input, f.data, "--bound", "kr=a,2"}, "--bound: expected NAME=LO,HI"},
        {{f.input, f.data, "--max-iter", "0"}, "--max-iter"},
        {{f.input, f.data, "--starts", "-2"}, "--starts"},
        {{f.input, f.dir.string() + "/none.txt"}, "file not found"},
        {{f.input, f.data, "--csv", f.data}, "would overwrite the input or the data file"},
        {{f.input, f.data, "--report", f.input}, "would overwrite"},
        {{f.input, f.data, "--csv", f.dir.string() + "/a", "--plot", f.dir.string() + "/a"}, "name the same file"},
        {{f.input, f.data, "--plot", f.dir.string()}, "is a folder"},
        {{f.input, f.data, "--frobnicate"}, "frobnicate"},
    };
    for (const auto& [args, message] : cases) {
        const slug::FitCliResult r = parse(args);
        EXPECT_FALSE(r.run) << message;
        EXPECT_EQ(r.status, 2) << message;
        EXPECT_NE(r.err_text.find(message), std::string::npos) << "got: " << r.err_text;
    }
    const slug::FitCliResult help = parse({"--help"});
    EXPECT_FALSE(help.run);
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out_text.find("--params"), std::string::npos);
}

}  // namespace
