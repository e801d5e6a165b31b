// Tests of the F edit descriptor (Fw.d) and of the results-table row.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "fio/fixed_format.hpp"

namespace {

using slug::format_fixed;
using slug::format_table_row;

struct Case {
    double value;
    int w;
    int d;
    const char* text;
};

TEST(FixedFormat, RoundsAndRightJustifies) {
    const Case cases[] = {
        {1.0, 16, 5, "         1.00000"},
        {1234.56789, 16, 5, "      1234.56789"},
        {0.123456789, 12, 7, "   0.1234568"},  // rounded up
        {0.12345674, 12, 7, "   0.1234567"},   // rounded down
        {0.99999996, 12, 7, "   1.0000000"},   // carry into the integer part
        {9.99999996, 10, 7, "10.0000000"},     // carry widens the number to 10
        {0.0, 12, 7, "   0.0000000"},
        {2.5, 4, 0, "  2."},                   // d = 0 keeps the point
        {0.4, 3, 0, " 0."},
        {123.0, 4, 0, "123."},
        {0.015625, 10, 5, "   0.01562"},        // exact binary tie: to even
        {0.046875, 10, 5, "   0.04688"},        // exact binary tie: to even
        {0.1, 10, 7, " 0.1000000"},            // 0.1000000000000000055...
    };
    for (const auto& c : cases)
        EXPECT_EQ(format_fixed(c.value, c.w, c.d), c.text) << c.value << " F" << c.w << "." << c.d;
}

TEST(FixedFormat, LeadingZeroDroppedOnlyWhenThatMakesItFit) {
    const Case cases[] = {
        {0.5, 9, 7, "0.5000000"},    // fits with its zero
        {0.5, 8, 7, ".5000000"},     // fits only without it
        {-0.5, 10, 7, "-0.5000000"},
        {-0.5, 9, 7, "-.5000000"},
        {-0.5, 8, 7, "********"},    // does not fit even so
        {0.0, 8, 7, ".0000000"},
        {0.0, 2, 0, "0."},           // never "." alone
        {0.0, 1, 0, "*"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(format_fixed(c.value, c.w, c.d), c.text) << c.value << " F" << c.w << "." << c.d;
}

TEST(FixedFormat, MinusOnlyBeforeANonzeroDigit) {
    const Case cases[] = {
        {-1.25, 10, 7, "-1.2500000"},
        {-0.00000004, 12, 7, "   0.0000000"},  // rounds to zero: no sign
        {-0.00000005, 12, 7, "   0.0000000"},  // 4.99999999999999977e-8: down
        {-0.00000006, 12, 7, "  -0.0000001"},
        {-0.0, 12, 7, "   0.0000000"},
        {-0.4, 4, 0, "  0."},
        {-123.456, 16, 5, "      -123.45600"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(format_fixed(c.value, c.w, c.d), c.text) << c.value << " F" << c.w << "." << c.d;
}

TEST(FixedFormat, AsterisksWhenTheNumberDoesNotFit) {
    // F16.5 holds at most 10 integer digits: 9999999999.99999 fits, 1e10
    // needs 17 columns.
    EXPECT_EQ(format_fixed(9999999999.99999, 16, 5), "9999999999.99999");
    EXPECT_EQ(format_fixed(1.0e10, 16, 5), "****************");
    EXPECT_EQ(format_fixed(9999999999.999996, 16, 5), "****************");  // rounds to 1e10
    EXPECT_EQ(format_fixed(-999999999.99999, 16, 5), "-999999999.99999");
    EXPECT_EQ(format_fixed(-1.0e9, 16, 5), "****************");
    EXPECT_EQ(format_fixed(1.0e300, 16, 5), "****************");
    EXPECT_EQ(format_fixed(std::numeric_limits<double>::max(), 10, 7), "**********");
    EXPECT_EQ(format_fixed(10.0, 10, 7), "10.0000000");
    EXPECT_EQ(format_fixed(100.0, 10, 7), "**********");
    EXPECT_EQ(format_fixed(-10.0, 10, 7), "**********");
}

TEST(FixedFormat, NonFiniteValues) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(format_fixed(nan, 12, 7), "         NaN");
    EXPECT_EQ(format_fixed(-nan, 12, 7), "         NaN");
    EXPECT_EQ(format_fixed(nan, 2, 0), "**");
    EXPECT_EQ(format_fixed(inf, 12, 7), "    Infinity");
    EXPECT_EQ(format_fixed(-inf, 12, 7), "   -Infinity");
    EXPECT_EQ(format_fixed(inf, 7, 2), "    Inf");
    EXPECT_EQ(format_fixed(-inf, 8, 2), "    -Inf");
    EXPECT_EQ(format_fixed(-inf, 3, 0), "***");
}

TEST(FixedFormat, LargeDecimalCountsStayInBounds) {
    // The largest double with many decimals: 309 integer digits.
    const std::string s = format_fixed(std::numeric_limits<double>::max(), 400, 60);
    EXPECT_EQ(s.size(), 400u);
    EXPECT_EQ(s.find('*'), std::string::npos);
    EXPECT_EQ(format_fixed(1.0, 0, 3), "");
}

TEST(TableRow, LayoutOfFiftyEightColumns) {
    const std::string row = format_table_row(12.5, 0.75, 0.375);
    EXPECT_EQ(row, "     " "        12.50000" "      " "   0.7500000" "         " " 0.3750000");
    EXPECT_EQ(row.size(), 58u);
    // The clamp leaves 0, written with its leading zero.
    EXPECT_EQ(format_table_row(1000.0, 0.0, 0.0),
              "           1000.00000         0.0000000          0.0000000");
    // A time of 1e10 or more is 16 asterisks; the other columns unchanged.
    EXPECT_EQ(format_table_row(1.0e10, 1.0, 2.0),
              "     ****************         1.0000000          2.0000000");
}

}  // namespace
