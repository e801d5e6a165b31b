// The classic entry points against the model they adapt: with the blocks
// set to the model of each example input file, fun gives laplace_head's
// value and unsatzone unsat_coefficient's, bit for bit, along inversion
// contours from early to late times; the blocks read back as the model;
// and the zone's events reach log.txt as the classic records.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "compat/fun.hpp"
#include "compat/params.hpp"
#include "compat/test_blocks_fixture.hpp"
#include "fio/fio.hpp"
#include "model/laplace_head.hpp"
#include "model/test_models.hpp"
#include "model/unsat_coefficient.hpp"
#include "run/input_reader.hpp"

namespace {

namespace fs = std::filesystem;
using cplx = std::complex<double>;

// The model of an input file, read by the program's reader (its console
// echo kept out of the test's output).
slug::WellModel model_of(const fs::path& file) {
    ::testing::internal::CaptureStdout();
    const slug::InputValues v = slug::read_input(file.string());
    ::testing::internal::GetCapturedStdout();
    EXPECT_FALSE(v.input_error) << file;
    return slug::make_well_model(v.well);
}

// The nine examples and the benchmark's heavy case (orders 200/201, whose
// zone logs events).
std::vector<fs::path> input_files() {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(fs::path(SLUG_SOURCE_DIR) / "examples"))
        if (e.path().extension() == ".txt") files.push_back(e.path());
    files.push_back(fs::path(SLUG_SOURCE_DIR) / "bench" / "heavy.txt");
    return files;
}

// Samples of the run's contours, Re p = ln(1e4)/(2t), Im p = k pi/t, for
// dimensionless times from 1e-3 to 1e4.
std::vector<cplx> contour_points() {
    std::vector<cplx> p;
    for (double t : {1e-3, 0.1, 10.0, 1e4})
        for (int k = 0; k <= 6; ++k) p.emplace_back(4.605170185988091 / t, k * 3.141592653589793 / t);
    return p;
}

bool same_bits(const cplx& a, const cplx& b) {
    return std::bit_cast<std::uint64_t>(a.real()) == std::bit_cast<std::uint64_t>(b.real()) &&
           std::bit_cast<std::uint64_t>(a.imag()) == std::bit_cast<std::uint64_t>(b.imag());
}

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(BlocksAdapter, ClassicEntriesGiveTheModelsBits) {
    const fs::path dir = fs::temp_directory_path() / ("slug_adapter_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::vector<fs::path> files = input_files();
    ASSERT_EQ(files.size(), 10u);
    std::size_t logged = 0;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        const slug::WellModel m = model_of(file);
        slugtest::set_blocks(m);
        EXPECT_EQ(slugtest::first_difference(slug::model_from_blocks(), m), "");

        // The classic entries write the zone's records to log.txt as they
        // occur; the model's events, written out by hand, must be those
        // records.
        const fs::path log_file = dir / "log.txt";
        { std::ofstream(log_file, std::ios::trunc); }
        slug::open_log(slug::kLogUnit, log_file.string());
        std::string want_log;
        const auto add_records = [&want_log](const slug::ModelLog& log) {
            for (const slug::ModelEvent& e : log.events) {
                ASSERT_EQ(e.kind, slug::ModelEvent::Kind::BesselStatus);
                char line[64];
                std::snprintf(line, sizeof line, " IERR%d= %d  NZ%d= %d\n", e.k, e.ierr, e.k, e.nz);
                want_log += line;
            }
        };
        for (const cplx& p0 : contour_points()) {
            cplx p = p0, f;
            slug::fun(p, f);
            slug::ModelLog log;
            EXPECT_TRUE(same_bits(f, slug::laplace_head(m, p0, &log))) << p0;
            add_records(log);

            const double sigma = 2.0 * (m.RW * m.RW / (m.RC * m.RC)) * m.SY * m.SL / m.BB;
            const cplx pp = sigma * p0;
            cplx u;
            slug::unsatzone(pp, u);
            slug::ModelLog zone_log;
            EXPECT_TRUE(same_bits(u, slug::unsat_coefficient(m, pp, &zone_log))) << pp;
            add_records(zone_log);
        }
        slug::close_unit(slug::kLogUnit);
        EXPECT_EQ(slurp(log_file), want_log);
        logged += !want_log.empty();
    }
    // The heavy case's zone reports conditions, so the record path is used.
    EXPECT_GE(logged, 1u);
    slug::reset_blocks();
    fs::remove_all(dir);
}

}  // namespace
