// List-directed (free-format) input in the manner of Fortran 77
// list-directed READ (ANSI X3.9-1978, section 13.6): values separated by
// blanks and/or one comma, a line end counting as a blank; r*v repeats, r*
// and an empty value between commas leave fields unchanged, a slash ends the
// read. Reals take the forms of F editing (point optional, exponent E or D,
// or a signed exponent alone as in 1.5-3); integers are an optional sign and
// digits only. A value that does not have the form of its kind is an input
// error, reported to the caller; nothing is assigned from it.
#include "fio/fio.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace slug {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A value ends at a blank, a comma, a slash or the line end.
bool ends_value(char c) { return is_blank(c) || c == ',' || c == '/'; }

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i])) return false;
    return true;
}

// Real constant: [sign] (digits [. [digits]] | . digits) [exponent], the
// exponent being E or D with an optional sign and digits, or a sign and
// digits alone. Also INF, INFINITY and NAN (any case, NAN optionally with a
// parenthesized tag), which the caller may reject as not finite.
bool parse_real(std::string_view tok, double& out) {
    std::size_t i = 0;
    bool neg = false;
    if (i < tok.size() && (tok[i] == '+' || tok[i] == '-')) neg = tok[i++] == '-';
    const std::string_view body = tok.substr(i);
    if (iequals(body, "INF") || iequals(body, "INFINITY")) {
        out = neg ? -HUGE_VAL : HUGE_VAL;
        return true;
    }
    if (body.size() >= 3 && iequals(body.substr(0, 3), "NAN") &&
        (body.size() == 3 || (body[3] == '(' && body.back() == ')'))) {
        out = std::nan("");
        return true;
    }
    std::string norm = neg ? "-" : "";
    std::size_t mant_digits = 0;
    while (i < tok.size() && is_digit(tok[i])) {
        norm += tok[i++];
        ++mant_digits;
    }
    if (i < tok.size() && tok[i] == '.') {
        norm += tok[i++];
        while (i < tok.size() && is_digit(tok[i])) {
            norm += tok[i++];
            ++mant_digits;
        }
    }
    if (mant_digits == 0) return false;
    if (i < tok.size()) {
        const char c = upper(tok[i]);
        if (c == 'E' || c == 'D') {
            ++i;
        } else if (c != '+' && c != '-') {
            return false;
        }
        norm += 'E';
        if (i < tok.size() && (tok[i] == '+' || tok[i] == '-')) norm += tok[i++];
        std::size_t exp_digits = 0;
        while (i < tok.size() && is_digit(tok[i])) {
            norm += tok[i++];
            ++exp_digits;
        }
        if (exp_digits == 0 || i != tok.size()) return false;
    }
    // strtod in the "C" locale (the program never changes it); overflow
    // gives an infinity, which the caller's checks see as not finite.
    out = std::strtod(norm.c_str(), nullptr);
    return true;
}

bool parse_int(std::string_view tok, int& out) {
    std::size_t i = 0;
    if (i < tok.size() && tok[i] == '+') ++i;
    const char* first = tok.data() + i;
    const char* last = tok.data() + tok.size();
    if (first == last) return false;
    if (*first == '-' && i == 0) {
        if (first + 1 == last || !is_digit(first[1])) return false;
    } else if (!is_digit(*first)) {
        return false;
    }
    int v = 0;
    const auto [ptr, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || ptr != last) return false;  // not digits, or beyond 32 bits
    out = v;
    return true;
}

bool assign(const ReadTarget& t, std::string_view tok) {
    if (t.kind == ReadTarget::Kind::Real) {
        double v = 0.0;
        if (!parse_real(tok, v)) return false;
        *static_cast<double*>(t.field) = v;
    } else {
        int v = 0;
        if (!parse_int(tok, v)) return false;
        *static_cast<int*>(t.field) = v;
    }
    return true;
}

// Splits "r*rest" into a repeat count and the rest; false when the token
// has no repeat form. A repeat count must be a positive integer.
enum class Repeat { None, Ok, Bad };
Repeat split_repeat(std::string_view tok, long long& r, std::string_view& rest) {
    const std::size_t star = tok.find('*');
    if (star == std::string_view::npos) return Repeat::None;
    const std::string_view count = tok.substr(0, star);
    if (count.empty()) return Repeat::Bad;
    r = 0;
    for (char c : count) {
        if (!is_digit(c)) return Repeat::Bad;
        r = r * 10 + (c - '0');
        if (r > 1000000000LL) return Repeat::Bad;
    }
    if (r == 0) return Repeat::Bad;
    rest = tok.substr(star + 1);
    return Repeat::Ok;
}

}  // namespace

bool StringLineSource::next_line(std::string& line) {
    if (pos_ >= text_.size()) return false;
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string::npos) end = text_.size();
    line.assign(text_, pos_, end - pos_);
    pos_ = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

ReadStatus read_list(LineSource& src, const std::vector<ReadTarget>& targets, std::string* rest) {
    if (rest != nullptr) rest->clear();
    std::string line;
    if (!src.next_line(line)) return ReadStatus::EndOfFile;
    std::size_t pos = 0;
    std::size_t idx = 0;
    // True right after a value: the next comma only separates. Otherwise
    // (at the start of the read, or after a comma) a comma marks an empty
    // value, which leaves its field unchanged.
    bool after_value = false;
    while (idx < targets.size()) {
        while (pos < line.size() && is_blank(line[pos])) ++pos;
        if (pos >= line.size()) {
            if (!src.next_line(line)) return ReadStatus::EndOfFile;
            pos = 0;
            continue;
        }
        const char c = line[pos];
        if (c == ',') {
            if (!after_value) ++idx;
            after_value = false;
            ++pos;
            continue;
        }
        if (c == '/') return ReadStatus::Ok;
        std::size_t end = pos;
        while (end < line.size() && !ends_value(line[end])) ++end;
        const std::string_view tok(line.data() + pos, end - pos);
        pos = end;
        after_value = true;
        long long r = 0;
        std::string_view rest;
        switch (split_repeat(tok, r, rest)) {
        case Repeat::Bad:
            return ReadStatus::InputError;
        case Repeat::None:
            if (!assign(targets[idx], tok)) return ReadStatus::InputError;
            ++idx;
            break;
        case Repeat::Ok:
            for (long long k = 0; k < r && idx < targets.size(); ++k, ++idx)
                if (!rest.empty() && !assign(targets[idx], rest)) return ReadStatus::InputError;
            break;
        }
    }
    if (rest != nullptr) *rest = line.substr(std::min(pos, line.size()));
    return ReadStatus::Ok;
}

ReadStatus read_list_text(LineSource& src, std::string& value) {
    std::string line;
    std::size_t pos = 0;
    do {
        if (!src.next_line(line)) return ReadStatus::EndOfFile;
        pos = 0;
        while (pos < line.size() && is_blank(line[pos])) ++pos;
    } while (pos >= line.size());
    const char c = line[pos];
    if (c == ',' || c == '/') return ReadStatus::Ok;  // empty value: unchanged
    if (c == '\'' || c == '"') {
        // Quoted: a doubled quote stands for one; an unclosed quote runs to
        // the line end.
        std::string v;
        ++pos;
        while (pos < line.size()) {
            if (line[pos] == c) {
                if (pos + 1 < line.size() && line[pos + 1] == c) {
                    v += c;
                    pos += 2;
                    continue;
                }
                break;
            }
            v += line[pos++];
        }
        value = v;
        return ReadStatus::Ok;
    }
    std::size_t end = pos;
    while (end < line.size() && !ends_value(line[end])) ++end;
    std::string_view tok(line.data() + pos, end - pos);
    long long r = 0;
    std::string_view rest;
    if (split_repeat(tok, r, rest) == Repeat::Ok) {
        if (rest.empty()) return ReadStatus::Ok;  // r*: empty value
        tok = rest;
    }
    value = std::string(tok);
    return ReadStatus::Ok;
}

}  // namespace slug
