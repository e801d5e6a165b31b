// The record reader's options: their command-line spellings, the parsing of
// each value, and the checks that involve several of them.
#include <array>
#include <cmath>

#include "records/record_text.hpp"
#include "records/records.hpp"

namespace slug {

using namespace record_detail;

namespace {

constexpr std::array<RecordOptionInfo, 13> kOptions{{
    {"--columns", true, "T,H",
     "time and head columns: 1-based numbers or header names; with --clock T may join Date+Time(+ms)"},
    {"--skip", true, "N", "pass over the first N lines of the file (a block of metadata)"},
    {"--separator", true, "auto|comma|semicolon|tab|blank", "how values are separated (default: found on the first data line)"},
    {"--decimal-comma", false, "", "a comma in a number is its decimal mark (implied by a semicolon separator)"},
    {"--clock", false, "", "the time column is a clock (2024-05-17T10:03:12.5, or date and time columns)"},
    {"--clock-unit", true, "s|min|h|d", "unit of the elapsed times made from a clock (default s)"},
    {"--t0", true, "VALUE|CLOCK|jump",
     "the slug's instant: an elapsed time, a clock time, or 'jump' (the largest change between readings)"},
    {"--static", true, "LEVEL", "readings are water levels: displacement = reading - LEVEL"},
    {"--depth", false, "", "readings are depths to water: displacement = LEVEL - reading (needs --static)"},
    {"--tmin", true, "T", "leave out readings before t = T"},
    {"--tmax", true, "T", "leave out readings after t = T"},
    {"--hrange", true, "A,B", "keep readings with A <= H/Ho <= B"},
    {"--thin", true, "N", "keep about N readings, evenly spaced in log time (first and last kept)"},
}};

bool number_value(std::string_view text, double& v) {
    return parse_number(trim(text), false, v) == NumberStatus::Ok;
}

bool count_value(std::string_view text, long max, int& n) {
    text = trim(text);
    if (text.empty() || text.size() > 9) return false;
    long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v > max) return false;
    n = static_cast<int>(v);
    return true;
}

// One item of --columns: a number when it is all digits, else a name.
std::string column_value(std::string_view item, RecordColumn& col) {
    item = trim(item);
    col = RecordColumn{};
    if (item.empty()) return "an empty column";
    if (item.find_first_not_of("0123456789") == std::string_view::npos) {
        if (!count_value(item, 100000, col.number) || col.number < 1)
            return "column " + std::string(item) + " (columns are numbered from 1)";
        return "";
    }
    col.name = std::string(item);
    return "";
}

std::string set_columns(RecordOptions& o, std::string_view value) {
    const std::size_t comma = value.find(',');
    if (comma == std::string_view::npos || value.find(',', comma + 1) != std::string_view::npos)
        return "--columns: expected T,H (two columns), got " + shown(value);
    std::vector<RecordColumn> time;
    std::string_view t = value.substr(0, comma);
    for (;;) {
        const std::size_t plus = t.find('+');
        RecordColumn c;
        if (const std::string why = column_value(t.substr(0, plus), c); !why.empty()) return "--columns: " + why;
        time.push_back(c);
        if (plus == std::string_view::npos) break;
        t.remove_prefix(plus + 1);
    }
    if (time.size() > 3) return "--columns: at most three columns (date, time, ms) make a clock";
    RecordColumn h;
    if (const std::string why = column_value(value.substr(comma + 1), h); !why.empty()) return "--columns: " + why;
    o.time = std::move(time);
    o.value = std::move(h);
    return "";
}

std::string set_t0(RecordOptions& o, std::string_view value) {
    value = trim(value);
    double v = 0.0;
    ClockCell c;
    if (lower(value) == "jump") {
        o.origin = RecordOrigin::Jump;
    } else if (number_value(value, v)) {
        o.origin = RecordOrigin::Elapsed;
        o.t0_elapsed = v;
    } else if (parse_clock(value, c) && c.has_time) {
        o.origin = RecordOrigin::Clock;
        o.t0_clock = c.clock;
    } else {
        return "--t0: expected an elapsed time, a clock time (2024-05-17T10:03:12 or 10:03:12) or 'jump', got " +
               shown(value);
    }
    return "";
}

bool same_name(std::string_view a, std::string_view b) { return lower(trim(a)) == lower(trim(b)); }

}  // namespace

std::span<const RecordOptionInfo> record_option_list() { return kOptions; }

std::string set_record_option(RecordOptions& o, std::string_view name, std::string_view value) {
    const RecordOptionInfo* info = nullptr;
    for (const RecordOptionInfo& i : kOptions)
        if (name == i.name) info = &i;
    if (!info) return "unknown record option " + shown(name);
    if (!info->takes_value && !value.empty()) return std::string(name) + ": takes no value";
    const std::string opt(name);
    double v = 0.0;
    if (name == "--columns") return set_columns(o, value);
    if (name == "--skip") {
        if (!count_value(value, 100000000, o.skip)) return "--skip: expected a number of lines (0 or more), got " + shown(value);
    } else if (name == "--separator") {
        const std::string s = lower(trim(value));
        if (s == "auto") o.separator = RecordSeparator::Detect;
        else if (s == "comma") o.separator = RecordSeparator::Comma;
        else if (s == "semicolon") o.separator = RecordSeparator::Semicolon;
        else if (s == "tab") o.separator = RecordSeparator::Tab;
        else if (s == "blank") o.separator = RecordSeparator::Blank;
        else return "--separator: expected auto, comma, semicolon, tab or blank, got " + shown(value);
    } else if (name == "--decimal-comma") {
        o.decimal_comma = true;
    } else if (name == "--clock") {
        o.clock = true;
    } else if (name == "--clock-unit") {
        const std::string s = lower(trim(value));
        if (s == "s") o.clock_unit_seconds = 1.0;
        else if (s == "min") o.clock_unit_seconds = 60.0;
        else if (s == "h") o.clock_unit_seconds = 3600.0;
        else if (s == "d") o.clock_unit_seconds = 86400.0;
        else return "--clock-unit: expected s, min, h or d, got " + shown(value);
    } else if (name == "--t0") {
        return set_t0(o, value);
    } else if (name == "--static") {
        if (!number_value(value, v)) return "--static: expected a level (a finite number), got " + shown(value);
        o.static_level = v;
    } else if (name == "--depth") {
        o.depth = true;
    } else if (name == "--tmin" || name == "--tmax") {
        if (!number_value(value, v)) return opt + ": expected a time (a finite number), got " + shown(value);
        (name == "--tmin" ? o.tmin : o.tmax) = v;
    } else if (name == "--hrange") {
        const std::size_t comma = value.find(',');
        double a = 0.0, b = 0.0;
        if (comma == std::string_view::npos || !number_value(value.substr(0, comma), a) ||
            !number_value(value.substr(comma + 1), b))
            return "--hrange: expected A,B (two values of H/Ho), got " + shown(value);
        o.hrange = std::array<double, 2>{a, b};
    } else if (name == "--thin") {
        if (!count_value(value, 100000000, o.thin) || o.thin < 2)
            return "--thin: expected a number of readings of at least 2, got " + shown(value);
    }
    return "";
}

std::string check_record_options(const RecordOptions& o) {
    if (o.time.size() > 1 && !o.clock)
        return "--columns: '+' joins the columns of a clock (date, time, ms); give --clock";
    if (!o.time.empty()) {
        for (const RecordColumn& t : o.time) {
            const bool same = t.number ? t.number == o.value.number : (!o.value.number && same_name(t.name, o.value.name));
            if (same) return "--columns: the head column is also a time column";
        }
    }
    if (o.depth && !o.static_level) return "--depth needs --static LEVEL (the static depth to water)";
    if (o.origin == RecordOrigin::Clock && !o.clock) return "--t0: a clock time needs --clock";
    if (o.clock_unit_seconds != 1.0 && !o.clock) return "--clock-unit applies to a clock: give --clock";
    if (o.decimal_comma && o.separator == RecordSeparator::Comma)
        return "--decimal-comma: a comma cannot both separate values and mark decimals";
    if (o.tmin && o.tmax && !(*o.tmin < *o.tmax))
        return "--tmin " + number_text(*o.tmin) + " is not below --tmax " + number_text(*o.tmax);
    if (o.hrange && !((*o.hrange)[0] < (*o.hrange)[1]))
        return "--hrange: A (" + number_text((*o.hrange)[0]) + ") must be below B (" + number_text((*o.hrange)[1]) + ")";
    if (o.thin == 1 || o.thin < 0) return "--thin: expected a number of readings of at least 2";
    if (o.skip < 0) return "--skip: expected a number of lines (0 or more)";
    return "";
}

}  // namespace slug
