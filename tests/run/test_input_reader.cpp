// The input reader in-process: the values it returns after a complete
// read and after an input error on each data line, the model made of them,
// and the checks of the values it read.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fio/fio.hpp"
#include "model/well_model.hpp"
#include "run/input_check.hpp"
#include "run/input_reader.hpp"
#include "run/run_options.hpp"

namespace slug {
namespace {

namespace fs = std::filesystem;

std::string deck(const std::string& aquifer, const std::string& unsat, const std::string& well,
                 const std::string& count_and_times) {
    return "Reader test\nc\nc\n" + aquifer + "\nc\nc\n" + unsat + "\nc\nc\n" + well + "\nc\nc\nc\n" +
           count_and_times;
}

const char* const kAquifer = "12.5 2.0E-4 5.0E-5 1.0E-4 2.0E-5 0.25";
const char* const kUnsat = "0.8 0.6 4.0 20.0";
const char* const kWell = "0.4 0.1 0.05 3.0 8.0 0.02";

class Reader : public ::testing::Test {
protected:
    void SetUp() override {
        file_ = fs::temp_directory_path() / ("slug_reader_" + std::to_string(::getpid()) + ".txt");
    }
    void TearDown() override {
        close_all_units();
        fs::remove(file_);
    }
    // Runs the reader on the text, keeping the values in v; returns its
    // console.
    std::string read(const std::string& text) {
        std::ofstream(file_, std::ios::binary) << text;
        std::fflush(stdout);
        ::testing::internal::CaptureStdout();
        v = read_input(file_.string());
        std::fflush(stdout);
        return ::testing::internal::GetCapturedStdout();
    }
    // The checks of the start-up on what was read.
    std::string check() const { return check_input(v, make_well_model(v.well)); }
    fs::path file_;
    InputValues v;
};

TEST_F(Reader, CompleteReadGivesEveryValueAndTheModel) {
    const std::string out = read(deck(kAquifer, kUnsat, kWell, "3\n10\n1.0E2\n1000.\n"));
    EXPECT_FALSE(v.input_error);
    EXPECT_FALSE(unit_is_open(kInputUnit));
    EXPECT_NE(out.find("  End  Reading Input Data\n"), std::string::npos);
    EXPECT_EQ(v.title, "Reader test" + std::string(59, ' '));
    // Values read are the doubles of their decimal forms: exact.
    const WellInput& w = v.well;
    EXPECT_EQ(w.bb, 12.5);
    EXPECT_EQ(w.kr, 2.0e-4);
    EXPECT_EQ(w.kz, 5.0e-5);
    EXPECT_EQ(w.hks, 1.0e-4);
    EXPECT_EQ(w.ss, 2.0e-5);
    EXPECT_EQ(w.sy, 0.25);
    EXPECT_EQ(w.u1, 0.8);
    EXPECT_EQ(w.u4, 20.0);
    EXPECT_EQ(w.ho, 0.4);
    EXPECT_EQ(w.rw, 0.1);
    EXPECT_EQ(w.rc, 0.05);
    EXPECT_EQ(w.zpd, 3.0);
    EXPECT_EQ(w.zpl, 8.0);
    EXPECT_EQ(w.ds, 0.02);
    EXPECT_FALSE(v.reversed);
    const WellModel m = make_well_model(w);
    EXPECT_EQ(m.SL, 5.0);
    // Derived groups: a few roundings each, so within 4 ulp (the
    // EXPECT_DOUBLE_EQ bound) of the exact values of the decimal inputs.
    EXPECT_DOUBLE_EQ(m.HOB, 0.032);
    EXPECT_DOUBLE_EQ(m.SW, 0.4);                  // (2e-4/1e-4)*0.02/0.1
    EXPECT_DOUBLE_EQ(m.XKD, 1.6e-5);              // 0.01*5e-5/(2e-4*156.25)
    EXPECT_DOUBLE_EQ(m.XKD2, 1.6e-5);
    EXPECT_DOUBLE_EQ(m.CCD, 0.8e-3);              // 2*2e-5*0.01*5/0.0025
    EXPECT_DOUBLE_EQ(m.XDD, 0.24);
    EXPECT_DOUBLE_EQ(m.XLD, 0.64);
    EXPECT_DOUBLE_EQ(m.UA1, 10.0);
    EXPECT_DOUBLE_EQ(m.UA2, 7.5);
    EXPECT_DOUBLE_EQ(m.UL1, 0.32);
    EXPECT_DOUBLE_EQ(m.UL2, 1.6);
    EXPECT_DOUBLE_EQ(m.TC, 1.25);                 // 0.05^2/(2*5*2e-4)
    EXPECT_EQ(m.numerics.EPS, 1.0e-10);
    EXPECT_EQ(m.numerics.TOLINV, 1.0e-4);
    EXPECT_EQ(m.numerics.NTERM, 30);
    EXPECT_EQ(m.numerics.NINV, 6);
    EXPECT_EQ(m.numerics.MINV, 3);
    EXPECT_EQ(v.ntime, 3);
    EXPECT_EQ(v.times, (std::vector<double>{10.0, 100.0, 1000.0}));
    EXPECT_EQ(check(), "");
}

// After an input error the reader stops: what was read before keeps its
// value, everything later stays 0, and the file is closed.
TEST_F(Reader, InputErrorOnEachDataLineLeavesLaterFieldsAtZero) {
    read(deck("12.5 2.0E-4 bad 1.0E-4 2.0E-5 0.25", kUnsat, kWell, "1\n10\n"));
    EXPECT_TRUE(v.input_error);
    EXPECT_EQ(v.error_line, 2);
    EXPECT_FALSE(unit_is_open(kInputUnit));
    EXPECT_EQ(v.well.bb, 12.5);
    EXPECT_EQ(v.well.kr, 2.0e-4);
    EXPECT_EQ(v.well.ss, 0.0);
    EXPECT_EQ(v.well.u1, 0.0);
    EXPECT_EQ(v.ntime, 0);

    read(deck(kAquifer, "0.8 0.6 4.0 2O", kWell, "1\n10\n"));
    EXPECT_EQ(v.error_line, 3);
    EXPECT_EQ(v.well.sy, 0.25);
    EXPECT_EQ(v.well.u4, 0.0);
    EXPECT_EQ(v.well.ho, 0.0);

    read(deck(kAquifer, kUnsat, "0.4 0.1 0.05 3.0 8.0 2e", "1\n10\n"));
    EXPECT_EQ(v.error_line, 4);
    EXPECT_EQ(v.well.u4, 20.0);  // the lines before the well line
    EXPECT_EQ(v.well.rc, 0.05);
    EXPECT_EQ(v.well.ds, 0.0);
    EXPECT_EQ(v.ntime, 0);

    read(deck(kAquifer, kUnsat, kWell, "2.5\n10\n"));
    EXPECT_EQ(v.error_line, 5);
    EXPECT_EQ(v.ntime, 0);
    EXPECT_TRUE(v.times.empty());
    EXPECT_DOUBLE_EQ(make_well_model(v.well).XLD, 0.64);

    const std::string out = read(deck(kAquifer, kUnsat, kWell, "3\n10\n20\n3O\n"));
    EXPECT_EQ(v.error_line, 8);
    EXPECT_EQ(v.ntime, 3);
    EXPECT_EQ(v.times, (std::vector<double>{10.0, 20.0}));
    const std::string msg = "  While readling line= 8 Encount             an Input Error\n";
    ASSERT_GE(out.size(), msg.size());
    EXPECT_EQ(out.substr(out.size() - msg.size()), msg);
    EXPECT_EQ(out.find("End  Reading"), std::string::npos);
}

TEST_F(Reader, CountOfZeroOrLessReadsNoTimes) {
    for (const char* count : {"0", "-2"}) {
        const std::string out = read(deck(kAquifer, kUnsat, kWell, std::string(count) + "\n"));
        EXPECT_FALSE(v.input_error) << count;
        EXPECT_TRUE(v.times.empty());
        EXPECT_NE(out.find("  End  Reading Input Data\n"), std::string::npos);
        EXPECT_EQ(check(), "") << count;
    }
}

TEST_F(Reader, TimesBeyondCapacityAreReadButNotStored) {
    std::string times = "205\n";
    for (int i = 1; i <= 205; ++i) times += std::to_string(i) + ".5\n";
    read(deck(kAquifer, kUnsat, kWell, times));
    EXPECT_FALSE(v.input_error);
    EXPECT_EQ(v.ntime, 205);
    ASSERT_EQ(v.times.size(), static_cast<std::size_t>(kMaxOutputTimes));
    EXPECT_EQ(v.times.back(), 200.5);
    EXPECT_NE(check().find("NTIME = 205"), std::string::npos);
}

TEST_F(Reader, EqualDepthsAreExchangedAndGiveZeroLength) {
    const std::string out = read(deck(kAquifer, kUnsat, "0.4 0.1 0.05 5.0 5.0 0.02", "0\n"));
    EXPECT_NE(out.find(" Top and bottom Screen Depth Reversed\n"), std::string::npos);
    EXPECT_TRUE(v.reversed);
    EXPECT_EQ(make_well_model(v.well).SL, 0.0);
    EXPECT_NE(check().find("zero length"), std::string::npos);
}

// check_input on the model of a valid read, with one group changed.
TEST_F(Reader, TermCountOfTheEigenvalueSeriesIsBounded) {
    read(deck(kAquifer, kUnsat, kWell, "0\n"));
    WellModel m = make_well_model(v.well);
    // 30*2^(-log10(XKD2)-2): XKD2 = 1e-11 gives 30*2^9 = 15360 terms
    // (within kMaxSeriesTerms), 1e-12 gives 30720 (beyond), and 1e-29 more
    // than a 32-bit integer holds.
    m.XKD2 = 1.0e-11;
    EXPECT_EQ(check_input(v, m), "");
    for (double xkd2 : {1.0e-12, 1.0e-29}) {
        m.XKD2 = xkd2;
        const std::string why = check_input(v, m);
        EXPECT_NE(why.find("XKD2 = (KZ/KR)*(RW/BB)^2"), std::string::npos) << why;
        EXPECT_NE(why.find("raise KZ/KR to at least"), std::string::npos) << why;
    }
    // The smallest admitted group lies between the two.
    EXPECT_GT(min_series_xkd2(m.numerics), 1.0e-12);
    EXPECT_LT(min_series_xkd2(m.numerics), 1.0e-11);
}

TEST_F(Reader, FirstUnusableValueInFileOrderIsNamed) {
    read(deck("12.5 0 5.0E-5 1.0E-4 2.0E-5 0.25", kUnsat, "0.4 0 0.05 3.0 8.0 0.02", "1\n-5\n"));
    EXPECT_EQ(check(), "KR = 0. (radial hydraulic conductivity, data line 2) must be greater than 0");
    read(deck(kAquifer, kUnsat, kWell, "2\n5\n-5\n"));
    EXPECT_EQ(check(), "time = -5. (output time, data line 7) must be greater than 0");
    // A time too large: the table shows it in asterisks, but the model can
    // evaluate it; only non-finite times are refused.
    read(deck(kAquifer, kUnsat, kWell, "1\n1e12\n"));
    EXPECT_EQ(check(), "");
}

}  // namespace
}  // namespace slug
