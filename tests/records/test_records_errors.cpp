// Files the record reader refuses: every refused line is named with its
// reason, and nothing is half read.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "test_records_support.hpp"

namespace {

using rectest::Args;

struct BadCase {
    const char* name;
    std::string text;
    Args args;
    std::vector<std::string> messages;  // each a part of one of the errors
};

TEST(RecordErrors, RefusesWithTheLineAndTheReason) {
    std::string many_bad = "1 0.5\n";
    for (int i = 0; i < 15; ++i) many_bad += "2 x\n";
    const BadCase cases[] = {
        // The refusals of the fit's data reader, in its words.
        {"empty", "", {}, {"data file d.csv holds no observations"}},
        {"comments only", "# nothing\n\n   \n", {}, {"holds no observations"}},
        {"header only", "time head\n", {}, {"holds no observations"}},
        {"one column", "1 0.5\n2\n", {}, {"data file d.csv, line 2: expected two values (time and head), found 1"}},
        {"three columns", "1 0.5 7\n", {}, {"line 1: expected two values (time and head), found 3 (choose the columns"}},
        {"non-numeric value", "1 0.5\n2 abc\n", {}, {"line 2: 'abc' is not a number"}},
        {"empty field", "1,,0.5\n", {}, {"found 3"}},
        {"out of order", "1 0.5\n3 0.3\n2 0.4\n", {}, {"line 3: time 2 is out of order: earlier than the time 3 on line 2"}},
        {"not finite", "1 nan\n", {}, {"line 1: 'nan' is not a finite number"}},
        {"overflow", "1 1e999\n", {}, {"line 1: '1e999' is not a finite number"}},
        // A malformed first line is no header.
        {"malformed first line", "1.0.0,0.4174\n2,0.3\n", {}, {"line 1: '1.0.0' is not a number"}},
        {"all at or before t = 0", "-1 0.5\n0 0.4\n", {}, {"holds no observations at t > 0 (2 readings at or before t = 0)"}},
        // Hints where the usual cause is known.
        {"decimal commas in a plain file", "1,5 0,25\n", {}, {"found 4 (a decimal comma? give --decimal-comma)"}},
        {"ambiguous comma", "Date Time\tLevel\n2024-05-17 10:03:12\t1,234\n", {{"--clock", ""}},
         {"line 2: '1,234' is not a number (a decimal comma? give --decimal-comma)"}},
        {"clock without --clock", "2024-05-17T10:03:12,0.5\n", {},
         {"line 1: '2024-05-17T10:03:12' is not a number (a clock time? give --clock)"}},
        {"metadata block", rectest::kLevelogger, {{"--clock", ""}},
         {"line 2: expected at least 2 values, found 1: column 2 is missing (metadata lines before the data? give "
          "--skip N or name the columns in --columns)\n",
          "line 3: 'Project' is not a date and time (2024-05-17T10:03:12, 2024/05/17 10:03:12 or 17.05.2024 "
          "10:03:12)\n"}},
        {"metadata block of a plain file", "Serial_number:\n2012345\nProject ID:\n", {},
         {"line 2: expected two values (time and head), found 1 (metadata lines before the data? give --skip N"}},
        // Cells and lines no reading can come from.
        {"NUL byte", std::string("1 0.5\n2 0.4\0x\n", 14), {}, {"line 2: '0.4\\x00x' is not a number"}},
        {"missing column", "t,h,T\n1,0.5,9\n2,0.4\n", {{"--columns", "1,3"}},
         {"line 3: expected at least 3 values, found 2: column 3 (T) is missing"}},
        {"clock going back", "2024-05-17 10:03:12,0.5\n2024-05-17 10:03:11,0.4\n", {{"--clock", ""}},
         {"line 2: the clock goes back: '2024-05-17 10:03:11' is earlier than '2024-05-17 10:03:12' on line 1"}},
        {"month-first date", rectest::kLevelTroll, {{"--clock", ""}, {"--columns", "Date Time,Pressure/Depth"}},
         {"line 9: '5/17/2024 10:03:12 AM' is not a date and time"}},
        {"date and time out of step", "2024-05-17;10:03:12;0,5\n2024-05-17;0,4;0,4\n", {{"--clock", ""}},
         {"line 2: '0,4' is not a time of day"}},
        {"milliseconds out of range", "Date,Time,ms,LEVEL\n2024/05/17,10:03:10,1000,9.81\n", {{"--clock", ""}},
         {"line 2: '1000' is not a number of milliseconds (0 to 999)"}},
        {"t0 date on a dateless clock", "10:03:12 0.5\n10:03:13 0.4\n",
         {{"--clock", ""}, {"--t0", "2024-05-17T10:03:12"}}, {"--t0 gives a date, but the record's clock has none"}},
        {"jump on one reading", "1 0.5\n", {{"--t0", "jump"}}, {"--t0 jump needs at least two readings"}},
        // Headers and columns.
        {"no line names the columns", rectest::kLevelogger, {{"--columns", "Date,DEPTH"}},
         {"data file d.csv: no line names the columns 'Date', 'DEPTH'"}},
        {"skip onto readings", "t h\n1 0.5\n", {{"--skip", "1"}, {"--columns", "t,h"}},
         {"line 2: expected the column header naming 't', 'h', found a line of readings"}},
        {"header after --skip without the name", "x\ntime,level\n1,2\n", {{"--skip", "1"}, {"--columns", "time,head"}},
         {"line 2: the column header does not name 'head' (its columns: 'time', 'level')"}},
        {"two columns of one name", "Level,Level (m)\n1,2\n", {{"--columns", "1,Level (m)"}}, {}},
        {"ambiguous name", "t,Level (m),Level (ft)\n1,2,3\n", {{"--columns", "t,level"}},
         {"line 1: more than one column is named 'level'"}},
        {"skip past the end", "1 0.5\n", {{"--skip", "3"}}, {"--skip 3 passes over the whole file (1 line)"}},
        {"options that do not go together", "1 0.5\n", {{"--depth", ""}}, {"--depth needs --static LEVEL"}},
        // Selections that leave nothing.
        {"time window", "1 0.5\n2 0.4\n", {{"--tmin", "5"}}, {"no reading within 5 <= t (the readings span t = 1 to 2)"}},
        {"head window", "1 0.5\n2 0.4\n", {{"--hrange", "0.1,0.2"}},
         {"no reading within 0.1 <= H/Ho <= 0.2 (H/Ho of the readings from 0.8 to 1, Ho = 0.5)"}},
        // Many bad lines: ten named, the rest counted.
        {"many bad lines", many_bad, {}, {"line 2: 'x' is not a number", "line 11: 'x'", "5 more lines refused"}},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.name);
        const slug::Record r = rectest::read(c.text, c.args);
        if (c.messages.empty()) {  // a case that must be read
            EXPECT_TRUE(r.ok()) << rectest::joined(r.errors);
            continue;
        }
        EXPECT_FALSE(r.ok());
        EXPECT_TRUE(r.time.empty() && r.value.empty() && r.line.empty() && !r.at_zero) << "nothing half read";
        EXPECT_LE(r.errors.size(), static_cast<std::size_t>(slug::kRecordMaxErrors) + 1);
        const std::string errors = rectest::joined(r.errors);
        EXPECT_EQ(errors.find('\0'), std::string::npos);
        for (const std::string& m : c.messages) EXPECT_NE(errors.find(m), std::string::npos) << m << "\ngot:\n" << errors;
    }
}

// The file reader: what cannot be opened, and what is no record at all.
TEST(RecordErrors, FilesThatAreNoRecords) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("slug_records_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path wide = dir / "wide.csv";
    {
        std::ofstream f(wide, std::ios::binary);
        f << "1 0.5\n" << std::string(slug::kRecordMaxLine + 1, '1') << "\n";
    }
    const fs::path good = dir / "good.csv";
    {
        std::ofstream f(good, std::ios::binary);
        f << "time,head\n0,0.5\n1,0.4\n";
    }
    const std::pair<std::string, std::string> cases[] = {
        {"/dev/zero", "data file /dev/zero, line 1: longer than 65536 characters"},
        {wide.string(), "line 2: longer than 65536 characters"},
        {dir.string(), "is a folder"},
        {(dir / "none.csv").string(), "cannot open data file " + (dir / "none.csv").string()},
    };
    for (const auto& [path, message] : cases) {
        const slug::Record r = slug::read_record_file(path, {});
        ASSERT_EQ(r.errors.size(), 1u) << path;
        EXPECT_NE(r.errors[0].find(message), std::string::npos) << r.errors[0];
    }
    const slug::Record r = slug::read_record_file(good.string(), {});
    EXPECT_TRUE(r.ok()) << rectest::joined(r.errors);
    EXPECT_EQ(r.time, std::vector<double>{1});
    fs::remove_all(dir);
}

}  // namespace
