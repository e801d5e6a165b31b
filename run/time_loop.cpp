// The time loop: for every output time the Laplace-domain well response
// (model/laplace_head) is inverted numerically (de Hoog, Knight and
// Stokes, SIAM J. Sci. Stat. Comput. 3 (1982) 357-366) at the
// dimensionless time t = time/TC, on the contour Re p = gamma with
// gamma = -ln(TOLINV)/(2T) and the half-period T = t, so that the damping
// factor e^(gamma t) equals 1/TOLINV.
//
// The times are independent, and the model is a value read by every
// thread: workers take the next time in turn, each with its own inversion
// work arrays and its own log of the model's events. The calling thread
// then writes the logs in the serial order and stops at the first failure,
// so that the files are those of the serial run.
#include "run/time_loop.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include <unistd.h>

#include "fio/fio.hpp"
#include "inversion/lapadc.hpp"
#include "model/laplace_head.hpp"
#include "report/model_log.hpp"
#include "run/worker_pool.hpp"

namespace slug::time_loop {

namespace {

// The work arrays of one inversion (coefficients and the QD diagonal).
constexpr int kWorkSize = 104;
using WorkArray = std::array<std::complex<double>, kWorkSize>;

}  // namespace

double clamp_inverted(double ft) { return ft < kSmallValue ? 0.0 : ft; }

int time_count(int ntime) {
    if (ntime <= 0) return 0;
    return ntime > kMaxOutputTimes ? kMaxOutputTimes : ntime;
}

int worker_count() {
    const unsigned hw = std::thread::hardware_concurrency();
    const int fallback = hw == 0 ? 1 : static_cast<int>(std::min(hw, 256U));
    const char* env = std::getenv("SLUGWELL_THREADS");
    if (env == nullptr || *env == '\0') return fallback;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(env, &end, 10);
    if (*end == '\0' && errno == 0 && v >= 1 && v <= 256) return static_cast<int>(v);
    // Said once per process (a fit runs the loop many times).
    static std::atomic<bool> warned{false};
    if (!warned.exchange(true)) {
        std::fflush(stdout);
        std::fprintf(stderr,
                     "slugwell: SLUGWELL_THREADS=%s is not a whole number from 1 to 256; using %d threads\n", env,
                     fallback);
        std::fflush(stderr);
    }
    return fallback;
}

namespace {

// Inverted value at evaluation index i (0: the last time of the list).
double invert_at(const WellModel& m, std::span<const double> times, int i, int n, ModelLog& log,
                 WorkArray& coeff, WorkArray& work) {
    const double t = times[static_cast<std::size_t>(n - 1 - i)] / m.TC;
    const double tper = t;
    const double gamma = -std::log(m.numerics.TOLINV) / (2.0 * tper);
    const auto head = [&m, &log](const std::complex<double>& p) { return laplace_head(m, p, &log); };
    double ft = 0.0;
    lapadc(t, gamma, tper, m.numerics.NINV, ft, TransformRef(head), m.numerics.MINV, 1, coeff.data(),
           work.data());
    return ft;
}

void store(const WellModel& m, std::span<const double> times, Results& r, int i, double ft) {
    // The clamp removes heads below the inversion's resolution. For a
    // negative slug (the water level lowered, HO < 0) the whole response
    // is negative and is clamped by its magnitude, so a withdrawal test
    // gives the mirror image of an injection test instead of zeros.
    ft = m.HOB < 0.0 ? -clamp_inverted(-ft) : clamp_inverted(ft);
    const auto k = static_cast<std::size_t>(i);
    r.time[k] = m.TC * (times[static_cast<std::size_t>(r.count - 1 - i)] / m.TC);
    r.ratio[k] = ft / m.HOB;
    r.drawdown[k] = (m.HO / m.HOB) * ft;
}

// The progress line of a long run: after 2 s (SLUGWELL_PROGRESS_AFTER
// seconds, when set), and only when the error stream is a terminal (a log
// file or a pipe gets nothing), "times done of total" is rewritten in place
// after each time; the line is cleared at the end.
class Progress {
public:
    Progress(bool wanted, int total) : wanted_(wanted && ::isatty(2) != 0), total_(total) {
        if (const char* env = std::getenv("SLUGWELL_PROGRESS_AFTER"); wanted_ && env != nullptr && *env != '\0') {
            char* end = nullptr;
            const double v = std::strtod(env, &end);
            if (*end == '\0' && v >= 0.0 && v < 1e6) after_ = std::chrono::duration<double>(v);
        }
    }
    ~Progress() {
        if (!shown_) return;
        std::fprintf(stderr, "\r%60s\r", "");
        std::fflush(stderr);
    }
    // Called by the calling thread only.
    void update(int done) {
        if (!wanted_) return;
        if (std::chrono::steady_clock::now() - start_ < after_) return;
        shown_ = true;
        std::fprintf(stderr, "\rslugwell: %d of %d times done", done, total_);
        std::fflush(stderr);
    }

private:
    bool wanted_;
    int total_;
    bool shown_ = false;
    std::chrono::duration<double> after_{2.0};
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// What a worker leaves for one output time.
struct Slot {
    double ft = 0.0;
    ModelLog log;              // the model's events, in their order
    std::exception_ptr error;  // RootIterationFailure or anything else thrown
};

void compute_parallel(const WellModel& m, std::span<const double> times, Results& r, int threads,
                      Progress& progress) {
    const int n = r.count;
    std::vector<Slot> slots(static_cast<std::size_t>(n));
    std::atomic<int> next{0};
    std::atomic<int> first_failure{n};
    std::atomic<int> done{0};
    // A worker skips indices after a known failure, whose results would
    // not be used.
    auto worker = [&](bool calling_thread) {
        WorkArray coeff, work;
        for (;;) {
            const int i = next.fetch_add(1);
            if (i >= n || i > first_failure.load()) return;
            Slot& slot = slots[static_cast<std::size_t>(i)];
            try {
                slot.ft = invert_at(m, times, i, n, slot.log, coeff, work);
            } catch (...) {
                slot.error = std::current_exception();
                int f = first_failure.load();
                while (i < f && !first_failure.compare_exchange_weak(f, i)) {
                }
            }
            const int d = done.fetch_add(1) + 1;
            if (calling_thread) progress.update(d);
        }
    };
    run_on_threads(threads, worker);
    for (int i = 0; i < n; ++i) {
        const Slot& slot = slots[static_cast<std::size_t>(i)];
        write_model_log(slot.log);
        if (slot.error) std::rethrow_exception(slot.error);
        store(m, times, r, i, slot.ft);
    }
}

}  // namespace

void compute_results(const WellModel& m, std::span<const double> times, Results& r) {
    compute_results(m, times, r, worker_count());
}

namespace {

void compute(const WellModel& m, std::span<const double> times, Results& r, int threads, bool show_progress) {
    const int n = time_count(static_cast<int>(std::min<std::size_t>(times.size(), kMaxOutputTimes)));
    r.count = n;
    Progress progress(show_progress, n);
    if (threads > n) threads = n;
    if (threads > 1) {
        compute_parallel(m, times, r, threads, progress);
        return;
    }
    WorkArray coeff, work;
    for (int i = 0; i < n; ++i) {
        ModelLog log;
        double ft = 0.0;
        try {
            ft = invert_at(m, times, i, n, log, coeff, work);
        } catch (...) {
            write_model_log(log);
            throw;
        }
        write_model_log(log);
        store(m, times, r, i, ft);
        progress.update(i + 1);
    }
}

}  // namespace

void compute_results(const WellModel& m, std::span<const double> times, Results& r, int threads) {
    compute(m, times, r, threads, false);
}

void compute_or_stop(const WellModel& m, std::span<const double> times, Results& r, int threads) {
    try {
        compute(m, times, r, threads, true);
    } catch (const RootIterationFailure&) {
        write_root_failure_message(kResultsUnit);
        stop_run(1);
    }
}

}  // namespace slug::time_loop
