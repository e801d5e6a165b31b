// libFuzzer target over the field-record reader. The first two bytes choose
// the options (a clock, decimal commas, a separator, a static level with or
// without depths, the slug's instant at the largest jump, windows,
// thinning, a few skipped lines); the rest is the file. Beyond the
// sanitizers' own findings, the target aborts when the reader breaks one of
// its promises:
//  - a refused record holds no observations and names why, in at most
//    kRecordMaxErrors + 1 messages, none holding a NUL byte;
//  - a read record holds as many times, values and lines, at least one;
//    times finite, greater than 0 and never decreasing; values finite;
//    lines increasing within the file; at most N readings after --thin N;
//  - the reading at t = 0, when reported, lies at t = 0 on a line before
//    the first observation.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "records/records.hpp"

namespace {

void require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz_records: broken promise: %s\n", what);
        std::abort();
    }
}

bool clean(const std::string& s) { return s.find('\0') == std::string::npos && !s.empty(); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const unsigned a = data[0], b = data[1];
    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
    slug::RecordOptions o;
    o.clock = a & 1;
    o.decimal_comma = a & 2;
    if (a & 4) o.static_level = 1.0;
    o.depth = (a & 12) == 12;
    if (a & 16) o.origin = slug::RecordOrigin::Jump;
    if (a & 32) o.thin = 2 + static_cast<int>(b % 7);
    if (a & 64) o.hrange = std::array<double, 2>{0.1, 0.9};
    if (a & 128) o.tmin = 0.5;
    o.ho = 0.5;
    o.separator = static_cast<slug::RecordSeparator>((b >> 3) % 5);
    if (o.decimal_comma && o.separator == slug::RecordSeparator::Comma) o.separator = slug::RecordSeparator::Detect;
    o.skip = (b >> 6) & 3;
    if (b & 4) {  // columns by name, as a transducer export is read
        o.time = {slug::RecordColumn{0, "time"}};
        o.value = slug::RecordColumn{0, "level"};
    }
    require(slug::check_record_options(o).empty(), "the chosen options go together");

    const slug::Record r = slug::read_record(text, "fuzz", o);
    for (const std::string& n : r.notes) require(clean(n), "notes without NUL bytes");
    if (!r.ok()) {
        require(r.time.empty() && r.value.empty() && r.line.empty() && !r.at_zero, "nothing half read");
        require(r.errors.size() <= static_cast<std::size_t>(slug::kRecordMaxErrors) + 1, "errors bounded");
        for (const std::string& e : r.errors) require(clean(e), "errors without NUL bytes");
        return 0;
    }
    const std::size_t n = r.time.size();
    require(n > 0 && r.value.size() == n && r.line.size() == n, "observations complete");
    const long lines = static_cast<long>(std::count(text.begin(), text.end(), '\n')) + 1;
    for (std::size_t i = 0; i < n; ++i) {
        require(std::isfinite(r.time[i]) && r.time[i] > 0.0, "times finite and positive");
        require(std::isfinite(r.value[i]), "values finite");
        require(r.line[i] >= 1 && r.line[i] <= lines, "lines within the file");
        if (i > 0) {
            require(r.time[i] >= r.time[i - 1], "times never decrease");
            require(r.line[i] > r.line[i - 1], "lines in file order");
        }
    }
    if (o.thin >= 2) require(n <= static_cast<std::size_t>(o.thin), "thinning keeps at most N");
    if (r.at_zero) require(r.at_zero->time == 0.0 && r.at_zero->line < r.line.front(), "t = 0 reading before the rest");
    return 0;
}
