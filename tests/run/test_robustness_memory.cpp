// The input reader fed from memory (datainput_memory), which the fuzz
// target uses: it must read exactly as the program reads a file, report the
// end of its bytes as a status instead of ending the process, and leave
// nothing behind that changes the next read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/input_reader.hpp"
#include "run/input_memory.hpp"
#include "run/input_check.hpp"
#include "compat/params.hpp"
#include "test_robustness_support.hpp"

namespace slug::robustness {
namespace {

struct MemoryRead {
    ReadStatus status;
    std::string console;
};

MemoryRead read_memory(const std::string& text) {
    reset_blocks();
    ::testing::internal::CaptureStdout();
    const ReadStatus status = datainput_memory(text);
    std::fflush(stdout);
    return {status, ::testing::internal::GetCapturedStdout()};
}

TEST(RobustnessMemory, StatusOfEachEnding) {
    const MemoryRead good = read_memory(GoodInput().text());
    EXPECT_EQ(good.status, ReadStatus::Ok);
    EXPECT_NE(good.console.find(" End  Reading Input Data\n"), std::string::npos);
    EXPECT_EQ(par4.NTIME, 2);
    EXPECT_EQ(par12.TIMES[1], 100.0);

    const MemoryRead bad = read_memory(GoodInput().set(GoodInput::kWell, 2, "1.2.3").text());
    EXPECT_EQ(bad.status, ReadStatus::InputError);
    EXPECT_EQ(last_line(bad.console), input_error_line(4));
    EXPECT_EQ(datainput_record().error_line, 4);

    for (std::size_t kept : {0u, 1u, 5u, 15u}) {
        SCOPED_TRACE(kept);
        const MemoryRead cut = read_memory(GoodInput().text("\n", kept));
        EXPECT_EQ(cut.status, ReadStatus::EndOfFile);
    }
    // After an end of file the next read starts afresh: the unit was
    // closed and the handler withdrawn.
    const MemoryRead again = read_memory(GoodInput().text());
    EXPECT_EQ(again.status, ReadStatus::Ok);
    EXPECT_EQ(again.console, good.console);
}

// Memory and file reads are the same reads: the blocks after a read of a
// file's bytes from memory are those of the program's run on the file,
// whose echo the console shows; here compared through the echo, which
// prints every value read and every derived group.
TEST(RobustnessMemory, EditorVariantsGiveThePlainEcho) {
    const std::string plain = read_memory(GoodInput().text()).console;
    for (const std::string& bytes :
         {"\xEF\xBB\xBF" + GoodInput().text("\r\n"), GoodInput().text("  \r\n")}) {
        const MemoryRead r = read_memory(bytes);
        EXPECT_EQ(r.status, ReadStatus::Ok);
        EXPECT_EQ(r.console, plain);
    }
}

// The kept inputs, in process (so that the sanitizers watch the reader
// directly): the status and the checks agree with the file's name.
TEST(RobustnessMemory, KeptInputsInProcess) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(fs::path(SLUG_TEST_DATA) / "robustness"))
        if (entry.is_regular_file()) files.push_back(entry.path());
    ASSERT_FALSE(files.empty());
    for (const fs::path& file : files) {
        const std::string name = file.filename().string();
        SCOPED_TRACE(name);
        const MemoryRead r = read_memory(read_file(file));
        if (name.rfind("ok_", 0) == 0) {
            EXPECT_EQ(r.status, ReadStatus::Ok);
            EXPECT_EQ(check_input(datainput_record()), "");
        } else if (name.rfind("rejected_", 0) == 0) {
            EXPECT_EQ(r.status, ReadStatus::Ok);
            EXPECT_NE(check_input(datainput_record()), "");
        } else if (name.rfind("inputerror_", 0) == 0) {
            EXPECT_EQ(r.status, ReadStatus::InputError);
        } else {
            EXPECT_EQ(r.status, ReadStatus::EndOfFile);
        }
    }
}

}  // namespace
}  // namespace slug::robustness
