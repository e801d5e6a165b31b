// The analyze subcommand of slugwell:
//
//   slugwell analyze INPUT DATA [options]
//
// estimates K by the classical slug-test analyses and this program's model,
// side by side.
#pragma once

#include <optional>
#include <string>

#include "classical/line_fit.hpp"
#include "records/records.hpp"
#include "report/units.hpp"

namespace slug {

struct AnalyzeCommand {
    std::string input;
    std::string data;
    std::string csv;   // empty: no CSV
    std::string plot;  // empty: no SVG
    bool normalized = false;
    std::optional<HeadRange> range;  // --range a,b
    std::string time_unit = "time units";
    Units units;            // --units L,T: K restated in m/d, ft/d, cm/s and T = K*b
    RecordOptions records;  // how DATA is read (records.ho is set from the input file)
    double gravity = 0.0;    // --gravity, or from --units (0: not known)
    double viscosity = 0.0;  // --viscosity, or water at 20 C under --units
};

// Outcome of parsing: when run is false the caller prints out_text /
// err_text and ends with status.
struct AnalyzeCliResult {
    bool run = false;
    int status = 0;
    std::string out_text;
    std::string err_text;
    AnalyzeCommand command;
};

// Parses the arguments after "analyze" (argv[0] is the word itself). Pure.
AnalyzeCliResult parse_analyze_command_line(int argc, const char* const* argv);

// Runs "slugwell analyze ..." with argv[0] = "analyze". Returns the exit
// status: 0 when every method gave an estimate and every file was written;
// 1 when a method gave none (the reasons in the table and on the error
// stream), the data or the input could not be used, or a file could not be
// written; 2 for a wrong command line.
int analyze_main(int argc, char** argv);

}  // namespace slug
