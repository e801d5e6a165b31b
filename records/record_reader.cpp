// Reader of field records: finds the column header (after --skip lines, or
// the line that names the chosen columns), the separator and the columns,
// then reads every data line strictly. A line that cannot be read is never
// passed over in silence: it is refused with its line number and reason,
// and the record with it. Only lines that hold no reading are passed over:
// empty and comment lines, the lines before the column header, and text
// after the last reading (the end marker some loggers write); each such
// block is named in a note.
#include <algorithm>
#include <cmath>

#include "records/record_rows.hpp"
#include "records/record_text.hpp"
#include "records/records.hpp"

namespace slug {

using namespace record_detail;

namespace {

struct Line {
    int number;
    std::string_view text;  // comment removed, blanks trimmed, not empty
};

std::string line_range(int a, int b) {
    return a == b ? "line " + std::to_string(a) : "lines " + std::to_string(a) + "-" + std::to_string(b);
}

// Index of the header cell that a name picks: the cell itself, case
// ignored, or failing that the cell's name before a unit in brackets
// ("Level" picks "LEVEL (m)"). -1 when none; -2 when several.
int find_column(const std::vector<std::string>& cells, const std::string& name) {
    const std::string want = lower(trim(name));
    for (int pass = 0; pass < 2; ++pass) {
        int found = -1;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            std::string c = lower(trim(cells[i]));
            if (pass == 1) {
                const std::size_t b = c.find_first_of("([");
                if (b == std::string::npos) continue;
                c = std::string(trim(std::string_view(c).substr(0, b)));
            }
            if (c != want) continue;
            if (found >= 0) return -2;
            found = static_cast<int>(i);
        }
        if (found >= 0) return found;
    }
    return -1;
}

bool starts_with_letter(std::string_view t) {
    if (!t.empty() && t.front() == '"') t.remove_prefix(1);
    if (t.empty()) return false;
    const char c = t.front();
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A text line after the readings: it starts with a letter.
bool trailer_like(std::string_view text) { return starts_with_letter(text) && is_text_line(text); }

// A cell with blanks inside that is not a row of numbers: a date and time,
// or a name ("1,5 0,25" cut at commas gives "5 0", which is no such cell).
bool has_spaced_cell(const std::vector<std::string>& cells) {
    for (const std::string& c : cells) {
        if (c.find_first_of(" \t") == std::string::npos) continue;
        for (const std::string& part : split_cells(c, Split::Mixed)) {
            double v = 0.0;
            if (!part.empty() && parse_number(part, true, v) != NumberStatus::Ok) return true;
        }
    }
    return false;
}

// The separator of the data, from their first line: a semicolon when it
// holds one; otherwise a tab or a comma, strictly, when one of the cells
// they cut holds blanks (a date and time in one cell); otherwise blanks,
// tabs and single commas all separate (the plain layout), or blanks and
// tabs alone with decimal commas.
Split detect_split(std::string_view line, bool decimal_comma) {
    if (line.find(';') != std::string_view::npos) return Split::Semicolon;
    // Tabs first: a tab-separated file may hold decimal commas, a
    // comma-separated one never holds tabs.
    if (line.find('\t') != std::string_view::npos && has_spaced_cell(split_cells(line, Split::Tab))) return Split::Tab;
    if (!decimal_comma && line.find(',') != std::string_view::npos && has_spaced_cell(split_cells(line, Split::Comma)))
        return Split::Comma;
    return decimal_comma ? Split::Blank : Split::Mixed;
}

Split forced_split(RecordSeparator s) {
    switch (s) {
    case RecordSeparator::Comma: return Split::Comma;
    case RecordSeparator::Semicolon: return Split::Semicolon;
    case RecordSeparator::Tab: return Split::Tab;
    case RecordSeparator::Blank: return Split::Blank;
    case RecordSeparator::Detect: break;
    }
    return Split::Mixed;
}

const char* split_name(Split s) {
    switch (s) {
    case Split::Comma: return "commas";
    case Split::Semicolon: return "semicolons";
    case Split::Tab: return "tabs";
    case Split::Blank: return "blanks";
    case Split::Mixed: break;
    }
    return "blanks or commas";
}

// How the clock of a line is made from its time columns.
enum class ClockKind { DateTime, TimeOnly, DateAndTime };

class Reader {
public:
    Reader(std::string_view text, const std::string& name, const RecordOptions& o, Record& rec)
        : text_(text), name_(name), o_(o), rec_(rec) {}

    void run();

private:
    std::string where(int line) const { return "data file " + name_ + ", line " + std::to_string(line) + ": "; }
    void refuse(int line, const std::string& why) {
        ++refused_;
        if (refused_ <= kRecordMaxErrors) rec_.errors.push_back(where(line) + why);
    }
    void fail(const std::string& why) { rec_.errors.push_back("data file " + name_ + why); }
    void note(const std::string& what) { rec_.notes.push_back("data file " + name_ + what); }

    bool split_lines();
    bool find_header();
    bool resolve_columns();
    void read_line(const Line& l);
    bool read_time(const Line& l, const std::vector<std::string>& cells, double& raw, std::string& text);
    std::string number_problem(const std::string& cell, NumberStatus st);
    std::string metadata_hint(const std::string& cell);
    // A hint of the likely cause, given with the first line it fits only.
    std::string once(const char* hint) {
        if (std::find(hints_.begin(), hints_.end(), hint) != hints_.end()) return "";
        hints_.push_back(hint);
        return hint;
    }
    std::string column_label(int index) const;

    std::string_view text_;
    const std::string& name_;
    const RecordOptions& o_;
    Record& rec_;

    std::vector<Line> lines_;  // lines with content after the skipped ones
    std::size_t data_begin_ = 0, data_end_ = 0;
    std::vector<std::string> header_;  // cells of the column header, if any
    int header_line_ = 0;
    Split split_ = Split::Mixed;
    bool decimal_comma_ = false;
    std::vector<int> tcols_;  // 0-based time columns (date, time, ms)
    int hcol_ = 1;
    bool exactly_two_ = false;
    ClockKind kind_ = ClockKind::DateTime;
    bool ms_column_ = false;
    Rows rows_;
    int refused_ = 0;
    std::string prev_text_;
    std::vector<const char*> hints_;
};

bool Reader::split_lines() {
    if (text_.size() > kRecordMaxBytes) {
        fail(" is larger than " + std::to_string(kRecordMaxBytes >> 20) + " MiB: not a record");
        return false;
    }
    std::size_t pos = 0;
    // A UTF-8 byte order mark, as some spreadsheets write, is not content.
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;
    int number = 0;
    while (pos < text_.size()) {
        std::size_t eol = text_.find('\n', pos);
        if (eol == std::string_view::npos) eol = text_.size();
        const std::string_view line = text_.substr(pos, eol - pos);
        pos = eol + 1;
        ++number;
        if (line.size() > kRecordMaxLine) {
            rec_.errors.push_back(where(number) + "longer than " + std::to_string(kRecordMaxLine) +
                                  " characters: not a line of a record");
            return false;
        }
        if (number <= o_.skip) continue;
        const std::string_view content = trim(strip_comment(line));
        if (!content.empty()) lines_.push_back({number, content});
    }
    if (o_.skip > 0 && number <= o_.skip) {
        fail(": --skip " + std::to_string(o_.skip) + " passes over the whole file (" + std::to_string(number) +
             (number == 1 ? " line)" : " lines)"));
        return false;
    }
    return true;
}

bool Reader::find_header() {
    std::vector<std::string> names;
    for (const RecordColumn& c : o_.time)
        if (c.number == 0) names.push_back(c.name);
    if (o_.value.number == 0 && !o_.value.name.empty()) names.push_back(o_.value.name);
    auto names_all = [&](const std::vector<std::string>& cells) {
        return std::all_of(names.begin(), names.end(), [&](const std::string& n) { return find_column(cells, n) != -1; });
    };
    std::string name_list;
    for (const std::string& n : names) name_list += (name_list.empty() ? "" : ", ") + shown(n);

    std::optional<std::size_t> header;
    if (!names.empty() && o_.skip == 0) {
        for (std::size_t k = 0; k < lines_.size() && !header; ++k)
            if (is_text_line(lines_[k].text) && names_all(split_header(lines_[k].text, o_.separator))) header = k;
        if (!header) {
            fail(": no line names the column" + std::string(names.size() > 1 ? "s " : " ") + name_list);
            return false;
        }
        if (*header > 0)
            note(": " + line_range(lines_.front().number, lines_[*header - 1].number) +
                 " before the column header (line " + std::to_string(lines_[*header].number) + ") passed over");
    } else if (!lines_.empty() && is_text_line(lines_.front().text)) {
        // Without --skip, a block of text lines before the first reading is
        // metadata and then the column header: the header is the last.
        std::size_t k = 0;
        if (o_.skip == 0)
            while (k + 1 < lines_.size() && is_text_line(lines_[k + 1].text)) ++k;
        header = k;
        if (k > 0)
            note(": " + line_range(lines_.front().number, lines_[k - 1].number) + " before the column header (line " +
                 std::to_string(lines_[k].number) + ") passed over");
    }
    if (header) {
        header_ = split_header(lines_[*header].text, o_.separator);
        header_line_ = lines_[*header].number;
        if (!names_all(header_)) {
            std::string cols, missing;
            for (const std::string& c : header_) cols += (cols.empty() ? "" : ", ") + shown(c);
            for (const std::string& n : names)
                if (find_column(header_, n) == -1) missing += (missing.empty() ? "" : ", ") + shown(n);
            refuse(header_line_, "the column header does not name " + missing + " (its columns: " + cols + ")");
            return false;
        }
    } else if (!names.empty()) {
        refuse(lines_.empty() ? o_.skip + 1 : lines_.front().number,
               "expected the column header naming " + name_list + ", found a line of readings");
        return false;
    }
    data_begin_ = header ? *header + 1 : 0;
    // Text lines between the column header and the first reading (a line
    // of units) hold no reading.
    std::size_t first = data_begin_;
    while (header && first < lines_.size() && is_text_line(lines_[first].text)) ++first;
    if (first > data_begin_ && first < lines_.size()) {
        note(": " + line_range(lines_[data_begin_].number, lines_[first - 1].number) +
             " after the column header passed over: " + shown(lines_[data_begin_].text));
        data_begin_ = first;
    }
    // Text after the last reading (some loggers end a file with a marker
    // line) holds no reading; passed over with a note.
    data_end_ = lines_.size();
    while (data_end_ > data_begin_ && trailer_like(lines_[data_end_ - 1].text)) --data_end_;
    if (data_end_ == data_begin_) {
        data_end_ = lines_.size();  // text alone: refused line by line below
    } else if (data_end_ < lines_.size()) {
        note(": " + line_range(lines_[data_end_].number, lines_.back().number) +
             " after the last reading passed over: " + shown(lines_[data_end_].text));
    }
    return true;
}

std::string Reader::column_label(int index) const {
    std::string s = "column " + std::to_string(index + 1);
    if (index < static_cast<int>(header_.size())) s += " (" + printable(header_[static_cast<std::size_t>(index)]) + ")";
    return s;
}

bool Reader::resolve_columns() {
    if (data_begin_ >= data_end_) return true;
    const std::string_view first = lines_[data_begin_].text;
    split_ = o_.separator == RecordSeparator::Detect ? detect_split(first, o_.decimal_comma) : forced_split(o_.separator);
    decimal_comma_ = o_.decimal_comma || split_ == Split::Semicolon;
    if (split_ != Split::Mixed)
        note(": values separated by " + std::string(split_name(split_)) +
             (decimal_comma_ ? ", decimal commas" : ", decimal points"));

    auto index_of = [&](const RecordColumn& c, int& index) {
        if (c.number > 0) {
            index = c.number - 1;
            return true;
        }
        index = find_column(header_, c.name);
        if (index < 0)
            refuse(header_line_, index == -2 ? "more than one column is named " + shown(c.name)
                                             : "no column is named " + shown(c.name));
        return index >= 0;
    };
    const bool defaults = o_.time.empty();
    for (const RecordColumn& c : o_.time) {
        int i = 0;
        if (!index_of(c, i)) return false;
        tcols_.push_back(i);
    }
    if (defaults) tcols_.push_back(0);
    exactly_two_ = defaults && !o_.clock;
    int h = -1;
    if (!defaults && !index_of(o_.value, h)) return false;

    const std::vector<std::string> cells = split_cells(first, split_);
    auto header_is_ms = [&](int i) {
        if (i >= static_cast<int>(header_.size())) return false;
        const std::string n = lower(trim(header_[static_cast<std::size_t>(i)]));
        return n == "ms" || n == "msec" || n == "milliseconds";
    };
    if (o_.clock) {
        ClockCell c0;
        const int t = tcols_.front();
        const bool parsed = t < static_cast<int>(cells.size()) && parse_clock(cells[static_cast<std::size_t>(t)], c0);
        if (tcols_.size() == 1 && parsed && c0.has_date && !c0.has_time) {
            tcols_.push_back(t + 1);  // a date alone: the time of day follows
        }
        if (tcols_.size() == 2 && !(parsed && c0.has_date && !c0.has_time)) ms_column_ = true;  // date-time + ms
        if (tcols_.size() == 3) ms_column_ = true;
        // A milliseconds column named so in the header (as transducers
        // export it beside the time of day) belongs to the clock.
        if (o_.time.size() <= 1 && !ms_column_ && header_is_ms(tcols_.back() + 1) && h != tcols_.back() + 1) {
            tcols_.push_back(tcols_.back() + 1);
            ms_column_ = true;
        }
        const std::size_t clock_cols = tcols_.size() - (ms_column_ ? 1 : 0);
        kind_ = clock_cols == 2 ? ClockKind::DateAndTime
                : (parsed && !c0.has_date) ? ClockKind::TimeOnly
                                           : ClockKind::DateTime;
    }
    if (defaults) h = tcols_.back() + 1;
    hcol_ = h;
    if (std::find(tcols_.begin(), tcols_.end(), hcol_) != tcols_.end()) {
        refuse(header_line_ ? header_line_ : lines_[data_begin_].number,
               "the head " + column_label(hcol_) + " is also a time column");
        return false;
    }
    if (o_.clock || !defaults) {
        std::string t;
        for (int i : tcols_) t += (t.empty() ? "" : " + ") + column_label(i);
        note(": time from " + t + (o_.clock ? " (a clock)" : "") + ", head from " + column_label(hcol_));
    }
    return true;
}

std::string Reader::number_problem(const std::string& cell, NumberStatus st) {
    switch (st) {
    case NumberStatus::Empty: return "empty value is not a number";
    case NumberStatus::NotFinite: return shown(cell) + " is not a finite number";
    case NumberStatus::Comma: return shown(cell) + " is not a number" + once(" (a decimal comma? give --decimal-comma)");
    case NumberStatus::NotNumber:
    case NumberStatus::Ok: break;
    }
    std::string why = shown(cell) + " is not a number";
    ClockCell c;
    if (!o_.clock && parse_clock(cell, c)) return why + once(" (a clock time? give --clock)");
    return why + metadata_hint(cell);
}

// Before the first reading, a line of text is most likely one of a block
// of metadata lines (as transducer exports write before the column header).
std::string Reader::metadata_hint(const std::string& cell) {
    if (!rows_.rows.empty() || (!cell.empty() && !starts_with_letter(cell))) return "";
    return once(" (metadata lines before the data? give --skip N or name the columns in --columns)");
}

bool Reader::read_time(const Line& l, const std::vector<std::string>& cells, double& raw, std::string& text) {
    auto cell = [&](std::size_t k) -> const std::string& { return cells[static_cast<std::size_t>(tcols_[k])]; };
    if (!o_.clock) {
        const NumberStatus st = parse_number(cell(0), decimal_comma_, raw);
        if (st != NumberStatus::Ok) {
            refuse(l.number, number_problem(cell(0), st));
            return false;
        }
        return true;
    }
    ClockCell c;
    text = cell(0);
    const bool ok = parse_clock(cell(0), c);
    switch (kind_) {
    case ClockKind::DateTime:
        if (!ok || !c.has_date || !c.has_time) {
            refuse(l.number, shown(cell(0)) + " is not a date and time (2024-05-17T10:03:12, 2024/05/17 10:03:12 or "
                                                 "17.05.2024 10:03:12)" + metadata_hint(cell(0)));
            return false;
        }
        break;
    case ClockKind::TimeOnly:
        if (!ok || c.has_date) {
            refuse(l.number, shown(cell(0)) + " is not a time of day (10:03:12) as on the first data line");
            return false;
        }
        break;
    case ClockKind::DateAndTime: {
        ClockCell tc;
        if (!ok || !c.has_date || c.has_time) {
            refuse(l.number, shown(cell(0)) + " is not a date (2024-05-17, 2024/05/17 or 17.05.2024)" +
                                 metadata_hint(cell(0)));
            return false;
        }
        if (!parse_clock(cell(1), tc) || tc.has_date) {
            refuse(l.number, shown(cell(1)) + " is not a time of day (10:03:12 or 10:03:12.5)");
            return false;
        }
        c.clock.second = tc.clock.second;
        text += " " + cell(1);
        break;
    }
    }
    if (ms_column_) {
        double ms = 0.0;
        const std::string& m = cell(tcols_.size() - 1);
        const NumberStatus st = parse_number(m, decimal_comma_, ms);
        if (st != NumberStatus::Ok || !(ms >= 0.0 && ms < 1000.0)) {
            refuse(l.number, st == NumberStatus::Ok ? shown(m) + " is not a number of milliseconds (0 to 999)"
                                                    : number_problem(m, st));
            return false;
        }
        c.clock.second += ms / 1000.0;
        text += ", " + m + " ms";
    }
    if (rows_.rows.empty()) {
        rows_.first = c.clock;
        rows_.first_text = text;
    }
    raw = static_cast<double>(c.clock.day - rows_.first.day) * 86400.0 + (c.clock.second - rows_.first.second);
    return true;
}

void Reader::read_line(const Line& l) {
    const std::vector<std::string> cells = split_cells(l.text, split_);
    const int n = static_cast<int>(cells.size());
    if (exactly_two_ && n != 2) {
        std::string why = "expected two values (time and head), found " + std::to_string(n);
        if (n > 2 && !decimal_comma_ && l.text.find(',') != std::string_view::npos && split_ == Split::Mixed)
            why += once(" (a decimal comma? give --decimal-comma)");
        else if (n > 2)
            why += once(" (choose the columns with --columns T,H)");
        else
            why += metadata_hint("");
        refuse(l.number, why);
        return;
    }
    const int need = std::max(hcol_, *std::max_element(tcols_.begin(), tcols_.end())) + 1;
    if (n < need) {
        refuse(l.number, "expected at least " + std::to_string(need) + " values, found " + std::to_string(n) +
                             ": " + column_label(need - 1) + " is missing" + metadata_hint(""));
        return;
    }
    double raw = 0.0, value = 0.0;
    std::string text;
    if (!read_time(l, cells, raw, text)) return;
    const std::string& hcell = cells[static_cast<std::size_t>(hcol_)];
    const NumberStatus st = parse_number(hcell, decimal_comma_, value);
    if (st != NumberStatus::Ok) {
        refuse(l.number, number_problem(hcell, st));
        return;
    }
    if (!rows_.rows.empty() && raw < rows_.rows.back().raw) {
        const Row& prev = rows_.rows.back();
        if (o_.clock)
            refuse(l.number, "the clock goes back: " + shown(text) + " is earlier than " + shown(prev_text_) +
                                 " on line " + std::to_string(prev.line));
        else
            refuse(l.number, "time " + number_text(raw) + " is out of order: earlier than the time " +
                                 number_text(prev.raw) + " on line " + std::to_string(prev.line));
        return;
    }
    rows_.rows.push_back({l.number, raw, value});
    prev_text_ = std::move(text);
}

void Reader::run() {
    if (const std::string why = check_record_options(o_); !why.empty()) {
        rec_.errors.push_back(why);
        return;
    }
    if (!split_lines() || !find_header() || !resolve_columns()) return;
    rows_.clock = o_.clock;
    for (std::size_t k = data_begin_; k < data_end_; ++k) read_line(lines_[k]);
    if (refused_ > kRecordMaxErrors)
        fail(": " + std::to_string(refused_ - kRecordMaxErrors) + " more lines refused");
    if (!rec_.errors.empty()) return;
    if (rows_.rows.empty()) {
        fail(" holds no observations");
        return;
    }
    finish_record(rows_, o_, name_, rec_);
}

}  // namespace

Record read_record(std::string_view text, const std::string& name, const RecordOptions& options) {
    Record rec;
    Reader(text, name, options, rec).run();
    if (!rec.ok()) {
        rec.time.clear();
        rec.value.clear();
        rec.line.clear();
        rec.at_zero.reset();
    }
    return rec;
}

}  // namespace slug
