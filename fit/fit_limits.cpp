#include "fit/fit_limits.hpp"

#include "run/input_check.hpp"

namespace slug {

double min_kz_over_kr(const BaseInput& base) {
    const WellModel m = make_well_model(base.well);
    const double a = m.RW / m.BB;
    // A relative margin of 1e-9 keeps the rounded term count at the limit
    // or below, whatever the last bit of the power in min_series_xkd2.
    return min_series_xkd2(base.numerics) / (a * a) * (1.0 + 1.0e-9);
}

}  // namespace slug
