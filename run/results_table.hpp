// The results table of a run: its head in outfile.txt and on the console,
// the rows, and the console's closing lines.
#pragma once

#include <string_view>

#include "run/time_loop.hpp"

namespace slug {

// Writes the head of the results table (an empty line, the column names,
// the underlines) to a unit: the results file at start-up, the console
// before the table.
void write_results_head(int unit);

// The table on the console (head, rows, foot, closing lines naming the
// input file by its 20-column field name_field) and the rows in the
// results file (unit 21), in the order of the time list.
void write_report(const time_loop::Results& r, std::string_view name_field);

}  // namespace slug
