// The input reader fed from memory (read_input_memory), which the fuzz
// target uses: it must read exactly as the program reads a file, report the
// end of its bytes as a status instead of ending the process, and leave
// nothing behind that changes the next read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/well_model.hpp"
#include "run/input_check.hpp"
#include "run/input_memory.hpp"
#include "test_robustness_support.hpp"

namespace slug::robustness {
namespace {

struct MemoryRead {
    ReadStatus status;
    std::string console;
    InputValues values;
};

MemoryRead read_memory(const std::string& text) {
    InputValues values;
    ::testing::internal::CaptureStdout();
    const ReadStatus status = read_input_memory(text, values);
    std::fflush(stdout);
    return {status, ::testing::internal::GetCapturedStdout(), values};
}

std::string check(const InputValues& v) { return check_input(v, make_well_model(v.well)); }

TEST(RobustnessMemory, StatusOfEachEnding) {
    const MemoryRead good = read_memory(GoodInput().text());
    EXPECT_EQ(good.status, ReadStatus::Ok);
    EXPECT_NE(good.console.find(" End  Reading Input Data\n"), std::string::npos);
    EXPECT_EQ(good.values.ntime, 2);
    ASSERT_EQ(good.values.times.size(), 2u);
    EXPECT_EQ(good.values.times[1], 100.0);

    const MemoryRead bad = read_memory(GoodInput().set(GoodInput::kWell, 2, "1.2.3").text());
    EXPECT_EQ(bad.status, ReadStatus::InputError);
    EXPECT_EQ(last_line(bad.console), input_error_line(4));
    EXPECT_EQ(bad.values.error_line, 4);

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

// Memory and file reads are the same reads: the values after a read of a
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
            EXPECT_EQ(check(r.values), "");
        } else if (name.rfind("rejected_", 0) == 0) {
            EXPECT_EQ(r.status, ReadStatus::Ok);
            EXPECT_NE(check(r.values), "");
        } else if (name.rfind("inputerror_", 0) == 0) {
            EXPECT_EQ(r.status, ReadStatus::InputError);
        } else {
            EXPECT_EQ(r.status, ReadStatus::EndOfFile);
        }
    }
}

}  // namespace
}  // namespace slug::robustness
