// Kept inputs (tests/data/robustness): the fuzzer's seeds and every input
// that once broke the reader, each run through the program. The file name
// says how the run must end:
//   ok_*          status 0, nothing on the error stream but warnings (the
//                 extra values of ok_value_lines_continued are warned of);
//   inputerror_*  the reader's input-error line, status 1;
//   rejected_*    one line on the error stream naming the value, status 1;
//   eof_*         the fatal end-of-file report and an abnormal end.
// Whenever the run stops before opening its results file, the outfile.txt
// of an earlier run is left as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "test_robustness_support.hpp"

namespace slug::robustness {
namespace {

bool starts_with(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

TEST(RobustnessRegressions, KeptInputsEndAsTheirNamesSay) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(fs::path(SLUG_TEST_DATA) / "robustness"))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_GE(files.size(), 4u);
    for (const fs::path& file : files) {
        const std::string name = file.filename().string();
        SCOPED_TRACE(name);
        const Outcome r = run_input(read_file(file));
        if (starts_with(name, "ok_")) {
            ASSERT_TRUE(r.exited);
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(without_warnings(r.err), "");
            EXPECT_NE(r.outfile, earlier_outfile());
            EXPECT_EQ(r.outfile.find("NaN"), std::string::npos);
        } else if (starts_with(name, "inputerror_")) {
            ASSERT_TRUE(r.exited);
            EXPECT_EQ(r.status, 1);
            EXPECT_NE(r.out.find("  While readling line="), std::string::npos);
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(r.outfile, earlier_outfile());
        } else if (starts_with(name, "rejected_")) {
            ASSERT_TRUE(r.exited);
            EXPECT_EQ(r.status, 1);
            EXPECT_EQ(lines_of(r.err).size(), 1u) << r.err;
            EXPECT_TRUE(starts_with(r.err, "slugwell: input error in in.txt: ")) << r.err;
            EXPECT_EQ(r.outfile, earlier_outfile());
        } else if (starts_with(name, "eof_")) {
            EXPECT_TRUE(r.aborted());
            EXPECT_NE(r.err.find(": end of file\napparent state: unit 11 named in.txt\n"), std::string::npos)
                << r.err;
            EXPECT_EQ(r.outfile, earlier_outfile());
        } else {
            ADD_FAILURE() << "kept input without an expected ending in its name";
        }
    }
}

}  // namespace
}  // namespace slug::robustness
