// Fortran fixed-point output editing (the F edit descriptor, Fw.d) and the
// row of the results table built from it.
#pragma once

#include <string>

namespace slug {

// The value edited as Fw.d (ISO/IEC 1539-1:2010, 10.7.2.3.2): rounded to d
// decimals (to nearest, exact ties to even) and right-justified in w
// columns; a value below 1 keeps its 0 before the point unless dropping
// it makes the number fit; a minus sign only when a nonzero digit follows;
// w asterisks when the number does not fit. Infinities and NaN are written
// as "Infinity"/"Inf" and "NaN" (with "-" for a negative infinity),
// right-justified, or as asterisks when even the short form does not fit.
// Requires w >= 1 and d >= 0.
std::string format_fixed(double value, int w, int d);

// One row of the results table: 5 blanks, the time as F16.5, 6 blanks, the
// head ratio as F12.7, 9 blanks, the drawdown as F10.7 (58 characters).
std::string format_table_row(double time, double ratio, double drawdown);

}  // namespace slug
