// The logarithmic grid of output times that --times puts in place of the
// input file's list.
#include "run/time_grid.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

namespace slug {

std::vector<double> log_time_grid(double tend, int ncycle, int npercyc) {
    std::vector<double> t;
    if (!(std::isfinite(tend) && tend > 0.0) || ncycle < 1 || npercyc < 1 ||
        ncycle > (kMaxOutputTimes - 1) / npercyc)
        return t;
    const int n = ncycle * npercyc + 1;
    t.resize(n);
    // Time j steps below TEND is TEND / 10^(j/npercyc); with j = q*npercyc
    // + m this is (TEND / 10^q) / 10^(m/npercyc). The whole decades divide
    // by 10^q alone (exact for q <= 22), so the decade times are the
    // correctly rounded TEND/10^q.
    for (int j = 0; j < n; ++j) {
        const int q = j / npercyc, m = j % npercyc;
        double v = tend / std::pow(10.0, q);
        if (m != 0) v /= std::pow(10.0, static_cast<double>(m) / npercyc);
        t[n - 1 - j] = v;
    }
    return t;
}

void apply_time_grid(const RunOptions& options, InputValues& values) {
    if (!options.has_times) return;
    std::vector<double> grid = log_time_grid(options.times.tend, options.times.ncycle, options.times.npercyc);
    grid.resize(std::min<std::size_t>(grid.size(), kMaxOutputTimes));
    values.ntime = static_cast<int>(grid.size());
    values.times = std::move(grid);
}

}  // namespace slug
