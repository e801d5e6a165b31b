// Fortran F edit descriptor (Fw.d) for output, after the rules of the
// Fortran standard (ISO/IEC 1539-1:2010, 10.7.2.3.2): the digits are the
// value correctly rounded to d decimals (std::to_chars in fixed form, the
// correctly rounded conversion of the exact binary value, with exact ties
// to even);
// the optional zero before the decimal point of a value below 1 is written
// when there is room for it; a negative value whose rounded digits are all
// zero is written without its sign; a number wider than the field fills
// the field with asterisks.
#include "fio/fixed_format.hpp"

#include <cmath>
#include <charconv>
#include <string>

namespace slug {

namespace {

std::string right_justify(const std::string& s, int w) {
    if (static_cast<int>(s.size()) > w) return std::string(static_cast<std::size_t>(w), '*');
    return std::string(static_cast<std::size_t>(w) - s.size(), ' ') + s;
}

std::string non_finite(double value, int w) {
    if (std::isnan(value)) return right_justify("NaN", w);
    const bool neg = value < 0.0;
    const std::string sign = neg ? "-" : "";
    if (w >= static_cast<int>(sign.size()) + 8) return right_justify(sign + "Infinity", w);
    return right_justify(sign + "Inf", w);
}

}  // namespace

std::string format_fixed(double value, int w, int d) {
    if (w < 1) return std::string();
    if (d < 0) d = 0;
    if (!std::isfinite(value)) return non_finite(value, w);

    // The digits of |value| rounded to d decimals; a value of d = 0 still
    // gets its decimal point ("0." and "12."). The largest double has 309
    // integer digits, so the buffer holds any d up to kMaxDecimals.
    constexpr int kMaxDecimals = 80;
    if (d > kMaxDecimals) d = kMaxDecimals;
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::fixed, d);
    std::string digits(buf, res.ptr);
    if (d == 0) digits += '.';

    const bool nonzero = digits.find_first_of("123456789") != std::string::npos;
    const std::string sign = (std::signbit(value) && nonzero) ? "-" : "";

    std::string s = sign + digits;
    // The zero before the point is optional: drop it only when that makes
    // the number fit, and keep at least one digit in the field.
    if (static_cast<int>(s.size()) > w && digits.size() > 2 && digits[0] == '0' && digits[1] == '.') {
        s = sign + digits.substr(1);
    }
    return right_justify(s, w);
}

std::string format_table_row(double time, double ratio, double drawdown) {
    std::string row(5, ' ');
    row += format_fixed(time, 16, 5);
    row += std::string(6, ' ');
    row += format_fixed(ratio, 12, 7);
    row += std::string(9, ' ');
    row += format_fixed(drawdown, 10, 7);
    return row;
}

}  // namespace slug
