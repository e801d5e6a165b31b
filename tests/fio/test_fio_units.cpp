// Unit table: the log file's keep-or-cut rule, replacement of the results
// file, reading an input unit (byte order mark, CRLF, fixed-width title),
// and the fatal report and abnormal end of a failed open or an early end of
// file. Files live in a fresh temporary folder per test.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <string>

#include "fio/fio.hpp"

namespace slug {
namespace {

namespace fs = std::filesystem;

class Units : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() / ("slug_fio_" + std::string(info->name()) + "_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        close_all_units();
        fs::remove_all(dir_);
    }
    std::string path(const char* name) const { return (dir_ / name).string(); }
    static void put_file(const std::string& p, const std::string& text) {
        std::ofstream(p, std::ios::binary) << text;
    }
    static std::string get_file(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    fs::path dir_;
};

TEST_F(Units, LogWithoutRecordsLeavesExistingFileAsItWas) {
    const std::string log = path("log.txt");
    const std::string old = "IERR4= 3  NZ4= 0\nan older and longer run's record\n";
    put_file(log, old);
    const auto stamp = fs::last_write_time(log);
    open_log(kLogUnit, log);
    EXPECT_TRUE(unit_is_open(kLogUnit));
    close_unit(kLogUnit);
    EXPECT_FALSE(unit_is_open(kLogUnit));
    EXPECT_EQ(get_file(log), old);
    EXPECT_EQ(fs::last_write_time(log), stamp);
}

TEST_F(Units, LogIsCreatedWhenMissing) {
    const std::string log = path("log.txt");
    open_log(kLogUnit, log);
    close_all_units();
    ASSERT_TRUE(fs::exists(log));
    EXPECT_EQ(fs::file_size(log), 0u);
}

TEST_F(Units, LogRecordsReplaceOldContentsFromTheStart) {
    const std::string log = path("log.txt");
    put_file(log, std::string(500, 'z') + "\n");
    open_log(kLogUnit, log);
    write_list(kLogUnit, {"IERR1=", 4, "  NZ1=", 0});
    close_all_units();
    EXPECT_EQ(get_file(log), " IERR1= 4  NZ1= 0\n");

    // A shorter old file simply grows.
    put_file(log, "x\n");
    open_log(kLogUnit, log);
    write_list(kLogUnit, {"IERR2=", 1, "  NZ2=", 0});
    write_record(kLogUnit, " second");
    close_all_units();
    EXPECT_EQ(get_file(log), " IERR2= 1  NZ2= 0\n second\n");
}

TEST_F(Units, ResultsFileIsReplaced) {
    const std::string out = path("outfile.txt");
    put_file(out, "an old table\nwith rows\n");
    open_results(kResultsUnit, out);
    close_unit(kResultsUnit);
    EXPECT_EQ(get_file(out), "");
    open_results(kResultsUnit, out);
    write_list(kResultsUnit, {" Water table aquifer with only saturated flow"});
    write_record(kResultsUnit, "row");
    close_unit(kResultsUnit);
    EXPECT_EQ(get_file(out), "  Water table aquifer with only saturated flow\nrow\n");
}

TEST_F(Units, WritesToUnitsNotOpenAreDropped) {
    EXPECT_FALSE(unit_is_open(kLogUnit));
    write_list(kLogUnit, {"IERR1=", 1});
    write_record(kResultsUnit, "nothing");
    EXPECT_TRUE(unit_is_open(kConsole));
    EXPECT_TRUE(unit_is_open(kStdin));
}

TEST_F(Units, StopRunClosesUnitsAndExitsWithStatus) {
    const std::string log = path("log.txt");
    put_file(log, std::string(100, 'o') + "\n");
    EXPECT_EXIT(
        {
            open_log(kLogUnit, log);
            write_list(kLogUnit, {"IERR3=", 2});
            stop_run(3);
        },
        ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(get_file(log), " IERR3= 2\n");
}

TEST_F(Units, PlainExitAlsoAppliesLogRule) {
    const std::string log = path("log.txt");
    put_file(log, std::string(100, 'o') + "\n");
    EXPECT_EXIT(
        {
            open_log(kLogUnit, log);
            write_list(kLogUnit, {"IERR6=", 5});
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(get_file(log), " IERR6= 5\n");
}

TEST_F(Units, FailedWriteOfResultsIsNotReportedAsSuccess) {
    // /dev/full refuses every write with ENOSPC (a full disk).
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    EXPECT_EXIT(
        {
            open_results(kResultsUnit, "/dev/full");
            write_record(kResultsUnit, "row");
            stop_run(0);
        },
        ::testing::ExitedWithCode(1), "error writing /dev/full \\(unit 21\\)");
}

TEST_F(Units, InputUnitDropsByteOrderMarkAndCarriageReturns) {
    const std::string in = path("in.txt");
    put_file(in, "\xEF\xBB\xBFTitle\r\nskip\r\n 1.5, 2\r\n");
    open_input(kInputUnit, in);
    EXPECT_EQ(read_unit_text(kInputUnit, 10), "Title     ");
    read_unit_skip(kInputUnit);
    double a = 0, b = 0;
    EXPECT_EQ(read_unit_list(kInputUnit, {ReadTarget::real(a), ReadTarget::real(b)}), ReadStatus::Ok);
    EXPECT_EQ(a, 1.5);
    EXPECT_EQ(b, 2.0);
    close_unit(kInputUnit);
    EXPECT_FALSE(unit_is_open(kInputUnit));
}

TEST_F(Units, FixedWidthTextCutsAndPads) {
    const std::string in = path("in.txt");
    // "é" is two bytes (C3 A9) at bytes 9 and 10: a 10-byte field would cut
    // it, so its first byte becomes a blank.
    put_file(in, std::string(80, 'a') + "\nabcdefgh\xC3\xA9xyz\n");
    open_input(kInputUnit, in);
    EXPECT_EQ(read_unit_text(kInputUnit, 70), std::string(70, 'a'));
    EXPECT_EQ(read_unit_text(kInputUnit, 10), "abcdefgh\xC3\xA9");
    close_unit(kInputUnit);
    put_file(in, "abcdefghi\xC3\xA9\n");
    open_input(kInputUnit, in);
    EXPECT_EQ(read_unit_text(kInputUnit, 10), "abcdefghi ");
}

TEST_F(Units, MissingInputFileGivesFatalOpenReportAndAbort) {
    const std::string missing = path("nosuch.txt");
    EXPECT_EXIT(open_input(kInputUnit, missing), ::testing::KilledBySignal(SIGABRT),
                "^open: No such file or directory\napparent state: unit 11 named " + missing +
                    "\n(last format: [^\n]*\n)?lately (reading|writing) sequential formatted external IO\n$");
}

TEST_F(Units, EndOfFileGivesFatalReportWithLastFormat) {
    const std::string in = path("short.txt");
    put_file(in, "only a title\n");
    open_input(kInputUnit, in);
    EXPECT_EXIT(
        {
            (void)read_unit_text(kInputUnit, 70);
            read_unit_skip(kInputUnit);
        },
        ::testing::KilledBySignal(SIGABRT),
        "^list in: end of file\napparent state: unit 11 named " + in +
            "\nlast format: list io\nlately reading sequential formatted external IO\n$");
    EXPECT_EXIT((void)read_unit_text(kInputUnit, 70), ::testing::KilledBySignal(SIGABRT), "");
    close_unit(kInputUnit);
    put_file(in, "");
    open_input(kInputUnit, in);
    EXPECT_EXIT((void)read_unit_text(kInputUnit, 70), ::testing::KilledBySignal(SIGABRT),
                "^fmt in: end of file\napparent state: unit 11 named " + in +
                    "\nlast format: \\(A70\\)\nlately reading sequential formatted external IO\n$");
}

TEST_F(Units, FatalReportClosesUnitsBeforeAbort) {
    const std::string log = path("log.txt");
    put_file(log, std::string(100, 'o') + "\n");
    EXPECT_EXIT(
        {
            open_log(kLogUnit, log);
            write_list(kLogUnit, {"IERR5=", 4});
            fatal_io("read: end of file", kInputUnit, "x");
        },
        ::testing::KilledBySignal(SIGABRT), "lately writing");
    EXPECT_EQ(get_file(log), " IERR5= 4\n");
}

}  // namespace
}  // namespace slug
