// The input reader in-process: what it leaves in the parameter blocks after
// a complete read and after an input error on each data line, and the
// checks of the values it read.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "run/input_reader.hpp"
#include "run/input_check.hpp"
#include "compat/params.hpp"
#include "fio/fio.hpp"

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
        reset_blocks();
    }
    // Runs the reader on the text with fresh blocks; returns its console.
    std::string read(const std::string& text) {
        std::ofstream(file_, std::ios::binary) << text;
        reset_blocks();
        std::strncpy(par15.LONGNAME, file_.c_str(), sizeof par15.LONGNAME - 1);
        std::fflush(stdout);
        ::testing::internal::CaptureStdout();
        datainput();
        std::fflush(stdout);
        return ::testing::internal::GetCapturedStdout();
    }
    fs::path file_;
};

TEST_F(Reader, CompleteReadFillsEveryBlock) {
    const std::string out = read(deck(kAquifer, kUnsat, kWell, "3\n10\n1.0E2\n1000.\n"));
    EXPECT_FALSE(datainput_record().input_error);
    EXPECT_FALSE(unit_is_open(kInputUnit));
    EXPECT_NE(out.find("  End  Reading Input Data\n"), std::string::npos);
    // Values read are the doubles of their decimal forms: exact.
    EXPECT_EQ(par5.BB, 12.5);
    EXPECT_EQ(par5.KR, 2.0e-4);
    EXPECT_EQ(par5.SS, 2.0e-5);
    EXPECT_EQ(par5.SY, 0.25);
    EXPECT_EQ(par5.HO, 0.4);
    EXPECT_EQ(par5.RW, 0.1);
    EXPECT_EQ(par5.RC, 0.05);
    EXPECT_EQ(par5.SL, 5.0);
    // Derived groups: a few roundings each, so within 4 ulp (the
    // EXPECT_DOUBLE_EQ bound) of the exact values of the decimal inputs.
    EXPECT_DOUBLE_EQ(par5.HOB, 0.032);
    EXPECT_DOUBLE_EQ(par6.SW, 0.4);                  // (2e-4/1e-4)*0.02/0.1
    EXPECT_DOUBLE_EQ(par5.XKD, 1.6e-5);              // 0.01*5e-5/(2e-4*156.25)
    EXPECT_DOUBLE_EQ(par13.XKD2, 1.6e-5);
    EXPECT_DOUBLE_EQ(par6.CCD, 0.8e-3);              // 2*2e-5*0.01*5/0.0025
    EXPECT_DOUBLE_EQ(par11.XDD, 0.24);
    EXPECT_DOUBLE_EQ(par11.XLD, 0.64);
    EXPECT_DOUBLE_EQ(par13.UA1, 10.0);
    EXPECT_DOUBLE_EQ(par13.UA2, 7.5);
    EXPECT_DOUBLE_EQ(par13.UL1, 0.32);
    EXPECT_DOUBLE_EQ(par13.UL2, 1.6);
    EXPECT_EQ(par7.EPS, 1.0e-10);
    EXPECT_EQ(par7.TOLINV, 1.0e-4);
    EXPECT_EQ(par2.NTERM, 30);
    EXPECT_EQ(par2.NINV, 6);
    EXPECT_EQ(par2.MINV, 3);
    EXPECT_EQ(par4.ITIME, 1);
    EXPECT_EQ(par4.NTIME, 3);
    EXPECT_EQ(par12.TIMES[0], 10.0);
    EXPECT_EQ(par12.TIMES[1], 100.0);
    EXPECT_EQ(par12.TIMES[2], 1000.0);
    EXPECT_EQ(par12.TIMES[3], 0.0);
    // Nothing else: the driver's fields stay at their start values.
    EXPECT_EQ(par14.TC, 0.0);
    EXPECT_EQ(iounit.IOUT, 0);
    EXPECT_EQ(check_input(datainput_record()), "");
}

// After an input error the reader stops: what was assigned before keeps its
// value, everything later stays 0, and the file is closed.
TEST_F(Reader, InputErrorOnEachDataLineLeavesLaterFieldsAtZero) {
    read(deck("12.5 2.0E-4 bad 1.0E-4 2.0E-5 0.25", kUnsat, kWell, "1\n10\n"));
    EXPECT_TRUE(datainput_record().input_error);
    EXPECT_EQ(datainput_record().error_line, 2);
    EXPECT_FALSE(unit_is_open(kInputUnit));
    EXPECT_EQ(par5.BB, 12.5);
    EXPECT_EQ(par5.KR, 2.0e-4);
    EXPECT_EQ(par5.SS, 0.0);
    EXPECT_EQ(par7.EPS, 0.0);
    EXPECT_EQ(par4.ITIME, 0);

    read(deck(kAquifer, "0.8 0.6 4.0 2O", kWell, "1\n10\n"));
    EXPECT_EQ(datainput_record().error_line, 3);
    EXPECT_EQ(par5.SY, 0.25);
    EXPECT_EQ(par13.UA1, 0.0);
    EXPECT_EQ(par2.NTERM, 0);

    read(deck(kAquifer, kUnsat, "0.4 0.1 0.05 3.0 8.0 2e", "1\n10\n"));
    EXPECT_EQ(datainput_record().error_line, 4);
    EXPECT_EQ(par7.EPS, 1.0e-10);  // the constants come before the well line
    EXPECT_EQ(par5.RC, 0.05);
    EXPECT_EQ(par5.SL, 0.0);
    EXPECT_EQ(par5.HOB, 0.0);
    EXPECT_EQ(par4.ITIME, 0);

    read(deck(kAquifer, kUnsat, kWell, "2.5\n10\n"));
    EXPECT_EQ(datainput_record().error_line, 5);
    EXPECT_EQ(par4.ITIME, 1);
    EXPECT_EQ(par4.NTIME, 0);
    EXPECT_DOUBLE_EQ(par11.XLD, 0.64);

    const std::string out = read(deck(kAquifer, kUnsat, kWell, "3\n10\n20\n3O\n"));
    EXPECT_EQ(datainput_record().error_line, 8);
    EXPECT_EQ(par4.NTIME, 3);
    EXPECT_EQ(par12.TIMES[1], 20.0);
    EXPECT_EQ(par12.TIMES[2], 0.0);
    const std::string msg = "  While readling line= 8 Encount             an Input Error\n";
    ASSERT_GE(out.size(), msg.size());
    EXPECT_EQ(out.substr(out.size() - msg.size()), msg);
    EXPECT_EQ(out.find("End  Reading"), std::string::npos);
}

TEST_F(Reader, CountOfZeroOrLessReadsNoTimes) {
    for (const char* count : {"0", "-2"}) {
        const std::string out = read(deck(kAquifer, kUnsat, kWell, std::string(count) + "\n"));
        EXPECT_FALSE(datainput_record().input_error) << count;
        EXPECT_EQ(par4.ITIME, 1);
        EXPECT_EQ(par12.TIMES[0], 0.0);
        EXPECT_NE(out.find("  End  Reading Input Data\n"), std::string::npos);
        EXPECT_EQ(check_input(datainput_record()), "") << count;
    }
}

TEST_F(Reader, TimesBeyondCapacityAreReadButNotStored) {
    std::string times = "205\n";
    for (int i = 1; i <= 205; ++i) times += std::to_string(i) + ".5\n";
    read(deck(kAquifer, kUnsat, kWell, times));
    EXPECT_FALSE(datainput_record().input_error);
    EXPECT_EQ(par4.NTIME, 205);
    EXPECT_EQ(par12.TIMES[kMaxTimes - 1], 200.5);
    EXPECT_NE(check_input(datainput_record()).find("NTIME = 205"), std::string::npos);
}

TEST_F(Reader, EqualDepthsAreExchangedAndGiveZeroLength) {
    const std::string out = read(deck(kAquifer, kUnsat, "0.4 0.1 0.05 5.0 5.0 0.02", "0\n"));
    EXPECT_NE(out.find(" Top and bottom Screen Depth Reversed\n"), std::string::npos);
    EXPECT_TRUE(datainput_record().reversed);
    EXPECT_EQ(par5.SL, 0.0);
    EXPECT_NE(check_input(datainput_record()).find("zero length"), std::string::npos);
}

// check_input on blocks that a valid read filled, with one value changed.
TEST_F(Reader, TermCountOfTheEigenvalueSeriesMustFitAnInt) {
    read(deck(kAquifer, kUnsat, kWell, "0\n"));
    // 30*2^(-log10(XKD2)-2): XKD2 = 1e-28 gives 30*2^26 = 2013265920
    // terms (fits), 1e-29 gives 30*2^27 (does not).
    par13.XKD2 = 1.0e-28;
    EXPECT_EQ(check_input(datainput_record()), "");
    par13.XKD2 = 1.0e-29;
    EXPECT_NE(check_input(datainput_record()).find("too small"), std::string::npos);
}

TEST_F(Reader, FirstUnusableValueInFileOrderIsNamed) {
    read(deck("12.5 0 5.0E-5 1.0E-4 2.0E-5 0.25", kUnsat, "0.4 0 0.05 3.0 8.0 0.02", "1\n-5\n"));
    EXPECT_EQ(check_input(datainput_record()),
              "KR = 0. (radial hydraulic conductivity, data line 2) must be greater than 0");
    read(deck(kAquifer, kUnsat, kWell, "2\n5\n-5\n"));
    EXPECT_EQ(check_input(datainput_record()), "time = -5. (output time, data line 7) must be greater than 0");
    // A time too large: the table shows it in asterisks, but the model can
    // evaluate it; only non-finite times are refused.
    read(deck(kAquifer, kUnsat, kWell, "1\n1e12\n"));
    EXPECT_EQ(check_input(datainput_record()), "");
}

}  // namespace
}  // namespace slug
