// The accurate response: the converged Laplace-domain head
// (laplace_head_converged, K0/K1 accurate to rounding) inverted by de
// Hoog, Knight and Stokes (SIAM J. Sci. Stat. Comput. 3 (1982) 357-366)
// with one sampling period per log cycle of times (inversion/dehoog.hpp).
//
// The samples of every group are independent evaluations of one model
// value: they are taken on the run's threads in one pool, then each group's
// table and fractions are formed on the calling thread. Groups whose
// estimates exceed the target are refined as invert_times refines them
// (twice the order on the same line, earlier samples kept), the new samples
// again in one pool.
//
// The series truncation enters each time's estimate as a relative
// perturbation of the transform: a bound b_k on |F(p_k)| error is a
// relative error b_k/|F(p_k)| of the sample, which varies smoothly with p
// (the tail is a sum of the same smooth terms); a relative error e(p) of
// size at most e_max changes the inverse by about e_max max|f| (exactly
// e f(t) for a constant e). Each time gets e_max of its group's samples
// times the larger of |HOB| and the largest |f| found.
#include "run/accurate_response.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <complex>
#include <exception>
#include <limits>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "inversion/dehoog.hpp"
#include "model/converged_head.hpp"
#include "model/inertial_well.hpp"
#include "run/time_loop.hpp"
#include "run/worker_pool.hpp"

namespace slug {

namespace {

using cplx = std::complex<double>;

// One sample to take: group g, index k of its sample points.
struct Task {
    std::size_t g;
    std::size_t k;
    cplx p;
};

struct GroupSamples {
    std::vector<cplx> value;
    double relative_bound = 0.0;  // largest truncation bound / |F| of the samples
    bool unresolved = false;      // a sample without the zone's coefficient
};

// The well's water column in the transform: its groups and the pole pair
// of its oscillation, taken out of every sample (the pair's part of the
// response is added back exactly after the inversion).
struct Column {
    InertialGroups groups;
    OscillatoryPole pole;
};

// Evaluates the tasks on up to `threads` threads. The first exception in
// task order is rethrown after all workers have stopped; workers skip the
// tasks after a known failure.
void evaluate(const WellModel& m, const Column& column, const std::vector<Task>& tasks,
              std::vector<GroupSamples>& groups, int threads) {
    const std::size_t n = tasks.size();
    std::vector<double> bound(n);
    std::vector<unsigned char> unresolved(n);
    std::vector<std::exception_ptr> error(n);
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> first_failure{n};
    auto worker = [&](bool) {
        ModelLog log;
        for (;;) {
            const std::size_t i = next.fetch_add(1);
            if (i >= n || i > first_failure.load()) return;
            const Task& task = tasks[i];
            try {
                log.events.clear();
                ConvergedHead h = laplace_head_converged(m, task.p, &log);
                const cplx f = inertial_head(h.value, task.p, m.HOB, column.groups);
                h.truncation_bound *= inertial_error_factor(h.value, task.p, m.HOB, column.groups);
                groups[task.g].value[task.k] =
                    column.pole.found ? f - pole_pair_transform(column.pole, task.p) : f;
                const double magnitude = std::abs(f);
                bound[i] = magnitude > 0.0 ? h.truncation_bound / magnitude
                                           : (h.truncation_bound > 0.0 ? HUGE_VAL : 0.0);
                for (const ModelEvent& e : log.events)
                    if (e.kind == ModelEvent::Kind::NoBesselMethod) unresolved[i] = 1;
            } catch (...) {
                error[i] = std::current_exception();
                std::size_t f = first_failure.load();
                while (i < f && !first_failure.compare_exchange_weak(f, i)) {
                }
            }
        }
    };
    const int count = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(std::max(threads, 1)), n));
    run_on_threads(count, worker);
    if (const std::size_t f = first_failure.load(); f < n) std::rethrow_exception(error[f]);
    for (std::size_t i = 0; i < n; ++i) {
        GroupSamples& g = groups[tasks[i].g];
        g.relative_bound = std::max(g.relative_bound, bound[i]);
        g.unresolved = g.unresolved || unresolved[i] != 0;
    }
}

// The pole pair of the column's oscillation on the converged series, the
// aquifer's Omega recovered from the balance without the column. A search
// that meets a root iteration without convergence (it walks into Re p < 0)
// finds nothing: the transform is then inverted whole and its estimates
// say how far that can be trusted.
OscillatoryPole column_pole(const WellModel& m, const InertialGroups& groups, long& calls) {
    if (!(groups.inertia > 0.0)) return {};
    const auto omega = [&](const cplx& p) {
        ++calls;
        return aquifer_resistance(laplace_head_converged(m, p).value, p, m.HOB);
    };
    try {
        return oscillatory_pole(omega, m.HOB, groups);
    } catch (const RootIterationFailure&) {
        return {};
    }
}

AccurateResponse respond(const WellModel& m, std::span<const double> t, const Column& column,
                         const InversionSettings& settings, int threads);

}  // namespace

AccurateResponse accurate_response(const WellModel& m, std::span<const double> t) {
    return accurate_response(m, t, time_loop::worker_count());
}

AccurateResponse accurate_response(const WellModel& m, std::span<const double> t, int threads) {
    return respond(m, t, Column{}, InversionSettings{}, threads);
}

AccurateResponse accurate_response(const WellModel& m, std::span<const double> t, const InertialGroups& groups,
                                   int threads) {
    return accurate_response(m, t, groups, InversionSettings{}, threads);
}

AccurateResponse accurate_response(const WellModel& m, std::span<const double> t, const InertialGroups& groups,
                                   const InversionSettings& settings, int threads) {
    Column column{groups, {}};
    long search_calls = 0;
    if (!t.empty()) column.pole = column_pole(m, groups, search_calls);
    AccurateResponse r = respond(m, t, column, settings, threads);
    r.pole = column.pole;
    r.transform_calls += search_calls;
    return r;
}

namespace {

AccurateResponse respond(const WellModel& m, std::span<const double> t, const Column& column,
                         const InversionSettings& settings, int threads) {
    AccurateResponse r;
    if (t.empty()) return r;
    // The dimensionless times t/TC; one that underflows to 0 or overflows
    // (a time at the edge of the double range against the time scale) has
    // no value: NaN, without an estimate.
    std::vector<double> td;
    std::vector<std::size_t> at;  // index into t of td's entries
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (!(std::isfinite(t[i]) && t[i] > 0.0))
            throw std::invalid_argument("accurate response: time " + std::to_string(t[i]) +
                                        " is not a positive number");
        const double d = t[i] / m.TC;
        if (std::isfinite(d) && d > 0.0) {
            td.push_back(d);
            at.push_back(i);
        }
    }
    r.h_over_ho.assign(t.size(), std::numeric_limits<double>::quiet_NaN());
    r.error_estimate.assign(t.size(), std::numeric_limits<double>::infinity());
    if (td.empty()) return r;
    InversionPlan plan = plan_inversion(td, settings);
    const std::size_t n = plan.times.size(), ng = plan.groups.size();
    std::vector<double> value(n), error(n);
    std::vector<std::vector<CheckValue>> checks(ng);
    std::vector<GroupSamples> samples(ng);
    std::vector<bool> grow(ng, true);
    for (int pass = 0;; ++pass) {
        std::vector<Task> tasks;
        for (std::size_t g = 0; g < ng; ++g) {
            if (!grow[g]) continue;
            if (pass > 0) plan.groups[g] = refine(plan.groups[g]);
            const std::vector<cplx> p = sample_points(plan.groups[g]);
            for (std::size_t k = samples[g].value.size(); k < p.size(); ++k) tasks.push_back({g, k, p[k]});
            samples[g].value.resize(p.size());
        }
        r.transform_calls += static_cast<long>(tasks.size());
        evaluate(m, column, tasks, samples, threads);
        for (std::size_t g = 0; g < ng; ++g)
            checks[g] = invert_group(plan.groups[g], samples[g].value, plan.times, value, error, settings);
        finish_inversion(plan, checks, value, error, settings);
        if (!mark_groups_to_refine(plan, value, error, pass, grow, settings)) break;
    }

    // The pole pair's part, exact at every time (probes included).
    if (column.pole.found)
        for (std::size_t i = 0; i < n; ++i) value[i] += pole_pair_response(column.pole, plan.times[i]);

    double scale = std::fabs(m.HOB);
    for (std::size_t i = 0; i < n; ++i) scale = std::max(scale, std::fabs(value[i]));
    for (std::size_t g = 0; g < ng; ++g)
        for (int i : plan.groups[g].time_index)
            error[i] = samples[g].unresolved ? std::numeric_limits<double>::infinity()
                                             : error[i] + samples[g].relative_bound * scale;

    const double hob = m.HOB;
    for (std::size_t j = 0; j < at.size(); ++j) {
        r.h_over_ho[at[j]] = value[j] / hob;
        r.error_estimate[at[j]] = error[j] / std::fabs(hob);
    }
    return r;
}

}  // namespace

}  // namespace slug
