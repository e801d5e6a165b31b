// End-to-end runs of the slugwell executable: every example input file
// against its committed console and outfile.txt (byte for byte), and the
// edge cases of the results table.
//
// The expected files in tests/data/expected/ were produced by this test
// with SLUG_UPDATE_EXPECTED=1 in the environment, after the numbers had
// been checked (the confined example against the Cooper-Bredehoeft-
// Papadopulos table, docs/validation.md).
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void spit(const fs::path& p, const std::string& text) {
    std::ofstream out(p, std::ios::binary);
    out << text;
}

struct RunResult {
    int status = -1;
    std::string console;
    std::string err;
    std::string outfile;
};

// Runs slugwell in a fresh folder holding the input file under `name`,
// typing the name at the prompt.
RunResult run_slugwell(const std::string& name, const std::string& input_text) {
    static int serial = 0;
    const fs::path dir = fs::temp_directory_path() /
                         ("slug_e2e_" + std::to_string(::getpid()) + "_" + std::to_string(serial++));
    fs::remove_all(dir);
    fs::create_directories(dir);
    spit(dir / name, input_text);
    const std::string cmd = "cd '" + dir.string() + "' && printf '%s\\n' '" + name + "' | '" SLUGWELL_EXE
                            "' > console.txt 2> err.txt";
    const int rc = std::system(cmd.c_str());
    RunResult r;
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.console = slurp(dir / "console.txt");
    r.err = slurp(dir / "err.txt");
    r.outfile = slurp(dir / "outfile.txt");
    fs::remove_all(dir);
    return r;
}

std::string example(const std::string& name) {
    return slurp(fs::path(SLUG_SOURCE_DIR) / "examples" / (name + ".txt"));
}

// The rows of a results table (the lines after the head's underline).
std::vector<std::string> table_rows(const std::string& outfile) {
    std::vector<std::string> rows;
    std::istringstream in(outfile);
    std::string line;
    bool in_table = false;
    while (std::getline(in, line)) {
        if (in_table) rows.push_back(line);
        if (line.find("--------------    --------------") != std::string::npos) in_table = true;
    }
    return rows;
}

// Replaces the count line and the times of an input file.
std::string with_times(const std::string& input, const std::vector<std::string>& times) {
    std::istringstream in(input);
    std::string line, out;
    for (int n = 1; n <= 13 && std::getline(in, line); ++n) out += line + "\n";
    out += "  " + std::to_string(times.size()) + "\n";
    for (const auto& t : times) out += "  " + t + "\n";
    return out;
}

const std::string kHead =
    "\n            TIME             H/Ho Ratio        Slug Drawdown\n"
    "        --------------      --------------    --------------\n";
const std::string kFoot =
    "\n        --------------      -------------      -------------\n"
    "               TIME          H/Ho Ratio        Slug Drawdown\n";

class Example : public ::testing::TestWithParam<const char*> {};

TEST_P(Example, ConsoleAndResultsFileMatchTheExpectedOnes) {
    const std::string name = GetParam();
    const RunResult r = run_slugwell(name + ".txt", example(name));
    EXPECT_EQ(r.status, 0);
    // The error stream is empty but for the classic table's check of
    // partial.txt (a late rebound of its table that the model lacks; the
    // note's text is pinned by the command-line tests).
    if (name == "partial")
        EXPECT_EQ(r.err.rfind("slugwell: the classic table rises at 1 of 16 times", 0), 0u) << r.err;
    else
        EXPECT_EQ(r.err, "");
    const fs::path expected = fs::path(SLUG_TEST_DATA) / "expected";
    if (std::getenv("SLUG_UPDATE_EXPECTED")) {
        fs::create_directories(expected);
        spit(expected / (name + ".console"), r.console);
        spit(expected / (name + ".outfile"), r.outfile);
    }
    EXPECT_EQ(r.console, slurp(expected / (name + ".console")));
    EXPECT_EQ(r.outfile, slurp(expected / (name + ".outfile")));
    // The results file ends with the last row: nothing after it.
    const auto rows = table_rows(r.outfile);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(r.outfile.substr(r.outfile.size() - rows.back().size() - 1), rows.back() + "\n");
}

INSTANTIATE_TEST_SUITE_P(Examples, Example,
                         ::testing::Values("input", "confined", "watertable", "unsat_unbounded",
                                           "unsat_bounded", "unsat_ua1_lt_ua2", "unsat_ua1_gt_ua2", "skin",
                                           "partial"));

TEST(EndToEnd, NoTimesGiveHeadFollowedByFoot) {
    const RunResult r = run_slugwell("none.txt", with_times(example("confined"), {}));
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.console.find(kHead + kFoot + "\n             Input file is none.txt"), std::string::npos);
    EXPECT_EQ(r.outfile, "  Water table aquifer with only saturated flow\n" + kHead);
}

TEST(EndToEnd, DecreasingTimesKeepTheFileOrder) {
    // Each time is inverted on its own, so every row is the same whichever
    // order the file lists the times in.
    const std::vector<std::string> up = {"0.01", "1", "100"};
    const std::vector<std::string> down = {"100", "1", "0.01"};
    const RunResult a = run_slugwell("up.txt", with_times(example("confined"), up));
    const RunResult b = run_slugwell("down.txt", with_times(example("confined"), down));
    const auto ra = table_rows(a.outfile);
    const auto rb = table_rows(b.outfile);
    ASSERT_EQ(ra.size(), 3u);
    ASSERT_EQ(rb.size(), 3u);
    EXPECT_EQ(rb[0], ra[2]);
    EXPECT_EQ(rb[1], ra[1]);
    EXPECT_EQ(rb[2], ra[0]);
    EXPECT_EQ(rb[0].substr(0, 21), "            100.00000");
    // The console rows are the same as those of the results file.
    EXPECT_NE(b.console.find(rb[0] + "\n" + rb[1] + "\n" + rb[2] + "\n" + kFoot), std::string::npos);
}

TEST(EndToEnd, TimesTooWideForTheColumnAreAsterisks) {
    const RunResult r = run_slugwell("wide.txt", with_times(example("confined"), {"9999999999.99999", "1.0E10", "3.0E12"}));
    EXPECT_EQ(r.status, 0);
    const auto rows = table_rows(r.outfile);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].substr(0, 21), "     9999999999.99999");
    EXPECT_EQ(rows[1].substr(0, 21), "     ****************");
    EXPECT_EQ(rows[2].substr(0, 21), "     ****************");
    // Long after the slug the head has recovered: the clamp gives zeros.
    for (const auto& row : rows) EXPECT_EQ(row.substr(21), "         0.0000000          0.0000000");
}

}  // namespace

namespace {

// Replaces the first value (HO) of the well line, file line 10.
std::string with_slug(const std::string& input, const std::string& ho) {
    std::istringstream in(input);
    std::string line, out;
    for (int n = 1; std::getline(in, line); ++n) {
        if (n == 10) line = "  " + ho + line.substr(line.find_first_of(" ,", line.find_first_not_of(" ")));
        out += line + "\n";
    }
    return out;
}

}  // namespace

TEST(EndToEnd, NegativeSlugIsTheMirrorImageOfAPositiveOne) {
    // H/Ho does not depend on the sign of Ho; the drawdown changes sign.
    // Before the clamp took the sign into account, every row was zero.
    const std::string base = example("confined");
    const RunResult pos = run_slugwell("pos.txt", with_slug(base, "0.5"));
    const RunResult neg = run_slugwell("neg.txt", with_slug(base, "-0.5"));
    EXPECT_EQ(neg.status, 0);
    const auto rp = table_rows(pos.outfile);
    const auto rn = table_rows(neg.outfile);
    ASSERT_EQ(rp.size(), rn.size());
    ASSERT_FALSE(rp.empty());
    int nonzero = 0;
    for (std::size_t k = 0; k < rp.size(); ++k) {
        EXPECT_EQ(rn[k].substr(0, 39), rp[k].substr(0, 39)) << "time and H/Ho of row " << k;
        const double dp = std::stod(rp[k].substr(39));
        const double dn = std::stod(rn[k].substr(39));
        EXPECT_EQ(dn, -dp) << "drawdown of row " << k;
        nonzero += dp != 0.0;
    }
    EXPECT_GT(nonzero, 0);
}
