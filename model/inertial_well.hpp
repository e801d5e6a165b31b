// Well balance with the inertia and the laminar casing friction of the
// water column (the oscillatory slug response of highly permeable
// aquifers). The derivation is in docs/oscillatory.md.
#pragma once

#include <complex>
#include <functional>

namespace slug {

// Dimensionless groups of the column's momentum balance in the time t/TC,
// TC = RC^2/(2 KR SL):
//   inertia  = LE / (g TC^2)               (LE: effective column length)
//   friction = 8 NU LF / (g RC^2 TC)        (Hagen-Poiseuille over LF)
// Both zero: the column has no inertia and no friction, the classic model.
struct InertialGroups {
    double inertia = 0.0;
    double friction = 0.0;
};

// The physical column, in the input's consistent units: lengths, g in
// length per time squared, NU (kinematic viscosity) in length squared per
// time.
struct WaterColumn {
    double effective_length = 0.0;  // LE
    double friction_length = 0.0;   // LF, the length of casing the flow rubs along
    double gravity = 0.0;           // g
    double viscosity = 0.0;         // NU
};

// The groups of a column for a casing radius rc and the time scale tc.
// Throws std::invalid_argument, naming the value, for a length or viscosity
// that is negative or not finite, for rc or tc not positive and finite, and
// for g not positive and finite where a group needs it (LE > 0, or LF > 0
// with NU > 0); a column without inertia or friction needs no g.
InertialGroups inertial_groups(const WaterColumn& column, double rc, double tc);

// F(p) of the well with the column:
//   F = HOB Oe / (1 + p Oe),  Oe = Omega + friction + inertia p,
// where Omega is the aquifer's head at the screen per unit flux at p (the
// series of the well response, skin included). With both groups zero the
// result is HOB Omega/(1 + p Omega), the same operations as the classic
// balance, so the same bits. An Omega that is not finite (no storage at
// all: an infinite resistance) holds the head at its start, F = HOB/p.
std::complex<double> inertial_well_balance(const std::complex<double>& omega,
                                           const std::complex<double>& p, double hob,
                                           const InertialGroups& groups);

// The balance with the column from F0 = HOB Omega/(1 + p Omega), the
// balance without it, where Omega itself is not at hand: with
// a = friction + inertia p and d = HOB - p F0 (= HOB/(1 + p Omega)),
//   F = HOB (F0 + a d) / (HOB + p a d),
// which never divides by d (small where |p Omega| is large). Zero groups
// return F0 unchanged; F0 = HOB/p (no storage, d = 0) stays HOB/p.
std::complex<double> inertial_head(const std::complex<double>& f0, const std::complex<double>& p, double hob,
                                   const InertialGroups& groups);

// |dF/dF0| of inertial_head, (HOB/(HOB + p a d))^2 in modulus: the factor
// by which an error of F0 (a series truncation) reaches F.
double inertial_error_factor(const std::complex<double>& f0, const std::complex<double>& p, double hob,
                             const InertialGroups& groups);

// Omega = F0/(HOB - p F0), the aquifer's response recovered from the
// balance without the column (for the search of the column's pole pair,
// which takes place where |p Omega| is of order one).
std::complex<double> aquifer_resistance(const std::complex<double>& f0, const std::complex<double>& p,
                                        double hob);

// The damping parameter C_D = (Omega0 + friction)/sqrt(inertia) of the
// column on a quasi-steady aquifer of resistance Omega0 (Springer and
// Gelhar 1991; Butler 1998): below 2 the response oscillates, 2 is
// critical damping. Infinite without inertia.
double damping_parameter(double omega0, const InertialGroups& groups);

// The effective length of the column of Springer and Gelhar (1991) and
// Kipp (1985): LE = L + (rc/rw)^2 SL/2, L the water column in the casing
// above the screen, the screen's share weighted by the area ratio.
double effective_column_length(double casing_column, double rc, double rw, double screen_length);

// The column's oscillation as a pair of poles of F: p* (Im p* > 0) and its
// conjugate, zeros of D(p) = 1 + p Oe(p). A numerical inversion on a line
// Re p = gamma in double precision cannot follow more than a few periods
// of a lightly damped oscillation (the continued fraction of de Hoog's
// method needs samples to a few times the frequency and loses its digits
// before it gets them: about 1e-6 off after eight periods at C_D = 0.2,
// nothing left after sixteen). With the pair taken out,
//   F(p) = R(p) + r/(p - p*) + conj(r)/(p - conj(p*)),
// the remainder R is free of the oscillation and the pair's part is
// exactly 2 Re(r e^(p* t)).
struct OscillatoryPole {
    bool found = false;
    std::complex<double> pole;     // p*
    std::complex<double> residue;  // r, the residue of F at p*
};

// The pole pair of F for the aquifer response omega(p) (callable at any p
// off the negative real axis). Start: the roots of
// inertia p^2 + (Omega(i w0) + friction) p + 1 = 0 with Omega frozen at the
// column's own frequency w0 = 1/sqrt(inertia); then Newton's method on D,
// D' = Oe + p (Omega' + inertia), Omega' by a central difference. Not
// found (found = false) without inertia, when the start is (nearly) real
// (an overdamped or critically damped column: no oscillation to take out),
// or when Newton's method does not settle in the upper half plane.
OscillatoryPole oscillatory_pole(const std::function<std::complex<double>(const std::complex<double>&)>& omega,
                                 double hob, const InertialGroups& groups);

// The pair's part of F at p, r/(p - p*) + conj(r)/(p - conj(p*)), and of
// f at the time t (in t/TC), 2 Re(r e^(p* t)); both zero when not found.
std::complex<double> pole_pair_transform(const OscillatoryPole& pole, const std::complex<double>& p);
double pole_pair_response(const OscillatoryPole& pole, double t);

}  // namespace slug
