// Shared set-up of the record reader's tests: records in the layouts that
// common loggers and transducers export (written for these tests), and a
// helper that reads a text with options given as on the command line.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "records/records.hpp"

namespace rectest {

using Args = std::vector<std::pair<std::string, std::string>>;

inline slug::RecordOptions options(const Args& args, double ho = 0.5) {
    slug::RecordOptions o;
    o.ho = ho;
    for (const auto& [name, value] : args) {
        const std::string why = slug::set_record_option(o, name, value);
        EXPECT_EQ(why, "") << name << " " << value;
    }
    return o;
}

inline slug::Record read(const std::string& text, const Args& args = {}, double ho = 0.5) {
    return slug::read_record(text, "d.csv", options(args, ho));
}

inline std::string joined(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\n";
    return s;
}

// A Levelogger-style CSV: a block of metadata, then Date,Time,ms,LEVEL,
// TEMPERATURE at 0.5 s; LEVEL is the water column over the sensor. The
// slug goes in between 10:03:11.0 and 10:03:11.5 (static level 9.8123 m).
inline const char* const kLevelogger =
    "Serial_number:\n"
    "2012345\n"
    "Project ID:\n"
    "MW-3 slug tests\n"
    "Location:\n"
    "Field site A\n"
    "LEVEL\n"
    "UNIT: m\n"
    "Offset: 0.000000 m\n"
    "Density: 1.000 kg/cm3\n"
    "TEMPERATURE\n"
    "UNIT: Deg C\n"
    "Date,Time,ms,LEVEL,TEMPERATURE\n"
    "2024/05/17,10:03:10,0,9.8123,12.41\n"     // line 14
    "2024/05/17,10:03:10,500,9.8121,12.41\n"
    "2024/05/17,10:03:11,0,9.8124,12.41\n"
    "2024/05/17,10:03:11,500,10.3102,12.40\n"  // line 17: the slug is in
    "2024/05/17,10:03:12,0,10.2411,12.40\n"
    "2024/05/17,10:03:12,500,10.1790,12.40\n"
    "2024/05/17,10:03:13,0,10.1232,12.40\n";

// A Level TROLL-style export: report lines, then "Date Time" (one cell,
// month first and a 12-hour clock), elapsed Seconds and Pressure/Depth.
inline const char* const kLevelTroll =
    "Log File Name : MW3_slug_01\n"
    "Report Date: 5/17/2024 10:30:12 AM\n"
    "Device: Level TROLL 500\n"
    "Serial Number: 123456\n"
    "Log Data:\n"
    "Record Count: 5\n"
    "\n"
    "Date Time,Seconds,Pressure/Depth (m)\n"  // line 8
    "5/17/2024 10:03:12 AM,0.000,1.4520\n"
    "5/17/2024 10:03:12 AM,0.250,1.3611\n"
    "5/17/2024 10:03:12 AM,0.500,1.2811\n"
    "5/17/2024 10:03:13 AM,1.000,1.1470\n"
    "5/17/2024 10:03:14 AM,2.000,0.9968\n";

// A European export: semicolons, decimal commas, a day-first date and the
// time in two columns, depth to water ("Abstich") from the top of casing.
inline const char* const kSemicolonDepth =
    "Messstelle;GWM 12;\n"
    "Datum;Uhrzeit;Abstich [m];Temperatur [C];\n"  // line 2
    "17.05.2024;10:03:12;3,215;10,8;\n"
    "17.05.2024;10:03:13;2,701;10,8;\n"
    "17.05.2024;10:03:14;2,802;10,8;\n"
    "17.05.2024;10:03:16;2,950;10,9;\n";

}  // namespace rectest
