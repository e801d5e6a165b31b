// Pieces of the run start-up that the rest of the driver shares.
#pragma once

namespace slug {

// Writes the head of the results table (an empty line, the column names,
// the underlines) to a unit: the results file at start-up, the console
// before the table.
void write_results_head(int unit);

}  // namespace slug
