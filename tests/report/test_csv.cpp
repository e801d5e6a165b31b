// CSV results: exact layout, exact round trip of every double through
// "%.17g", and failure reporting of the file write.
#include "report/results_csv.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace slug {
namespace {

namespace fs = std::filesystem;

TEST(ResultsCsv, ExactLayout) {
    const std::vector<double> t{10.0, 0.5, 1e-3};
    const std::vector<double> h{0.0, 0.75, 1.0};
    const std::vector<double> d{0.0, 0.375, 0.5};
    EXPECT_EQ(results_csv_text(t, h, d),
              "time,H/Ho,drawdown\n"
              "10,0,0\n"
              "0.5,0.75,0.375\n"
              "0.001,1,0.5\n");
    // No results: the header row alone.
    EXPECT_EQ(results_csv_text({}, {}, {}), "time,H/Ho,drawdown\n");
    // Arrays of unequal length: only the rows all three have.
    EXPECT_EQ(results_csv_text(t, h, std::vector<double>{1.0}),
              "time,H/Ho,drawdown\n10,0,1\n");
}

TEST(ResultsCsv, NumbersReadBackBitForBit) {
    const double dmax = std::numeric_limits<double>::max();
    const double tiny = std::numeric_limits<double>::denorm_min();
    std::vector<double> values{0.1,  1.0 / 3.0, 2.0 / 3.0, 1e-5, 0.99999999999999989,
                               dmax, -dmax,     tiny,      -0.0, 4.9406564584124654e-324,
                               2.2250738585072014e-308,    123456789012345678.0};
    std::mt19937_64 rng(12345);
    for (int i = 0; i < 2000; ++i) {
        // Random bit patterns cover every exponent; skip NaN and infinity.
        double v = std::bit_cast<double>(rng());
        if (std::isfinite(v)) values.push_back(v);
    }
    for (double v : values) {
        const std::string s = csv_number(v);
        const double back = std::strtod(s.c_str(), nullptr);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(back), std::bit_cast<std::uint64_t>(v))
            << s;
    }
}

TEST(ResultsCsv, NonFiniteValues) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(csv_number(nan), "nan");
    EXPECT_EQ(csv_number(-nan), "nan");
    EXPECT_EQ(csv_number(inf), "inf");
    EXPECT_EQ(csv_number(-inf), "-inf");
}

TEST(ResultsCsv, FileWriteAndFailure) {
    const fs::path dir = fs::temp_directory_path() / "slug_csv_test";
    fs::create_directories(dir);
    const std::string path = (dir / "r.csv").string();
    std::ofstream(path) << "old content that is longer than the new file\n";
    const std::vector<double> t{1.0, 2.0}, h{0.5, 0.25}, d{1.5, 0.75};
    std::string error;
    ASSERT_TRUE(write_results_csv(path, t, h, d, error)) << error;
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_EQ(ss.str(), results_csv_text(t, h, d)) << "file replaced, not appended";

    // A folder that does not exist: reported, not silently ignored.
    EXPECT_FALSE(write_results_csv((dir / "no" / "r.csv").string(), t, h, d, error));
    EXPECT_FALSE(error.empty());
    fs::remove_all(dir);
}

}  // namespace
}  // namespace slug
