// Laplace inversion with one period shared by a group of times.
//
// Method: F. R. de Hoog, J. H. Knight and A. N. Stokes, "An improved method
// for numerical inversion of Laplace transforms", SIAM J. Sci. Stat. Comput.
// 3 (1982) 357-366. The damped function e^{-gamma t} f(t) is expanded in a
// Fourier series of half-period T,
//     f(t) ~ (e^{gamma t}/T) Re[ F(gamma)/2 + Sum_{k>=1} F(gamma + i k pi/T) z^k ],
//     z = e^{i pi t/T},  0 < t < 2T,
// whose error is the alias e^{-2 gamma T} f(2T + t) + ...; the power series
// in z (2M + 1 terms) is turned by Rutishauser's quotient-difference
// algorithm into the continued fraction
//     d_0/(1 + d_1 z/(1 + d_2 z/(1 + ... d_{2M} z))),
// evaluated with the authors' estimate of its remainder. The coefficients
// d_k do not depend on t: one table serves every time of a group, and only
// the fraction is evaluated per time.
//
// Error estimate, per time, the sum of four parts:
//  - truncation: the change of the fraction between the orders M and
//    M - drop of the same table (no further samples);
//  - rounding: noise_factor times the change when the samples are
//    perturbed by their assumed relative error; the table can amplify the
//    samples' rounding by many orders where f has features close to the
//    sampling line, and that amplification is measured, not assumed;
//  - resolution: where the period is too long for a feature of f (an
//    oscillation of many periods over 2T), both orders agree on a function
//    without it, and only another period sees it: each group is compared
//    at times just below its range with the group there (period ten times
//    shorter); twice the largest difference that the group's own estimate
//    there does not account for, plus the estimate of the values it is
//    compared with, stands for the group's error (finish_inversion);
//  - alias: damping * growth_allowance * max |f| over the times.
// The moduli of the complex changes enter, not their real parts, which
// vanish wherever a change turns through the imaginary axis as t varies;
// and the first two parts are smoothed over the group's times (invert_group).
//
// Arithmetic: the table and the fraction are formed in long double (64-bit
// significand), so that the table's cancellations (the q and e columns are
// differences and ratios of neighbouring entries) leave the double result
// unaffected; each division is Smith's (R. L. Smith, Comm. ACM 5 (1962)
// 435), which neither overflows nor underflows where the quotient is
// representable.
#include "inversion/dehoog.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <numeric>
#include <stdexcept>
#include <string>

namespace slug {

namespace {

constexpr long double kPiL = 3.141592653589793238462643383279502884L;

template <class R>
struct Cx {
    R re = 0, im = 0;
};
using LC = Cx<long double>;
using DC = Cx<double>;

template <class R>
Cx<R> operator+(Cx<R> a, Cx<R> b) {
    return {a.re + b.re, a.im + b.im};
}
template <class R>
Cx<R> operator-(Cx<R> a, Cx<R> b) {
    return {a.re - b.re, a.im - b.im};
}
template <class R>
Cx<R> operator-(Cx<R> a) {
    return {-a.re, -a.im};
}
template <class R>
Cx<R> operator*(Cx<R> a, Cx<R> b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
template <class R>
Cx<R> operator*(R s, Cx<R> a) {
    return {s * a.re, s * a.im};
}

// Smith's division, with one reciprocal of the scaled denominator.
template <class R>
Cx<R> operator/(Cx<R> a, Cx<R> b) {
    if (std::fabs(b.re) >= std::fabs(b.im)) {
        const R r = b.im / b.re;
        const R inv = R(1) / (b.re + b.im * r);
        return {(a.re + a.im * r) * inv, (a.im - a.re * r) * inv};
    }
    const R r = b.re / b.im;
    const R inv = R(1) / (b.im + b.re * r);
    return {(a.re * r + a.im) * inv, (a.im * r - a.re) * inv};
}

template <class R>
R modulus(Cx<R> a) {
    return std::hypot(a.re, a.im);
}

// Principal square root (real part >= 0), without cancellation:
// sqrt(x + iy) = t + i y/(2t), t = sqrt((|w| + x)/2), for x >= 0, and
// |y|/(2t) + i sign(y) t, t = sqrt((|w| - x)/2), for x < 0.
template <class R>
Cx<R> principal_sqrt(Cx<R> w) {
    if (w.re == 0 && w.im == 0) return {0, 0};
    const R m = modulus(w);
    if (w.re >= 0) {
        const R t = std::sqrt(R(0.5) * (m + w.re));
        return {t, w.im / (2 * t)};
    }
    const R t = std::sqrt(R(0.5) * (m - w.re));
    return {std::fabs(w.im) / (2 * t), std::copysign(t, w.im)};
}

// Quotient-difference table of a_0 = F_0/2, a_k = F_k (k = 1 .. n), by
// columns:
//     q_1^{(i)} = a_{i+1}/a_i,                 e_0^{(i)} = 0,
//     e_m^{(i)} = q_m^{(i+1)} - q_m^{(i)} + e_{m-1}^{(i+1)},
//     q_{m+1}^{(i)} = q_m^{(i+1)} e_m^{(i+1)} / e_m^{(i)},
// and the fraction's coefficients d_0 = a_0, d_{2m-1} = -q_m^{(0)},
// d_{2m} = -e_m^{(0)}. Each column is updated in place from i = 0 upwards,
// which reads entry i + 1 before it is overwritten.
std::vector<LC> fraction_coefficients(std::span<const std::complex<double>> samples, int M) {
    const int n = 2 * M;
    std::vector<LC> a(n + 1);
    for (int k = 0; k <= n; ++k) a[k] = {samples[k].real(), samples[k].imag()};
    a[0] = 0.5L * a[0];

    std::vector<LC> d(n + 1), q(n), e(n);
    for (int i = 0; i < n; ++i) q[i] = a[i + 1] / a[i];
    d[0] = a[0];
    d[1] = -q[0];
    for (int m = 1; m <= M; ++m) {
        for (int i = 0; i <= n - 2 * m; ++i) e[i] = q[i + 1] - q[i] + e[i + 1];
        d[2 * m] = -e[0];
        if (m == M) break;
        for (int i = 0; i <= n - 2 * m - 1; ++i) q[i] = q[i + 1] * (e[i + 1] / e[i]);
        d[2 * m + 1] = -q[0];
    }
    return d;
}

// The remainder estimate of de Hoog, Knight and Stokes for the fraction cut
// at order n: with h = (1 + (d_{n-1} - d_n) z)/2, the last partial
// numerator d_n z becomes
//     R = -h (1 - sqrt(1 + d_n z/h^2)) = d_n z / (h (1 + sqrt(1 + d_n z/h^2))),
// the second form free of cancellation (the principal root has a
// non-negative real part, so 1 + root is at least 1 in real part).
template <class R>
Cx<R> remainder(const std::vector<Cx<R>>& d, int n, Cx<R> z) {
    const Cx<R> one{1, 0};
    const Cx<R> h = R(0.5) * (one + (d[n - 1] - d[n]) * z);
    const Cx<R> dz = d[n] * z;
    const Cx<R> root = principal_sqrt(one + dz / (h * h));
    return dz / (h * (one + root));
}

// The fraction at the orders n_lo < n_hi, by the forward recurrences
//     A_m = A_{m-1} + d_m z A_{m-2},  B_m = B_{m-1} + d_m z B_{m-2},
// A_{-1} = 0, A_0 = d_0, B_{-1} = B_0 = 1, the last step of each order with
// the remainder estimate in place of d_m z. A and B are rescaled together
// (exactly, by a power of two) when B grows large.
template <class R>
void evaluate_fraction(const std::vector<Cx<R>>& d, Cx<R> z, int n_lo, int n_hi, Cx<R>& v_lo, Cx<R>& v_hi) {
    using C = Cx<R>;
    C a2{0, 0}, a1 = d[0];  // A_{m-2}, A_{m-1}
    C b2{1, 0}, b1{1, 0};
    for (int m = 1; m <= n_hi; ++m) {
        if (m == n_lo) {
            const C r = remainder(d, m, z);
            v_lo = (a1 + r * a2) / (b1 + r * b2);
        }
        if (m == n_hi) {
            const C r = remainder(d, m, z);
            v_hi = (a1 + r * a2) / (b1 + r * b2);
            return;
        }
        const C f = d[m] * z;
        const C a = a1 + f * a2, b = b1 + f * b2;
        a2 = a1;
        a1 = a;
        b2 = b1;
        b1 = b;
        if (std::fabs(b1.re) + std::fabs(b1.im) > R(0x1p500)) {
            for (C* v : {&a1, &a2, &b1, &b2}) *v = R(0x1p-500) * *v;
        }
    }
}

}  // namespace

InversionPlan plan_inversion(std::span<const double> t, const InversionSettings& settings) {
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (!(std::isfinite(t[i]) && t[i] > 0.0))
            throw std::invalid_argument("Laplace inversion: time " + std::to_string(i + 1) + " (" +
                                        std::to_string(t[i]) + ") is not a positive number");
    }
    if (!(settings.group_span >= 1.0 && settings.period_factor > 0.5 && settings.damping > 0.0 &&
          settings.damping < 1.0 && settings.order >= 2 && settings.single_order >= 2 &&
          settings.estimate_drop >= 1 &&
          settings.estimate_drop < std::min(settings.order, settings.single_order)))
        throw std::invalid_argument("Laplace inversion: inconsistent settings");

    InversionPlan plan;
    plan.times.assign(t.begin(), t.end());
    std::vector<int> order(t.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return t[a] > t[b]; });

    const auto make_group = [&](double tmax, int M) {
        InversionGroup g;
        g.T = settings.period_factor * tmax;
        g.gamma = -std::log(settings.damping) / (2.0 * g.T);
        g.M = M;
        return g;
    };

    // Consecutive runs of the sorted times, one log cycle each; a relative
    // slack of 1e-12 keeps in the group a time that is a decade below tmax
    // but for the rounding of both.
    std::vector<std::size_t> run_end;  // per group: end of its run in order
    std::size_t i = 0;
    while (i < order.size()) {
        const double tmax = t[order[i]];
        std::size_t j = i;
        while (j < order.size() && t[order[j]] * settings.group_span >= tmax * (1.0 - 1e-12)) ++j;
        if (static_cast<int>(j - i) >= settings.min_shared) {
            InversionGroup g = make_group(tmax, settings.order);
            g.time_index.assign(order.begin() + static_cast<std::ptrdiff_t>(i),
                                order.begin() + static_cast<std::ptrdiff_t>(j));
            plan.groups.push_back(std::move(g));
            run_end.push_back(j);
        } else {
            for (std::size_t k = i; k < j; ++k) {
                InversionGroup g = make_group(t[order[k]], settings.single_order);
                g.time_index.push_back(order[k]);
                plan.groups.push_back(std::move(g));
                run_end.push_back(j);
            }
        }
        i = j;
    }

    // Checks: each group against the times that follow its run in the
    // sorted list (up to three, inverted by the next groups with a period
    // about ten times shorter), as far as they lie within 2 group_span of
    // the group's largest time: there, at the group's earliest times, a
    // feature of f that the group's period fails to resolve shows largest. (Two
    // periods closer together can both fail alike and agree.) Three values,
    // so that a missing oscillation cannot pass unseen by vanishing at one
    // of them. Without any such time, against three probes: one group added
    // at tmax/group_span (probe times in its own range).
    const std::size_t ng = plan.groups.size();
    for (std::size_t g = 0; g < ng; ++g) {
        InversionGroup& group = plan.groups[g];
        const double tmax = group.T / settings.period_factor;
        const std::size_t next = run_end[g];
        for (std::size_t k = next; k < order.size() && k < next + 3; ++k) {
            if (t[order[k]] * 2.0 * settings.group_span < tmax) break;
            group.check_index.push_back(order[k]);
        }
        if (!group.check_index.empty()) continue;
        const double top = tmax / settings.group_span;
        InversionGroup probe = make_group(top, settings.single_order);
        for (double f : {1.0, 0.8, 0.64}) {
            plan.times.push_back(top * f);
            group.check_index.push_back(static_cast<int>(plan.times.size()) - 1);
            probe.time_index.push_back(group.check_index.back());
        }
        plan.groups.push_back(std::move(probe));
    }
    return plan;
}

std::vector<std::complex<double>> sample_points(const InversionGroup& group) {
    std::vector<std::complex<double>> p(2 * static_cast<std::size_t>(group.M) + 1);
    const double omega = std::numbers::pi / group.T;
    for (int k = 0; k <= 2 * group.M; ++k) p[k] = {group.gamma, k * omega};
    return p;
}

std::vector<CheckValue> invert_group(const InversionGroup& group, std::span<const std::complex<double>> samples,
                                     std::span<const double> times, std::span<double> value,
                                     std::span<double> error_estimate, const InversionSettings& settings) {
    if (samples.size() != 2 * static_cast<std::size_t>(group.M) + 1)
        throw std::invalid_argument("Laplace inversion: " + std::to_string(samples.size()) +
                                    " samples for a group of order " + std::to_string(group.M));
    if (value.size() < times.size() || error_estimate.size() < times.size())
        throw std::invalid_argument("Laplace inversion: result arrays shorter than the time list");

    // The same table from samples perturbed by sample_error (a fixed
    // pseudo-random pattern of relative size up to sample_error in each
    // component): the change of the result measures how much the fraction
    // amplifies the samples' own rounding.
    std::vector<std::complex<double>> perturbed(samples.begin(), samples.end());
    for (std::size_t k = 0; k < perturbed.size(); ++k) {
        const double u = std::sin(2.399963229728653 * static_cast<double>(k + 1));
        const double v = std::cos(0.6180339887498949 * static_cast<double>((k + 1) * (k + 1)));
        perturbed[k] *= std::complex<double>(1.0 + settings.sample_error * u, settings.sample_error * v);
    }
    const std::vector<LC> d = fraction_coefficients(samples, group.M);
    const std::vector<LC> dp = fraction_coefficients(perturbed, group.M);
    const int n_hi = 2 * group.M;
    const int n_lo = 2 * (group.M - std::min(settings.estimate_drop, group.M - 1));

    // (The fraction in double precision instead loses up to 1e-5 on the
    // damped oscillation of the tests: its recurrences need the long
    // double's digits too.)
    const auto invert_at = [&](double ti, double& v, double& est) {
        const long double theta = kPiL * ti / group.T;
        const LC z{std::cos(theta), std::sin(theta)};
        LC lo, hi, p_lo, p_hi;
        evaluate_fraction(d, z, n_lo, n_hi, lo, hi);
        evaluate_fraction(dp, z, n_lo, n_hi, p_lo, p_hi);
        const long double scale = std::exp(static_cast<long double>(group.gamma) * ti) / group.T;
        v = static_cast<double>(scale * hi.re);
        // The moduli of the complex changes: their real parts alone vanish
        // wherever the change turns through the imaginary axis as t varies.
        est = static_cast<double>(scale * (modulus(hi - lo) + settings.noise_factor * modulus(hi - p_hi)));
        if (!std::isfinite(v)) est = std::numeric_limits<double>::infinity();
    };
    for (int i : group.time_index) invert_at(times[i], value[i], error_estimate[i]);
    // The estimates as a smooth function of t: the error is e^{gamma t}/T
    // times that of the complex series value, which changes smoothly with
    // t, so an estimate that dips between neighbours (both orders agreeing
    // by chance at one t) takes the neighbours' estimates scaled by
    // e^{-gamma |t_a - t_b|}, formed from the factors e^{+-gamma t} (within
    // e^{2 gamma T} = 1/damping of each other, so no overflow).
    const std::size_t nt = group.time_index.size();
    std::vector<double> own(nt), up(nt), down(nt);
    for (std::size_t a = 0; a < nt; ++a) {
        own[a] = error_estimate[group.time_index[a]];
        up[a] = std::exp(group.gamma * times[group.time_index[a]]);
        down[a] = 1.0 / up[a];
    }
    for (std::size_t a = 0; a < nt; ++a) {
        double& e = error_estimate[group.time_index[a]];
        const double ta = times[group.time_index[a]];
        for (std::size_t b = 0; b < nt; ++b) {
            const double f = times[group.time_index[b]] <= ta ? up[b] * down[a] : up[a] * down[b];
            e = std::max(e, own[b] * f);
        }
    }
    std::vector<CheckValue> checks(group.check_index.size());
    for (std::size_t c = 0; c < checks.size(); ++c)
        invert_at(times[group.check_index[c]], checks[c].value, checks[c].estimate);
    return checks;
}

double alias_allowance(std::span<const double> value, const InversionSettings& settings) {
    double vmax = 0.0;
    for (double v : value) vmax = std::max(vmax, std::fabs(v));
    return settings.damping * settings.growth_allowance * vmax;
}

void finish_inversion(const InversionPlan& plan, std::span<const std::vector<CheckValue>> check_values,
                      std::span<const double> value, std::span<double> error_estimate,
                      const InversionSettings& settings) {
    // From the last group to the first: the probes (no checks of their own)
    // and then the groups of decreasing times, so that the estimate of a
    // check time is complete when a larger group's check uses it. A
    // difference at a check time counts unless the checked group's own
    // estimate there accounts for it (a group of low order is less accurate
    // at the foot of its range than at its times, and says so). A group
    // inherits the estimate of the values it is checked against: two
    // groups that miss the same feature agree, and only the smaller one's
    // own check shows it. Twice the largest difference: the check times
    // sample the missing part of f at three phases, and inside the group it
    // can be larger.
    for (std::size_t g = plan.groups.size(); g-- > 0;) {
        const InversionGroup& group = plan.groups[g];
        double gap = 0.0, inherited = 0.0;
        for (std::size_t c = 0; c < group.check_index.size(); ++c) {
            const int k = group.check_index[c];
            const double d = std::fabs(check_values[g][c].value - value[k]);
            if (std::isnan(d)) gap = std::numeric_limits<double>::infinity();
            if (d > check_values[g][c].estimate) gap = std::max(gap, d);
            inherited = std::max(inherited, error_estimate[k]);
        }
        for (int i : group.time_index) error_estimate[i] = std::max(error_estimate[i], 2.0 * gap + inherited);
    }
    const double alias = alias_allowance(value.first(plan.times.size()), settings);
    for (std::size_t i = 0; i < plan.times.size(); ++i) error_estimate[i] += alias;
}

InversionGroup refine(const InversionGroup& group) {
    InversionGroup g = group;
    g.M *= 2;
    return g;
}

bool mark_groups_to_refine(const InversionPlan& plan, std::span<const double> value,
                           std::span<const double> error, int pass, std::vector<bool>& grow,
                           const InversionSettings& settings) {
    const double alias = alias_allowance(value, settings);
    const double floor = settings.target * alias / (settings.damping * settings.growth_allowance) + alias;
    bool again = false;
    for (std::size_t g = 0; g < plan.groups.size(); ++g) {
        grow[g] = false;
        if (pass == settings.max_refinements) continue;
        for (int i : plan.groups[g].time_index) grow[g] = grow[g] || !(error[static_cast<std::size_t>(i)] <= floor);
        again = again || grow[g];
    }
    return again;
}

}  // namespace slug
