// Two different models evaluated on several threads at once: every thread
// alternates between them and inverts each at many times; every value and
// every log event must be those of a serial run, bit for bit. The models
// are values read by all threads, each thread with its own work arrays and
// logs, so nothing may be shared that one evaluation could change under
// another (run under ThreadSanitizer: see docs/architecture.md).
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <complex>
#include <cstdint>
#include <thread>
#include <vector>

#include "inversion/lapadc.hpp"
#include "model/laplace_head.hpp"
#include "model/well_model.hpp"

namespace {

using cplx = std::complex<double>;

// A confined aquifer with a 2 m screen in the middle of 20 m, KZ/KR = 0.1
// (examples/partial.txt): the top without flow, roots (n-1) pi.
slug::WellInput partial() {
    slug::WellInput w;
    w.bb = 20.0, w.kr = 1.0e-4, w.kz = 1.0e-5, w.hks = 0.0, w.ss = 2.0e-5, w.sy = 0.0;
    w.u1 = 1.0, w.u2 = 1.0, w.u3 = 1.0, w.u4 = 1.0;
    w.ho = 0.5, w.rw = 0.05, w.rc = 0.05, w.zpd = 9.0, w.zpl = 11.0, w.ds = 0.0;
    return w;
}

// A water table with skin and a bounded unsaturated zone whose Bessel
// orders are near 3000 (UA1 = 60, UA2 = 60.02): the root iteration on a
// complex coefficient, and package evaluations that report conditions at
// late times, so that the logs have events.
slug::WellInput zone_with_events() {
    slug::WellInput w;
    w.bb = 10.0, w.kr = 1.0e-4, w.kz = 1.0e-5, w.hks = 5.0e-5, w.ss = 1.0e-5, w.sy = 0.2;
    w.u1 = 6.0, w.u2 = 6.002, w.u3 = 3.0, w.u4 = 100.0;
    w.ho = 0.5, w.rw = 0.05, w.rc = 0.04, w.zpd = 4.0, w.zpl = 6.0, w.ds = 0.02;
    return w;
}

struct Outcome {
    std::uint64_t bits = 0;  // the inverted value's bits
    std::vector<slug::ModelEvent> events;
};

bool same(const Outcome& a, const Outcome& b) {
    if (a.bits != b.bits || a.events.size() != b.events.size()) return false;
    for (std::size_t i = 0; i < a.events.size(); ++i) {
        const slug::ModelEvent& x = a.events[i];
        const slug::ModelEvent& y = b.events[i];
        if (x.kind != y.kind || x.k != y.k || x.ierr != y.ierr || x.nz != y.nz || x.pp != y.pp) return false;
    }
    return true;
}

// One inversion at dimensionless time t with the run's contour.
Outcome invert(const slug::WellModel& m, double t) {
    Outcome o;
    slug::ModelLog log;
    const auto head = [&m, &log](const cplx& p) { return slug::laplace_head(m, p, &log); };
    std::array<cplx, 104> d{}, work{};
    const double gamma = -std::log(m.numerics.TOLINV) / (2.0 * t);
    double ft = 0.0;
    slug::lapadc(t, gamma, t, m.numerics.NINV, ft, slug::TransformRef(head), m.numerics.MINV, 1, d.data(),
                 work.data());
    o.bits = std::bit_cast<std::uint64_t>(ft);
    o.events = std::move(log.events);
    return o;
}

TEST(ModelsOnThreads, EveryValueAndEventIsThatOfTheSerialRun) {
    const std::array<slug::WellModel, 2> models = {slug::make_well_model(partial()),
                                                   slug::make_well_model(zone_with_events())};
    // 40 times over five decades of t/TC, from early (many terms matter)
    // to late (small p: the zone's large-order evaluations).
    std::vector<double> times;
    for (int i = 0; i < 40; ++i) times.push_back(0.05 * std::pow(10.0, 5.0 * i / 39.0));
    const std::size_t n = times.size();

    // The serial run: model 0 at every time, then model 1.
    std::array<std::vector<Outcome>, 2> serial;
    std::size_t with_events = 0;
    for (std::size_t k = 0; k < 2; ++k)
        for (double t : times) {
            serial[k].push_back(invert(models[k], t));
            with_events += !serial[k].back().events.empty();
        }
    ASSERT_GT(with_events, 3u) << "the zone's model must log events at several times";

    // Four threads, each alternating between the models at every step and
    // starting at a different time, so that both models are in flight on
    // several threads at once.
    constexpr int kThreads = 4;
    std::array<std::vector<Outcome>, kThreads> got;
    {
        std::vector<std::jthread> pool;
        for (int th = 0; th < kThreads; ++th)
            pool.emplace_back([&, th] {
                std::vector<Outcome>& out = got[static_cast<std::size_t>(th)];
                out.resize(2 * n);
                for (std::size_t step = 0; step < 2 * n; ++step) {
                    const std::size_t k = (step + static_cast<std::size_t>(th)) % 2;
                    const std::size_t i = (step / 2 + static_cast<std::size_t>(th) * 7) % n;
                    out[k * n + i] = invert(models[k], times[i]);
                }
            });
    }
    for (int th = 0; th < kThreads; ++th)
        for (std::size_t k = 0; k < 2; ++k)
            for (std::size_t i = 0; i < n; ++i)
                EXPECT_TRUE(same(got[static_cast<std::size_t>(th)][k * n + i], serial[k][i]))
                    << "thread " << th << ", model " << k << ", time " << times[i];
}

}  // namespace
