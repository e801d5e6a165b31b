// Catalogue of bad values in the input file, run through the whole program:
// every malformed or unusable value, in every value position, gives the
// reader's input-error line or one clear line on the error stream, exit
// status 1, and leaves the outfile.txt of an earlier run untouched.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_robustness_support.hpp"

namespace slug::robustness {
namespace {

// One value position of the input file.
struct Position {
    int line;       // line index in GoodInput
    int pos;        // value index on that line
    int data_line;  // the reader's data-line number for it
    const char* name;
    bool integer;
};

// The rows of outfile.txt for the good input (times 10 and 100).
std::vector<std::string> good_rows() {
    const auto lines = lines_of(run_input(GoodInput().text()).outfile);
    return {lines.begin() + 4, lines.end()};
}

const std::vector<Position>& positions() {
    static const std::vector<Position> p = {
        {GoodInput::kAquifer, 0, 2, "BB", false},   {GoodInput::kAquifer, 1, 2, "KR", false},
        {GoodInput::kAquifer, 2, 2, "KZ", false},   {GoodInput::kAquifer, 3, 2, "HKS", false},
        {GoodInput::kAquifer, 4, 2, "SS", false},   {GoodInput::kAquifer, 5, 2, "SY", false},
        {GoodInput::kUnsat, 0, 3, "U1", false},     {GoodInput::kUnsat, 1, 3, "U2", false},
        {GoodInput::kUnsat, 2, 3, "U3", false},     {GoodInput::kUnsat, 3, 3, "U4", false},
        {GoodInput::kWell, 0, 4, "HO", false},      {GoodInput::kWell, 1, 4, "RW", false},
        {GoodInput::kWell, 2, 4, "RC", false},      {GoodInput::kWell, 3, 4, "ZPD", false},
        {GoodInput::kWell, 4, 4, "ZPL", false},     {GoodInput::kWell, 5, 4, "DS", false},
        {GoodInput::kCount, 0, 5, "NTIME", true},   {GoodInput::kFirstTime, 0, 6, "time", false},
        {GoodInput::kFirstTime + 1, 0, 7, "time", false},
    };
    return p;
}

std::string describe(const Position& p, const std::string& token) {
    std::string shown;
    for (char c : token.substr(0, 20)) shown += (c == '\0') ? std::string("\\0") : std::string(1, c);
    return std::string(p.name) + " <- \"" + shown + (token.size() > 20 ? "...\"" : "\"");
}

// Tokens that are not numbers of any kind: the reader stops at them with
// its input-error line naming the data line, and the run ends with status
// 1 before outfile.txt is opened.
TEST(RobustnessValues, MalformedValueInEveryPositionIsAnInputError) {
    const std::vector<std::string> tokens = {
        "1.2.3", "1e", "1E+", "--1", "+-1", "0*5", "abc", "1d", "e5", ".", "-", "1..2", "3*x", "2*1.2.3",
        std::string("1\0", 2), std::string("\0", 1), "1x", "0x10",
    };
    for (const Position& p : positions()) {
        for (const std::string& token : tokens) {
            SCOPED_TRACE(describe(p, token));
            const Outcome r = run_input(GoodInput().set(p.line, p.pos, token).text());
            ASSERT_TRUE(r.exited);
            EXPECT_EQ(r.status, 1);
            EXPECT_EQ(last_line(r.out), input_error_line(p.data_line));
            EXPECT_EQ(r.out.find("End  Reading Input Data"), std::string::npos);
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(r.outfile, earlier_outfile());
        }
    }
}

// Numbers whose value is not finite. A real field takes them (overflow
// gives an infinity), and the start-up then rejects the value by name on
// the error stream; the integer count cannot hold them at all.
TEST(RobustnessValues, NonFiniteValueInEveryPositionIsRejected) {
    const std::vector<std::string> tokens = {
        "1e999", "-1D400", "nan", "NaN(0x1)", "inf", "-Infinity", "1" + std::string(1000000, '0'),
    };
    for (const Position& p : positions()) {
        for (const std::string& token : tokens) {
            SCOPED_TRACE(describe(p, token));
            const Outcome r = run_input(GoodInput().set(p.line, p.pos, token).text());
            ASSERT_TRUE(r.exited);
            EXPECT_EQ(r.status, 1);
            EXPECT_EQ(r.outfile, earlier_outfile());
            if (p.integer) {
                EXPECT_EQ(last_line(r.out), input_error_line(p.data_line));
                EXPECT_EQ(r.err, "");
                continue;
            }
            EXPECT_EQ(last_line(r.out), "  End  Reading Input Data");
            // One line, naming a value of the data line and the reason. A
            // non-finite screen depth compares as reversed, so after the
            // exchange (which the console shows) it may sit in the other
            // depth's field.
            ASSERT_EQ(lines_of(r.err).size(), 1u) << r.err;
            EXPECT_EQ(r.err.rfind("slugwell: input error in in.txt: ", 0), 0u) << r.err;
            EXPECT_NE(r.err.find("is not a finite number\n"), std::string::npos) << r.err;
            EXPECT_NE(r.err.find("data line " + std::to_string(p.data_line)), std::string::npos) << r.err;
            const std::string name = p.name;
            if (name == "ZPD" || name == "ZPL")
                EXPECT_TRUE(r.err.find(": ZPD = ") != std::string::npos || r.err.find(": ZPL = ") != std::string::npos)
                    << r.err;
            else
                EXPECT_NE(r.err.find(": " + name + " = "), std::string::npos) << r.err;
        }
    }
}

// Values that are numbers but that the model cannot use, each with the
// exact line on the error stream.
TEST(RobustnessValues, UnusableValuesAreRejectedByName) {
    struct Case {
        int line, pos;
        const char* token;
        const char* message;
    };
    const std::vector<Case> cases = {
        {GoodInput::kAquifer, 0, "0", "BB = 0. (aquifer thickness, data line 2) must be greater than 0"},
        {GoodInput::kAquifer, 0, "-20", "BB = -20. (aquifer thickness, data line 2) must be greater than 0"},
        {GoodInput::kAquifer, 1, "0", "KR = 0. (radial hydraulic conductivity, data line 2) must be greater than 0"},
        {GoodInput::kAquifer, 2, "-1e-6",
         "KZ = -1.E-06 (vertical hydraulic conductivity, data line 2) must be greater than 0"},
        {GoodInput::kAquifer, 4, "-1e-5", "SS = -1.E-05 (specific storage, data line 2) must not be negative"},
        {GoodInput::kAquifer, 5, "-0.1", "SY = -0.1 (specific yield, data line 2) must not be negative"},
        {GoodInput::kUnsat, 0, "0", "U1 = 0. (decay rate of the moisture capacity, data line 3) must be greater than 0"},
        {GoodInput::kWell, 0, "0", "HO = 0. (initial displacement, data line 4) must not be 0"},
        {GoodInput::kWell, 1, "0", "RW = 0. (screen radius, data line 4) must be greater than 0"},
        {GoodInput::kWell, 2, "-0.0254", "RC = -0.0254 (casing radius, data line 4) must be greater than 0"},
        {GoodInput::kWell, 3, "-1",
         "ZPD = -1. (depth of the screen top, data line 4) lies above the top of the aquifer (0)"},
        {GoodInput::kWell, 4, "25",
         "ZPL = 25. (depth of the screen bottom, data line 4) lies below the base of the aquifer (BB = 20.)"},
        {GoodInput::kWell, 4, "4", "the screen has zero length: ZPD = ZPL = 4. (data line 4)"},
        {GoodInput::kWell, 5, "-0.1", "DS = -0.1 (skin thickness, data line 4) must not be negative"},
        {GoodInput::kAquifer, 3, "5.0E-05",
         "HKS = 5.E-05 (hydraulic conductivity of the skin, data line 2) is not below KR = 5.E-05: a skin more "
         "permeable than the aquifer is modelled by its outer radius as RW and no skin (HKS = 0 or DS = 0)"},
        {GoodInput::kFirstTime, 0, "0", "time = 0. (output time, data line 6) must be greater than 0"},
        {GoodInput::kFirstTime, 0, "-0", "time = -0. (output time, data line 6) must be greater than 0"},
        {GoodInput::kFirstTime + 1, 0, "-100", "time = -100. (output time, data line 7) must be greater than 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const Outcome r = run_input(GoodInput().set(c.line, c.pos, c.token).text());
        ASSERT_TRUE(r.exited);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(last_line(r.out), "  End  Reading Input Data");
        EXPECT_EQ(r.err, std::string("slugwell: input error in in.txt: ") + c.message + "\n");
        EXPECT_EQ(r.outfile, earlier_outfile());
    }
}

// Finite values whose derived groups overflow or underflow.
TEST(RobustnessValues, DerivedGroupsThatAreNotFiniteAreRejected) {
    // BB = 1e-300 with a screen inside it: BB*BB underflows to 0 in XKD.
    GoodInput tiny;
    tiny.set(GoodInput::kAquifer, 0, "1e-300").set(GoodInput::kWell, 3, "0").set(GoodInput::kWell, 4, "1e-300");
    // RC = 1e-200: RC*RC underflows to 0 in CCD.
    GoodInput thin;
    thin.set(GoodInput::kWell, 2, "1e-200");
    const std::vector<std::pair<GoodInput, std::string>> cases = {
        {tiny, "the derived group XKD is not finite (Infinity)"},
        {thin, "the derived group CCD is not finite (Infinity)"},
    };
    for (const auto& [input, message] : cases) {
        SCOPED_TRACE(message);
        const Outcome r = run_input(input.text());
        ASSERT_TRUE(r.exited);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "slugwell: input error in in.txt: " + message + "\n");
        EXPECT_EQ(r.outfile, earlier_outfile());
    }
}

// A time so far below the time scale that the inversion has no finite
// value (a denormal time): the table is written as it came out, and the
// run ends with status 1 and one line naming how many times failed and
// the first of them. A time near the largest double is usable: its
// transform variable is tiny, the first eigenvalue about its square root,
// and the head has long recovered (a zero row, not a NaN row).
TEST(RobustnessValues, NonFiniteResultsFailTheRun) {
    GoodInput in;
    in.set(GoodInput::kCount, 0, "3");
    in.lines.resize(GoodInput::kFirstTime);
    for (const char* t : {"1e-320", "10", "1e300"}) in.lines.push_back(t);
    const Outcome r = run_input(in.text());
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "slugwell: the computation gave no finite head at 1 of the 3 times (the first at time "
              "9.99988867E-321); their rows are not usable\n");
    const auto rows = lines_of(r.outfile);
    ASSERT_EQ(rows.size(), 4u + 3u);
    EXPECT_NE(rows[4].find("NaN"), std::string::npos);
    EXPECT_EQ(rows[5], good_rows()[0]);  // the time 10 keeps its good row
    EXPECT_NE(rows[6].find("0.0000000          0.0000000"), std::string::npos) << rows[6];
}

// The limits of the physics are valid input: no skin (HKS <= 0), a
// confined top (SY = 0), no aquifer storage (SS = 0), a screen over the
// whole thickness given bottom first.
TEST(RobustnessValues, PhysicalLimitsRunToTheEnd) {
    struct Case {
        int line, pos;
        const char* token;
    };
    const std::vector<Case> cases = {
        {GoodInput::kAquifer, 3, "0"}, {GoodInput::kAquifer, 3, "-1"}, {GoodInput::kAquifer, 5, "0"},
        {GoodInput::kAquifer, 4, "0"}, {GoodInput::kWell, 3, "20"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.line) + ":" + std::to_string(c.pos) + " <- " + c.token);
        GoodInput in;
        in.set(c.line, c.pos, c.token);
        if (c.line == GoodInput::kWell) in.set(GoodInput::kWell, 4, "0");
        const Outcome r = run_input(in.text());
        ASSERT_TRUE(r.exited);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_NE(r.outfile, earlier_outfile());
        EXPECT_EQ(lines_of(r.outfile).size(), 4u + 2u) << r.outfile;
        EXPECT_EQ(r.outfile.find("NaN"), std::string::npos) << r.outfile;
        EXPECT_EQ(r.outfile.find('*'), std::string::npos) << r.outfile;
    }
}

}  // namespace
}  // namespace slug::robustness
