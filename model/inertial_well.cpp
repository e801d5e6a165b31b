// Well balance with the inertia and the laminar friction of the water
// column.
//
// Method: the momentum balance of the column of effective length LE
// (Kipp, Water Resour. Res. 21 (1985) 1397-1408; Springer and Gelhar,
// USGS WRI 91-4034 (1991); Butler, The Design, Performance, and Analysis
// of Slug Tests (1998); Butler and Zhan, Water Resour. Res. 40 (2004)
// W12402),
//   (LE/g) w'' + (8 NU LF/(g rc^2)) w' + w = h_s,
// with Hagen-Poiseuille friction in the casing, is coupled to the casing's
// mass balance pi rc^2 w' = -Q and to the aquifer's response at the screen
// h_s = Q Omega(p) / (2 pi KR SL) in the Laplace domain. In the time t/TC,
// with w(0) = Ho and w'(0) = 0, the column adds a resistance and an
// inductance in series with the aquifer:
//   F = HOB Oe/(1 + p Oe),  Oe = Omega + friction + inertia p.
// The oscillation is the pole pair of F nearest the column's own frequency
// sqrt(g/LE); it is located by Newton's method on 1 + p Oe(p), and its
// residues give its part of the response exactly, so that a numerical
// inversion is left with the rest of F only.
#include "model/inertial_well.hpp"

#include <cmath>
#include <stdexcept>
#include <string>

#include "special/cplx.hpp"

namespace slug {

namespace {

void require(bool ok, const char* what) {
    if (!ok) throw std::invalid_argument(std::string("inertial well: ") + what);
}

bool finite_nonnegative(double x) { return std::isfinite(x) && x >= 0.0; }
bool finite_positive(double x) { return std::isfinite(x) && x > 0.0; }

}  // namespace

InertialGroups inertial_groups(const WaterColumn& column, double rc, double tc) {
    require(finite_nonnegative(column.effective_length),
            "the effective length of the water column must be a finite value >= 0");
    require(finite_nonnegative(column.friction_length),
            "the friction length of the casing must be a finite value >= 0");
    require(finite_nonnegative(column.viscosity),
            "the kinematic viscosity must be a finite value >= 0");
    require(finite_positive(rc), "the casing radius must be a finite value > 0");
    require(finite_positive(tc), "the time scale TC must be a finite value > 0");
    const bool has_inertia = column.effective_length > 0.0;
    const bool has_friction = column.friction_length > 0.0 && column.viscosity > 0.0;
    InertialGroups g;
    if (!has_inertia && !has_friction) return g;
    require(finite_positive(column.gravity), "the gravity g must be a finite value > 0");
    g.inertia = column.effective_length / (column.gravity * tc * tc);
    if (has_friction)
        g.friction = 8.0 * column.viscosity * column.friction_length / (column.gravity * rc * rc * tc);
    return g;
}

std::complex<double> inertial_well_balance(const std::complex<double>& omega,
                                           const std::complex<double>& p, double hob,
                                           const InertialGroups& groups) {
    if (!std::isfinite(omega.real()) || !std::isfinite(omega.imag()))
        return smith_div(cplx(hob, 0.0), p);
    cplx oe = omega;
    if (groups.inertia != 0.0 || groups.friction != 0.0) oe += groups.friction + groups.inertia * p;
    return smith_div(hob * oe, 1.0 + p * oe);
}

cplx inertial_head(const cplx& f0, const cplx& p, double hob, const InertialGroups& groups) {
    if (groups.inertia == 0.0 && groups.friction == 0.0) return f0;
    const cplx a = groups.friction + groups.inertia * p;
    const cplx ad = a * (hob - p * f0);
    return smith_div(hob * (f0 + ad), hob + p * ad);
}

double inertial_error_factor(const cplx& f0, const cplx& p, double hob, const InertialGroups& groups) {
    if (groups.inertia == 0.0 && groups.friction == 0.0) return 1.0;
    const cplx a = groups.friction + groups.inertia * p;
    return std::norm(smith_div(cplx(hob, 0.0), hob + p * a * (hob - p * f0)));
}

cplx aquifer_resistance(const cplx& f0, const cplx& p, double hob) { return smith_div(f0, hob - p * f0); }

double damping_parameter(double omega0, const InertialGroups& groups) {
    if (groups.inertia <= 0.0) return HUGE_VAL;
    return (omega0 + groups.friction) / std::sqrt(groups.inertia);
}

OscillatoryPole oscillatory_pole(const std::function<cplx(const cplx&)>& omega, double hob,
                                 const InertialGroups& groups) {
    OscillatoryPole out;
    const double li = groups.inertia;
    if (!(li > 0.0) || !std::isfinite(li)) return out;
    const double w0 = 1.0 / std::sqrt(li);
    // Start: the quadratic with Omega frozen at i w0, upper root.
    const cplx b = omega(cplx(0.0, w0)) + groups.friction;
    const cplx disc = principal_sqrt(b * b - 4.0 * li);
    cplx p = (-b + disc) / (2.0 * li);
    if (p.imag() < 0.0) p = (-b - disc) / (2.0 * li);
    // Overdamped, or so close to critical damping (C_D/2 > 1 - 5e-7) that
    // a period is more than a thousand decay times: nothing to take out,
    // and the near-double pole would only trade the oscillation for
    // cancellation between two large residues.
    if (!(p.imag() > 1e-3 * std::abs(p))) return out;

    auto oe = [&](const cplx& z) { return omega(z) + groups.friction + li * z; };
    // D'(z) = Oe + z (Omega' + inertia), Omega' by the five-point central
    // difference with step 1e-3 |z|: truncation (h/|z|)^4/30 ~ 3e-14
    // relative for an Omega that varies on the scale |z| (the logarithm of
    // the radial factor), rounding of Omega amplified by about
    // 1/(h |Omega'/Omega|) ~ 1e4.
    auto slope_at = [&](const cplx& z, const cplx& oe_z) {
        const double h = 1e-3 * std::abs(z);
        const cplx d1 = omega(z + h) - omega(z - h);
        const cplx d2 = omega(z + 2.0 * h) - omega(z - 2.0 * h);
        return oe_z + z * ((8.0 * d1 - d2) / (12.0 * h) + li);
    };
    bool settled = false;
    for (int k = 0; k < 60; ++k) {
        const cplx oe_p = oe(p);
        const cplx step = smith_div(1.0 + p * oe_p, slope_at(p, oe_p));
        p -= step;
        if (!std::isfinite(p.real()) || !std::isfinite(p.imag())) return out;
        if (std::abs(step) <= 1e-14 * std::abs(p)) {
            settled = true;
            break;
        }
    }
    if (!settled || !(p.imag() > 0.0)) return out;
    // Residue of HOB Oe / D at the simple zero of D: HOB Oe(p*) / D'(p*).
    const cplx oe_p = oe(p);
    out.found = true;
    out.pole = p;
    out.residue = smith_div(hob * oe_p, slope_at(p, oe_p));
    return out;
}

cplx pole_pair_transform(const OscillatoryPole& pole, const cplx& p) {
    if (!pole.found) return cplx(0.0, 0.0);
    return smith_div(pole.residue, p - pole.pole) +
           smith_div(std::conj(pole.residue), p - std::conj(pole.pole));
}

double pole_pair_response(const OscillatoryPole& pole, double t) {
    if (!pole.found) return 0.0;
    return 2.0 * (pole.residue * std::exp(pole.pole * t)).real();
}

double effective_column_length(double casing_column, double rc, double rw, double screen_length) {
    const double ratio = rc / rw;
    return casing_column + ratio * ratio * 0.5 * screen_length;
}

}  // namespace slug
