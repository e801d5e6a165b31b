// Catalogue of damaged input files, run through the whole program: files
// that end early, empty and binary files, very long lines, the line ends
// and byte order mark that users' editors write, and the count of times at
// and beyond its limits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_robustness_support.hpp"

namespace slug::robustness {
namespace {

// The fatal end-of-file report of the input/output layer for the input
// file in.txt (unit 11), after a read of the given format.
std::string eof_report(const std::string& operation, const std::string& format) {
    return operation + ": end of file\n" + "apparent state: unit 11 named in.txt\n" + "last format: " + format +
           "\n" + "lately reading sequential formatted external IO\n";
}

// The baseline: the good input file runs to the end.
const Outcome& good_run() {
    static const Outcome r = run_input(GoodInput().text());
    return r;
}

TEST(RobustnessLayout, GoodInputRunsToTheEnd) {
    const Outcome& r = good_run();
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(lines_of(r.outfile).size(), 6u);
    EXPECT_NE(r.outfile, earlier_outfile());
}

// A file that ends at any line before the last time: the title read
// ("(A70)") or a list-directed read meets the end of the file, the run
// ends with the fatal report on the error stream and an abnormal end
// (abort), and outfile.txt is never opened.
TEST(RobustnessLayout, FileEndingAtEveryLineIsAFatalEndOfFile) {
    const GoodInput in;
    for (std::size_t kept = 0; kept < in.lines.size(); ++kept) {
        SCOPED_TRACE("lines kept: " + std::to_string(kept));
        const Outcome r = run_input(in.text("\n", kept));
        EXPECT_TRUE(r.aborted());
        EXPECT_EQ(r.err, kept == 0 ? eof_report("fmt in", "(A70)") : eof_report("list in", "list io"));
        EXPECT_EQ(r.outfile, earlier_outfile());
    }
}

// A value line cut after its first k values, at the end of the file (with
// and without the line end): the read looks for the rest on the following
// lines and meets the end of the file.
TEST(RobustnessLayout, ValueLineTruncatedAtEndOfFileIsAFatalEndOfFile) {
    struct Line {
        int index, values;
    };
    const std::vector<Line> value_lines = {
        {GoodInput::kAquifer, 6}, {GoodInput::kUnsat, 4}, {GoodInput::kWell, 6}};
    for (const Line& l : value_lines) {
        for (int k = 0; k < l.values; ++k) {
            for (const char* end : {"", "\n", "\n\n  \n"}) {
                SCOPED_TRACE("line " + std::to_string(l.index) + " cut after " + std::to_string(k) + " values");
                GoodInput in;
                std::string cut;
                std::istringstream words(in.lines[static_cast<std::size_t>(l.index)]);
                std::string w;
                for (int i = 0; i < k && words >> w; ++i) cut += w + " ";
                in.lines[static_cast<std::size_t>(l.index)] = cut;
                const Outcome r = run_input(in.text("\n", static_cast<std::size_t>(l.index)) + cut + end);
                EXPECT_TRUE(r.aborted());
                EXPECT_EQ(r.err, eof_report("list in", "list io"));
                EXPECT_EQ(r.outfile, earlier_outfile());
            }
        }
    }
}

// A value line cut short inside the file: its read goes on to the next
// line, a heading of words, and stops there with an input error.
TEST(RobustnessLayout, ValueLineTruncatedInsideTheFileIsAnInputError) {
    struct Line {
        int index, values, data_line;
    };
    const std::vector<Line> value_lines = {
        {GoodInput::kAquifer, 6, 2}, {GoodInput::kUnsat, 4, 3}, {GoodInput::kWell, 6, 4}};
    for (const Line& l : value_lines) {
        for (int k = 1; k < l.values; ++k) {
            SCOPED_TRACE("line " + std::to_string(l.index) + " cut after " + std::to_string(k) + " values");
            GoodInput in;
            std::istringstream words(in.lines[static_cast<std::size_t>(l.index)]);
            std::string cut, w;
            for (int i = 0; i < k && words >> w; ++i) cut += w + " ";
            in.lines[static_cast<std::size_t>(l.index)] = cut;
            const Outcome r = run_input(in.text());
            ASSERT_TRUE(r.exited);
            EXPECT_EQ(r.status, 1);
            EXPECT_EQ(last_line(r.out), input_error_line(l.data_line));
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(r.outfile, earlier_outfile());
        }
    }
}

// A value line split over two lines is read whole (the read continues on
// the next line), and the lines after it keep their meaning: the run is
// the same as with the unsplit file.
TEST(RobustnessLayout, ValueLineSplitOverTwoLinesReadsAsOne) {
    for (int index : {GoodInput::kAquifer, GoodInput::kUnsat, GoodInput::kWell}) {
        SCOPED_TRACE("line " + std::to_string(index));
        GoodInput in;
        std::string& line = in.lines[static_cast<std::size_t>(index)];
        const std::size_t blank = line.find(' ', line.find(' ') + 1);
        line[blank] = '\n';
        const Outcome r = run_input(in.text());
        ASSERT_TRUE(r.exited);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, good_run().out);
        EXPECT_EQ(r.outfile, good_run().outfile);
    }
}

// What other editors write is read as the user means it: CRLF line ends
// (the CR is not part of any value or of the title), a UTF-8 byte order
// mark (not part of the title), tabs and commas as separators, trailing
// blanks, no line end after the last line. The console and outfile.txt
// are byte for byte those of the plain file.
TEST(RobustnessLayout, EditorVariantsReadLikeThePlainFile) {
    const std::string bom = "\xEF\xBB\xBF";
    GoodInput tabs;
    for (int i : {GoodInput::kAquifer, GoodInput::kUnsat, GoodInput::kWell})
        for (char& c : tabs.lines[static_cast<std::size_t>(i)])
            if (c == ' ') c = '\t';
    GoodInput commas;
    for (int i : {GoodInput::kAquifer, GoodInput::kWell})
        for (char& c : commas.lines[static_cast<std::size_t>(i)])
            if (c == ' ') c = ',';
    std::string no_last_end = GoodInput().text();
    no_last_end.pop_back();
    const std::vector<std::pair<const char*, std::string>> variants = {
        {"CRLF", GoodInput().text("\r\n")},
        {"BOM", bom + GoodInput().text()},
        {"BOM and CRLF", bom + GoodInput().text("\r\n")},
        {"trailing blanks", GoodInput().text("    \n")},
        {"trailing blanks before CRLF", GoodInput().text("   \r\n")},
        {"tabs", tabs.text()},
        {"commas", commas.text()},
        {"no end on the last line", no_last_end},
        {"no end on the last line, CRLF elsewhere", GoodInput().text("\r\n").substr(0, GoodInput().text("\r\n").size() - 2)},
    };
    for (const auto& [name, bytes] : variants) {
        SCOPED_TRACE(name);
        const Outcome r = run_input(bytes);
        ASSERT_TRUE(r.exited);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, good_run().out);
        EXPECT_EQ(r.outfile, good_run().outfile);
    }
}

// Lines of a million characters: in the title (cut at 70), in a skipped
// line (never examined), as blanks before the values of a value line, and
// as a value of a million digits after the ones that are read.
TEST(RobustnessLayout, MillionCharacterLinesAreHandled) {
    const std::string mega(1000000, 'x');
    const std::string blanks(1000000, ' ');
    const std::string digits(1000000, '7');
    GoodInput title;
    title.lines[0] += mega;
    GoodInput skipped;
    skipped.lines[1] = mega;
    skipped.lines[12] = std::string(1000000, '\0');
    GoodInput leading;
    leading.lines[GoodInput::kAquifer] = blanks + leading.lines[GoodInput::kAquifer];
    GoodInput extra;
    extra.lines[GoodInput::kWell] += " " + digits;
    for (const auto& [name, in] : std::vector<std::pair<const char*, GoodInput>>{
             {"title", title}, {"skipped", skipped}, {"leading blanks", leading}, {"extra digits", extra}}) {
        SCOPED_TRACE(name);
        const Outcome r = run_input(in.text());
        ASSERT_TRUE(r.exited);
        EXPECT_EQ(r.status, 0) << r.err;
        // The console is the plain file's but for the title echo, which
        // shows the first 70 characters of the title line.
        std::string expected = good_run().out;
        const std::string plain_title = GoodInput().lines[0];
        const std::string shown = (in.lines[0] + std::string(70, ' ')).substr(0, 70);
        const std::size_t at = expected.find("\n " + plain_title);
        ASSERT_NE(at, std::string::npos);
        expected.replace(at + 2, 70, shown);
        EXPECT_EQ(r.out, expected);
        EXPECT_EQ(r.outfile, good_run().outfile);
    }
}

// Files that are not text: the reader stops at the first value it cannot
// read, or at the end of the file, and never crashes.
TEST(RobustnessLayout, BinaryFilesEndWithAnErrorAndKeepOutfile) {
    std::string ramp;  // every byte value; line ends at 0x0A
    for (int rep = 0; rep < 4; ++rep)
        for (int b = 0; b < 256; ++b) ramp += static_cast<char>(b);
    std::string noise;  // deterministic pseudo-random bytes
    unsigned x = 12345u;
    for (int i = 0; i < 65536; ++i) {
        x = x * 1103515245u + 12345u;
        noise += static_cast<char>((x >> 16) & 0xFF);
    }
    std::string nul_lines;  // lines of NUL bytes only
    for (int i = 0; i < 20; ++i) nul_lines += std::string(5, '\0') + "\n";
    for (const auto& [name, bytes] : std::vector<std::pair<const char*, std::string>>{
             {"byte ramp", ramp}, {"noise", noise}, {"NUL lines", nul_lines}}) {
        SCOPED_TRACE(name);
        const Outcome r = run_input(bytes);
        EXPECT_TRUE(r.aborted() || (r.exited && r.status == 1)) << r.status << " " << r.signal;
        if (r.exited) {
            EXPECT_EQ(last_line(r.out), input_error_line(2));
            EXPECT_EQ(r.err, "");
        } else {
            EXPECT_EQ(r.err, eof_report("list in", "list io"));
        }
        EXPECT_EQ(r.outfile, earlier_outfile());
    }
}

// The count of times: 0 and negative counts read no times and give an
// empty table; 200 fills the time list; 201 is more than it can hold and
// is rejected; 2^31 does not fit a 32-bit integer (an input error); a
// count larger than the times that follow meets the end of the file.
TEST(RobustnessLayout, CountOfTimesAtItsLimits) {
    const std::string head_only = good_run().outfile.substr(0, good_run().outfile.find("\n             ") + 1);
    for (const char* count : {"0", "-1", "-2147483648", "+0"}) {
        SCOPED_TRACE(count);
        GoodInput in;
        in.set(GoodInput::kCount, 0, count);
        const Outcome r = run_input(in.text());
        ASSERT_TRUE(r.exited);
        EXPECT_EQ(r.status, 0);
        // The time lines left in the file are warned of; nothing else.
        EXPECT_EQ(without_warnings(r.err), "");
        EXPECT_EQ(r.outfile, head_only);
    }
    auto with_times = [](int count, int lines) {
        GoodInput in;
        in.set(GoodInput::kCount, 0, std::to_string(count));
        in.lines.resize(GoodInput::kFirstTime);
        for (int i = 1; i <= lines; ++i) in.lines.push_back(std::to_string(i));
        return in.text();
    };
    {
        SCOPED_TRACE("200");
        const Outcome r = run_input(with_times(200, 200));
        ASSERT_TRUE(r.exited);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(lines_of(r.outfile).size(), 4u + 200u);
        EXPECT_NE(r.outfile.find("\n            200.00000 "), std::string::npos);
    }
    {
        SCOPED_TRACE("201");
        const Outcome r = run_input(with_times(201, 201));
        ASSERT_TRUE(r.exited);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err,
                  "slugwell: input error in in.txt: NTIME = 201 (number of output times, data line 5) is more "
                  "than 200\n");
        EXPECT_EQ(r.outfile, earlier_outfile());
    }
    for (const char* count : {"2147483648", "-2147483649", "99999999999999999999", "2e2", "200.", "1.5"}) {
        SCOPED_TRACE(count);
        GoodInput in;
        in.set(GoodInput::kCount, 0, count);
        const Outcome r = run_input(in.text());
        ASSERT_TRUE(r.exited);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(last_line(r.out), input_error_line(5));
        EXPECT_EQ(r.outfile, earlier_outfile());
    }
    for (int count : {3, 201, 2147483647}) {
        SCOPED_TRACE(count);
        const Outcome r = run_input(with_times(count, 2));
        EXPECT_TRUE(r.aborted());
        EXPECT_EQ(r.err, eof_report("list in", "list io"));
        EXPECT_EQ(r.outfile, earlier_outfile());
    }
}

}  // namespace
}  // namespace slug::robustness
