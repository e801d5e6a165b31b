// The high-K analysis of an oscillatory slug test: the water column in the
// well as a damped oscillator on a quasi-steady aquifer (van der Kamp 1976;
// Springer and Gelhar 1991, the "high-K Hvorslev model" of Butler 1998,
// ch. 9; Butler and Garnett 2000; Butler 2002 for the casing friction).
// In the time td = t sqrt(g/Le) the normalized head w = H/Ho obeys
//
//   w'' + C_D w' + w = 0,   w(0) = 1, w'(0) = 0,
//
// with the damping parameter
//
//   C_D = rc^2 ln(...)/(2 K Ls) sqrt(g/Le) + 8 nu Lf/(rc^2 sqrt(g Le)),
//
// the logarithm Hvorslev's shape factor of the screen (length Ls, radius
// R, anisotropy m = sqrt(KR/KZ)) and the second term the laminar friction
// over a casing length Lf (taken as Le). C_D and Le are fitted to the
// record; K follows from C_D less the friction term.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "classical/geometry.hpp"
#include "classical/notes.hpp"

namespace slug {

// The first minimum of a record released from rest that falls through
// zero: the lowest reading of the first stretch below zero, refined by the
// parabola through it and its neighbours. For the oscillator above it lies
// at wd t1 = pi with w = -exp(-gamma t1), so that the record's own damped
// angular frequency and decay rate follow (in the record's time unit):
//   wd = pi/t1,  gamma = -ln(-w1)/t1,  g/Le = wd^2 + gamma^2.
// found is false when no reading lies below -min_overshoot, or when the
// dip is not clear of the record's scatter: deeper than five times its
// standard deviation, estimated from the median absolute second difference
// of the readings (Gaussian noise of deviation s gives second differences
// of deviation sqrt(6) s, whose median absolute value is 0.6745 times
// that). A smooth oscillation sampled a dozen times per period has second
// differences of about a tenth of its amplitude and passes; a monotone
// record whose noisy tail dips below zero does not.
struct FirstMinimum {
    bool found = false;
    double time = 0.0;     // t1
    double ratio = 0.0;    // w1 = H/Ho there (< 0)
    double omega_d = 0.0;  // pi/t1
    double gamma = 0.0;    // -ln(-w1)/t1 (0 when w1 <= -1)
    double scatter = 0.0;  // the record's scatter (standard deviation of its noise)
    double omega0_squared() const { return omega_d * omega_d + gamma * gamma; }
};
FirstMinimum first_minimum(std::span<const double> time, std::span<const double> ratio,
                           double min_overshoot = 0.01);

// The normalized head of the oscillator, w(td) for the damping parameter
// cd >= 0: underdamped, critical and overdamped forms.
double oscillator_head(double cd, double td);

struct HighKResult {
    std::string method = "Springer & Gelhar (1991) high-K";
    bool ok = false;
    std::string error;      // why no estimate (ok false)
    double k = 0.0;         // KR, the input's units
    double cd = 0.0;        // fitted C_D (friction included)
    double cd_friction = 0.0;  // its friction term
    double le = 0.0;        // fitted effective length of the column
    double rmse = 0.0;      // of H/Ho over the record
    int crossings = 0;      // zero crossings of the record
    std::vector<Note> notes;
};

// The analysis of a record of H/Ho (times > 0, increasing) for the well g,
// with g the acceleration of gravity and nu the kinematic viscosity of the
// water (0: no friction) in the input's units. C_D and Le are fitted by
// Gauss-Newton with Levenberg's damping in (ln C_D, ln Le) to every
// reading, started from the first minimum. No estimate (with the reason)
// when the record does not fall below zero, gravity is not positive, the
// geometry is unusable, the fit does not settle, or the friction alone
// accounts for the damping.
HighKResult high_k(std::span<const double> time, std::span<const double> ratio, const WellGeometry& g,
                   double gravity, double nu);

}  // namespace slug
