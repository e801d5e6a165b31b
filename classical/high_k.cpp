// High-K analysis of an oscillatory slug test: the damped oscillator of the
// water column fitted to the record (Springer and Gelhar 1991; Butler 1998,
// ch. 9; Butler and Garnett 2000; friction: Butler 2002). See high_k.hpp.
#include "classical/high_k.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "classical/hvorslev.hpp"
#include "classical/notes.hpp"

namespace slug {

namespace {

// Where the oscillator's two regimes meet: below this distance of C_D from
// 2 the critical form (1 + td) e^-td is used, whose neighbours differ from
// it by O(|C_D - 2| td^2), far below any record's scatter.
constexpr double kCritical = 1.0e-7;

double ssr_of(std::span<const double> t, std::span<const double> y, double cd, double le, double g,
              std::vector<double>& r) {
    const double s = std::sqrt(g / le);
    double sum = 0.0;
    r.resize(t.size());
    for (std::size_t i = 0; i < t.size(); ++i) {
        r[i] = oscillator_head(cd, t[i] * s) - y[i];
        sum += r[i] * r[i];
    }
    return sum;
}

}  // namespace

FirstMinimum first_minimum(std::span<const double> time, std::span<const double> ratio, double min_overshoot) {
    FirstMinimum m;
    const std::size_t n = std::min(time.size(), ratio.size());
    std::size_t i = 0;
    while (i < n && !(ratio[i] < 0.0)) ++i;
    std::size_t k = n;
    for (; i < n && ratio[i] < 0.0; ++i)
        if (k == n || ratio[i] < ratio[k]) k = i;
    if (k == n || !(ratio[k] < -min_overshoot)) return m;
    if (n >= 5) {
        std::vector<double> d2;
        for (std::size_t j = 1; j + 1 < n; ++j) d2.push_back(std::fabs(ratio[j + 1] - 2.0 * ratio[j] + ratio[j - 1]));
        std::nth_element(d2.begin(), d2.begin() + static_cast<std::ptrdiff_t>(d2.size() / 2), d2.end());
        m.scatter = d2[d2.size() / 2] / (0.6745 * std::sqrt(6.0));
        if (!(-ratio[k] > 5.0 * m.scatter)) return m;
    }
    double t1 = time[k], w1 = ratio[k];
    if (k > 0 && k + 1 < n) {
        // The parabola through the lowest reading and its neighbours
        // (Newton's divided differences).
        const double ta = time[k - 1], tb = time[k], tc = time[k + 1];
        const double d1 = (ratio[k] - ratio[k - 1]) / (tb - ta), d2 = (ratio[k + 1] - ratio[k]) / (tc - tb);
        const double c2 = (d2 - d1) / (tc - ta);
        if (c2 > 0.0) {
            const double tv = 0.5 * (ta + tb) - d1 / (2.0 * c2);
            if (tv > ta && tv < tc) {
                t1 = tv;
                w1 = std::min(ratio[k], ratio[k - 1] + d1 * (tv - ta) + c2 * (tv - ta) * (tv - tb));
            }
        }
    }
    if (!(t1 > 0.0)) return m;
    m.found = true;
    m.time = t1;
    m.ratio = w1;
    m.omega_d = std::acos(-1.0) / t1;
    m.gamma = -w1 < 1.0 ? -std::log(-w1) / t1 : 0.0;
    return m;
}

double oscillator_head(double cd, double td) {
    const double a = 0.5 * cd;
    if (std::fabs(cd - 2.0) < kCritical) return (1.0 + td) * std::exp(-td);
    if (a < 1.0) {
        const double wd = std::sqrt((1.0 - a) * (1.0 + a));
        return std::exp(-a * td) * (std::cos(wd * td) + a / wd * std::sin(wd * td));
    }
    // Overdamped: roots r1,2 = -a +- s of r^2 + cd r + 1 = 0.
    const double s = std::sqrt((a - 1.0) * (a + 1.0));
    const double r2 = -(a + s), r1 = 1.0 / r2;  // r1 r2 = 1: r1 = -a + s without cancellation
    return (r1 * std::exp(r2 * td) - r2 * std::exp(r1 * td)) / (r1 - r2);
}

HighKResult high_k(std::span<const double> time, std::span<const double> ratio, const WellGeometry& g,
                   double gravity, double nu) {
    HighKResult r;
    const std::size_t n = std::min(time.size(), ratio.size());
    for (std::size_t i = 1; i < n; ++i) r.crossings += (ratio[i - 1] > 0.0) != (ratio[i] > 0.0);
    const FirstMinimum m = first_minimum(time.first(n), ratio.first(n));
    if (!m.found) {
        r.error = "the record does not oscillate (no head below -0.01 Ho clear of its scatter): the high-K model is for "
                  "underdamped (oscillatory) responses";
        return r;
    }
    if (!(gravity > 0.0) || !std::isfinite(gravity)) {
        r.error = "the record oscillates, but g in the input's units is not known: give --units L,T or --gravity G";
        return r;
    }
    if (const std::string bad = check_geometry(g); !bad.empty()) {
        r.error = bad;
        return r;
    }
    // Start: the first minimum's frequency and decay.
    const double w0 = std::sqrt(m.omega0_squared());
    double x[2] = {std::log(std::max(2.0 * m.gamma / w0, 1.0e-3)), std::log(gravity / (w0 * w0))};
    std::vector<double> res, rp, rm;
    const auto t = time.first(n), y = ratio.first(n);
    double ssr = ssr_of(t, y, std::exp(x[0]), std::exp(x[1]), gravity, res);
    double lambda = 1.0e-3;
    bool converged = false;
    // Levenberg-Marquardt on the two log parameters (Marquardt's scaling
    // by the diagonal of J^T J), central differences for J.
    for (int it = 0; it < 200 && !converged; ++it) {
        const double h = 1.0e-6;
        std::vector<double> J[2];
        for (int j = 0; j < 2; ++j) {
            double xp[2] = {x[0], x[1]}, xm[2] = {x[0], x[1]};
            xp[j] += h;
            xm[j] -= h;
            ssr_of(t, y, std::exp(xp[0]), std::exp(xp[1]), gravity, rp);
            ssr_of(t, y, std::exp(xm[0]), std::exp(xm[1]), gravity, rm);
            J[j].resize(n);
            for (std::size_t i = 0; i < n; ++i) J[j][i] = (rp[i] - rm[i]) / (2.0 * h);
        }
        double A[2][2] = {{0, 0}, {0, 0}}, b[2] = {0, 0};
        for (std::size_t i = 0; i < n; ++i)
            for (int j = 0; j < 2; ++j) {
                b[j] -= J[j][i] * res[i];
                for (int k = 0; k < 2; ++k) A[j][k] += J[j][i] * J[k][i];
            }
        bool stepped = false;
        for (int tries = 0; tries < 40 && !stepped; ++tries) {
            const double a00 = A[0][0] * (1.0 + lambda), a11 = A[1][1] * (1.0 + lambda);
            const double det = a00 * a11 - A[0][1] * A[1][0];
            if (!(std::fabs(det) > 0.0)) {
                lambda *= 10.0;
                continue;
            }
            const double d0 = (b[0] * a11 - A[0][1] * b[1]) / det, d1 = (a00 * b[1] - A[1][0] * b[0]) / det;
            const double xn[2] = {x[0] + d0, x[1] + d1};
            std::vector<double> rn;
            const double sn = ssr_of(t, y, std::exp(xn[0]), std::exp(xn[1]), gravity, rn);
            if (std::isfinite(sn) && sn <= ssr) {
                converged = std::fabs(d0) < 1.0e-9 && std::fabs(d1) < 1.0e-9;
                x[0] = xn[0];
                x[1] = xn[1];
                ssr = sn;
                res = rn;
                lambda = std::max(lambda / 3.0, 1.0e-12);
                stepped = true;
            } else {
                lambda *= 4.0;
            }
        }
        // No step lowers the misfit: the minimum to rounding.
        if (!stepped) converged = true;
    }
    if (!converged) {
        r.error = "the fit of C_D and Le did not settle in 200 iterations";
        return r;
    }
    r.cd = std::exp(x[0]);
    r.le = std::exp(x[1]);
    r.rmse = std::sqrt(ssr / static_cast<double>(n));
    // Laminar friction over Lf = Le (Hagen-Poiseuille), in the units of C_D.
    r.cd_friction = nu > 0.0 ? 8.0 * nu * r.le / (g.rc * g.rc * std::sqrt(gravity * r.le)) : 0.0;
    const double cd_aquifer = r.cd - r.cd_friction;
    if (!(cd_aquifer > 0.0)) {
        r.error = "the casing friction alone (C_D = " + note_number(r.cd_friction) + ") accounts for the fitted damping C_D = " +
                  note_number(r.cd);
        return r;
    }
    const double m_aniso = std::sqrt(1.0 / g.kz_over_kr);
    r.k = hvorslev_k(g.rc, g.screen_length(), g.outer_radius(), m_aniso, cd_aquifer / std::sqrt(gravity / r.le));
    if (!(r.k > 0.0) || !std::isfinite(r.k)) {
        r.error = "no finite K from C_D = " + note_number(r.cd) + " and Le = " + note_number(r.le);
        return r;
    }
    r.ok = true;
    r.notes.push_back({NoteKind::oscillation,
                       "C_D = " + note_number(r.cd) + " and Le = " + note_number(r.le) + " fitted to all " + std::to_string(n) +
                           " readings (RMSE " + note_number(r.rmse, 3) + " in H/Ho; " + std::to_string(r.crossings) +
                           " zero crossings); K from Hvorslev's shape factor, the aquifer quasi-steady (no storage)"});
    if (r.cd_friction > 0.0)
        r.notes.push_back({NoteKind::oscillation, "casing friction over Lf = Le (C_D " + note_number(r.cd_friction) +
                                                      ") taken off the damping (Butler 2002)"});
    return r;
}

}  // namespace slug
