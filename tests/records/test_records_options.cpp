// The record options as the command line spells them, and the clock
// readings the reader understands.
#include "records/record_text.hpp"
#include "test_records_support.hpp"

namespace {

using slug::RecordOptions;

struct GoodOption {
    const char* name;
    const char* value;
    bool (*holds)(const RecordOptions&);
};

TEST(RecordOptions, SetsEachOptionFromItsSpelling) {
    const GoodOption cases[] = {
        {"--columns", "Date+Time+ms,LEVEL",
         [](const RecordOptions& o) {
             return o.time.size() == 3 && o.time[2].name == "ms" && o.value.name == "LEVEL" && o.value.number == 0;
         }},
        {"--columns", " 2 , 5 ",
         [](const RecordOptions& o) { return o.time.size() == 1 && o.time[0].number == 2 && o.value.number == 5; }},
        {"--skip", "14", [](const RecordOptions& o) { return o.skip == 14; }},
        {"--separator", "Semicolon", [](const RecordOptions& o) { return o.separator == slug::RecordSeparator::Semicolon; }},
        {"--decimal-comma", "", [](const RecordOptions& o) { return o.decimal_comma; }},
        {"--clock-unit", "min", [](const RecordOptions& o) { return o.clock_unit_seconds == 60.0; }},
        {"--clock-unit", "d", [](const RecordOptions& o) { return o.clock_unit_seconds == 86400.0; }},
        {"--t0", "JUMP", [](const RecordOptions& o) { return o.origin == slug::RecordOrigin::Jump; }},
        {"--t0", "35.5",
         [](const RecordOptions& o) { return o.origin == slug::RecordOrigin::Elapsed && o.t0_elapsed == 35.5; }},
        {"--t0", "10:03:12.5",
         [](const RecordOptions& o) {
             return o.origin == slug::RecordOrigin::Clock && !o.t0_clock.has_date && o.t0_clock.second == 36192.5;
         }},
        {"--static", "-3.25", [](const RecordOptions& o) { return o.static_level == -3.25; }},
        {"--hrange", "0.15,0.25",
         [](const RecordOptions& o) { return o.hrange && (*o.hrange)[0] == 0.15 && (*o.hrange)[1] == 0.25; }},
        {"--thin", "200", [](const RecordOptions& o) { return o.thin == 200; }},
    };
    for (const GoodOption& c : cases) {
        RecordOptions o;
        EXPECT_EQ(slug::set_record_option(o, c.name, c.value), "") << c.name << " " << c.value;
        EXPECT_TRUE(c.holds(o)) << c.name << " " << c.value;
    }
    // Every listed option is one the setter knows.
    for (const slug::RecordOptionInfo& i : slug::record_option_list()) {
        RecordOptions o;
        const std::string why = slug::set_record_option(o, i.name, i.takes_value ? "?" : "");
        EXPECT_EQ(why.find("unknown"), std::string::npos) << i.name;
    }
}

TEST(RecordOptions, RefusesWrongValuesAndCombinations) {
    const std::pair<rectest::Args, const char*> cases[] = {
        {{{"--columns", "1"}}, "--columns: expected T,H (two columns)"},
        {{{"--columns", "1,2,3"}}, "--columns: expected T,H"},
        {{{"--columns", "0,2"}}, "--columns: column 0 (columns are numbered from 1)"},
        {{{"--columns", ",2"}}, "--columns: an empty column"},
        {{{"--columns", "a+b+c+d,e"}}, "at most three columns (date, time, ms) make a clock"},
        {{{"--skip", "-1"}}, "--skip: expected a number of lines"},
        {{{"--separator", "pipe"}}, "--separator: expected auto, comma, semicolon, tab or blank"},
        {{{"--clock-unit", "hours"}}, "--clock-unit: expected s, min, h or d"},
        {{{"--t0", "yesterday"}}, "--t0: expected an elapsed time, a clock time"},
        {{{"--static", "nan"}}, "--static: expected a level (a finite number), got 'nan'"},
        {{{"--tmin", "1e999"}}, "--tmin: expected a time"},
        {{{"--hrange", "0.2"}}, "--hrange: expected A,B"},
        {{{"--thin", "1"}}, "--thin: expected a number of readings of at least 2"},
        {{{"--clock", "yes"}}, "--clock: takes no value"},
        {{{"--frobnicate", ""}}, "unknown record option '--frobnicate'"},
        // Options that do not go together.
        {{{"--depth", ""}}, "--depth needs --static LEVEL"},
        {{{"--columns", "Date+Time,Level"}}, "'+' joins the columns of a clock"},
        {{{"--t0", "10:03:12"}}, "--t0: a clock time needs --clock"},
        {{{"--clock-unit", "h"}}, "--clock-unit applies to a clock"},
        {{{"--separator", "comma"}, {"--decimal-comma", ""}}, "a comma cannot both separate values and mark decimals"},
        {{{"--tmin", "5"}, {"--tmax", "5"}}, "--tmin 5 is not below --tmax 5"},
        {{{"--hrange", "0.3,0.2"}}, "--hrange: A (0.3) must be below B (0.2)"},
        {{{"--clock", ""}, {"--columns", "Date+Level,level"}}, "the head column is also a time column"},
    };
    for (const auto& [args, message] : cases) {
        RecordOptions o;
        std::string why;
        for (const auto& [name, value] : args)
            if (why.empty()) why = slug::set_record_option(o, name, value);
        if (why.empty()) why = slug::check_record_options(o);
        EXPECT_NE(why.find(message), std::string::npos) << message << "\ngot: " << why;
    }
}

struct ClockCase {
    const char* cell;
    bool ok;
    bool has_date;
    std::int64_t day;  // days since 1970-01-01
    double second;     // into the day, UTC
};

TEST(RecordClock, ReadsTheWrittenForms) {
    const ClockCase cases[] = {
        {"2024-05-17T10:03:12.5", true, true, 19860, 36192.5},
        {"2024-05-17  10:03:12", true, true, 19860, 36192},
        {"2024/5/17 10:03", true, true, 19860, 36180},
        {"17.05.2024 10:03:12,25", true, true, 19860, 36192.25},
        {"2024-02-29", true, true, 19782, 0},
        {"1969-12-31T23:59:59Z", true, true, -1, 86399},
        {"2024-05-17T10:03:12+01:30", true, true, 19860, 36192 - 5400},
        {"2024-05-17T10:03:12-0500", true, true, 19860, 36192 + 18000},
        {"10:03:12", true, false, 0, 36192},
        {"12:00:00 AM", true, false, 0, 0},
        {"12:30 PM", true, false, 0, 45000},
        {"1:05:00 pm", true, false, 0, 47100},
        {"2023-02-29", false, false, 0, 0},
        {"2024-13-01", false, false, 0, 0},
        {"5/17/2024 10:03:12", false, false, 0, 0},
        {"24:00:00", false, false, 0, 0},
        {"10:60", false, false, 0, 0},
        {"13:00 PM", false, false, 0, 0},
        {"2024-05-17T", false, false, 0, 0},
        {"10:03:12.", false, false, 0, 0},
        {"2024-05-17 10:03:12 UTC", false, false, 0, 0},
        {"", false, false, 0, 0},
    };
    for (const ClockCase& c : cases) {
        slug::record_detail::ClockCell out;
        ASSERT_EQ(slug::record_detail::parse_clock(c.cell, out), c.ok) << c.cell;
        if (!c.ok) continue;
        EXPECT_EQ(out.has_date, c.has_date) << c.cell;
        EXPECT_EQ(out.clock.day, c.day) << c.cell;
        EXPECT_DOUBLE_EQ(out.clock.second, c.second) << c.cell;
    }
}

}  // namespace
