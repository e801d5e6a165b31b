// Observations of a slug test for the fit: time and head displacement (or
// H/Ho) read from a small text file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/records.hpp"

namespace slug {

// Observed response, in the order of the file (times strictly increasing).
struct Observations {
    std::vector<double> time;   // time since the slug, input file's time unit
    std::vector<double> value;  // head displacement (or H/Ho when normalized)
    std::vector<int> line;      // line of the file that held each observation
};

// Parses the text of a data file. Layout: one observation per line, time
// then value, separated by blanks, tabs and/or one comma; '#' starts a
// comment that runs to the end of the line; empty lines are skipped; the
// first line with content may be a header (it holds a letter that is not
// part of a number, e.g. "time,head"). Every other line, the first
// included, must hold exactly two finite numbers; times
// must be greater than 0 and strictly increasing. On failure returns false
// with a message naming the file (name) and the line in error, and obs
// holds no observations.
bool parse_observations(std::string_view text, const std::string& name, Observations& obs,
                        std::string& error);

// Largest data file read: far more than any logger's record of one test.
constexpr std::size_t kMaxDataFileBytes = std::size_t{64} << 20;

// Reads and parses the file at path (as parse_observations); a file larger
// than kMaxDataFileBytes (or an endless device) is refused.
bool read_observations(const std::string& path, Observations& obs, std::string& error);

// The DATA file of `fit` and `analyze` read as a field record (a logger or
// transducer export, or a plain two-column file): the observations at
// t > 0 in file order (equal times kept), the reading at t = 0 when there
// is one, and the reader's notes; or the refused lines, each with its file
// line and reason.
struct DataFile {
    Observations obs;
    std::optional<RecordReading> at_zero;
    std::vector<std::string> notes;
    std::vector<std::string> errors;
    bool ok() const { return errors.empty(); }
};

// Reads the file at path with the record options. options.ho is the
// initial displacement the --hrange window divides by (Ho of the input
// file, or 1 when the readings are H/Ho).
DataFile read_data_file(const std::string& path, const RecordOptions& options);

// The line that shows the reading at t = 0 beside Ho (both in the unit of
// the readings: head displacement, or H/Ho when normalized), e.g.
// "Ho = 0.56 (input file); the reading at t = 0 (line 17) is 0.5599";
// empty when the record has no reading at t = 0.
std::string at_zero_text(const DataFile& data, double ho, bool normalized);

// A number as the fit's messages show it: the shortest of fixed and
// exponent notation with `digits` significant digits (stream %g style).
std::string fit_value_text(double v, int digits = 9);

}  // namespace slug
