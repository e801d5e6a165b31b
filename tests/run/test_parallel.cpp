// The time loop on several threads against the same loop on one: the
// console, outfile.txt and log.txt must be the same bytes, the log records
// in the order of the serial run, and a failure of the root iteration must
// be the one the serial run meets first, with nothing written after it.
// Each run is made in a child process (the failure ends the process) with
// its own working directory.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "compat/params.hpp"
#include "run/time_loop_detail.hpp"
#include "fio/capture.hpp"
#include "fio/fio.hpp"
#include "compat/fun.hpp"

namespace {

namespace fs = std::filesystem;

struct Case {
    const char* name;
    double ua1, ua2, ul1, ul2;
    double eps;  // tolerance of the root iteration
    int ntime;
};

// A water table with a partial screen, skin and an unsaturated zone; the
// times are spread over five decades from 0.1 TC.
void set_blocks(const Case& c) {
    slug::reset_blocks();
    slug::par2.NTERM = 30;
    slug::par2.NINV = 6;
    slug::par2.MINV = 3;
    slug::par7.TOLINV = 1.0e-4;
    slug::par7.EPS = c.eps;
    slug::par5.XKD = slug::par13.XKD2 = 1e-3;
    slug::par6.CCD = 2e-4;
    slug::par5.RW = 0.05;
    slug::par5.RC = 0.04;
    slug::par5.SY = 0.2;
    slug::par5.SL = 2.0;
    slug::par5.BB = 10.0;
    slug::par11.XLD = 0.6;
    slug::par11.XDD = 0.4;
    slug::par6.SW = 1.0;
    slug::par5.HO = 0.5;
    slug::par5.HOB = 0.05;
    slug::par13.UA1 = c.ua1;
    slug::par13.UA2 = c.ua2;
    slug::par13.UL1 = c.ul1;
    slug::par13.UL2 = c.ul2;
    slug::par14.TC = 2.0;
    slug::par4.NTIME = c.ntime;
    for (int i = 0; i < c.ntime; ++i)
        slug::par12.TIMES[static_cast<std::size_t>(i)] = 0.2 * std::pow(10.0, 5.0 * i / (c.ntime - 1));
    slug::iounit.IOUT = slug::kResultsUnit;
}

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct RunOutput {
    int status = -1;
    std::string console, outfile, log, errors;
};

// One run of the loop and the report on `threads` threads in a child.
RunOutput run(const Case& c, int threads) {
    const fs::path dir = fs::temp_directory_path() /
                         ("slug_parallel_" + std::to_string(::getpid()) + "_" + c.name + "_" + std::to_string(threads));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(dir.c_str()) != 0) ::_exit(90);
        if (!std::freopen("console.txt", "w", stdout)) ::_exit(91);
        if (!std::freopen("errors.txt", "w", stderr)) ::_exit(92);
        set_blocks(c);
        slug::open_log(slug::kLogUnit, "log.txt");
        slug::open_results(slug::kResultsUnit, "outfile.txt");
        slug::write_record(slug::kResultsUnit, " setting line");
        static slug::timeloop_detail::Results r;
        slug::timeloop_detail::compute_results(r, threads);
        slug::timeloop_detail::write_report(r);
        slug::stop_run(0);
    }
    RunOutput out;
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) out.status = WEXITSTATUS(status);
    out.console = slurp(dir / "console.txt");
    out.outfile = slurp(dir / "outfile.txt");
    out.log = slurp(dir / "log.txt");
    out.errors = slurp(dir / "errors.txt");
    fs::remove_all(dir);
    return out;
}

const std::string kFailure = " PROGRAM STOPPED BECAUSE NEWTON-RAPHSON ITERATIONS EXCEED 100\n";

class ParallelLoop : public ::testing::TestWithParam<Case> {};

TEST_P(ParallelLoop, SameBytesAsTheSerialRun) {
    const Case& c = GetParam();
    const RunOutput serial = run(c, 1);
    // More threads than this machine has cores still interleave the times.
    for (int threads : {2, 5}) {
        const RunOutput par = run(c, threads);
        EXPECT_EQ(par.status, serial.status) << threads;
        EXPECT_EQ(par.console, serial.console) << threads;
        EXPECT_EQ(par.outfile, serial.outfile) << threads;
        EXPECT_EQ(par.log, serial.log) << threads;
        EXPECT_EQ(par.errors, serial.errors) << threads;
    }
    const bool failed = serial.outfile.find(kFailure) != std::string::npos;
    if (c.eps < 0.0) {
        // No root meets a negative tolerance: the first time fails, the
        // table is never written.
        EXPECT_EQ(serial.status, 1);
        EXPECT_EQ(serial.outfile, " setting line\n" + kFailure);
        EXPECT_EQ(serial.console, "");
    } else if (!failed) {
        EXPECT_EQ(serial.status, 0);
        EXPECT_NE(serial.console.find("Slug Drawdown"), std::string::npos);
    }
}

// Orders a/|a1 - a2| of 3000 in the zone: the late times (small p) give
// log records, the early ones none, so the records of several times must
// interleave in the serial order. A negative tolerance makes every root
// iteration fail, each after the log records of its unsaturated zone. A
// tolerance of about one ulp (2e-16) is met by most roots but not by all:
// a failure at some time in the middle of the list, after the records of
// the times before it (on the development machine, 2.15e-16 stops the
// records case after 441 of its 537 records; which time fails depends on
// the rounding of the platform's sine and cosine, so the cases compare
// only serial with parallel).
INSTANTIATE_TEST_SUITE_P(Cases, ParallelLoop,
                         ::testing::Values(Case{"equal", 5.0, 5.0, 10.0, 5.0, 1e-10, 40},
                                           Case{"records", 60.0, 60.02, 0.3, 10.0, 1e-10, 40},
                                           Case{"records_unbounded", 60.02, 60.0, 50.0, 10.0, 1e-10, 40},
                                           Case{"failure", 60.0, 60.02, 0.3, 10.0, -1.0, 40},
                                           Case{"late_failure", 60.0, 60.02, 0.3, 10.0, 2.15e-16, 40},
                                           Case{"late_failure_equal", 5.0, 5.0, 10.0, 5.0, 2e-16, 40}),
                         [](const auto& info) { return std::string(info.param.name); });

// The log case really writes records from several times (otherwise the
// order test above would prove nothing).
TEST(ParallelLoop, LogCaseWritesRecordsOfSeveralTimes) {
    const RunOutput serial = run(Case{"count", 60.0, 60.02, 0.3, 10.0, 1e-10, 40}, 1);
    std::size_t records = 0;
    for (char ch : serial.log) records += ch == '\n';
    // Seven transform evaluations per time, at most six records each:
    // more than 42 records come from more than one time.
    EXPECT_GT(records, 42u);
}

// The capture itself: writes of a thread with a sink go to the sink, the
// replay gives the same record, and the sink is per thread.
TEST(WriteCapture, CapturesOnlyTheCallingThreadAndReplaysTheSameText) {
    slug::WriteCapture sink;
    {
        const slug::ScopedWriteCapture guard(&sink);
        slug::write_list(slug::kLogUnit, {"IERR1=", 4, "  NZ1=", 0});
        std::thread other([] { EXPECT_FALSE(slug::capture_write(slug::kLogUnit, "x\n", "(A)")); });
        other.join();
    }
    EXPECT_FALSE(slug::capture_write(slug::kLogUnit, "x\n", "(A)"));
    ASSERT_EQ(sink.size(), 1u);
    EXPECT_EQ(sink[0].unit, slug::kLogUnit);
    EXPECT_EQ(sink[0].text, " IERR1= 4  NZ1= 0\n");
    EXPECT_EQ(sink[0].format, "list io");

    // Replayed into a file: the same bytes as the write made directly.
    const fs::path dir = fs::temp_directory_path() / ("slug_capture_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string name = (dir / "replay.txt").string();
    slug::open_results(slug::kResultsUnit, name);
    sink.clear();
    {
        const slug::ScopedWriteCapture guard(&sink);
        slug::write_list(slug::kResultsUnit, {"IERR1=", 4, "  NZ1=", 0});
        slug::write_record(slug::kResultsUnit, "   row   ", "(5X,A)");
        slug::write_list(slug::kResultsUnit, std::vector<slug::ListItem>{});
    }
    EXPECT_EQ(slurp(name), "");  // nothing written while captured
    slug::replay_writes(sink);
    slug::close_unit(slug::kResultsUnit);
    EXPECT_EQ(slurp(name), " IERR1= 4  NZ1= 0\n   row   \n\n");
    ASSERT_EQ(sink.size(), 3u);
    EXPECT_EQ(sink[1].format, "(5X,A)");
    fs::remove_all(dir);
}

TEST(WorkerCount, EnvironmentOverridesTheHardwareCount) {
    ::setenv("SLUGWELL_THREADS", "3", 1);
    EXPECT_EQ(slug::timeloop_detail::worker_count(), 3);
    for (const char* bad : {"0", "-2", "two", "3x", ""}) {
        ::setenv("SLUGWELL_THREADS", bad, 1);
        EXPECT_GE(slug::timeloop_detail::worker_count(), 1) << bad;
    }
    ::unsetenv("SLUGWELL_THREADS");
    const unsigned hw = std::thread::hardware_concurrency();
    EXPECT_EQ(slug::timeloop_detail::worker_count(), hw == 0 ? 1 : static_cast<int>(hw));
}

}  // namespace
