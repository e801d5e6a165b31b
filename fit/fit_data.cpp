// Reader of the observation file of a fit: free-form numeric columns as
// written by data loggers and spreadsheets (blank or comma separated, '#'
// comments, an optional header line), checked strictly so that a file the
// reader does not understand is refused with the line in error instead of
// being half read.
#include "fit/fit_data.hpp"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace slug {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

// Splits one line (comment already removed) into fields: blanks separate,
// and so does one comma with optional blanks around it.
std::vector<std::string> split_fields(std::string_view s) {
    std::vector<std::string> out;
    std::size_t i = 0;
    const std::size_t n = s.size();
    bool expect_field = false;  // a comma was seen: a field must follow
    while (i < n) {
        while (i < n && is_blank(s[i])) ++i;
        if (i >= n) break;
        if (s[i] == ',') {
            if (expect_field || out.empty()) out.emplace_back();  // empty field
            expect_field = true;
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < n && !is_blank(s[j]) && s[j] != ',') ++j;
        out.emplace_back(s.substr(i, j - i));
        expect_field = false;
        i = j;
    }
    if (expect_field) out.emplace_back();  // trailing comma: empty last field
    return out;
}

bool parse_number(const std::string& f, double& v) {
    if (f.empty()) return false;
    errno = 0;
    char* end = nullptr;
    v = std::strtod(f.c_str(), &end);
    return end == f.c_str() + f.size() && errno != ERANGE;
}

// True when the field reads as a number in full (an underflow or
// overflow included), so that its letters ('e', "inf", "nan") are part of
// a number.
bool reads_as_number(const std::string& f) {
    if (f.empty()) return false;
    char* end = nullptr;
    (void)std::strtod(f.c_str(), &end);
    return end == f.c_str() + f.size();
}

// A header line names its columns: it holds a letter outside every field
// that reads as a number. Any other line is data, and must parse.
bool is_header(const std::vector<std::string>& fields) {
    for (const std::string& f : fields) {
        if (reads_as_number(f)) continue;
        for (char ch : f)
            if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z')) return true;
    }
    return false;
}

// A field as the messages quote it: bytes that are not printable (a NUL,
// control characters) as \xNN, so that the message is shown whole.
std::string quoted(const std::string& f) {
    std::string s = "'";
    for (unsigned char ch : f) {
        if (ch >= 0x20 && ch != 0x7F) {
            s += static_cast<char>(ch);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", ch);
            s += buf;
        }
    }
    return s + "'";
}

std::string where(const std::string& name, int line) {
    return "data file " + name + ", line " + std::to_string(line) + ": ";
}

}  // namespace

std::string fit_value_text(double v, int digits) {
    std::ostringstream s;
    s.precision(digits);
    s << v;
    return s.str();
}

namespace {

bool parse_into(std::string_view text, const std::string& name, Observations& obs, std::string& error) {
    obs = Observations{};
    int line_no = 0;
    bool seen_content = false;
    std::size_t pos = 0;
    // A UTF-8 byte order mark, as some spreadsheets write, is not content.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;
    while (pos < text.size()) {
        std::size_t eol = text.find('\n', pos);
        if (eol == std::string_view::npos) eol = text.size();
        std::string_view line = text.substr(pos, eol - pos);
        pos = eol + 1;
        ++line_no;
        const std::size_t hash = line.find('#');
        if (hash != std::string_view::npos) line = line.substr(0, hash);
        const std::vector<std::string> f = split_fields(line);
        if (f.empty()) continue;
        const bool first = !seen_content;
        seen_content = true;
        double t = 0.0;
        if (first && is_header(f)) continue;
        if (f.size() != 2) {
            error = where(name, line_no) + "expected two values (time and head), found " +
                    std::to_string(f.size());
            return false;
        }
        double h = 0.0;
        for (int k = 0; k < 2; ++k) {
            double& dest = k == 0 ? t : h;
            const std::string& field = f[static_cast<std::size_t>(k)];
            if (!parse_number(field, dest)) {
                error = where(name, line_no) + (field.empty() ? std::string("empty value") : quoted(field)) +
                        (reads_as_number(field) ? " lies outside the range of numbers (it underflows or overflows)"
                                                : " is not a number");
                return false;
            }
            if (!std::isfinite(dest)) {
                error = where(name, line_no) + quoted(field) + " is not a finite number";
                return false;
            }
        }
        if (!(t > 0.0)) {
            error = where(name, line_no) + "time " + fit_value_text(t) + " is not greater than 0";
            return false;
        }
        if (!obs.time.empty() && !(t > obs.time.back())) {
            error = where(name, line_no) + "time " + fit_value_text(t) + " is out of order: not greater than the time " +
                    fit_value_text(obs.time.back()) + " on line " + std::to_string(obs.line.back());
            return false;
        }
        obs.time.push_back(t);
        obs.value.push_back(h);
        obs.line.push_back(line_no);
    }
    if (obs.time.empty()) {
        error = "data file " + name + " holds no observations";
        return false;
    }
    return true;
}

}  // namespace

bool parse_observations(std::string_view text, const std::string& name, Observations& obs,
                        std::string& error) {
    if (parse_into(text, name, obs, error)) return true;
    obs = Observations{};  // a refused file gives no observations
    return false;
}

bool read_observations(const std::string& path, Observations& obs, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open data file " + path + ": " + std::strerror(errno);
        return false;
    }
    // Read at most one byte beyond the limit, so that an endless source
    // (a device such as /dev/zero) ends the read too.
    std::string text;
    char chunk[65536];
    while (text.size() <= kMaxDataFileBytes && in.read(chunk, sizeof chunk).gcount() > 0)
        text.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (in.bad()) {
        error = "cannot read data file " + path;
        return false;
    }
    if (text.size() > kMaxDataFileBytes) {
        error = "data file " + path + " is larger than " + std::to_string(kMaxDataFileBytes >> 20) +
                " MiB; it is not a file of observations";
        return false;
    }
    return parse_observations(text, path, obs, error);
}

}  // namespace slug
