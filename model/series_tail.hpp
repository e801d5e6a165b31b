// The tail of the vertical eigen-series of the well response: the sum of
// the terms n > M given the roots and radial factors of a few terms from
// n = M + 1 on (series_tail.cpp names the method).
#pragma once

#include <array>
#include <complex>

namespace slug::series_tail {

using cplx = std::complex<double>;

// Terms from the first tail term on whose root and radial factor the tail
// sum needs (its differences go to order kTailSamples - 1).
constexpr int kTailSamples = 16;

// The model's values that the terms depend on besides the roots.
struct Geometry {
    double top;     // screen top, height above the base over the thickness
    double bottom;  // screen bottom
    double len;     // top - bottom
    double xkd;     // XKD: q^2 = xkd e^2 + ccdp
    cplx ccdp;      // CCD p
    cplx u;         // top-boundary coefficient U of e tan e = U
};

// Roots e_m and radial factors g_m = K0(q_m)/(q_m K1(q_m)) of the terms
// m = first, ..., first + kTailSamples - 1, where term m (the series term
// n = m + 1) has its root near m pi (m pi + U/(m pi) for large m).
struct Samples {
    int first;
    std::array<cplx, kTailSamples> root;
    std::array<cplx, kTailSamples> g;
};

struct Sum {
    cplx value;    // sum of the terms m >= first
    double bound;  // estimate of |error| of value
};

// Least index of the first tail term for a screen of length len: the
// expansion of the screen mean of cos^2 needs len e >= 4.
int least_start(double len);

// Sum of the terms m >= s.first, aiming at an error below tol (absolute).
Sum tail_sum(const Geometry& geo, const Samples& s, double tol);

}  // namespace slug::series_tail
