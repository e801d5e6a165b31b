// The accurate response in a run of the program, and the check that a
// classic run makes of its own table (see accurate_run.hpp).
#include "run/accurate_run.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "fio/fio.hpp"
#include "model/laplace_head.hpp"
#include "report/model_log.hpp"
#include "run/accurate_response.hpp"

namespace slug {

namespace {

// The list's times in the order of evaluation of the classic loop
// (entry 0: the last time of the list), so that the results fill alike.
std::vector<double> evaluation_order(std::span<const double> times, int n) {
    std::vector<double> t(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) t[static_cast<std::size_t>(i)] = times[static_cast<std::size_t>(n - 1 - i)];
    return t;
}

void note(const std::string& text) {
    std::fflush(stdout);
    std::fprintf(stderr, "slugwell: %s\n", text.c_str());
    std::fflush(stderr);
}

std::string e2(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2E", v);
    return buf;
}

}  // namespace

InertialGroups column_groups(double le, double g, double nu, const WellModel& m) {
    if (!(le > 0.0)) return {};
    return inertial_groups(WaterColumn{le, le, g, nu}, m.RC, m.TC);
}

double accurate_shown(double h_over_ho) { return h_over_ho <= 0.0 && h_over_ho > -1e-12 ? 0.0 : h_over_ho; }

void compute_accurate(const WellModel& m, std::span<const double> times, time_loop::Results& r,
                      std::vector<double>& estimate, int threads, const InertialGroups& column) {
    const int n = time_loop::time_count(static_cast<int>(std::min<std::size_t>(times.size(), kMaxOutputTimes)));
    r.count = n;
    const std::vector<double> t = evaluation_order(times, n);
    const AccurateResponse a = accurate_response(m, t, column, threads);
    estimate.assign(a.error_estimate.begin(), a.error_estimate.end());
    for (int i = 0; i < n; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const double ratio = accurate_shown(a.h_over_ho[k]);
        r.time[k] = m.TC * (t[k] / m.TC);
        r.ratio[k] = ratio;
        r.drawdown[k] = m.HO * ratio;
    }
}

void compute_accurate_or_stop(const WellModel& m, std::span<const double> times, time_loop::Results& r,
                              std::vector<double>& estimate, int threads, const InertialGroups& column) {
    try {
        compute_accurate(m, times, r, estimate, threads, column);
    } catch (const RootIterationFailure&) {
        write_root_failure_message(kResultsUnit);
        stop_run(1);
    }
}

int report_inaccurate_times(std::span<const double> times, const time_loop::Results& r,
                            std::span<const double> estimate) {
    int count = 0;
    for (int i = r.count - 1; i >= 0; --i) {  // in the order of the time list
        const double e = estimate[static_cast<std::size_t>(i)];
        // A row without a finite value is reported by the run as such.
        if (e <= kAccurateTarget || !std::isfinite(r.ratio[static_cast<std::size_t>(i)])) continue;
        ++count;
        const std::string time = format_real_g9(times[static_cast<std::size_t>(r.count - 1 - i)]);
        if (std::isfinite(e))
            note("H/Ho at time " + time + " has an error estimate of " + e2(e) + ", above " + e2(kAccurateTarget));
        else
            note("H/Ho at time " + time + " has no error estimate: the response could not be resolved there");
    }
    return count;
}

int check_classic(const WellModel& m, std::span<const double> times, const time_loop::Results& classic,
                  int threads) {
    time_loop::Results accurate;
    std::vector<double> estimate;
    try {
        compute_accurate(m, times, accurate, estimate, threads);
    } catch (const RootIterationFailure& e) {
        note(std::string("the classic table could not be checked against the accurate response (") + e.what() +
             ")");
        return 0;
    } catch (const std::invalid_argument& e) {
        note(std::string("the classic table could not be checked against the accurate response (") + e.what() +
             ")");
        return 0;
    }
    int differ = 0, worst = -1, unchecked = 0;
    double largest = 0.0;
    for (int i = classic.count - 1; i >= 0; --i) {  // in list order: the first of equal ones is named
        const auto k = static_cast<std::size_t>(i);
        // A classic value without a finite head is reported as such; an
        // accurate value as uncertain as the tolerance cannot judge one.
        if (!std::isfinite(classic.ratio[k])) continue;
        if (!(estimate[k] < kCheckTolerance) || !std::isfinite(accurate.ratio[k])) {
            ++unchecked;
            continue;
        }
        const double d = std::fabs(classic.ratio[k] - accurate.ratio[k]);
        if (!(d > kCheckTolerance + estimate[k])) continue;
        ++differ;
        if (d > largest) {
            largest = d;
            worst = classic.count - 1 - i;
        }
    }
    if (unchecked > 0)
        note("the classic table could not be checked at " + std::to_string(unchecked) + " of " +
             std::to_string(classic.count) + " times: the accurate response is uncertain there");

    // Rebounds: neighbours in time order (the list need not be sorted),
    // both values checked.
    std::vector<int> order;
    for (int i = 0; i < classic.count; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (std::isfinite(classic.ratio[k]) && estimate[k] < kCheckTolerance && std::isfinite(accurate.ratio[k]))
            order.push_back(i);
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return classic.time[static_cast<std::size_t>(a)] < classic.time[static_cast<std::size_t>(b)];
    });
    int rebounds = 0, rebound_at = -1;
    double rise = 0.0;
    for (std::size_t j = 1; j < order.size(); ++j) {
        const auto a = static_cast<std::size_t>(order[j - 1]);
        const auto b = static_cast<std::size_t>(order[j]);
        const double up = classic.ratio[b] - classic.ratio[a];
        const double excess = up - (accurate.ratio[b] - accurate.ratio[a]);
        if (!(up > 0.0 && excess > kReboundTolerance + estimate[a] + estimate[b])) continue;
        ++rebounds;
        if (up > rise) {
            rise = up;
            rebound_at = classic.count - 1 - order[j];
        }
    }
    // Each kind of difference found: one note in all.
    std::string text;
    if (differ > 0)
        text = "the classic table differs from the accurate response by more than " + e2(kCheckTolerance) +
               " in H/Ho at " + std::to_string(differ) + " of " + std::to_string(classic.count) + " times (largest " +
               e2(largest) + ", at time " + format_real_g9(times[static_cast<std::size_t>(worst)]) + ")";
    if (rebounds > 0)
        text += std::string(text.empty() ? "the classic table" : ", and it") + " rises at " +
                std::to_string(rebounds) + " of " + std::to_string(classic.count) +
                " times where the accurate response does not (largest rise " + e2(rise) + ", at time " +
                format_real_g9(times[static_cast<std::size_t>(rebound_at)]) + ")";
    if (text.empty()) return 0;
    note(text + "; rerun with --accurate");
    return differ + rebounds;
}

}  // namespace slug
