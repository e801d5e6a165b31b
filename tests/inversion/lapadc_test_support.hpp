// Shared helpers of the lapadc tests: transforms with known inverses as
// plain functions (the inverter takes a plain function pointer), and a
// recording transform that logs every sampling point it is given.
#pragma once

#include <cmath>
#include <complex>
#include <numbers>
#include <string>
#include <vector>

#include "special/cplx.hpp"

namespace slug::lapadc_test {

using cplx = std::complex<double>;
using Transform = void (*)(cplx& p, cplx& fp);

// Sampling rule of the driver: T = t and e^{γT} = 1/TOLINV = 1e4.
inline double driver_gamma(double tper) { return -std::log(1.0e-4) / (2.0 * tper); }

inline void f_exp(cplx& p, cplx& fp) { fp = smith_recip(p + 1.0); }            // e^{-t}
inline void f_ramp(cplx& p, cplx& fp) { fp = smith_recip(p * p); }             // t
inline void f_rsqrt(cplx& p, cplx& fp) { fp = smith_recip(principal_sqrt(p)); }  // 1/sqrt(pi t)
inline void f_sin(cplx& p, cplx& fp) { fp = smith_recip(p * p + 1.0); }        // sin t
inline void f_erfc(cplx& p, cplx& fp) {                                        // erfc(1/(2 sqrt t))
    fp = smith_div(std::exp(-principal_sqrt(p)), p);
}

struct KnownPair {
    const char* name;
    Transform F;
    double (*f)(double);
};

inline const std::vector<KnownPair>& known_pairs() {
    static const std::vector<KnownPair> pairs = {
        {"exp", f_exp, [](double t) { return std::exp(-t); }},
        {"ramp", f_ramp, [](double t) { return t; }},
        {"rsqrt", f_rsqrt, [](double t) { return 1.0 / std::sqrt(std::numbers::pi * t); }},
        {"sin", f_sin, [](double t) { return std::sin(t); }},
        {"erfc", f_erfc, [](double t) { return std::erfc(0.5 / std::sqrt(t)); }},
    };
    return pairs;
}

inline const KnownPair* find_pair(const std::string& name) {
    for (const auto& pr : known_pairs())
        if (name == pr.name) return &pr;
    return nullptr;
}

// Recording transform: 1/(p+1), logging each p as received.
inline std::vector<cplx>& recorded_points() {
    static std::vector<cplx> points;
    return points;
}
inline void f_recording(cplx& p, cplx& fp) {
    recorded_points().push_back(p);
    fp = smith_recip(p + 1.0);
}

// Same transform, but it uses p as scratch and leaves garbage in it.
inline void f_scribbling(cplx& p, cplx& fp) {
    fp = smith_recip(p + 1.0);
    p = cplx(-7.0e300, std::nan(""));
}

// 1/(p+1) except an exact zero on the real axis (the first sample).
inline void f_zero_at_gamma(cplx& p, cplx& fp) {
    fp = p.imag() == 0.0 ? cplx(0.0, 0.0) : smith_recip(p + 1.0);
}

inline double rel_err(double got, double want) { return std::fabs(got - want) / std::fabs(want); }

}  // namespace slug::lapadc_test
