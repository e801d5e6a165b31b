// Laplace transform of the normalized head in a slug-test well.
#pragma once

#include <complex>

namespace slug {

// F(p) for one value p of the transform variable (dimensionless time
// t/TC). Reads the parameter blocks; keeps no state between calls.
void fun(std::complex<double>& p, std::complex<double>& fp);

}  // namespace slug
