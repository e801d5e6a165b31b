// Field records of a slug test: the readings a data logger or pressure
// transducer wrote (or a plain two-column file), read into the observations
// of `fit` and `analyze`: elapsed time since the slug and head displacement
// (or H/Ho). The reader is a pure function of the text and the options: it
// keeps no state and prints nothing; its notes and its refusals are
// returned for the caller to print. docs/records.md describes the layouts
// it reads and each option.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace slug {

// Bounds that keep a file that is no record (a device such as /dev/zero,
// a binary) from exhausting memory. A 1 Hz record of a month with five
// columns is about 150 MB; a line of a record is well under 1 kB even for
// a multi-parameter sonde, and a header of 64 kB would name a thousand
// columns.
inline constexpr std::size_t kRecordMaxBytes = std::size_t{256} << 20;
inline constexpr std::size_t kRecordMaxLine = 65536;
// At most this many lines are refused one by one; the rest are counted.
inline constexpr int kRecordMaxErrors = 10;

enum class RecordSeparator { Detect, Comma, Semicolon, Tab, Blank };

// A column of the file: a 1-based number, or (number == 0) a name matched
// against the cells of the header line.
struct RecordColumn {
    int number = 0;
    std::string name;
};

// A clock reading: days since 1970-01-01 and seconds into that day (after
// any zone offset). has_date is false for a time of day alone.
struct RecordClock {
    bool has_date = false;
    std::int64_t day = 0;
    double second = 0.0;
};

// Where t = 0 lies.
enum class RecordOrigin {
    Default,  // elapsed times as written; with --clock, the first reading
    Elapsed,  // t0_elapsed, in the record's time (with --clock, after the first reading)
    Clock,    // t0_clock, a clock time (needs --clock)
    Jump,     // the reading that ends the largest change between two successive readings
};

struct RecordOptions {
    // --columns T,H : the time and head columns, by 1-based number or by
    // header name (case-insensitive; "Level" also matches "Level (m)").
    // With --clock, T may join columns with '+': Date+Time, or
    // Date+Time+ms. Empty time list: the defaults (columns 1 and 2, and
    // exactly two values per line, as in a plain file).
    std::vector<RecordColumn> time;
    RecordColumn value;
    // --skip N : lines 1 ... N of the file are passed over unread (a block
    // of metadata before the column header or the data).
    int skip = 0;
    // --separator auto|comma|semicolon|tab|blank (default auto: found on
    // the first data line).
    RecordSeparator separator = RecordSeparator::Detect;
    // --decimal-comma : a comma inside a number is its decimal mark (so a
    // comma never separates values). Implied by a semicolon separator.
    bool decimal_comma = false;
    // --clock : the time column is a clock (2024-05-17T10:03:12.5,
    // 2024-05-17 10:03:12.5, or date and time in two columns).
    bool clock = false;
    // --clock-unit s|min|h|d : the unit of the elapsed times made from a
    // clock (that of the input file's conductivities); seconds by default.
    double clock_unit_seconds = 1.0;
    // --t0 VALUE|CLOCK|jump : the instant of the slug, t = 0.
    RecordOrigin origin = RecordOrigin::Default;
    double t0_elapsed = 0.0;
    RecordClock t0_clock;
    // --static LEVEL : the readings are water levels (or pressure heads);
    // the displacement is reading - LEVEL. With --depth the readings are
    // depths to water and LEVEL the static depth: displacement =
    // LEVEL - reading, positive while the water stands above static.
    std::optional<double> static_level;
    bool depth = false;
    // --tmin T, --tmax T : keep readings with tmin <= t <= tmax.
    std::optional<double> tmin, tmax;
    // --hrange A,B : keep readings with A <= displacement/Ho <= B (each
    // reading on its own). Needs ho.
    std::optional<std::array<double, 2>> hrange;
    // --thin N : keep about N readings, evenly spaced in log time; the
    // first and the last are always kept. 0: keep all.
    int thin = 0;
    // Set by the caller, not a command-line option: the initial
    // displacement Ho of the input file (1 when the readings are H/Ho),
    // which --hrange divides by.
    double ho = std::numeric_limits<double>::quiet_NaN();
};

// One option as the command line shows it, for the callers' parsers and
// their help text. takes_value is false for the flags.
struct RecordOptionInfo {
    const char* name;
    bool takes_value;
    const char* value_name;
    const char* help;
};
std::span<const RecordOptionInfo> record_option_list();

// Sets one option from its command-line spelling, e.g.
// ("--columns", "Date+Time,LEVEL"). Returns "" or the reason the value is
// refused ("--columns: ..."). A flag takes an empty value.
std::string set_record_option(RecordOptions& options, std::string_view name, std::string_view value);

// The checks that involve several options (e.g. --depth without --static).
// Returns "" or the reason. read_record makes them too.
std::string check_record_options(const RecordOptions& options);

// A reading as the caller reports it: the file line, the elapsed time and
// the displacement (after --static/--depth).
struct RecordReading {
    int line = 0;
    double time = 0.0;
    double value = 0.0;
};

struct Record {
    // The observations, in file order: times greater than 0 and never
    // decreasing (equal times are kept, in the order of the file).
    std::vector<double> time;
    std::vector<double> value;
    std::vector<int> line;  // file line of each observation
    // The reading at t = 0 (the first one, when several share it), to be
    // shown beside Ho; empty when no reading falls on t = 0.
    std::optional<RecordReading> at_zero;
    // What the reader did that the user should know (lines passed over,
    // readings left out, the instant taken as t = 0, ...), each a whole
    // sentence starting with "data file NAME".
    std::vector<std::string> notes;
    // Why the file is refused: one entry per refused line (at most
    // kRecordMaxErrors, then a count of the others), each naming the file
    // and the line. Empty when the record was read.
    std::vector<std::string> errors;
    bool ok() const { return errors.empty(); }
};

// Reads a record from the text of a file; name is the file's name as the
// messages show it.
Record read_record(std::string_view text, const std::string& name, const RecordOptions& options);

// Reads the file at path (at most kRecordMaxBytes, lines of at most
// kRecordMaxLine characters) and then as read_record.
Record read_record_file(const std::string& path, const RecordOptions& options);

}  // namespace slug
