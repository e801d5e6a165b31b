// Plausibility warnings: the reader's notes on numbers it did not take and
// on lines after the time list, the physical ranges under named units, the
// response against the time list, and a run that prints them on the error
// stream while its table, files and status stay as they were.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "run/input_memory.hpp"
#include "run/input_warnings.hpp"

namespace slug {
namespace {

// The example deck with one of its lines replaced (file line numbers).
std::string example_with(const std::vector<std::pair<int, std::string>>& edits, int drop_line = 0) {
    std::ifstream in(std::string(SLUG_SOURCE_DIR) + "/examples/input.txt");
    std::string out, line;
    for (int n = 1; std::getline(in, line); ++n) {
        if (n == drop_line) continue;
        for (const auto& [at, text] : edits)
            if (at == n) line = text;
        out += line + "\n";
    }
    return out;
}

std::vector<std::string> reader_warnings(const std::string& text) {
    InputValues v;
    ::testing::internal::CaptureStdout();  // the reader's echo
    const ReadStatus st = read_input_memory(text, v);
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(st, ReadStatus::Ok);
    return v.warnings;
}

TEST(InputWarnings, ReaderNamesNumbersItDidNotTake) {
    const struct {
        const char* what;
        std::string text;
        std::vector<std::string> expected;  // parts of each warning, in order
    } cases[] = {
        {"the example", example_with({}), {}},
        {"decimal comma in SY", example_with({{4, "  20.0  5.0E-05  5.0E-06  2.0E-05  1.0E-05  0,20"}}),
         {"line 4 (aquifer line) holds more numbers than the 6 it needs; ignored: 20 (a decimal comma"}},
        {"comment words are no numbers", example_with({{10, "  0.50 0.060 0.0254 4.0 7.0 0.020  ! m, m, m"}}), {}},
        {"a slash ends the read", example_with({{7, "  1.5 1.5 3.0 10.0 / 99"}}), {}},
        {"extra value on the well line", example_with({{10, "  0.50 0.060 0.0254 4.0 7.0 0.020 0.1D0"}}),
         {"line 10 (well line) holds more numbers than the 6 it needs; ignored: 0.1D0"}},
        {"time and head pasted", example_with({{15, "  1 0.41"}, {16, "  1.3 0.40"}, {17, "  1.6 0.39"}}),
         {"line 15 (time line) holds more numbers than the 1 it needs; ignored: 0.41; 2 more time lines"}},
        {"heading line deleted above the count", example_with({}, 12),
         {"the count line gives 1 time, but 29 more lines with numbers follow the time list (from line 16)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<std::string> w = reader_warnings(c.text);
        ASSERT_EQ(w.size(), c.expected.size()) << (w.empty() ? "" : w[0]);
        for (std::size_t i = 0; i < w.size(); ++i) EXPECT_NE(w[i].find(c.expected[i]), std::string::npos) << w[i];
    }
}

TEST(InputWarnings, PhysicalRangesAndTheResponseAgainstTheTimes) {
    std::string error;
    WellInput w;
    w.rw = 0.06, w.rc = 0.0254, w.kr = 5e-5;
    const struct {
        const char* what;
        const char* units;  // nullptr: unnamed
        double rw, rc, kr;
        std::vector<std::string> expected;
    } ranges[] = {
        {"plausible in m,s", "m,s", 0.06, 0.0254, 5e-5, {}},
        {"unnamed units: no check", nullptr, 60.0, 0.0, 5e3, {}},
        {"radii in mm given as m", "m,s", 60.0, 25.4, 5e-5,
         {"RW (screen radius) = 60 m is 60 m, outside 1 mm to 1 m", "RC (casing radius) = 25.4 m"}},
        {"radius below 1 mm in cm", "cm,s", 0.05, 2.54, 5e-3, {"RW (screen radius) = 0.05 cm is 0.0005 m"}},
        {"KR above 1 m/s", "ft,min", 0.2, 0.1, 300.0, {"KR = 300 ft/min is 1.524 m/s, above 1 m/s"}},
    };
    for (const auto& c : ranges) {
        SCOPED_TRACE(c.what);
        w.rw = c.rw, w.rc = c.rc, w.kr = c.kr;
        const Units u = c.units ? *parse_units(c.units, error) : Units{};
        const std::vector<std::string> got = physical_range_warnings(w, u);
        ASSERT_EQ(got.size(), c.expected.size());
        for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NE(got[i].find(c.expected[i]), std::string::npos) << got[i];
    }
    const struct {
        const char* what;
        std::vector<double> t, h;
        const char* expected;  // nullptr: no warning
    } spans[] = {
        {"whole response inside", {100, 1, 10}, {0.001, 0.9, 0.3}, nullptr},
        {"over before the first time", {60, 600, 3600}, {0.005, 0, 0}, "H/Ho is already 0.005 at the first time, 60"},
        {"hardly begun at the last time", {1e-3, 1e-2, 0.05}, {1.0, 0.99, 0.95},
         "H/Ho is still 0.95 at the last time, 0.05"},
        {"times not above 0 are not looked at", {0, 1, 10}, {0.0, 0.5, 0.1}, nullptr},
        {"an overshoot below zero is not over", {6, 10, 60}, {-0.33, 0.4, -6e-4}, nullptr},
        {"settled just below zero is over", {60, 600, 3600}, {-0.005, 0, 0}, "H/Ho is already -0.005"},
    };
    for (const auto& c : spans) {
        SCOPED_TRACE(c.what);
        const std::vector<std::string> got = response_span_warnings(c.t, c.h);
        ASSERT_EQ(got.size(), c.expected ? 1u : 0u);
        if (c.expected) {
            EXPECT_NE(got[0].find(c.expected), std::string::npos) << got[0];
            EXPECT_NE(got[0].find("check units: with KR in L/T the times must be in T"), std::string::npos);
        }
    }
}

// The program: warnings on the error stream only; the console table and
// outfile.txt are those of the same deck without --units, status 0.
TEST(InputWarnings, RunPrintsThemOnTheErrorStreamOnly) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("slug_warn_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::string deck = example_with({{4, "  20.0  5.0E-05  5.0E-06  2.0E-05  1.0E-05  0.20 0"}});
    std::ofstream(dir / "in.txt") << deck;
    const auto run = [&](const std::string& args, std::string& out, std::string& err, std::string& table) {
        const std::string cmd = "cd '" + dir.string() + "' && '" SLUGWELL_EXE "' in.txt " + args + " > o.txt 2> e.txt";
        const int st = std::system(cmd.c_str());
        std::stringstream o, e, t;
        o << std::ifstream(dir / "o.txt").rdbuf();
        e << std::ifstream(dir / "e.txt").rdbuf();
        t << std::ifstream(dir / "outfile.txt").rdbuf();
        out = o.str(), err = e.str(), table = t.str();
        return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    };
    std::string out1, err1, table1, out2, err2, table2;
    // The generated times end at 0.05 s, long before the response begins.
    EXPECT_EQ(run("--times 0.05 1 2", out1, err1, table1), 0);
    EXPECT_EQ(run("--times 0.05 1 2 --units mm,s", out2, err2, table2), 0);
    EXPECT_EQ(out1, out2);
    EXPECT_EQ(table1, table2);
    EXPECT_EQ(err1.substr(0, err1.find('\n') + 1),
              "slugwell: warning: line 4 (aquifer line) holds more numbers than the 6 it needs; ignored: 0\n");
    EXPECT_NE(err1.find("slugwell: warning: H/Ho is still"), std::string::npos) << err1;
    EXPECT_NE(err2.find("slugwell: warning: RW (screen radius) = 0.06 mm is 6e-05 m"), std::string::npos) << err2;
    fs::remove_all(dir);
}

}  // namespace
}  // namespace slug
