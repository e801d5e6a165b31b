// Laplace inversion by the continued-fraction method of de Hoog, Knight and
// Stokes, with one sampling period shared by each group of output times
// that spans at most one log cycle, and an error estimate per time.
//
// The caller evaluates the transform itself (in any order, on any thread):
//
//     InversionPlan plan = plan_inversion(t);
//     std::vector<double> value(plan.times.size()), error(plan.times.size());
//     std::vector<std::vector<CheckValue>> checks(plan.groups.size());
//     for (size_t g = 0; g < plan.groups.size(); ++g) {
//         auto p = sample_points(plan.groups[g]);
//         std::vector<std::complex<double>> F(p.size());
//         for (size_t k = 0; k < p.size(); ++k) F[k] = transform(p[k]);
//         checks[g] = invert_group(plan.groups[g], F, plan.times, value, error);
//     }
//     finish_inversion(plan, checks, value, error);
//
// value[i] and error[i] for i < t.size() are then f(t[i]) and its error
// estimate. A group whose estimates are too large can be refined (refine:
// twice the order on the same line, so the samples already taken are kept)
// and all groups inverted and finished again; invert_times does all of
// this for a transform evaluated serially.
//
// The estimate (dehoog.cpp gives the reasons) bounds the error when the
// samples resolve f and |f| beyond the times stays within growth_allowance
// of its largest value at the times. An estimate above about 1e-3 marks a
// group whose period the transform's features defeat (a weakly damped
// oscillation over many periods): there the error can exceed the estimate
// a few times.
#pragma once

#include <complex>
#include <span>
#include <vector>

namespace slug {

struct InversionSettings {
    // Largest ratio tmax/t of the times sharing one period (one log cycle).
    double group_span = 10.0;
    // Half-period T of the Fourier series: period_factor times the largest
    // time of the group (or the time itself when inverted alone).
    double period_factor = 1.25;
    // e^{-2 gamma T}, the weight of the first alias of the damped function:
    // gamma = -ln(damping)/(2T).
    double damping = 1e-10;
    // Order M of a shared group: 2M + 1 samples.
    int order = 64;
    // Order of a time inverted alone: 2M + 1 = 49 samples.
    int single_order = 24;
    // Groups with fewer times than this are inverted time by time.
    int min_shared = 3;
    // The estimate compares the orders M and M - estimate_drop of one table.
    int estimate_drop = 8;
    // Relative error assumed for the samples; the estimate includes
    // noise_factor times the change of the result when the samples are
    // perturbed by that much.
    double sample_error = 1e-15;
    double noise_factor = 10.0;
    // Bound assumed for |f| beyond the times, relative to the largest |f|
    // found at the times (the alias term is damping times it).
    double growth_allowance = 4.0;
    // invert_times refines groups whose estimates exceed target times the
    // largest |f| at the times (beyond the alias allowance), at most
    // max_refinements times (each doubles the group's order).
    double target = 1e-9;
    int max_refinements = 2;
};

struct InversionGroup {
    double T = 0.0;      // half-period: samples at p_k = gamma + i k pi/T
    double gamma = 0.0;  // abscissa of the sampling line
    int M = 0;           // order: samples k = 0 .. 2M
    std::vector<int> time_index;  // indices into InversionPlan::times
    // Up to three times just below the group's range, inverted by a later
    // group with a shorter period: the two groups' values there are
    // compared (none for the probe groups).
    std::vector<int> check_index;
};

struct InversionPlan {
    // The caller's times, then the probe times the plan added: three probes
    // (one group of the single-time order) stand below a group whose next
    // group starts more than a factor 2 group_span lower, and below the
    // last group, so that every group of the caller's times is checked.
    std::vector<double> times;
    std::vector<InversionGroup> groups;
};

// Groups for the times t (any order, all finite and positive; otherwise
// std::invalid_argument). Greedy from the largest time: each group takes
// every remaining time within group_span of its largest one; a group with
// fewer than min_shared times is split into single-time groups.
InversionPlan plan_inversion(std::span<const double> t, const InversionSettings& settings = {});

// p_k = gamma + i k pi/T, k = 0 .. 2M.
std::vector<std::complex<double>> sample_points(const InversionGroup& group);

// From the transform's values at sample_points(group), in that order,
// writes value[i] ~ f(times[i]) and a first error estimate for every i of
// group.time_index (other entries untouched): the change between the
// orders M and M - estimate_drop plus the effect of sample noise, smoothed
// over the group's times. Returns the group's values (and those estimates)
// at its check times, in the order of check_index. Throws
// std::invalid_argument if the sample count is not 2M + 1 or the result
// spans are shorter than times.
struct CheckValue {
    double value = 0.0;     // the group's value at a check time
    double estimate = 0.0;  // its truncation and rounding estimate there
};

std::vector<CheckValue> invert_group(const InversionGroup& group, std::span<const std::complex<double>> samples,
                                     std::span<const double> times, std::span<double> value,
                                     std::span<double> error_estimate, const InversionSettings& settings = {});

// Completes the estimates once every group is inverted (check_values[g]
// as returned for plan.groups[g]): each time of a group also carries the
// largest difference found at the group's check times, and every time the
// alias allowance damping * growth_allowance * max |f|.
void finish_inversion(const InversionPlan& plan, std::span<const std::vector<CheckValue>> check_values,
                      std::span<const double> value, std::span<double> error_estimate,
                      const InversionSettings& settings = {});

// damping * growth_allowance * max |value|, the share of the estimates
// that stands for the alias of the damped function.
double alias_allowance(std::span<const double> value, const InversionSettings& settings = {});

// The same group with twice the order; its first samples are the group's.
InversionGroup refine(const InversionGroup& group);

// After pass `pass` of a refined inversion: marks in grow the groups with a
// time whose estimate exceeds the target beyond the alias allowance (which
// does not shrink with the order, so only the excess calls for more
// samples), none after the last refinement. True when any is marked.
bool mark_groups_to_refine(const InversionPlan& plan, std::span<const double> value,
                           std::span<const double> error, int pass, std::vector<bool>& grow,
                           const InversionSettings& settings = {});

struct InversionResult {
    std::vector<double> value;           // f(t[i])
    std::vector<double> error_estimate;  // estimated |error| of value[i]
    int samples = 0;                     // transform evaluations made
};

// The whole procedure for a transform callable as F(std::complex<double>)
// returning std::complex<double>, evaluated serially, with the refinement
// of groups whose estimates exceed settings.target.
template <class F>
InversionResult invert_times(F&& transform, std::span<const double> t, const InversionSettings& settings = {}) {
    InversionPlan plan = plan_inversion(t, settings);
    const std::size_t n = plan.times.size(), ng = plan.groups.size();
    std::vector<double> value(n), error(n);
    std::vector<std::vector<CheckValue>> checks(ng);
    std::vector<std::vector<std::complex<double>>> samples(ng);
    std::vector<bool> grow(ng, true);
    InversionResult r;
    for (int pass = 0;; ++pass) {
        for (std::size_t g = 0; g < ng; ++g) {
            if (!grow[g]) continue;
            if (pass > 0) plan.groups[g] = refine(plan.groups[g]);
            const std::vector<std::complex<double>> p = sample_points(plan.groups[g]);
            for (std::size_t k = samples[g].size(); k < p.size(); ++k) samples[g].push_back(transform(p[k]));
        }
        for (std::size_t g = 0; g < ng; ++g)
            checks[g] = invert_group(plan.groups[g], samples[g], plan.times, value, error, settings);
        finish_inversion(plan, checks, value, error, settings);
        if (!mark_groups_to_refine(plan, value, error, pass, grow, settings)) break;
    }
    for (const auto& s : samples) r.samples += static_cast<int>(s.size());
    r.value.assign(value.begin(), value.begin() + static_cast<std::ptrdiff_t>(t.size()));
    r.error_estimate.assign(error.begin(), error.begin() + static_cast<std::ptrdiff_t>(t.size()));
    return r;
}

}  // namespace slug
