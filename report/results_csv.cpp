// CSV form of the results table for spreadsheets and scripts. Values use
// printf's "%.17g": 17 significant digits identify every IEEE double
// uniquely, so a reader gets back exactly the numbers the program computed.
#include "report/text_file.hpp"
#include "report/results_csv.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace slug {

std::string csv_number(double v) {
    if (std::isnan(v)) return "nan";
    if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

std::string csv_header(const Units& units) {
    if (!units.named()) return kCsvHeader;
    return with_unit("time", units.time, "") + ",H/Ho," + with_unit("drawdown", units.length, "");
}

std::string results_csv_text(std::span<const double> time,
                             std::span<const double> ratio,
                             std::span<const double> drawdown, const Units& units) {
    std::size_t n = std::min({time.size(), ratio.size(), drawdown.size()});
    std::string s = csv_header(units);
    s += '\n';
    for (std::size_t i = 0; i < n; ++i) {
        s += csv_number(time[i]);
        s += ',';
        s += csv_number(ratio[i]);
        s += ',';
        s += csv_number(drawdown[i]);
        s += '\n';
    }
    return s;
}

bool write_results_csv(const std::string& path, std::span<const double> time,
                       std::span<const double> ratio,
                       std::span<const double> drawdown, std::string& error,
                       const Units& units) {
    return write_text_file(path, results_csv_text(time, ratio, drawdown, units), error);
}

}  // namespace slug
