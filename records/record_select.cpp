// From readings to observations: the time origin (the slug's instant), the
// displacement from water levels or depths to water, and the selections
// (time window, normalized-head window, thinning in log time).
//
// Thinning: a slug test's response is a function of log time (the type
// curves of Cooper, Bredehoeft & Papadopulos 1967 and their successors are
// drawn against log t), so readings evenly spaced in log t carry about the
// same information each, while a logger's even spacing in t puts most of
// them in the late tail. The readings kept are those of a greedy pass that
// keeps a reading when its log time lies at least s past the last one
// kept; s is found by bisection as the smallest step that keeps no more
// than the number asked for.
#include <algorithm>
#include <cmath>

#include "records/record_rows.hpp"
#include "records/record_text.hpp"

namespace slug::record_detail {

namespace {

std::string line_range(int a, int b) {
    return a == b ? "line " + std::to_string(a) : "lines " + std::to_string(a) + "-" + std::to_string(b);
}

std::size_t greedy_count(const std::vector<double>& lt, double step, std::vector<std::size_t>* keep) {
    const std::size_t n = lt.size();
    std::size_t count = 1;
    double last = lt.front();
    if (keep) keep->assign(1, 0);
    for (std::size_t i = 1; i + 1 < n; ++i) {
        if (lt[i] >= last + step) {
            last = lt[i];
            ++count;
            if (keep) keep->push_back(i);
        }
    }
    if (keep) keep->push_back(n - 1);
    return count + 1;
}

}  // namespace

std::vector<std::size_t> thin_log_time(const std::vector<double>& t, int n) {
    std::vector<std::size_t> keep;
    if (t.size() <= static_cast<std::size_t>(std::max(n, 2))) {
        for (std::size_t i = 0; i < t.size(); ++i) keep.push_back(i);
        return keep;
    }
    std::vector<double> lt(t.size());
    std::transform(t.begin(), t.end(), lt.begin(), [](double x) { return std::log(x); });
    const double span = lt.back() - lt.front();
    if (!(span > 0.0)) return {0, t.size() - 1};
    // count(step) falls from all the readings at step 0 to 2 beyond the
    // whole span (at the span itself a reading at the last time still
    // counts); 100 halvings bring the step to the resolution of a double.
    double lo = 0.0, hi = 2.0 * span;
    for (int it = 0; it < 100 && hi - lo > 1e-15 * span; ++it) {
        const double mid = 0.5 * (lo + hi);
        if (greedy_count(lt, mid, nullptr) <= static_cast<std::size_t>(n)) hi = mid;
        else lo = mid;
    }
    greedy_count(lt, hi, &keep);
    return keep;
}

void finish_record(const Rows& rows, const RecordOptions& o, const std::string& name, Record& rec) {
    auto note = [&](const std::string& s) { rec.notes.push_back("data file " + name + s); };
    auto fail = [&](const std::string& s) { rec.errors.push_back("data file " + name + s); };
    const std::vector<Row>& r = rows.rows;
    const std::size_t n = r.size();
    const double unit = rows.clock ? o.clock_unit_seconds : 1.0;

    // The largest change between two successive readings: the slug's
    // instant when the record starts before it.
    std::size_t jump = 0;
    double largest = -1.0;
    for (std::size_t i = 1; i < n; ++i) {
        const double d = std::fabs(r[i].value - r[i - 1].value);
        if (d > largest) {
            largest = d;
            jump = i;
        }
    }

    double t0 = 0.0;  // in the rows' raw time
    switch (o.origin) {
    case RecordOrigin::Default:
        if (rows.clock) {
            std::string s = ": t = 0 at the first reading (line " + std::to_string(r.front().line) + ", " +
                            shown(rows.first_text) + ")";
            if (jump >= 2)
                s += "; the largest change between successive readings ends on line " + std::to_string(r[jump].line) +
                     " (t = " + number_text(r[jump].raw / unit) + "): if the slug went in there, give --t0 jump";
            note(s);
        }
        break;
    case RecordOrigin::Elapsed:
        t0 = o.t0_elapsed * unit;
        break;
    case RecordOrigin::Clock: {
        if (o.t0_clock.has_date && !rows.first.has_date) {
            fail(": --t0 gives a date, but the record's clock has none");
            return;
        }
        const std::int64_t day = o.t0_clock.has_date ? o.t0_clock.day : rows.first.day;
        t0 = static_cast<double>(day - rows.first.day) * 86400.0 + (o.t0_clock.second - rows.first.second);
        break;
    }
    case RecordOrigin::Jump:
        if (n < 2) {
            fail(": --t0 jump needs at least two readings");
            return;
        }
        t0 = r[jump].raw;
        note(": --t0 jump: t = 0 on line " + std::to_string(r[jump].line) + ", where the reading changes from " +
             number_text(r[jump - 1].value) + " to " + number_text(r[jump].value) +
             " (the largest change between successive readings)");
        break;
    }

    std::vector<double> t, v;
    std::vector<int> line;
    std::size_t before = 0;
    int first_before = 0, last_before = 0;
    for (const Row& row : r) {
        const double ti = (row.raw - t0) / unit;
        double vi = row.value;
        if (o.static_level) vi = o.depth ? *o.static_level - row.value : row.value - *o.static_level;
        if (!(ti > 0.0)) {
            if (before++ == 0) first_before = row.line;
            last_before = row.line;
            if (ti == 0.0 && !rec.at_zero) rec.at_zero = RecordReading{row.line, ti, vi};
            continue;
        }
        t.push_back(ti);
        v.push_back(vi);
        line.push_back(row.line);
    }
    if (before > 0) {
        std::string s = ": " + std::to_string(before) + (before == 1 ? " reading" : " readings") +
                        " at t <= 0 passed over (" + line_range(first_before, last_before) + ")";
        if (rec.at_zero)
            s += "; the reading at t = 0 (line " + std::to_string(rec.at_zero->line) + ") is " +
                 number_text(rec.at_zero->value);
        note(s);
    }
    if (t.empty()) {
        fail(" holds no observations at t > 0 (" + std::to_string(n) + " readings at or before t = 0)");
        return;
    }

    // Keeps the observations for which keep(i) holds; returns how many left.
    auto select = [&](auto keep) {
        std::size_t k = 0;
        for (std::size_t i = 0; i < t.size(); ++i) {
            if (!keep(i)) continue;
            t[k] = t[i];
            v[k] = v[i];
            line[k] = line[i];
            ++k;
        }
        const std::size_t dropped = t.size() - k;
        t.resize(k);
        v.resize(k);
        line.resize(k);
        return dropped;
    };

    if (o.tmin || o.tmax) {
        const double lo = o.tmin.value_or(-HUGE_VAL), hi = o.tmax.value_or(HUGE_VAL);
        const std::size_t total = t.size();
        const double first = t.front(), last = t.back();
        const std::size_t dropped = select([&](std::size_t i) { return t[i] >= lo && t[i] <= hi; });
        std::string window = (o.tmin ? number_text(lo) + " <= " : std::string()) + "t" +
                             (o.tmax ? " <= " + number_text(hi) : std::string());
        if (t.empty()) {
            fail(": no reading within " + window + " (the readings span t = " + number_text(first) + " to " +
                 number_text(last) + ")");
            return;
        }
        if (dropped > 0)
            note(": " + std::to_string(dropped) + " of " + std::to_string(total) + " readings outside " + window +
                 " left out");
    }
    if (o.hrange) {
        if (!(std::isfinite(o.ho) && o.ho != 0.0)) {
            fail(": --hrange needs the initial displacement Ho");
            return;
        }
        const double a = (*o.hrange)[0], b = (*o.hrange)[1];
        const std::size_t total = t.size();
        double lo = HUGE_VAL, hi = -HUGE_VAL;
        for (double x : v) {
            lo = std::min(lo, x / o.ho);
            hi = std::max(hi, x / o.ho);
        }
        const std::size_t dropped = select([&](std::size_t i) {
            const double h = v[i] / o.ho;
            return h >= a && h <= b;
        });
        const std::string window = number_text(a) + " <= H/Ho <= " + number_text(b);
        if (t.empty()) {
            fail(": no reading within " + window + " (H/Ho of the readings from " + number_text(lo) + " to " +
                 number_text(hi) + ", Ho = " + number_text(o.ho) + ")");
            return;
        }
        if (dropped > 0)
            note(": " + std::to_string(dropped) + " of " + std::to_string(total) + " readings outside " + window +
                 " left out");
    }
    if (o.thin >= 2 && t.size() > static_cast<std::size_t>(o.thin)) {
        const std::vector<std::size_t> keep = thin_log_time(t, o.thin);
        const std::size_t total = t.size();
        std::size_t next = 0;
        select([&](std::size_t i) {
            if (next < keep.size() && keep[next] == i) {
                ++next;
                return true;
            }
            return false;
        });
        note(": --thin " + std::to_string(o.thin) + ": " + std::to_string(t.size()) + " of " + std::to_string(total) +
             " readings kept, evenly spaced in log time");
    }
    std::size_t same = 0;
    for (std::size_t i = 1; i < t.size(); ++i) same += t[i] == t[i - 1];
    if (same > 0)
        note(": " + std::to_string(same) + (same == 1 ? " reading shares its time" : " readings share their time") +
             " with the reading before (kept in file order)");
    rec.time = std::move(t);
    rec.value = std::move(v);
    rec.line = std::move(line);
}

}  // namespace slug::record_detail
