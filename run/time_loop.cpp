// Second half of the run driver: for every output time of the input file
// the Laplace-domain well response is inverted numerically (de Hoog,
// Knight and Stokes, SIAM J. Sci. Stat. Comput. 3 (1982) 357-366) at the
// dimensionless time t = time/TC, on the contour Re p = gamma with
// gamma = -ln(TOLINV)/(2T) and the half-period T = t, so that the damping
// factor e^(gamma t) equals 1/TOLINV. The results are then written as a
// table to the console and to outfile.txt, and the run ends.
#include "run/time_loop.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <complex>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "compat/params.hpp"
#include "report/run_outputs.hpp"
#include "run/results_table.hpp"
#include "run/time_loop_detail.hpp"
#include "fio/capture.hpp"
#include "fio/fio.hpp"
#include "fio/fixed_format.hpp"
#include "inversion/lapadc.hpp"
#include "compat/fun.hpp"

namespace slug {

namespace timeloop_detail {

namespace {

// The driver's two work arrays, lent to every inversion call.
constexpr int kWorkSize = 104;
std::complex<double> g_coeff[kWorkSize];
std::complex<double> g_work[kWorkSize];

constexpr std::string_view kRowFormat = "(5X,F16.5,6X,F12.7,9X,F10.7)";

std::string blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

void write_foot() {
    write_record(kConsole, "");
    write_record(kConsole, blanks(8) + "--------------      -------------" + blanks(6) + "-------------");
    write_record(kConsole, blanks(15) + "TIME" + blanks(10) + "H/Ho Ratio" + blanks(8) + "Slug Drawdown");
}

}  // namespace

double clamp_inverted(double ft) { return ft < kSmallValue ? 0.0 : ft; }

int time_count() {
    const int n = par4.NTIME;
    if (n <= 0) return 0;
    return n > kMaxTimes ? kMaxTimes : n;
}

int worker_count() {
    if (const char* env = std::getenv("SLUGWELL_THREADS"); env != nullptr && *env != '\0') {
        char* end = nullptr;
        const long v = std::strtol(env, &end, 10);
        if (*end == '\0' && v >= 1) return static_cast<int>(std::min(v, 256L));
    }
    const unsigned hw = std::thread::hardware_concurrency();
    return hw == 0 ? 1 : static_cast<int>(std::min(hw, 256U));
}

namespace {

// Inverted value at evaluation index i (0: the last time of the file).
double invert_at(int i, int n, std::complex<double>* coeff, std::complex<double>* work) {
    const double t = par12.TIMES[static_cast<std::size_t>(n - 1 - i)] / par14.TC;
    const double tper = t;
    const double gamma = -std::log(par7.TOLINV) / (2.0 * tper);
    double ft = 0.0;
    lapadc(t, gamma, tper, par2.NINV, ft, fun, par2.MINV, 1, coeff, work);
    return ft;
}

void store(Results& r, int i, double ft) {
    // The clamp removes heads below the inversion's resolution. For a
    // negative slug (the water level lowered, HO < 0) the whole response
    // is negative and is clamped by its magnitude, so a withdrawal test
    // gives the mirror image of an injection test instead of zeros.
    ft = par5.HOB < 0.0 ? -clamp_inverted(-ft) : clamp_inverted(ft);
    const auto k = static_cast<std::size_t>(i);
    r.time[k] = par14.TC * (par12.TIMES[static_cast<std::size_t>(r.count - 1 - i)] / par14.TC);
    r.ratio[k] = ft / par5.HOB;
    r.drawdown[k] = (par5.HO / par5.HOB) * ft;
}

// What a worker leaves for one output time.
struct Slot {
    double ft = 0.0;
    WriteCapture writes;       // its writes (log records), in their order
    std::exception_ptr error;  // RootFailure or anything else thrown
};

// The times are independent: workers take the next index in turn, each
// with its own inversion work arrays, and keep the writes and a failure
// of each time in its slot. The main thread then writes the slots in the
// serial order and stops at the first failure, so that the files are those
// of the serial run. A worker skips indices after a known failure, whose
// results would not be used.
void compute_parallel(Results& r, int threads) {
    const int n = r.count;
    std::vector<Slot> slots(static_cast<std::size_t>(n));
    std::atomic<int> next{0};
    std::atomic<int> first_failure{n};
    auto worker = [&] {
        std::vector<std::complex<double>> coeff(kWorkSize), work(kWorkSize);
        const fun_detail::DeferRootFailure defer;
        for (;;) {
            const int i = next.fetch_add(1);
            if (i >= n || i > first_failure.load()) return;
            Slot& slot = slots[static_cast<std::size_t>(i)];
            const ScopedWriteCapture capture(&slot.writes);
            try {
                slot.ft = invert_at(i, n, coeff.data(), work.data());
            } catch (...) {
                slot.error = std::current_exception();
                int f = first_failure.load();
                while (i < f && !first_failure.compare_exchange_weak(f, i)) {
                }
            }
        }
    };
    {
        std::vector<std::jthread> pool;
        pool.reserve(static_cast<std::size_t>(threads - 1));
        for (int k = 1; k < threads; ++k) pool.emplace_back(worker);
        worker();
    }
    for (int i = 0; i < n; ++i) {
        Slot& slot = slots[static_cast<std::size_t>(i)];
        replay_writes(slot.writes);
        if (slot.error) {
            try {
                std::rethrow_exception(slot.error);
            } catch (const fun_detail::RootFailure&) {
                fun_detail::report_root_failure();
            }
        }
        store(r, i, slot.ft);
    }
}

}  // namespace

void compute_results(Results& r) { compute_results(r, worker_count()); }

void compute_results(Results& r, int threads) {
    const int n = time_count();
    r.count = n;
    if (threads > n) threads = n;
    if (threads > 1) {
        compute_parallel(r, threads);
        return;
    }
    for (int i = 0; i < n; ++i) store(r, i, invert_at(i, n, g_coeff, g_work));
}

void write_report(const Results& r) {
    write_results_head(kConsole);
    for (int i = r.count - 1; i >= 0; --i) {
        const auto k = static_cast<std::size_t>(i);
        const std::string row = format_table_row(r.time[k], r.ratio[k], r.drawdown[k]);
        write_record(kConsole, row, kRowFormat);
        write_record(iounit.IOUT, row, kRowFormat);
    }
    write_foot();
    write_list(kConsole, std::vector<ListItem>{});
    write_list(kConsole, {"            Input file is ", std::string_view(par15.INFILE, kInfileLen)});
    write_list(kConsole, {"            The output file is outfile.txt"});
}

}  // namespace timeloop_detail

void timeloop() {
    static timeloop_detail::Results results;
    timeloop_detail::compute_results(results);
    timeloop_detail::write_report(results);
    close_unit(iounit.IOUT);
    // The CSV file and the picture asked for on the command line; status 1
    // when one could not be written.
    int status = write_requested_outputs(run_options, results);
    // Parameters at the edge of the double range, or a time far outside
    // the time scale TC, can leave the inversion without a finite value.
    // The table shows those rows as they came out, but the run has not
    // succeeded: say which times, and end with status 1.
    int bad = 0;
    int first = -1;
    for (int i = results.count - 1; i >= 0; --i) {  // in the order of the time list
        const auto k = static_cast<std::size_t>(i);
        if (std::isfinite(results.ratio[k]) && std::isfinite(results.drawdown[k])) continue;
        if (first < 0) first = results.count - 1 - i;
        ++bad;
    }
    if (bad > 0) {
        std::fflush(stdout);
        std::fprintf(stderr,
                     "slugwell: the computation gave no finite head at %d of the %d times (the first at time %s); "
                     "their rows are not usable\n",
                     bad, results.count, format_real_g9(par12.TIMES[static_cast<std::size_t>(first)]).c_str());
        std::fflush(stderr);
        status = 1;
    }
    stop_run(status);
}

}  // namespace slug
