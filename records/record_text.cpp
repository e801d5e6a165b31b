// Lines, cells, numbers and clock readings of record files. Cells follow
// the usual conventions of delimited text (RFC 4180 quoting: a quoted cell
// may hold the separator, "" is a quote); numbers are read as strtod reads
// them in the "C" locale, with the decimal comma of European exports as an
// option; clock readings are the calendar dates and times of ISO 8601 in
// the forms loggers write.
#include "records/record_text.hpp"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace slug::record_detail {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

std::string lower(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

std::string_view strip_comment(std::string_view line) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        else if (line[i] == '#' && !quoted) return line.substr(0, i);
    }
    return line;
}

namespace {

// Reads a quoted cell starting at the quote s[i]; returns the position
// after the closing quote (or the end of the line when it is missing).
std::size_t read_quoted(std::string_view s, std::size_t i, std::string& cell) {
    ++i;
    while (i < s.size()) {
        if (s[i] == '"') {
            if (i + 1 < s.size() && s[i + 1] == '"') {
                cell += '"';
                i += 2;
                continue;
            }
            return i + 1;
        }
        cell += s[i++];
    }
    return i;
}

std::vector<std::string> split_loose(std::string_view s, bool comma_separates) {
    std::vector<std::string> out;
    std::size_t i = 0;
    const std::size_t n = s.size();
    bool expect_field = false;  // a comma was seen: a cell must follow
    while (i < n) {
        while (i < n && is_blank(s[i])) ++i;
        if (i >= n) break;
        if (comma_separates && s[i] == ',') {
            if (expect_field || out.empty()) out.emplace_back();  // empty cell
            expect_field = true;
            ++i;
            continue;
        }
        std::string cell;
        if (s[i] == '"') i = read_quoted(s, i, cell);
        while (i < n && !is_blank(s[i]) && !(comma_separates && s[i] == ',')) cell += s[i++];
        out.push_back(std::move(cell));
        expect_field = false;
    }
    if (expect_field) out.emplace_back();  // trailing comma: an empty last cell
    return out;
}

std::vector<std::string> split_strict(std::string_view s, char sep) {
    std::vector<std::string> out;
    if (trim(s).empty()) return out;
    auto pad = [sep](char c) { return c != sep && is_blank(c); };
    std::size_t i = 0;
    const std::size_t n = s.size();
    for (;;) {
        while (i < n && pad(s[i])) ++i;
        std::string cell;
        if (i < n && s[i] == '"') i = read_quoted(s, i, cell);
        const std::size_t start = i;
        while (i < n && s[i] != sep) ++i;
        std::string_view rest = s.substr(start, i - start);
        while (!rest.empty() && is_blank(rest.back())) rest.remove_suffix(1);
        cell += rest;
        out.push_back(std::move(cell));
        if (i >= n) break;
        ++i;  // past the separator
        std::size_t j = i;
        while (j < n && pad(s[j])) ++j;
        if (j >= n) break;  // a separator ending the line adds no cell
    }
    return out;
}

}  // namespace

std::vector<std::string> split_cells(std::string_view line, Split mode) {
    switch (mode) {
    case Split::Mixed: return split_loose(line, true);
    case Split::Blank: return split_loose(line, false);
    case Split::Comma: return split_strict(line, ',');
    case Split::Semicolon: return split_strict(line, ';');
    case Split::Tab: return split_strict(line, '\t');
    }
    return {};
}

std::vector<std::string> split_header(std::string_view line, RecordSeparator forced) {
    Split mode = Split::Blank;
    switch (forced) {
    case RecordSeparator::Comma: mode = Split::Comma; break;
    case RecordSeparator::Semicolon: mode = Split::Semicolon; break;
    case RecordSeparator::Tab: mode = Split::Tab; break;
    case RecordSeparator::Blank: mode = Split::Blank; break;
    case RecordSeparator::Detect:
        if (line.find(';') != std::string_view::npos) mode = Split::Semicolon;
        else if (line.find(',') != std::string_view::npos) mode = Split::Comma;
        else if (line.find('\t') != std::string_view::npos) mode = Split::Tab;
        break;
    }
    std::vector<std::string> cells = split_cells(line, mode);
    if (mode != Split::Blank) return cells;
    std::vector<std::string> merged;
    for (std::string& c : cells) {
        if (!merged.empty() && (c.front() == '(' || c.front() == '['))
            merged.back() += " " + c;
        else
            merged.push_back(std::move(c));
    }
    return merged;
}

NumberStatus parse_number(std::string_view cell, bool decimal_comma, double& value) {
    if (cell.empty()) return NumberStatus::Empty;
    std::string s(cell);
    std::size_t commas = 0, points = 0;
    for (char c : s) {
        commas += c == ',';
        points += c == '.';
    }
    if (commas > 0) {
        if (!decimal_comma) return NumberStatus::Comma;
        if (commas > 1 || points > 0) return NumberStatus::NotNumber;
        s[s.find(',')] = '.';
    }
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || is_blank(s.front())) return NumberStatus::NotNumber;
    value = v;
    // An underflow (ERANGE with a value near 0) keeps strtod's nearest
    // double; an overflow gives an infinity.
    return std::isfinite(v) ? NumberStatus::Ok : NumberStatus::NotFinite;
}

bool is_text_cell(std::string_view cell) {
    bool letter = false;
    for (char c : cell) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u >= 0x80) letter = true;
    }
    if (!letter) return false;
    double v = 0.0;
    const NumberStatus st = parse_number(cell, true, v);
    if (st == NumberStatus::Ok || st == NumberStatus::NotFinite) return false;
    ClockCell c;
    return !parse_clock(cell, c);
}

bool is_text_line(std::string_view line) {
    for (const std::string& c : split_header(line, RecordSeparator::Detect))
        if (is_text_cell(c)) return true;
    return false;
}

std::string shown(std::string_view cell) { return "'" + printable(cell) + "'"; }

std::string printable(std::string_view cell) {
    constexpr std::size_t kMax = 60;
    std::string r;
    for (std::size_t i = 0; i < cell.size(); ++i) {
        if (i == kMax) {
            r += "...";
            break;
        }
        const auto u = static_cast<unsigned char>(cell[i]);
        if (u < 0x20 || u == 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned>(u));
            r += buf;
        } else {
            r += cell[i];
        }
    }
    return r;
}

std::string number_text(double v) {
    std::ostringstream s;
    s.precision(9);
    s << v;
    return s.str();
}

namespace {

// Reads between min_digits and max_digits decimal digits at s[i].
bool digits(std::string_view s, std::size_t& i, int min_digits, int max_digits, int& value) {
    int n = 0;
    value = 0;
    while (i < s.size() && n < max_digits && s[i] >= '0' && s[i] <= '9') {
        value = value * 10 + (s[i] - '0');
        ++i;
        ++n;
    }
    return n >= min_digits;
}

// YYYY-MM-DD, YYYY/MM/DD, or DD.MM.YYYY (the dotted form is always day
// first); a date with slashes and the year last is refused, since
// month-first and day-first writers cannot be told apart.
bool date_at(std::string_view s, std::size_t& i, std::int64_t& day) {
    int y = 0, m = 0, d = 0;
    std::size_t probe = i;
    if (digits(s, probe, 4, 4, y) && probe < s.size() && (s[probe] == '-' || s[probe] == '/')) {
        const char sep = s[probe++];
        i = probe;
        if (!digits(s, i, 1, 2, m) || i >= s.size() || s[i] != sep) return false;
        ++i;
        if (!digits(s, i, 1, 2, d)) return false;
    } else {
        if (!digits(s, i, 1, 2, d) || i >= s.size() || s[i] != '.') return false;
        ++i;
        if (!digits(s, i, 1, 2, m) || i >= s.size() || s[i] != '.') return false;
        ++i;
        if (!digits(s, i, 4, 4, y)) return false;
    }
    const std::chrono::year_month_day ymd{std::chrono::year{y}, std::chrono::month{static_cast<unsigned>(m)},
                                          std::chrono::day{static_cast<unsigned>(d)}};
    if (!ymd.ok()) return false;
    day = std::chrono::sys_days{ymd}.time_since_epoch().count();
    return true;
}

bool time_at(std::string_view s, std::size_t& i, double& second) {
    int h = 0, m = 0, sec = 0;
    if (!digits(s, i, 1, 2, h) || i >= s.size() || s[i] != ':') return false;
    ++i;
    if (!digits(s, i, 2, 2, m) || m > 59) return false;
    double frac = 0.0;
    if (i < s.size() && s[i] == ':') {
        ++i;
        if (!digits(s, i, 2, 2, sec) || sec > 60) return false;  // 60: a leap second
        if (i < s.size() && (s[i] == '.' || s[i] == ',')) {
            ++i;
            double scale = 0.1;
            const std::size_t start = i;
            while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
                frac += (s[i] - '0') * scale;
                scale *= 0.1;
                ++i;
            }
            if (i == start) return false;
        }
    }
    // A 12-hour clock: AM or PM after blanks.
    std::size_t j = i;
    while (j < s.size() && s[j] == ' ') ++j;
    if (j + 2 <= s.size()) {
        const std::string ampm = lower(s.substr(j, 2));
        if (ampm == "am" || ampm == "pm") {
            if (h < 1 || h > 12) return false;
            h = h % 12 + (ampm == "pm" ? 12 : 0);
            i = j + 2;
        }
    }
    if (h > 23) return false;
    second = h * 3600.0 + m * 60.0 + sec + frac;
    return true;
}

// Z, +HH, +HH:MM or +HHMM (or with '-'): the offset from UTC in seconds.
bool zone_at(std::string_view s, std::size_t& i, double& offset) {
    offset = 0.0;
    if (i >= s.size()) return true;
    if (s[i] == 'Z') {
        ++i;
        return true;
    }
    if (s[i] != '+' && s[i] != '-') return false;
    const double sign = s[i] == '-' ? -1.0 : 1.0;
    ++i;
    int h = 0, m = 0;
    if (!digits(s, i, 2, 2, h) || h > 23) return false;
    if (i < s.size()) {
        if (s[i] == ':') ++i;
        if (!digits(s, i, 2, 2, m) || m > 59) return false;
    }
    offset = sign * (h * 3600.0 + m * 60.0);
    return true;
}

}  // namespace

bool parse_clock(std::string_view cell, ClockCell& out) {
    const std::string_view s = trim(cell);
    out = ClockCell{};
    std::size_t i = 0;
    std::int64_t day = 0;
    // A date starts with four digits and '-' or '/', or is D.M.YYYY.
    std::size_t probe = 0;
    int y = 0;
    bool dated = digits(s, probe, 4, 4, y) && probe < s.size() && (s[probe] == '-' || s[probe] == '/');
    probe = 0;
    dated = dated || (digits(s, probe, 1, 2, y) && probe < s.size() && s[probe] == '.');
    if (dated) {
        if (!date_at(s, i, day)) return false;
        out.has_date = true;
        out.clock.has_date = true;
        out.clock.day = day;
        if (i == s.size()) return true;
        if (s[i] == 'T') {
            ++i;
        } else if (s[i] == ' ') {
            while (i < s.size() && s[i] == ' ') ++i;
        } else {
            return false;
        }
    }
    double second = 0.0, offset = 0.0;
    if (!time_at(s, i, second) || !zone_at(s, i, offset) || i != s.size()) return false;
    out.has_time = true;
    out.clock.second = second - offset;
    return true;
}

}  // namespace slug::record_detail
