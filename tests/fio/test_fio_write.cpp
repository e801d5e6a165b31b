// List-directed output: the exact characters of reals, integers and text,
// and the 80-column rule.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <string>

#include "fio/fio.hpp"

namespace slug {
namespace {

struct RealCase {
    double v;
    const char* line;  // the whole line of a write of this one value
};

TEST(ListWrite, RealsHaveBlankSignAndNineDigitsWithPoint) {
    const RealCase cases[] = {
        {10.0, "  10.\n"},
        {1.0e-5, "  1.E-05\n"},
        {0.0, "  0.\n"},
        {-0.0, " -0.\n"},
        {-2.5, " -2.5\n"},
        {0.1, "  0.1\n"},
        {1.0 / 3.0, "  0.333333333\n"},
        {-2.0 / 3.0, " -0.666666667\n"},
        {123456789.0, "  123456789.\n"},
        {1234567890.0, "  1.23456789E+09\n"},
        {1.0e9, "  1.E+09\n"},
        {0.0001, "  0.0001\n"},
        {0.00001234, "  1.234E-05\n"},
        {1.0e100, "  1.E+100\n"},
        {-1.23456789e-300, " -1.23456789E-300\n"},
        {DBL_MAX, "  1.79769313E+308\n"},
        {5e-324, "  4.94065646E-324\n"},
        {HUGE_VAL, "  Infinity\n"},
        {-HUGE_VAL, " -Infinity\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(format_list({c.v}), c.line) << c.v;
}

TEST(ListWrite, RealTextWithoutBlankAndSign) {
    EXPECT_EQ(format_real_g9(10.0), "10.");
    EXPECT_EQ(format_real_g9(-10.0), "10.");
    EXPECT_EQ(format_real_g9(2.5e-7), "2.5E-07");
    EXPECT_EQ(format_real_g9(std::nan("")), "NaN");
}

TEST(ListWrite, IntegersAndText) {
    EXPECT_EQ(format_list({5}), " 5\n");
    EXPECT_EQ(format_list({-5}), " -5\n");
    EXPECT_EQ(format_list({INT_MIN}), " -2147483648\n");
    EXPECT_EQ(format_list({"abc"}), " abc\n");
    // Text after another item gets no blank; trailing blanks are kept.
    EXPECT_EQ(format_list({"Input file is ", "a.txt   "}), " Input file is a.txt   \n");
    EXPECT_EQ(format_list({"BB=", 20.0, " Kr=", 5.0e-5}), " BB=  20. Kr=  5.E-05\n");
    EXPECT_EQ(format_list({" While readling line=", 6, " Encount             an Input Error"}),
              "  While readling line= 6 Encount             an Input Error\n");
    EXPECT_EQ(format_list(std::vector<ListItem>{}), "\n");
    EXPECT_EQ(format_list({""}), " \n");
}

TEST(ListWrite, ItemReachingColumn80StartsNewLine) {
    // " " + 74 letters leaves 75 characters; "  1." (4) makes 79: same line.
    EXPECT_EQ(format_list({std::string(74, 'a'), 1.0}), " " + std::string(74, 'a') + "  1.\n");
    // " " + 75 letters: "  1." would make the line reach 80: new line.
    EXPECT_EQ(format_list({std::string(75, 'a'), 1.0}), " " + std::string(75, 'a') + "\n  1.\n");
    // A text item that moves to a new line gets its leading blank there.
    EXPECT_EQ(format_list({std::string(77, 'a'), "bc"}), " " + std::string(77, 'a') + "\n bc\n");
    EXPECT_EQ(format_list({std::string(76, 'a'), "bc"}), " " + std::string(76, 'a') + "bc\n");
    // Integers: " 12" (3) after 77 characters reaches 80.
    EXPECT_EQ(format_list({std::string(76, 'a'), 12}), " " + std::string(76, 'a') + "\n 12\n");
    // A single item longer than the line is written whole, without an
    // empty line before it.
    EXPECT_EQ(format_list({std::string(100, 'x')}), " " + std::string(100, 'x') + "\n");
}

TEST(ListWrite, ManyRealsWrapAfterFifteen) {
    // Each "  1.5" is 5 characters: 15 make 75, the 16th would reach 80.
    std::vector<ListItem> items(20, ListItem(1.5));
    std::string first, second;
    for (int i = 0; i < 15; ++i) first += "  1.5";
    for (int i = 0; i < 5; ++i) second += "  1.5";
    EXPECT_EQ(format_list(items), first + "\n" + second + "\n");
}

}  // namespace
}  // namespace slug
