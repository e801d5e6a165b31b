// The classic entry points over the parameter blocks: what fun does when
// the root iteration fails (the run ends with its message, or the failure
// is thrown under the guard).
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "compat/fun.hpp"
#include "compat/params.hpp"
#include "compat/test_blocks_fixture.hpp"
#include "model/test_models.hpp"
#include "fio/fio.hpp"

namespace {

using cplx = std::complex<double>;

// A water table with a partial screen and an unbounded zone of equal
// exponents, with the tolerance eps of the root iteration.
void set_water_table(double eps) {
    slug::WellModel m = slugtest::partial_water_table();
    m.numerics.EPS = eps;
    slugtest::set_blocks(m);
}

std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(FunFailure, RootIterationFailureEndsTheRunWithStatusOne) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("slug_fun_fail_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // Child: a run with the results file open and a tolerance that no
        // root can meet.
        if (::chdir(dir.c_str()) != 0) ::_exit(90);
        if (!std::freopen("stdout.txt", "w", stdout)) ::_exit(91);
        if (!std::freopen("stderr.txt", "w", stderr)) ::_exit(92);
        set_water_table(-1.0);
        slug::open_results(slug::kResultsUnit, "outfile.txt");
        slug::write_record(slug::kResultsUnit, " earlier line");
        cplx p(1.0, 1.0), f;
        slug::fun(p, f);
        ::_exit(93);  // not reached: fun ends the run
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string msg = " PROGRAM STOPPED BECAUSE NEWTON-RAPHSON ITERATIONS EXCEED 100\n";
    EXPECT_EQ(msg.size(), 62u);
    EXPECT_EQ(slurp(dir / "outfile.txt"), " earlier line\n" + msg);
    EXPECT_EQ(slurp(dir / "stderr.txt"), msg);
    EXPECT_EQ(slurp(dir / "stdout.txt"), "");
    std::filesystem::remove_all(dir);
}

// Under the guard a root that cannot converge is thrown; nothing is
// written to the results file then. Outside the guard the same call ends
// the process (above).
TEST(DeferRootFailure, ThrowsOnlyWhileTheGuardIsAlive) {
    set_water_table(-1.0);
    cplx p(1.0, 1.0), f;
    {
        const slug::fun_detail::DeferRootFailure guard;
        {
            const slug::fun_detail::DeferRootFailure nested;
        }
        // The nested guard restored the outer one, not "off".
        EXPECT_THROW(slug::fun(p, f), slug::fun_detail::RootFailure);
    }
    // With a tolerance that the roots meet, nothing is thrown.
    slug::par7.EPS = 1e-10;
    const slug::fun_detail::DeferRootFailure guard;
    EXPECT_NO_THROW(slug::fun(p, f));
    EXPECT_TRUE(std::isfinite(f.real()) && std::isfinite(f.imag()));
}

}  // namespace
