// Numerical inversion of a Laplace transform at one time by the
// continued-fraction method of de Hoog, Knight and Stokes.
#pragma once

#include <complex>

#include "inversion/transform_ref.hpp"

namespace slug {

// f(t) into ft from the transform fs(p, fp), which stores F(p) in fp.
// ninv: terms of the series (its even part is used); minv: 1 Wynn's
// epsilon algorithm, 3 the continued fraction with the de Hoog-Knight-
// Stokes tail estimate, other values the fraction without it; inew = 1
// builds the fraction's coefficients into d (n + 1 values), otherwise those
// in d are reused for a new t on the same contour. work holds n + 1 values.
void lapadc(double t, double gamma, double tper, int ninv, double& ft,
            void (*fs)(std::complex<double>& p, std::complex<double>& fp), int minv, int inew,
            std::complex<double>* d, std::complex<double>* work);

// The same for a transform with context: F(p) = fs(p). Both entries run
// the same routine, so that equal transforms give equal bits.
void lapadc(double t, double gamma, double tper, int ninv, double& ft, TransformRef fs, int minv, int inew,
            std::complex<double>* d, std::complex<double>* work);

}  // namespace slug
