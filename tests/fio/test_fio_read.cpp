// List-directed input: separators, empty values, slash, repeat counts,
// real and integer forms, continuation over lines, and the errors.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "fio/fio.hpp"

namespace slug {
namespace {

constexpr double kUnset = -777.0;  // start value of fields: "left unchanged"

struct RealsCase {
    const char* text;
    std::vector<double> want;  // kUnset where the field must stay unchanged
};

// Reads want.size() reals from the text; the parsed values must be the
// nearest doubles of the decimal forms, so they are compared exactly.
void expect_reals(const RealsCase& c) {
    StringLineSource src(c.text);
    std::vector<double> got(c.want.size(), kUnset);
    std::vector<ReadTarget> targets;
    for (double& d : got) targets.push_back(ReadTarget::real(d));
    ASSERT_EQ(read_list(src, targets), ReadStatus::Ok) << c.text;
    EXPECT_EQ(got, c.want) << c.text;
}

TEST(ListRead, SeparatorsEmptyValuesAndSlash) {
    const RealsCase cases[] = {
        {"1 2 3", {1, 2, 3}},
        {"1,2,3", {1, 2, 3}},
        {"  1 ,  2 ,3  ", {1, 2, 3}},
        {"1\t2\t\t3", {1, 2, 3}},
        {"1,,3", {1, kUnset, 3}},
        {",2,3", {kUnset, 2, 3}},
        {",,3", {kUnset, kUnset, 3}},
        {"1, ,3", {1, kUnset, 3}},
        {"1 2 /", {1, 2, kUnset}},
        {"1 2/3", {1, 2, kUnset}},
        {"/ 1 2 3", {kUnset, kUnset, kUnset}},
        {"1,/", {1, kUnset, kUnset}},
        {"1 2 3 4 5 junk", {1, 2, 3}},  // extra values ignored
    };
    for (const auto& c : cases) expect_reals(c);
}

TEST(ListRead, RepeatCounts) {
    const RealsCase cases[] = {
        {"3*4.5", {4.5, 4.5, 4.5}},
        {"2*7 1", {7, 7, 1}},
        {"1 2*0.25", {1, 0.25, 0.25}},
        {"2* 5", {kUnset, kUnset, 5}},   // r* alone: r empty values
        {"2*,5", {kUnset, kUnset, 5}},   // the comma after r* separates
        {"5*1", {1, 1, 1}},              // more copies than fields
        {"2*3/", {3, 3, kUnset}},
    };
    for (const auto& c : cases) expect_reals(c);
}

TEST(ListRead, RealForms) {
    const RealsCase cases[] = {
        {"1.5D3 2d-2 3E+1 4e1", {1500, 0.02, 30, 40}},
        {".5 5. -.5 +5", {0.5, 5, -0.5, 5}},
        {"1.5-3 1.+2 2+0", {1.5e-3, 100, 2}},  // signed exponent without letter
        {"1.0E-310 2.5e300 0007", {1.0e-310, 2.5e300, 7}},
    };
    for (const auto& c : cases) expect_reals(c);
}

TEST(ListRead, NonFiniteFormsAreReadForTheCallerToJudge) {
    StringLineSource src("inf -Infinity NaN 1e999");
    double a = 0, b = 0, c = 0, d = 0;
    ASSERT_EQ(read_list(src, {ReadTarget::real(a), ReadTarget::real(b), ReadTarget::real(c), ReadTarget::real(d)}),
              ReadStatus::Ok);
    EXPECT_TRUE(std::isinf(a) && a > 0);
    EXPECT_TRUE(std::isinf(b) && b < 0);
    EXPECT_TRUE(std::isnan(c));
    EXPECT_TRUE(std::isinf(d));  // overflow
}

TEST(ListRead, ContinuesOverLinesAndNextReadStartsOnNewLine) {
    // Two values on the first line, the third after an empty line; the rest
    // of that line is ignored, and the next read takes the line after it.
    StringLineSource src("1 2\n\n   \n3 99 99\n4 5\n");
    double a = 0, b = 0, c = 0, d = 0;
    ASSERT_EQ(read_list(src, {ReadTarget::real(a), ReadTarget::real(b), ReadTarget::real(c)}), ReadStatus::Ok);
    EXPECT_EQ(std::vector<double>({a, b, c}), std::vector<double>({1, 2, 3}));
    ASSERT_EQ(read_list(src, {ReadTarget::real(d)}), ReadStatus::Ok);
    EXPECT_EQ(d, 4.0);

    // A comma that ends a line separates; one that starts the next line
    // after it marks an empty value.
    StringLineSource s2("1,\n2\n");
    ASSERT_EQ(read_list(s2, {ReadTarget::real(a), ReadTarget::real(b)}), ReadStatus::Ok);
    EXPECT_EQ(b, 2.0);
    StringLineSource s3("1,\n,3\n");
    b = kUnset;
    ASSERT_EQ(read_list(s3, {ReadTarget::real(a), ReadTarget::real(b), ReadTarget::real(c)}), ReadStatus::Ok);
    EXPECT_EQ(b, kUnset);
    EXPECT_EQ(c, 3.0);
}

TEST(ListRead, ReadWithoutTargetsConsumesOneLine) {
    StringLineSource src("anything at all: 1 2 x\n7\n");
    ASSERT_EQ(read_list(src, {}), ReadStatus::Ok);
    double d = 0;
    ASSERT_EQ(read_list(src, {ReadTarget::real(d)}), ReadStatus::Ok);
    EXPECT_EQ(d, 7.0);
}

TEST(ListRead, CarriageReturnBeforeLineEndIsNotPartOfValue) {
    StringLineSource src("1 2\r\n3\r\n");
    double a = 0, b = 0, c = 0;
    ASSERT_EQ(read_list(src, {ReadTarget::real(a), ReadTarget::real(b)}), ReadStatus::Ok);
    ASSERT_EQ(read_list(src, {ReadTarget::real(c)}), ReadStatus::Ok);
    EXPECT_EQ(b, 2.0);
    EXPECT_EQ(c, 3.0);
}

TEST(ListRead, EndOfSourceBeforeReadIsSatisfied) {
    double a = 0, b = 0;
    StringLineSource empty("");
    EXPECT_EQ(read_list(empty, {ReadTarget::real(a)}), ReadStatus::EndOfFile);
    EXPECT_EQ(read_list(empty, {}), ReadStatus::EndOfFile);
    StringLineSource blank("\n \n");
    EXPECT_EQ(read_list(blank, {ReadTarget::real(a)}), ReadStatus::EndOfFile);
    StringLineSource short_line("1\n");
    EXPECT_EQ(read_list(short_line, {ReadTarget::real(a), ReadTarget::real(b)}), ReadStatus::EndOfFile);
}

TEST(ListRead, MalformedRealsAreInputErrors) {
    const char* bad[] = {"abc", "1.5x",  "1.0E",   "1.0E+", "--1", "1..2", ".",    "+",   "E5",
                         "0*5", "*5",    "x*5",    "1*2*3", "'1'", "1.0Q3", "1,2,three", "1e5.0",
                         "1 2 3e"};
    for (const char* text : bad) {
        StringLineSource src(text);
        double a = 0, b = 0, c = 0;
        EXPECT_EQ(read_list(src, {ReadTarget::real(a), ReadTarget::real(b), ReadTarget::real(c)}),
                  ReadStatus::InputError)
            << text;
    }
}

TEST(ListRead, ValuesBeforeAnErrorAreKept) {
    StringLineSource src("1 2 x 4");
    double a = kUnset, b = kUnset, c = kUnset, d = kUnset;
    EXPECT_EQ(read_list(src, {ReadTarget::real(a), ReadTarget::real(b), ReadTarget::real(c), ReadTarget::real(d)}),
              ReadStatus::InputError);
    EXPECT_EQ(a, 1.0);
    EXPECT_EQ(b, 2.0);
    EXPECT_EQ(c, kUnset);
    EXPECT_EQ(d, kUnset);
}

TEST(ListRead, Integers) {
    struct Case {
        const char* text;
        ReadStatus st;
        int want;
    };
    const Case cases[] = {
        {"42", ReadStatus::Ok, 42},
        {"-7", ReadStatus::Ok, -7},
        {"+8 junk", ReadStatus::Ok, 8},
        {"2147483647", ReadStatus::Ok, 2147483647},
        {"-2147483648", ReadStatus::Ok, -2147483647 - 1},
        {"1*3", ReadStatus::Ok, 3},
        {",", ReadStatus::Ok, -1},  // empty: unchanged
        {"4.0", ReadStatus::InputError, -1},
        {"4.", ReadStatus::InputError, -1},
        {"4e1", ReadStatus::InputError, -1},
        {"4d0", ReadStatus::InputError, -1},
        {"2147483648", ReadStatus::InputError, -1},
        {"-", ReadStatus::InputError, -1},
        {"+-3", ReadStatus::InputError, -1},
        {"ten", ReadStatus::InputError, -1},
    };
    for (const auto& c : cases) {
        StringLineSource src(c.text);
        int n = -1;
        EXPECT_EQ(read_list(src, {ReadTarget::integer(n)}), c.st) << c.text;
        EXPECT_EQ(n, c.want) << c.text;
    }
}

TEST(ListRead, TextValue) {
    struct Case {
        const char* text;
        const char* want;
    };
    const Case cases[] = {
        {"input.txt", "input.txt"},
        {"  input.txt  other", "input.txt"},
        {"a.txt,b", "a.txt"},
        {"a.txt/b", "a.txt"},
        {"a.txt\tb", "a.txt"},
        {"name.txt\r\n", "name.txt"},
        {"\n\n  later.txt", "later.txt"},
        {"'my file.txt'", "my file.txt"},
        {"\"my, file/x\" rest", "my, file/x"},
        {"'it''s.txt'", "it's.txt"},
        {"'open", "open"},
        {"C:\\data\\w1.txt", "C:\\data\\w1.txt"},
        {"2*w.txt", "w.txt"},
        {",", "unchanged"},
        {"/", "unchanged"},
        {"2*", "unchanged"},
    };
    for (const auto& c : cases) {
        StringLineSource src(c.text);
        std::string v = "unchanged";
        EXPECT_EQ(read_list_text(src, v), ReadStatus::Ok) << c.text;
        EXPECT_EQ(v, c.want) << c.text;
    }
    StringLineSource none("\n  \n");
    std::string v;
    EXPECT_EQ(read_list_text(none, v), ReadStatus::EndOfFile);
}

TEST(StringLineSource, SplitsAtLineEnds) {
    StringLineSource src("a\r\nb\n\nc");
    std::string line;
    std::vector<std::string> got;
    while (src.next_line(line)) got.push_back(line);
    EXPECT_EQ(got, (std::vector<std::string>{"a", "b", "", "c"}));
}

}  // namespace
}  // namespace slug
