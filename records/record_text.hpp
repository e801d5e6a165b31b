// Lines, cells and numbers of a record file (internal to the record reader).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "records/records.hpp"

namespace slug::record_detail {

bool is_blank(char c);
std::string_view trim(std::string_view s);
std::string lower(std::string_view s);

// The line without its comment: '#' outside double quotes starts a comment
// that runs to the end of the line.
std::string_view strip_comment(std::string_view line);

// How a line is cut into cells.
enum class Split {
    Mixed,      // blanks and tabs separate, and so does one comma with blanks around it
    Blank,      // blanks and tabs only (decimal commas)
    Comma,      // each comma ends a cell; blanks around a cell are trimmed
    Semicolon,  // each semicolon ends a cell
    Tab,        // each tab ends a cell
};

// Cuts a line (comment removed) into cells. A cell in double quotes may
// hold separators; "" inside it is one quote. In the strict modes a
// separator at the end of the line (as spreadsheets write) adds no cell.
std::vector<std::string> split_cells(std::string_view line, Split mode);

// The cells of a line that may be a header: cut at semicolons, else at
// commas, else at tabs, else at blanks; cut at blanks, a unit in brackets
// stays with the name before it ("Level (m)").
std::vector<std::string> split_header(std::string_view line, RecordSeparator forced);

enum class NumberStatus { Ok, Empty, NotNumber, NotFinite, Comma };

// Parses a decimal number (C notation, as strtod in the "C" locale reads
// it). With decimal_comma one comma is read as the decimal mark;
// without, a cell holding a comma is Comma (ambiguous: a decimal mark or a
// thousands separator). A number too large for a double is NotFinite; one
// too small to be represented is read as the nearest double (0 or a
// subnormal).
NumberStatus parse_number(std::string_view cell, bool decimal_comma, double& value);

// A cell that is text: it holds a letter (any byte outside ASCII counts as
// one) and is neither a number nor a clock reading.
bool is_text_cell(std::string_view cell);

// True when the line holds a letter that is not part of a number: the
// line of a header, a title or a note, never a reading.
bool is_text_line(std::string_view line);

// A cell as messages show it: in single quotes, control bytes (a NUL too)
// as \xNN, at most 60 characters.
std::string shown(std::string_view cell);
// The same without the quotes.
std::string printable(std::string_view cell);

// %g with 9 significant digits, as the fit's messages show numbers.
std::string number_text(double v);

// Clock readings. Accepted: YYYY-MM-DD, YYYY/MM/DD or DD.MM.YYYY (a date
// alone);
// HH:MM, HH:MM:SS or HH:MM:SS.sss (a time of day alone; a decimal comma
// also marks the fraction; AM/PM after it for a 12-hour clock); a date, 'T'
// or blanks, and a time, then optionally Z or an offset +HH, +HH:MM, +HHMM
// (the reading is taken back to UTC).
struct ClockCell {
    bool has_date = false;
    bool has_time = false;
    RecordClock clock;
};
bool parse_clock(std::string_view cell, ClockCell& out);

}  // namespace slug::record_detail
