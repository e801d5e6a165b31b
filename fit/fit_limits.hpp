// Limits that keep every forward run of a fit within the model's reach.
#pragma once

#include "fit/fit_model.hpp"

namespace slug {

// The smallest anisotropy ratio KZ/KR for which the model's eigenvalue
// series stays within the term count that the input check admits, for the
// well radius and aquifer thickness of the input: XKD2 = (KZ/KR)*(RW/BB)^2
// at its least admitted value, divided by (RW/BB)^2. A fit keeps KZ/KR at
// or above it; a ratio below would make one forward run last hours.
double min_kz_over_kr(const BaseInput& base);

}  // namespace slug
