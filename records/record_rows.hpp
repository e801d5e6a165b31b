// The readings of a record as the line reader leaves them, before the time
// origin, the static level and the selections are applied (internal to the
// record reader).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "records/records.hpp"

namespace slug::record_detail {

struct Row {
    int line;
    double raw;    // time as written, or with a clock seconds after the first reading
    double value;  // the reading as written
};

struct Rows {
    std::vector<Row> rows;  // times never decreasing
    bool clock = false;
    RecordClock first;       // with a clock: the first reading's
    std::string first_text;  // with a clock: the first reading's time as written
};

// Makes the observations of rec from the rows: t = 0 (--t0), displacement
// (--static, --depth), readings at t <= 0 passed over, the windows
// (--tmin, --tmax, --hrange) and the thinning (--thin). Adds the notes, or
// the errors when nothing is left.
void finish_record(const Rows& rows, const RecordOptions& options, const std::string& name, Record& rec);

// Indices of about n of the times (all positive, never decreasing) spread
// evenly in log time, the first and the last among them; all indices when
// there are at most n times.
std::vector<std::size_t> thin_log_time(const std::vector<double>& t, int n);

}  // namespace slug::record_detail
