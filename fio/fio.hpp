// Formatted input/output layer of slugwell.
//
// Fortran-style units over C++ streams: list-directed (free-format) writes
// and reads, fixed records, and the fatal report of an input/output
// condition. Units in use: 5 standard input, 6 standard output (console),
// 11 the input file, 21 outfile.txt, 51 log.txt.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace slug {

constexpr int kStdin = 5;
constexpr int kConsole = 6;
constexpr int kInputUnit = 11;
constexpr int kResultsUnit = 21;
constexpr int kLogUnit = 51;

// One item of a list-directed write: text, a 32-bit integer or a double.
class ListItem {
public:
    enum class Kind { Text, Int, Real };
    ListItem(const char* s) : kind_(Kind::Text), text_(s) {}
    ListItem(std::string_view s) : kind_(Kind::Text), text_(s) {}
    ListItem(const std::string& s) : kind_(Kind::Text), text_(s) {}
    ListItem(int v) : kind_(Kind::Int), int_(v) {}
    ListItem(double v) : kind_(Kind::Real), real_(v) {}
    Kind kind() const { return kind_; }
    const std::string& text() const { return text_; }
    int int_value() const { return int_; }
    double real_value() const { return real_; }

private:
    Kind kind_;
    std::string text_;
    int int_ = 0;
    double real_ = 0.0;
};

// The characters of one list-directed write: the items laid out by the
// free-format rules (leading blank, "%.9G" reals with a decimal point, the
// 80-column rule), every line ended by '\n'; no items give "\n".
std::string format_list(std::initializer_list<ListItem> items);
std::string format_list(const std::vector<ListItem>& items);

// The text of one list-directed real item without its leading blank and
// sign position, e.g. "10.", "1.E-05", "0.", "1.23456789E+100".
std::string format_real_g9(double v);

// List-directed write of the items to a unit (kConsole, kResultsUnit,
// kLogUnit).
void write_list(int unit, std::initializer_list<ListItem> items);
void write_list(int unit, const std::vector<ListItem>& items);

// Writes one already formatted record (the line without its end) to a unit.
void write_record(int unit, std::string_view record);
// The same, naming the edit format of the record (e.g. "(5X,F16.5)"); the
// fatal report quotes the format of the last formatted transfer.
void write_record(int unit, std::string_view record, std::string_view format);

// Opening and closing units. open_results replaces an existing
// outfile.txt; open_log opens log.txt without emptying it: records are
// written from its start and, when any was written, the file ends after the
// last one at close; a run that writes none leaves the file as it was.
void open_results(int unit, const std::string& name);
void open_log(int unit, const std::string& name);
void close_unit(int unit);
void close_all_units();
bool unit_is_open(int unit);

// Writes to a file unit that is not open are dropped (the model can be
// exercised without a log file). close_all_units is also run at program
// exit. A write or close failure of a file unit is reported on the error
// stream, and the run then ends with status 1 instead of 0.

// Ends the run: closes every unit (log semantics above) and exits with the
// status. Used for the normal end and for the failures that the program
// reports by message.
[[noreturn]] void stop_run(int status);

// Fatal input/output condition: writes the report on the error stream
// (operation and reason; "apparent state: unit %d named %s"; "last
// format: ..." when a formatted transfer was last; "lately reading
// sequential formatted external IO"), closes all units and aborts.
[[noreturn]] void fatal_io(const std::string& operation_and_reason, int unit,
                           const std::string& name);

// ---- list-directed reading -------------------------------------------

// Result of one list-directed read.
enum class ReadStatus {
    Ok,          // all values read (or left unchanged by empty/slash)
    InputError,  // a value could not be read as a number of its kind
    EndOfFile    // the source ended before the read was satisfied
};

// One value wanted by a read: a double or an int field.
struct ReadTarget {
    enum class Kind { Real, Int } kind;
    void* field;
    static ReadTarget real(double& d) { return {Kind::Real, &d}; }
    static ReadTarget integer(int& i) { return {Kind::Int, &i}; }
};

// A sequential formatted source of lines (a file, the console, or a
// string in tests). Lines are returned without their end; a CR before the
// line end is not part of the line.
class LineSource {
public:
    virtual ~LineSource() = default;
    // Next line; false at end of file.
    virtual bool next_line(std::string& line) = 0;
};

// List-directed read of the targets, starting on a new line of the source,
// continuing over following lines (empty ones skipped) until every target
// is satisfied; the rest of the last line is ignored. When rest is given it
// receives that ignored rest (empty after a slash, which ends the read on
// purpose), so that a caller can tell the user of values it did not take.
ReadStatus read_list(LineSource& src, const std::vector<ReadTarget>& targets, std::string* rest = nullptr);

// List-directed read of one text value (the console file name): the value
// ends at the first blank, tab, comma, slash or line end unless quoted.
ReadStatus read_list_text(LineSource& src, std::string& value);

// Lines of a string, split at '\n' (a CR before it is dropped); for tests
// and for reading text already in memory.
class StringLineSource : public LineSource {
public:
    explicit StringLineSource(std::string text) : text_(std::move(text)) {}
    bool next_line(std::string& line) override;

private:
    std::string text_;
    std::size_t pos_ = 0;
};

// ---- reading from units ---------------------------------------------
// Unit 5 (standard input) is always open (a UTF-8 byte order mark before
// its first line is dropped); other units are opened with open_input. End of file on any of these reads is a fatal condition
// (fatal_io with "list in: end of file" or "fmt in: end of file"), so they
// return only Ok or InputError.

// Opens an existing file for sequential formatted reading (never creates
// it). A failed open is fatal: "open: <system reason>". A UTF-8 byte order
// mark at the start of the file is not part of its first line.
void open_input(int unit, const std::string& name);

// Input files read from memory (the fuzz target, tests): the next
// open_input of `unit` reads these `size` bytes, exactly as it would read a
// file holding them, instead of opening the named file. The bytes must
// outlive the connection. A null `data` withdraws a pending substitution.
void substitute_input(int unit, const char* data, std::size_t size);

// Handler of a fatal input/output condition for callers that must go on
// after it (the reader fed from memory meets the end of its bytes): when
// one is set, fatal_io calls it first, and it leaves by throwing. Returns
// the previous handler. The program itself never sets one.
using FatalHandler = void (*)(const std::string& operation_and_reason, int unit, const std::string& name);
FatalHandler set_fatal_handler(FatalHandler handler);

// Consumes one record whatever it holds.
void read_unit_skip(int unit);

// Reads one record as a fixed-width text field of `width` characters
// (format "(A<width>)"): a shorter record is padded with blanks, the rest
// of a longer one is ignored; a UTF-8 character is never cut in half
// (blanks take the place of its bytes).
std::string read_unit_text(int unit, int width);

// List-directed reads from a unit (see read_list and read_list_text).
ReadStatus read_unit_list(int unit, const std::vector<ReadTarget>& targets, std::string* rest = nullptr);
ReadStatus read_unit_list_text(int unit, std::string& value);

// One more record of an input unit, for a look past what a reader needs:
// false at the end of the file, which here is not a fatal condition.
bool read_unit_line(int unit, std::string& line);

// Number of records read so far from an input unit (the file line number of
// the last one); 0 for a unit not open for reading.
long unit_lines_read(int unit);

}  // namespace slug
