// Results of a run as CSV: a header row "time,H/Ho,drawdown" and one row
// per output time in the order of the results table, every value with 17
// significant digits ("%.17g"), which restores the double exactly when read
// back.
#pragma once

#include <span>
#include <string>

#include "report/units.hpp"

namespace slug {

// Header row of the CSV file (without its line end) in unnamed units.
inline constexpr const char* kCsvHeader = "time,H/Ho,drawdown";

// The header row: kCsvHeader, or with named units "time (s),H/Ho,drawdown (m)".
std::string csv_header(const Units& units);

// One value as written in the CSV: "%.17g", non-finite values as "nan",
// "inf" or "-inf".
std::string csv_number(double v);

// The whole CSV text; the three arrays are in table order and of one
// length (the shortest length is used otherwise). Lines end with '\n'.
std::string results_csv_text(std::span<const double> time,
                             std::span<const double> ratio,
                             std::span<const double> drawdown, const Units& units = {});

// Writes the CSV text to path (replacing the file). Returns true on
// success; on failure false with the reason in error.
bool write_results_csv(const std::string& path, std::span<const double> time,
                       std::span<const double> ratio,
                       std::span<const double> drawdown, std::string& error,
                       const Units& units = {});

}  // namespace slug
