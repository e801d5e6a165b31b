// Records in the layouts of loggers, transducers and spreadsheets, and the
// plain files of the fit's data reader, read into observations.
#include <cmath>

#include "records/record_rows.hpp"
#include "test_records_support.hpp"

namespace {

using rectest::Args;

struct LayoutCase {
    const char* name;
    std::string text;
    Args args;
    std::vector<double> time;
    std::vector<double> value;
    std::vector<int> line;
    int zero_line;  // line of the reading at t = 0; 0: none
    double zero_value;
    std::vector<const char*> notes;  // each a part of one note
};

// Levelogger record, slug in at 10:03:11.5 (line 17), static 9.8123 m.
const std::vector<double> kLeveloggerTimes{0.5, 1.0, 1.5};
const std::vector<double> kLeveloggerHeads{10.2411 - 9.8123, 10.1790 - 9.8123, 10.1232 - 9.8123};

TEST(RecordLayouts, ReadsExportsAndPlainFiles) {
    const LayoutCase cases[] = {
        {"Levelogger: columns by name, t0 at the jump",
         rectest::kLevelogger,
         {{"--clock", ""}, {"--columns", "Date,LEVEL"}, {"--static", "9.8123"}, {"--t0", "jump"}},
         kLeveloggerTimes,
         kLeveloggerHeads,
         {18, 19, 20},
         17,
         10.3102 - 9.8123,
         {"lines 1-12 before the column header (line 13) passed over",
          "time from column 1 (Date) + column 2 (Time) + column 3 (ms) (a clock), head from column 4 (LEVEL)",
          "--t0 jump: t = 0 on line 17, where the reading changes from 9.8124 to 10.3102",
          "4 readings at t <= 0 passed over (lines 14-17); the reading at t = 0 (line 17) is 0.4979"}},
        {"Levelogger: --skip, numbered clock columns, t0 as a clock time",
         rectest::kLevelogger,
         {{"--clock", ""},
          {"--skip", "12"},
          {"--columns", "1+2+3,4"},
          {"--static", "9.8123"},
          {"--t0", "2024-05-17T10:03:11.5"}},
         kLeveloggerTimes,
         kLeveloggerHeads,
         {18, 19, 20},
         17,
         10.3102 - 9.8123,
         {}},
        {"Levelogger: default t0 is the first reading, with a pointer to the jump",
         rectest::kLevelogger,
         {{"--clock", ""}, {"--skip", "12"}, {"--static", "9.8123"}, {"--tmin", "1.5"}},
         {1.5, 2.0, 2.5, 3.0},
         {10.3102 - 9.8123, 10.2411 - 9.8123, 10.1790 - 9.8123, 10.1232 - 9.8123},
         {17, 18, 19, 20},
         14,
         0.0,
         {"t = 0 at the first reading (line 14, '2024/05/17 10:03:10, 0 ms'); the largest change between "
          "successive readings ends on line 17 (t = 1.5): if the slug went in there, give --t0 jump",
          "2 of 6 readings outside 1.5 <= t left out"}},
        {"Level TROLL: elapsed seconds, column names with their unit",
         rectest::kLevelTroll,
         {{"--columns", "seconds,Pressure/Depth"}, {"--static", "0.952"}},
         {0.25, 0.5, 1.0, 2.0},
         {1.3611 - 0.952, 1.2811 - 0.952, 1.1470 - 0.952, 0.9968 - 0.952},
         {10, 11, 12, 13},
         9,
         1.4520 - 0.952,
         {"lines 1-6 before the column header (line 8) passed over", "values separated by commas, decimal points"}},
        {"semicolons, decimal commas, day-first date, depth to water",
         rectest::kSemicolonDepth,
         {{"--clock", ""}, {"--columns", "Datum,Abstich"}, {"--depth", ""}, {"--static", "3.215"}},
         {1.0, 2.0, 4.0},
         {3.215 - 2.701, 3.215 - 2.802, 3.215 - 2.950},
         {4, 5, 6},
         3,
         0.0,
         {"line 1 before the column header (line 2) passed over", "values separated by semicolons, decimal commas"}},
        {"ISO 8601 with zones, tabs, minutes",
         "timestamp\tlevel_m\n2024-05-17T10:03:12.0Z\t1.50\n2024-05-17T12:03:12.5+02:00\t1.40\n"
         "2024-05-17T10:03:14Z\t1.31\n",
         {{"--clock", ""}, {"--clock-unit", "min"}},
         {0.5 / 60.0, 2.0 / 60.0},
         {1.40, 1.31},
         {3, 4},
         2,
         1.50,
         {}},
        {"date and time in blank-separated columns, across midnight",
         "2024-05-17 23:59:59 0.5\n2024-05-18 00:00:01.25 0.4\n",
         {{"--clock", ""}},
         {2.25},
         {0.4},
         {2},
         1,
         0.5,
         {"time from column 1 + column 2 (a clock), head from column 3"}},
        {"record from t = 0 with equal times",
         "time head\n0 0.5\n1 0.4\n1 0.39\n2 0.3\n",
         {},
         {1, 1, 2},
         {0.4, 0.39, 0.3},
         {3, 4, 5},
         2,
         0.5,
         {"1 reading at t <= 0 passed over (line 2); the reading at t = 0 (line 2) is 0.5",
          "1 reading shares its time with the reading before (kept in file order)"}},
        {"elapsed t0 and an end marker",
         "10 0.1\n12 0.5\n13 0.4\nEND OF DATA FILE OF DATALOGGER FOR WINDOWS\n",
         {{"--t0", "12"}},
         {1},
         {0.4},
         {3},
         2,
         0.5,
         {"line 4 after the last reading passed over: 'END OF DATA FILE OF DATALOGGER FOR WINDOWS'"}},
        {"metadata lines of text, then the column header", "Logger: XR-5\nSite: MW-3\nTime,Level\n1,0.5\n2,0.25\n", {},
         {1, 2}, {0.5, 0.25}, {4, 5}, 0, 0, {"lines 1-2 before the column header (line 3) passed over"}},
        {"a line of units under the column header", "Time,Level\ns,m\n1,0.5\n2,0.25\n", {{"--columns", "time,level"}},
         {1, 2}, {0.5, 0.25}, {3, 4}, 0, 0, {"line 2 after the column header passed over: 's,m'"}},
        {"quoted cells", "\"Time\",\"Level\"\n\"1\",\"0.5\"\n\"2\",\"0.25\"\n", {}, {1, 2}, {0.5, 0.25}, {2, 3}, 0, 0,
         {}},
        {"tabs and decimal commas", "Zeit\tPegel\n1,5\t0,25\n3\t0,125\n", {{"--decimal-comma", ""}}, {1.5, 3},
         {0.25, 0.125}, {2, 3}, 0, 0, {}},
        {"a subnormal first time is a value", "1e-320,0.5\n1,0.4\n", {}, {1e-320, 1}, {0.5, 0.4}, {1, 2}, 0, 0, {}},
        // The layouts of the fit's data reader, read as it read them.
        {"plain: blanks", "1 0.5\n2 0.25\n", {}, {1, 2}, {0.5, 0.25}, {1, 2}, 0, 0, {}},
        {"plain: comma", "1,0.5\n2, 0.25\n", {}, {1, 2}, {0.5, 0.25}, {1, 2}, 0, 0, {}},
        {"plain: comma and blanks mixed", "1 , 0.5\n2 0.25\n3,0.125\n", {}, {1, 2, 3}, {0.5, 0.25, 0.125}, {1, 2, 3},
         0, 0, {}},
        {"plain: tabs and crlf", "1\t0.5\r\n2\t0.25\r\n", {}, {1, 2}, {0.5, 0.25}, {1, 2}, 0, 0, {}},
        {"plain: header and comments", "# logger MW-3\ntime,head\n\n1 0.5 # first\n  # aside\n2 0.25\n", {}, {1, 2},
         {0.5, 0.25}, {4, 6}, 0, 0, {}},
        {"plain: byte order mark", "\xEF\xBB\xBFt h\n1e-1 5E-1\n2.5 -1e-3\n", {}, {0.1, 2.5}, {0.5, -1e-3}, {2, 3}, 0,
         0, {}},
        {"plain: no final line end", "1 0.5\n2 0.25", {}, {1, 2}, {0.5, 0.25}, {1, 2}, 0, 0, {}},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        const slug::Record r = rectest::read(c.text, c.args);
        ASSERT_TRUE(r.ok()) << rectest::joined(r.errors);
        ASSERT_EQ(r.time.size(), c.time.size()) << rectest::joined(r.notes);
        for (std::size_t i = 0; i < c.time.size(); ++i) {
            // Differences of clock readings and of levels carry the
            // rounding of one subtraction of numbers near 1e5 s or 10 m.
            EXPECT_NEAR(r.time[i], c.time[i], 1e-9 * std::fabs(c.time[i])) << i;
            EXPECT_NEAR(r.value[i], c.value[i], 1e-12) << i;
        }
        EXPECT_EQ(r.line, c.line);
        ASSERT_EQ(r.at_zero.has_value(), c.zero_line != 0);
        if (r.at_zero) {
            EXPECT_EQ(r.at_zero->line, c.zero_line);
            EXPECT_NEAR(r.at_zero->value, c.zero_value, 1e-12);
        }
        const std::string notes = rectest::joined(r.notes);
        for (const char* n : c.notes) EXPECT_NE(notes.find(n), std::string::npos) << n << "\nnotes:\n" << notes;
    }
}

}  // namespace
