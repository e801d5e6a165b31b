// The capture of a thread's writes (fio/capture): writes of a thread with
// a sink go to the sink, the replay gives the same records, and the sink
// is per thread.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "fio/capture.hpp"
#include "fio/fio.hpp"

namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

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

}  // namespace
