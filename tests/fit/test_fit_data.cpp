// Observation files of the fit, and the fit's command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fit/fit_data.hpp"
#include "fit/fit_main.hpp"
#include "records/test_records_support.hpp"
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
    std::string_view text;
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
        {"overflow", "1 1e999\n", "line 1: '1e999' lies outside the range of numbers"},
        // Only a first line with a letter outside its numbers is a header.
        {"malformed first row", "1.0.0,0.4174\n2,0.3\n", "line 1: '1.0.0' is not a number"},
        {"underflowing first row", "1e-320,0.5\n2,0.3\n", "line 1: '1e-320' lies outside the range of numbers"},
        {"NUL byte shown whole", std::string_view("1 0.5\n2 0.4\0x\n", 14), "line 2: '0.4\\x00x' is not a number"},
    };
    for (const BadCase& c : cases) {
        Observations obs;
        std::string err;
        EXPECT_FALSE(parse_observations(c.text, "d.txt", obs, err)) << c.name;
        EXPECT_NE(err.find(c.message), std::string::npos) << c.name << ": got \"" << err << "\"";
    }
}

// A file that is missing, or endless like a device, is named with the
// reason; the reading stops at the size limit.
TEST(FitData, FilesThatCannotBeReadAreNamed) {
    const std::pair<const char*, const char*> cases[] = {
        {"/nonexistent/heads.csv", "cannot open data file /nonexistent/heads.csv"},
        {"/dev/zero", "data file /dev/zero is larger than 64 MiB"},
    };
    for (const auto& [path, message] : cases) {
        Observations obs;
        std::string err;
        EXPECT_FALSE(slug::read_observations(path, obs, err)) << path;
        EXPECT_NE(err.find(message), std::string::npos) << err;
    }
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

    // The water column: g and the viscosity of water from the named units
    // (m, min: 35303.94 m/min^2, 6.0204e-5 m^2/min), LE the start of le.
    r = parse({f.input, f.data, "--params", "kr,le", "--units", "m,min", "--inertia", "12"});
    ASSERT_TRUE(r.run) << r.err_text;
    EXPECT_EQ(r.command.options.params, (std::vector<P>{P::KR, P::LE}));
    EXPECT_EQ(r.command.column.effective_length, 12.0);
    EXPECT_NEAR(r.command.column.gravity, 35303.94, 0.01);
    EXPECT_NEAR(r.command.column.viscosity, 6.0204e-5, 1e-9);
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
        {{f.input, f.data, "--report", "log.txt"}, "is the program's own log.txt"},
        {{f.input, f.data, "--csv", f.dir.string() + "/a", "--plot", f.dir.string() + "/a"}, "name the same file"},
        {{f.input, f.data, "--plot", f.dir.string()}, "is a folder"},
        {{f.input, f.data, "--frobnicate"}, "frobnicate"},
        {{f.input, f.data, "--depth"}, "--depth needs --static LEVEL"},
        {{f.input, f.data, "--thin", "1"}, "--thin: expected a number of readings of at least 2"},
        {{f.input, f.data, "--params", "kr,le"}, "--params le needs --gravity G"},
        {{f.input, f.data, "--inertia", "0", "--gravity", "9.8"}, "--inertia: LE must be a positive number"},
        {{f.input, f.data, "--inertia", "5", "--gravity", "-1"}, "--gravity: G must be a positive number"},
        {{f.input, f.data, "--viscosity", "1e-6"}, "--viscosity applies to the water column"},
        {{f.input, f.data, "--params", "kr,le", "--gravity", "9.8", "--classic"}, "--classic: the classic inversion has no water column"},
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
    EXPECT_TRUE(parse({f.input, f.data, "--classic"}).command.classic);
    EXPECT_FALSE(parse({f.input, f.data}).command.classic);
}

// ---- field records through the command line ----------------------------

// The DATA file as `fit` and `analyze` read it: the record options of the
// command line reach the reader, and its observations, the reading at
// t = 0 and the refused lines come back to the program.
TEST(FitData, FieldRecordsReachTheObservations) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> args;
        std::vector<double> time;
        std::vector<int> line;
        std::string at_zero;  // at_zero_text with Ho = 0.5
        std::string error;    // part of the first error; empty: read
    };
    const std::vector<Case> cases = {
        {"Levelogger export, slug at the jump",
         rectest::kLevelogger,
         {"--clock", "--columns", "Date,LEVEL", "--static", "9.8123", "--t0", "jump"},
         {0.5, 1.0, 1.5},
         {18, 19, 20},
         "Ho = 0.5 (input file); the reading at t = 0 (line 17) is 0.4979",
         ""},
        {"semicolons, decimal commas, depth to water",
         rectest::kSemicolonDepth,
         {"--clock", "--columns", "Datum,Abstich", "--depth", "--static", "3.215"},
         {1.0, 2.0, 4.0},
         {4, 5, 6},
         "Ho = 0.5 (input file); the reading at t = 0 (line 3) is 0",
         ""},
        {"plain file from t = 0 with two readings at one time",
         "time,head\n0,0.5\n0.5,0.42\n0.5,0.41\n1,0.35\n",
         {},
         {0.5, 0.5, 1.0},
         {3, 4, 5},
         "Ho = 0.5 (input file); the reading at t = 0 (line 2) is 0.5",
         ""},
        {"a refused line", "1 0.5\n2 x\n", {}, {}, {}, "", "d.txt, line 2: 'x' is not a number"},
    };
    Files f;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fittest::put_file(f.data, c.text);
        std::vector<std::string> args{f.input, f.data};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const slug::FitCliResult cli = parse(args);
        ASSERT_TRUE(cli.run) << cli.err_text;
        slug::RecordOptions records = cli.command.records;
        records.ho = 0.5;
        const slug::DataFile d = slug::read_data_file(f.data, records);
        if (!c.error.empty()) {
            ASSERT_FALSE(d.ok());
            EXPECT_NE(d.errors[0].find(c.error), std::string::npos) << d.errors[0];
            EXPECT_TRUE(d.obs.time.empty());
            continue;
        }
        ASSERT_TRUE(d.ok()) << d.errors[0];
        EXPECT_EQ(d.obs.time, c.time);
        EXPECT_EQ(d.obs.line, c.line);
        EXPECT_EQ(d.obs.value.size(), c.time.size());
        EXPECT_EQ(slug::at_zero_text(d, 0.5, false), c.at_zero);
    }
}

}  // namespace
