// Least-squares line through ln(H/Ho) against time over a range of
// normalized heads (Hvorslev 1951; Bouwer and Rice 1976; ranges after
// Butler 1998), with the checks that decide whether the record gives a
// line at all and the notes a reviewer looks for on the semi-log plot.
#include "classical/line_fit.hpp"

#include <algorithm>
#include <cmath>

namespace slug {

namespace {

// A line whose value at t = 0 differs from H/Ho = 1 by more than a factor
// e^0.2 (about 0.82 to 1.22) does not describe the start of the test:
// skin, formation storage (the concave-upward record of Chirlin 1989 and
// Butler 1998) or an error in Ho or in the start time.
constexpr double kInterceptTolerance = 0.2;

// Below this r^2 the observations scatter too much about the line for the
// slope to be read from it without a look at the plot.
constexpr double kScatterR2 = 0.95;

// An overdamped record stays above zero apart from noise; one that swings
// below -0.1 is oscillating, and the straight-line methods do not apply.
constexpr double kOscillationLevel = -0.1;

LineFit failed(LineFit fit, LineFailure why, std::string text) {
    fit.ok = false;
    fit.failure = why;
    fit.error = std::move(text);
    fit.used.clear();
    return fit;
}

std::string at_time(double ratio, double t) {
    return note_number(ratio) + " at t = " + note_number(t);
}

}  // namespace

std::string head_range_text(HeadRange range) {
    return note_number(range.lower) + "-" + note_number(range.upper);
}

bool normalize_heads(std::span<const double> heads, double h0, std::vector<double>& ratio,
                     std::string& error) {
    ratio.clear();
    if (!std::isfinite(h0) || h0 == 0.0) {
        error = "the initial displacement Ho is " + note_number(h0) + ": H/Ho needs a finite Ho other than 0";
        return false;
    }
    ratio.reserve(heads.size());
    for (double h : heads) ratio.push_back(h / h0);
    return true;
}

LineFit fit_log_line(std::span<const double> time, std::span<const double> ratio, HeadRange range) {
    LineFit fit;
    fit.range = range;

    if (time.size() != ratio.size())
        return failed(fit, LineFailure::bad_record,
                      "the record has " + std::to_string(time.size()) + " times but " +
                          std::to_string(ratio.size()) + " heads");
    if (time.empty()) return failed(fit, LineFailure::bad_record, "the record holds no observations");
    for (std::size_t i = 0; i < time.size(); ++i) {
        if (!std::isfinite(time[i]) || !std::isfinite(ratio[i]))
            return failed(fit, LineFailure::bad_record,
                          "observation " + std::to_string(i + 1) + " is not a finite number");
        if (time[i] < 0.0)
            return failed(fit, LineFailure::bad_record,
                          "observation " + std::to_string(i + 1) + " has a negative time " +
                              note_number(time[i]));
        // Equal times (two readings of a logger within its clock's
        // resolution) are kept: each is one more point of the line.
        if (i > 0 && time[i] < time[i - 1])
            return failed(fit, LineFailure::bad_record,
                          "the times decrease at observation " + std::to_string(i + 1));
    }
    if (!(std::isfinite(range.lower) && std::isfinite(range.upper) && range.lower > 0.0 &&
          range.lower < range.upper && range.upper <= 1.0))
        return failed(fit, LineFailure::bad_range,
                      "the head range " + head_range_text(range) +
                          " is not a range of H/Ho: it needs 0 < lower < upper <= 1");

    const std::string span = "between " + head_range_text(range);
    for (std::size_t i = 0; i < ratio.size(); ++i)
        if (ratio[i] >= range.lower && ratio[i] <= range.upper) fit.used.push_back(i);

    if (fit.used.empty()) {
        const auto lo = std::min_element(ratio.begin(), ratio.end()) - ratio.begin();
        const auto hi = std::max_element(ratio.begin(), ratio.end()) - ratio.begin();
        if (ratio[lo] > range.upper)
            return failed(fit, LineFailure::never_reaches_range,
                          "H/Ho never falls to " + note_number(range.upper) + " (its lowest value is " +
                              at_time(ratio[lo], time[lo]) +
                              "): the record ends before the head enters the range " +
                              head_range_text(range));
        if (ratio[hi] < range.lower)
            return failed(fit, LineFailure::starts_below_range,
                          "H/Ho is below " + note_number(range.lower) + " from the first observation on " +
                              "(its highest value is " + at_time(ratio[hi], time[hi]) +
                              "): check Ho and the start time of the test");
        return failed(fit, LineFailure::skips_range,
                      "no observation has H/Ho " + span +
                          ": the record steps across the range; a wider range or a denser record is needed");
    }
    if (fit.used.size() < kMinLinePoints)
        return failed(fit, LineFailure::too_few_points,
                      "only " + std::to_string(fit.used.size()) + " observation" +
                          (fit.used.size() == 1 ? " has" : "s have") + " H/Ho " + span + "; at least " +
                          std::to_string(kMinLinePoints) + " are needed for a line");

    // Least squares about the means (no cancellation between large sums).
    const double n = static_cast<double>(fit.used.size());
    double tm = 0.0, ym = 0.0;
    for (std::size_t i : fit.used) {
        tm += time[i];
        ym += std::log(ratio[i]);
    }
    tm /= n;
    ym /= n;
    double sxx = 0.0, sxy = 0.0, syy = 0.0;
    for (std::size_t i : fit.used) {
        const double dt = time[i] - tm;
        const double dy = std::log(ratio[i]) - ym;
        sxx += dt * dt;
        sxy += dt * dy;
        syy += dy * dy;
    }
    if (!(sxx > 0.0))
        return failed(fit, LineFailure::too_few_points,
                      "the " + std::to_string(fit.used.size()) + " observations with H/Ho " + span +
                          " share one time: a line needs at least two times");
    fit.slope = sxy / sxx;
    fit.intercept = ym - fit.slope * tm;
    fit.r2 = syy > 0.0 ? (sxy * sxy) / (sxx * syy) : 1.0;
    fit.t_first = time[fit.used.front()];
    fit.t_last = time[fit.used.back()];

    if (!(fit.slope < 0.0))
        return failed(fit, LineFailure::not_decaying,
                      "the heads do not decline over the range " + head_range_text(range) +
                          " (slope of ln(H/Ho) " + note_number(fit.slope) + " per time unit, from t = " +
                          note_number(fit.t_first) + " to " + note_number(fit.t_last) +
                          "): the record is not a recovering slug test there");
    fit.t0 = -1.0 / fit.slope;
    fit.ok = true;

    if (std::abs(fit.intercept) > kInterceptTolerance)
        fit.notes.push_back({NoteKind::line_intercept,
                             "the line gives H/Ho = " + note_number(std::exp(fit.intercept), 3) +
                                 " at t = 0, not near 1: the early record is off this line "
                                 "(well skin, formation storage, or an error in Ho or the start time)"});
    if (fit.r2 < kScatterR2)
        fit.notes.push_back({NoteKind::line_scatter,
                             "the observations scatter about the line (r^2 = " + note_number(fit.r2, 3) +
                                 "): check the semi-log plot"});
    const auto lowest = std::min_element(ratio.begin(), ratio.end()) - ratio.begin();
    if (ratio[lowest] < kOscillationLevel)
        fit.notes.push_back({NoteKind::oscillation,
                             "H/Ho swings below zero (" + at_time(ratio[lowest], time[lowest]) +
                                 "): an oscillating response, for which the straight-line methods do not hold"});
    return fit;
}

}  // namespace slug
