// The results table: fixed columns of time, H/Ho and the slug drawdown,
// on the console between a head and a foot, and as rows of outfile.txt
// under the head that the start-up wrote.
#include "run/results_table.hpp"

#include <string>
#include <vector>

#include "fio/fio.hpp"
#include "fio/fixed_format.hpp"

namespace slug {

namespace {

constexpr std::string_view kRowFormat = "(5X,F16.5,6X,F12.7,9X,F10.7)";

std::string blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

void write_foot() {
    write_record(kConsole, "");
    write_record(kConsole, blanks(8) + "--------------      -------------" + blanks(6) + "-------------");
    write_record(kConsole, blanks(15) + "TIME" + blanks(10) + "H/Ho Ratio" + blanks(8) + "Slug Drawdown");
}

}  // namespace

void write_results_head(int unit) {
    write_record(unit, "");
    write_record(unit, std::string(12, ' ') + "TIME" + std::string(12, ' ') + " H/Ho Ratio" + std::string(8, ' ') +
                           "Slug Drawdown");
    write_record(unit, std::string(8, ' ') + "--------------      --------------" + std::string(4, ' ') +
                           "--------------");
}

void write_report(const time_loop::Results& r, std::string_view name_field) {
    write_results_head(kConsole);
    for (int i = r.count - 1; i >= 0; --i) {
        const auto k = static_cast<std::size_t>(i);
        const std::string row = format_table_row(r.time[k], r.ratio[k], r.drawdown[k]);
        write_record(kConsole, row, kRowFormat);
        write_record(kResultsUnit, row, kRowFormat);
    }
    write_foot();
    write_list(kConsole, std::vector<ListItem>{});
    write_list(kConsole, {"            Input file is ", name_field});
    write_list(kConsole, {"            The output file is outfile.txt"});
}

}  // namespace slug
