// Numerical inversion of a Laplace transform at one time by the
// continued-fraction method of de Hoog, Knight and Stokes.
#pragma once

#include <complex>

namespace slug {

void lapadc(double t, double gamma, double tper, int ninv, double& ft,
            void (*fs)(std::complex<double>& p, std::complex<double>& fp), int minv, int inew,
            std::complex<double>* d, std::complex<double>* work);

}  // namespace slug
