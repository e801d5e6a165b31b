// The run start-up as a user sees it: slugwell run as a process in a
// scratch folder, its console byte for byte, its error stream and exit
// status, and what it does to outfile.txt and log.txt. The input files use
// a count of 0 output times where the time loop is not the subject, so
// that no inversion runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "test_startup_harness.hpp"

namespace slugtest {
namespace {

// An input file: the value lines and the times; the skipped lines hold
// comments.
struct Deck {
    std::string title = "Test aquifer";
    std::string aquifer = "10.0 1.0E-4 1.0E-5 2.0E-5 1.0E-5 0.2";
    std::string unsat = "2.0 2.0 3.0 5.0";
    std::string well = "0.5 0.05 0.05 2.0 4.0 0.01";
    std::string count = "0";
    std::vector<std::string> times;

    std::string text(const std::string& eol = "\n") const {
        std::string s = title + eol + "BB KR KZ HKS SS SY" + eol + "(m, m/s, 1/m)" + eol + aquifer + eol;
        s += "U1 U2 U3 U4" + eol + "(1/m, 1/m, m, m)" + eol + unsat + eol;
        s += "HO RW RC ZPD ZPL DS" + eol + "(m)" + eol + well + eol;
        s += "times" + eol + "(s)" + eol + "NTIME" + eol + count + eol;
        for (const auto& t : times) s += t + eol;
        return s;
    }
};

const char* const kBanner =
    "\n"
    "           **********************************************************\n"
    "           * The program calculates hydraulic head in a slug well   * \n"
    "           * of a water table aquifer considering unsaturated flow. *\n"
    "           * It can also calculate hydraulic head in a water table  *\n"
    "           * or confined aquifer of a slug test without unsaturated *\n"
    "           * flow. The input file is input.txt.                     *\n"
    "           * outfile.txt. Time is the time since the slug onsite.   *\n"
    "           * HD is the ratio of H/Ho,Hydraulic head is the actual   *\n"
    "           *  head.                                                 *\n"
    "           *          The output file is outfile.txt                *\n"
    "           *                                                        *\n"
    "           *  slugwell 0.1.0                                        *\n"
    "           **********************************************************\n"
    "\n"
    "\n";

const char* const kResultsHead =
    "  Water table aquifer with only saturated flow\n"
    "\n"
    "            TIME             H/Ho Ratio        Slug Drawdown\n"
    "        --------------      --------------    --------------\n";

std::string pad(std::string s, std::size_t n) {
    s.resize(std::max(s.size(), n), ' ');
    return s;
}

// Console of the dialogue up to the title echo.
std::string dialogue(const std::string& name20, const std::string& title70) {
    return std::string(kBanner) + " Enter the name of the input file:\n Input file is " + pad(name20, 20) + "\n " +
           pad(title70, 70) + "\n";
}

// The reader's echo of the default deck and the two echoes of the start-up.
const char* const kDefaultEcho =
    " BB=  10. Kr=  0.0001 KZ=  1.E-05HKS=   2.E-05 SS=  1.E-05\n"
    " Finished  reading line 3.\n"
    " HKS=  2.E-05 DS=  0.01 SW =  1.\n"
    "  XKD=  2.5E-06\n"
    "  CCD=  4.E-05\n"
    "  XLD=  0.4 XDD=  0.2\n"
    "  ZPD=  2. ZPL=  4. BB=  10.\n"
    "  End  Reading Input Data\n"
    " Ho/b=lamda=  0.05\n"
    " Sw=   1.\n";

bool starts_with(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

bool ends_with(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

TEST(Startup, ConsoleAndResultsHeadByteForByte) {
    const auto dir = scratch_dir("exact");
    put_file(dir / "input.txt", Deck{}.text());
    const RunResult r = run_slugwell(dir, "input.txt\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::string want = dialogue("input.txt", "Test aquifer") + kDefaultEcho;
    EXPECT_TRUE(starts_with(r.out, want)) << "console was:\n" << r.out << "\nexpected start:\n" << want;
    EXPECT_EQ(get_file(dir / "outfile.txt"), kResultsHead);
    // No diagnostic record: the log exists and is empty.
    EXPECT_TRUE(fs::exists(dir / "log.txt"));
    EXPECT_EQ(get_file(dir / "log.txt"), "");
}

TEST(Startup, WindowsLineEndsAndByteOrderMarkReadAsPlainText) {
    const auto dir = scratch_dir("crlf");
    put_file(dir / "input.txt", "\xEF\xBB\xBF" + Deck{}.text("\r\n"));
    const RunResult r = run_slugwell(dir, "\xEF\xBB\xBFinput.txt\r\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(starts_with(r.out, dialogue("input.txt", "Test aquifer") + kDefaultEcho)) << r.out;
}

TEST(Startup, NameEchoIsTwentyColumnsButLongNameIsOpenedWhole) {
    // Exactly 20 characters: shown whole.
    auto dir = scratch_dir("name20");
    put_file(dir / "abcdefghijklmnop.txt", Deck{}.text());
    RunResult r = run_slugwell(dir, "  abcdefghijklmnop.txt  ignored\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(starts_with(r.out, dialogue("abcdefghijklmnop.txt", "Test aquifer") + kDefaultEcho)) << r.out;

    // Longer: the echo keeps 20 columns, the file opened is the one named
    // (a file named by the first 20 characters must not be taken instead).
    dir = scratch_dir("namelong");
    put_file(dir / "slug_test_well_MW3_2024.txt", Deck{}.text());
    Deck other;
    other.title = "WRONG FILE";
    put_file(dir / "slug_test_well_MW3_2", other.text());
    r = run_slugwell(dir, "slug_test_well_MW3_2024.txt\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(starts_with(r.out, dialogue("slug_test_well_MW3_2", "Test aquifer") + kDefaultEcho)) << r.out;

    // A quoted name may hold blanks.
    dir = scratch_dir("quoted");
    put_file(dir / "my input.txt", Deck{}.text());
    r = run_slugwell(dir, "'my input.txt'\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(starts_with(r.out, dialogue("my input.txt", "Test aquifer"))) << r.out;
}

TEST(Startup, TitleIsCutAtSeventyCharacters) {
    const auto dir = scratch_dir("title");
    Deck d;
    d.title = std::string(69, 'T') + "XYZ";
    put_file(dir / "in.txt", d.text());
    const RunResult r = run_slugwell(dir, "in.txt\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(starts_with(r.out, dialogue("in.txt", std::string(69, 'T') + "X"))) << r.out;
}

TEST(Startup, ExistingLogWithoutNewRecordsIsKept) {
    const auto dir = scratch_dir("log");
    put_file(dir / "input.txt", Deck{}.text());
    const std::string old_log = " IERR1= 4  NZ1= 0\n IERR4= 4  NZ4= 0\n";
    put_file(dir / "log.txt", old_log);
    const RunResult r = run_slugwell(dir, "input.txt\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(get_file(dir / "log.txt"), old_log);
}

TEST(Startup, SkinAndScreenDepthVariants) {
    struct Case {
        const char* aquifer;
        const char* well;
        const char* echo;  // console from the skin line to " BB=" echo
    };
    const Case cases[] = {
        // HKS = 0 and HKS < 0: no skin, SW exactly 0.
        {"10.0 1.0E-4 1.0E-5 0.0 1.0E-5 0.2", "0.5 0.05 0.05 2.0 4.0 0.01",
         " No Skin Effect\n  XKD=  2.5E-06\n  CCD=  4.E-05\n  XLD=  0.4 XDD=  0.2\n  ZPD=  2. ZPL=  4. BB=  10.\n"
         "  End  Reading Input Data\n Ho/b=lamda=  0.05\n Sw=   0.\n"},
        {"10.0 1.0E-4 1.0E-5 -3 1.0E-5 0.2", "0.5 0.05 0.05 2.0 4.0 0.01",
         " No Skin Effect\n  XKD=  2.5E-06\n"},
        // Depths given bottom first: reported and exchanged.
        {"10.0 1.0E-4 1.0E-5 0 1.0E-5 0.2", "0.5 0.05 0.05 4.0 2.0 0.01",
         " Top and bottom Screen Depth Reversed\n No Skin Effect\n  XKD=  2.5E-06\n  CCD=  4.E-05\n"
         "  XLD=  0.4 XDD=  0.2\n  ZPD=  2. ZPL=  4. BB=  10.\n"},
    };
    for (const auto& c : cases) {
        const auto dir = scratch_dir("skin");
        Deck d;
        d.aquifer = c.aquifer;
        d.well = c.well;
        put_file(dir / "in.txt", d.text());
        const RunResult r = run_slugwell(dir, "in.txt\n");
        EXPECT_EQ(r.status, 0) << r.err;
        const std::string head = dialogue("in.txt", "Test aquifer");
        ASSERT_TRUE(starts_with(r.out, head)) << r.out;
        const std::size_t at = r.out.find(" Finished  reading line 3.\n");
        ASSERT_NE(at, std::string::npos) << r.out;
        const std::string rest = r.out.substr(at + 27);
        EXPECT_TRUE(starts_with(rest, c.echo)) << rest;
    }
}

// Input errors: the exact message as the last console line, status 1, an
// earlier outfile.txt left as it was.
TEST(Startup, InputErrorOnEachDataLineEndsRunBeforeResultsFile) {
    struct Case {
        int line;
        Deck deck;
        const char* echo_before;  // last echo line before the message
    };
    std::vector<Case> cases;
    {
        Deck d;
        d.aquifer = "10.0 1.0E-4 x 2.0E-5 1.0E-5 0.2";
        cases.push_back({2, d, " Test aquifer"});
    }
    {
        Deck d;
        d.unsat = "2.0 2.0 3.0 5.0E";
        cases.push_back({3, d, " BB="});
    }
    {
        Deck d;
        d.well = "0.5 0.05 0.05 2.0 4.0 one";
        cases.push_back({4, d, " Finished  reading line 3."});
    }
    {
        Deck d;
        d.count = "3.";
        cases.push_back({5, d, "  ZPD="});
    }
    {
        Deck d;
        d.count = "2";
        d.times = {"1O", "2"};
        cases.push_back({6, d, "  ZPD="});
    }
    {
        Deck d;
        d.count = "3";
        d.times = {"1,x", "x2", "3"};  // one value per time line: ",x" is ignored
        cases.push_back({7, d, "  ZPD="});
    }
    {
        Deck d;
        d.count = "3";
        d.times = {"1", "2", "4*"};
        d.times[2] = "2**3";
        cases.push_back({8, d, "  ZPD="});
    }
    for (const auto& c : cases) {
        const auto dir = scratch_dir("inerr");
        put_file(dir / "in.txt", c.deck.text());
        put_file(dir / "outfile.txt", "results of an earlier run\n");
        const RunResult r = run_slugwell(dir, "in.txt\n");
        EXPECT_EQ(r.status, 1) << "data line " << c.line;
        EXPECT_FALSE(r.aborted);
        const std::string msg =
            "  While readling line= " + std::to_string(c.line) + " Encount             an Input Error\n";
        EXPECT_TRUE(ends_with(r.out, msg)) << r.out;
        const std::string before = r.out.substr(0, r.out.size() - msg.size());
        const std::size_t last = before.rfind('\n', before.size() - 2);
        EXPECT_TRUE(starts_with(before.substr(last + 1), c.echo_before)) << before;
        EXPECT_EQ(get_file(dir / "outfile.txt"), "results of an earlier run\n");
    }
}

TEST(Startup, MissingInputFileGivesFatalOpenReport) {
    const auto dir = scratch_dir("missing");
    put_file(dir / "outfile.txt", "kept\n");
    const RunResult r = run_slugwell(dir, "nosuch.txt\n");
    EXPECT_TRUE(r.aborted) << "status " << r.status;
    EXPECT_EQ(r.err,
              "open: No such file or directory\n"
              "apparent state: unit 11 named nosuch.txt\n"
              "last format: list io\n"
              // the last transfer was the echo of the name
              "lately writing sequential formatted external IO\n");
    EXPECT_EQ(r.out, std::string(kBanner) + " Enter the name of the input file:\n Input file is nosuch.txt          \n");
    EXPECT_EQ(get_file(dir / "outfile.txt"), "kept\n");
}

TEST(Startup, EarlyEndOfFileGivesFatalReport) {
    struct Case {
        std::string text;
        const char* report;
    };
    const std::string full = Deck{}.text();
    Deck with_times;
    with_times.count = "3";
    with_times.times = {"1", "2"};
    const Case cases[] = {
        {"", "fmt in: end of file\napparent state: unit 11 named in.txt\nlast format: (A70)\n"},
        // Ends in the skipped line before the well line.
        {full.substr(0, full.find("HO RW")),
         "list in: end of file\napparent state: unit 11 named in.txt\nlast format: list io\n"},
        // A value line with too few values, and nothing after it.
        {"t\n\n\n1 2 3\n", "list in: end of file\napparent state: unit 11 named in.txt\nlast format: list io\n"},
        {with_times.text(), "list in: end of file\napparent state: unit 11 named in.txt\nlast format: list io\n"},
    };
    for (const auto& c : cases) {
        const auto dir = scratch_dir("eof");
        put_file(dir / "in.txt", c.text);
        const RunResult r = run_slugwell(dir, "in.txt\n");
        EXPECT_TRUE(r.aborted) << c.text;
        EXPECT_EQ(r.err, std::string(c.report) + "lately reading sequential formatted external IO\n") << c.text;
        EXPECT_FALSE(fs::exists(dir / "outfile.txt"));
    }
    // No name at the console at all.
    const auto dir = scratch_dir("eofname");
    const RunResult r = run_slugwell(dir, "\n  \n");
    EXPECT_TRUE(r.aborted);
    EXPECT_EQ(r.err,
              "list in: end of file\napparent state: unit 5 named stdin\nlast format: list io\n"
              "lately reading sequential formatted external IO\n");
}

TEST(Startup, ShortValueLineTakesValuesFromNextLineAndLaterLinesShift) {
    // The aquifer line holds five values; the sixth (SY) comes from file
    // line 5, so the two skips that follow eat the heading and the
    // unsaturated-zone values themselves, and that read meets a comment
    // line: an input error on data line 3.
    const auto dir = scratch_dir("shift");
    std::string t = "Shifted\nc\nc\n10.0 1.0E-4 1.0E-5 0 1.0E-5\n0.2\nU1 U2 U3 U4\n2 2 3 5\n";
    put_file(dir / "in.txt", t + "c\nc\n0.5 0.05 0.05 2 4 0\nc\nc\nc\n0\n");
    const RunResult r = run_slugwell(dir, "in.txt\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(ends_with(r.out,
                          " BB=  10. Kr=  0.0001 KZ=  1.E-05HKS=   0. SS=  1.E-05\n"
                          "  While readling line= 3 Encount             an Input Error\n"))
        << r.out;
}

TEST(Startup, ValueLineFormsOfTheInputFile) {
    // Repeat counts, D exponents, commas, an empty value (SY keeps 0), a
    // slash (DS keeps 0), and extra values.
    const auto dir = scratch_dir("forms");
    Deck d;
    d.aquifer = "10.0,1.0D-4, 1.0d-5 ,2.0E-5,1.0E-5,,";
    d.unsat = "2*2.0 3.0 5.0 7.0 8.0";
    d.well = "0.5 2*0.05 2.0 4.0/ 0.01";
    put_file(dir / "in.txt", d.text());
    const RunResult r = run_slugwell(dir, "in.txt\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(" BB=  10. Kr=  0.0001 KZ=  1.E-05HKS=   2.E-05 SS=  1.E-05\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" HKS=  2.E-05 DS=  0. SW =  0.\n"), std::string::npos) << r.out;
}

// Values the model cannot use: one line on the error stream naming the
// value, status 1, outfile.txt untouched, after the reader's messages.
TEST(Startup, UnusableValuesAreRejected) {
    struct Case {
        const char* aquifer;
        const char* unsat;
        const char* well;
        const char* count;
        std::vector<std::string> times;
        const char* names;  // text the error line must hold
    };
    const char* A = "10.0 1.0E-4 1.0E-5 2.0E-5 1.0E-5 0.2";
    const char* U = "2.0 2.0 3.0 5.0";
    const char* W = "0.5 0.05 0.05 2.0 4.0 0.01";
    const std::vector<Case> cases = {
        {"0 1.0E-4 1.0E-5 2.0E-5 1.0E-5 0.2", U, W, "0", {}, "BB = 0."},
        {"10.0 -1.0E-4 1.0E-5 2.0E-5 1.0E-5 0.2", U, W, "0", {}, "KR = -0.0001"},
        {"10.0 1.0E-4 0 2.0E-5 1.0E-5 0.2", U, W, "0", {}, "KZ = 0."},
        {"10.0 1.0E-4 1.0E-5 2.0E-5 -1.0E-5 0.2", U, W, "0", {}, "SS = -1.E-05"},
        {"10.0 1.0E-4 1.0E-5 2.0E-5 1.0E-5 -0.2", U, W, "0", {}, "SY = -0.2"},
        {"inf 1.0E-4 1.0E-5 2.0E-5 1.0E-5 0.2", U, W, "0", {}, "BB = Infinity"},
        {"10.0 1.0E-4 1.0E-5 2.0E-5 1.0E999 0.2", U, W, "0", {}, "SS = Infinity"},
        {"10.0 1.0E-4 1.0E-5 nan 1.0E-5 0.2", U, W, "0", {}, "HKS = NaN"},
        {A, "0 2.0 3.0 5.0", W, "0", {}, "U1 = 0."},
        {A, "2.0 -2.0 3.0 5.0", W, "0", {}, "U2 = -2."},
        {A, "2.0 2.0 -3.0 5.0", W, "0", {}, "U3 = -3."},
        {A, U, "0 0.05 0.05 2.0 4.0 0.01", "0", {}, "HO = 0."},
        {A, U, "0.5 0 0.05 2.0 4.0 0.01", "0", {}, "RW = 0."},
        {A, U, "0.5 0.05 -0.05 2.0 4.0 0.01", "0", {}, "RC = -0.05"},
        {A, U, "0.5 0.05 0.05 3.0 3.0 0.01", "0", {}, "zero length"},
        {A, U, "0.5 0.05 0.05 -1.0 4.0 0.01", "0", {}, "ZPD = -1."},
        {A, U, "0.5 0.05 0.05 2.0 10.5 0.01", "0", {}, "ZPL = 10.5"},
        {A, U, W, "1", {"0"}, "time = 0."},
        {A, U, W, "2", {"5", "-1"}, "data line 7"},
        {"10.0 1.0E-4 1.0E-35 0 1.0E-5 0.2", U, W, "0", {}, "XKD2"},
    };
    for (const auto& c : cases) {
        const auto dir = scratch_dir("reject");
        Deck d;
        d.aquifer = c.aquifer;
        d.unsat = c.unsat;
        d.well = c.well;
        d.count = c.count;
        d.times = c.times;
        put_file(dir / "in.txt", d.text());
        put_file(dir / "outfile.txt", "earlier\n");
        const RunResult r = run_slugwell(dir, "in.txt\n");
        EXPECT_EQ(r.status, 1) << c.names << "\n" << r.out;
        EXPECT_TRUE(ends_with(r.out, "  End  Reading Input Data\n")) << r.out;
        EXPECT_TRUE(starts_with(r.err, "slugwell: input error in in.txt: ")) << r.err;
        EXPECT_NE(r.err.find(c.names), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(get_file(dir / "outfile.txt"), "earlier\n");
    }
}

TEST(Startup, CountAboveCapacityIsReadThenRejected) {
    const auto dir = scratch_dir("count");
    Deck d;
    d.count = "201";
    for (int i = 1; i <= 201; ++i) d.times.push_back(std::to_string(i));
    put_file(dir / "in.txt", d.text());
    const RunResult r = run_slugwell(dir, "in.txt\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(ends_with(r.out, "  End  Reading Input Data\n")) << r.out;
    EXPECT_NE(r.err.find("NTIME = 201"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "outfile.txt"));
}

TEST(Startup, PhysicalLimitsAreAccepted) {
    // SY = 0 (confined top), SS = 0, a screen over the whole thickness,
    // a negative slug (water level lowered), and a count of 0.
    const auto dir = scratch_dir("limits");
    Deck d;
    d.aquifer = "10.0 1.0E-4 1.0E-5 0 0 0";
    d.well = "-0.5 0.05 0.05 0 10 0";
    put_file(dir / "in.txt", d.text());
    const RunResult r = run_slugwell(dir, "in.txt\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find(" Ho/b=lamda= -0.05\n Sw=   0.\n"), std::string::npos) << r.out;
    EXPECT_EQ(get_file(dir / "outfile.txt"), kResultsHead);
}

}  // namespace
}  // namespace slugtest
