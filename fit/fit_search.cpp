// Where the fit searches: the data-based start of KR (Hvorslev's basic
// time lag) and the finite default bounds of every parameter.
//
// Hvorslev (1951, U.S. Army Corps of Engineers Waterways Experiment
// Station Bull. 36): for a well whose head recovers exponentially, the
// basic time lag T0 is the time at which H/Ho = e^-1 = 0.37, and
//   K = rc^2 ln(m Le/R + sqrt(1 + (m Le/R)^2)) / (2 Le T0).
// The recovery of a real well is exponential only where storage is
// negligible; the K so found may then be off by a factor of a few, which is
// close enough for a start and to centre the search box.
#include <algorithm>
#include <cmath>

#include "classical/geometry.hpp"
#include "classical/high_k.hpp"
#include "classical/hvorslev.hpp"
#include "fit/fit_limits.hpp"
#include "fit/fit_solve.hpp"

namespace slug {

namespace {

// H/Ho at the basic time lag.
constexpr double kLagRatio = 0.36787944117144233;  // e^-1

// Overshoot below which a record is not read as oscillating: a logger's
// scatter and drift near the static level are a few 1e-3 of Ho.
constexpr double kOvershoot = 0.01;

// K of the Hvorslev shape factor of the input's well for a basic time
// lag t0 (0 when the geometry is unusable).
double shape_factor_k(const BaseInput& base, double t0) {
    const WellInput& w = base.well;
    const WellGeometry g = geometry_from_input({w.bb, w.kr, w.kz, w.hks, w.sy, w.rw, w.rc, w.zpd, w.zpl, w.ds});
    if (!check_geometry(g).empty() || !(t0 > 0.0)) return 0.0;
    const double k = hvorslev_k(g.rc, g.screen_length(), g.outer_radius(), std::sqrt(1.0 / g.kz_over_kr), t0);
    return std::isfinite(k) && k > 0.0 ? k : 0.0;
}

}  // namespace

OscillationStart oscillation_start(const BaseInput& base, const Observations& obs, bool normalized) {
    OscillationStart o;
    const double g = base.column.gravity;
    if (!(g > 0.0) || !std::isfinite(g)) return o;
    std::vector<double> y(obs.value);
    if (!normalized)
        for (double& v : y) v /= base.well.ho;
    const FirstMinimum m = first_minimum(obs.time, y, kOvershoot);
    if (!m.found) return o;
    o.found = true;
    o.t_min = m.time;
    o.y_min = m.ratio;
    o.omega_d = m.omega_d;
    o.gamma = m.gamma;
    o.le = g / m.omega0_squared();
    o.kr = o.gamma > 0.0 ? shape_factor_k(base, 2.0 * o.le * o.gamma / g) : 0.0;
    return o;
}

double hvorslev_start_kr(const BaseInput& base, const Observations& obs, bool normalized) {
    const WellInput& w = base.well;
    const WellGeometry g = geometry_from_input({w.bb, w.kr, w.kz, w.hks, w.sy, w.rw, w.rc, w.zpd, w.zpl, w.ds});
    if (!check_geometry(g).empty()) return 0.0;
    const auto ratio = [&](std::size_t i) { return normalized ? obs.value[i] : obs.value[i] / w.ho; };
    for (std::size_t i = 1; i < obs.time.size(); ++i) {
        const double a = ratio(i - 1), b = ratio(i);
        if (!(b <= kLagRatio)) continue;
        if (!(a > kLagRatio) || !(b > 0.0)) return 0.0;
        // ln(H/Ho) is linear in time between the two readings.
        const double s = std::log(a / kLagRatio) / std::log(a / b);
        const double t0 = obs.time[i - 1] + s * (obs.time[i] - obs.time[i - 1]);
        if (!(t0 > 0.0)) return 0.0;
        const double m = std::sqrt(1.0 / g.kz_over_kr);
        const double k = hvorslev_k(g.rc, g.screen_length(), g.outer_radius(), m, t0);
        return std::isfinite(k) && k > 0.0 ? k : 0.0;
    }
    return 0.0;
}

bool fit_has_column(const BaseInput& base, const FitOptions& opt) {
    return base.column.effective_length > 0.0 ||
           std::find(opt.params.begin(), opt.params.end(), FitParam::LE) != opt.params.end();
}

double data_start_kr(const BaseInput& base, const Observations& obs, const FitOptions& opt, std::string* source) {
    if (fit_has_column(base, opt)) {
        const OscillationStart o = oscillation_start(base, obs, opt.normalized);
        if (o.found && o.kr > 0.0) {
            if (source) *source = "the decay of the data's oscillation (first minimum)";
            return o.kr;
        }
    }
    if (source) *source = "the Hvorslev basic time lag of the data (time at which H/Ho = 0.37)";
    return hvorslev_start_kr(base, obs, opt.normalized);
}

std::vector<FitBound> search_bounds(const BaseInput& base, const Observations& obs, const FitOptions& opt,
                                    const FitValues& start) {
    const double kr_data = data_start_kr(base, obs, opt);
    const double kr_centre = kr_data > 0.0 ? kr_data : start.kr;
    std::vector<FitBound> out;
    for (FitParam p : opt.params) {
        const auto given = std::find_if(opt.bounds.begin(), opt.bounds.end(),
                                        [p](const FitBound& b) { return b.param == p; });
        if (given != opt.bounds.end()) {
            out.push_back(*given);
            continue;
        }
        FitBound b{p, 0.0, 0.0};
        const double v = p == FitParam::HO ? std::fabs(start.ho) : get_value(start, p);
        switch (p) {
        // Four decades either side of the data's KR.
        case FitParam::KR: b.lo = 1.0e-4 * kr_centre; b.hi = 1.0e4 * kr_centre; break;
        case FitParam::KZ: {
            const double c = kr_centre * start.kz / start.kr;
            b.lo = 1.0e-4 * c;
            b.hi = 1.0e4 * c;
            break;
        }
        // Never so anisotropic that the series outgrows its term limit
        // (twice the least ratio, as a margin for the search's steps).
        case FitParam::KZKR: b.lo = std::max(1.0e-4, 2.0 * min_kz_over_kr(base)); b.hi = 1.0e2; break;
        // A skin may be far less permeable than the formation.
        case FitParam::HKS: b.lo = 1.0e-6 * kr_centre; b.hi = 1.0e2 * kr_centre; break;
        // Specific storage of aquifers from compressible clay to rock, per
        // metre (Domenico and Mifflin, Water Resour. Res. 1 (1965) 563-576),
        // restated per length unit when that is named (per foot: x 0.3048).
        case FitParam::SS: {
            const double per_unit = opt.metres_per_length > 0.0 ? opt.metres_per_length : 1.0;
            b.lo = 1.0e-7 * per_unit;
            b.hi = 1.0e-2 * per_unit;
            break;
        }
        // Specific yield of unconsolidated deposits (Johnson, USGS WSP 1662-D,
        // 1967) with a margin.
        case FitParam::SY: b.lo = 1.0e-3; b.hi = 0.5; break;
        case FitParam::U1:
        case FitParam::U2: b.lo = 1.0e-3 * v; b.hi = 1.0e3 * v; break;
        // The nominal Ho from the slug volume is seldom off by more than
        // 5-20 %; half and one and a half of it bound that widely.
        case FitParam::HO: b.lo = 0.5 * v; b.hi = 1.5 * v; break;
        // A logger's clock may lag the slug by several first intervals or run
        // ahead of it by less than the first reading.
        case FitParam::T0:
            b.lo = -std::max(10.0 * obs.time.front(), 0.01 * obs.time.back());
            b.hi = 0.99 * obs.time.front();
            break;
        // The effective length of a column from the screen's share of a
        // short well to hundreds of times that.
        case FitParam::LE: b.lo = 1.0e-2 * v; b.hi = 1.0e2 * v; break;
        }
        if (p != FitParam::T0) {
            // Widened to hold the start value.
            if (!(v > b.lo)) b.lo = 0.1 * v;
            if (!(v < b.hi)) b.hi = 10.0 * v;
        }
        out.push_back(b);
    }
    return out;
}

}  // namespace slug
