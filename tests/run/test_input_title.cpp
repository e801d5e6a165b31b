// The title line for the picture, read from the input file as the input
// reader takes it (first 70 characters of line 1).
#include "run/input_reader.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace slug {
namespace {

namespace fs = std::filesystem;

TEST(InputTitle, FirstSeventyCharactersOfLineOne) {
    const fs::path p = fs::temp_directory_path() / "slug_title_test.txt";
    const std::string long70 = std::string(69, 'a') + "b";
    const std::string umlaut = "\xC3\xBC";  // one character, two bytes
    const struct { std::string file, title; } cases[] = {
        {"Slug test MW-3\nline 2\n", "Slug test MW-3"},
        {"CRLF title\r\nline 2\r\n", "CRLF title"},
        {"no line end", "no line end"},
        {long70 + "cut off\n", long70},
        // 69 ASCII characters and a two-byte character across column 70:
        // the broken character is dropped, not shown as two wrong ones.
        {std::string(69, 'x') + umlaut + "y\n", std::string(69, 'x')},
        {std::string(68, 'x') + umlaut + "y\n", std::string(68, 'x') + umlaut},
        {"\nsecond\n", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        std::ofstream(p, std::ios::binary) << c.file;
        EXPECT_EQ(input_title(p.string()), c.title) << c.file;
    }
    fs::remove(p);
    EXPECT_EQ(input_title((fs::temp_directory_path() / "slug_no_such_file.txt").string()), "");
}

}  // namespace
}  // namespace slug
