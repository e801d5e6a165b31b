// The input reader fed from memory: the fuzz target and tests read input
// files held in memory through the program's own reader.
#pragma once

#include <string_view>

#include "fio/fio.hpp"
#include "run/input_reader.hpp"

namespace slug {

// Runs read_input on `text` as the bytes of the input file, with the same
// reads and console lines, and stores what it read in values. Returns Ok at
// a normal end, InputError after the reader's input-error line, and
// EndOfFile where the program would end with the fatal end-of-file report
// (here neither the report is written nor the run ended; values are then
// left as they were).
ReadStatus read_input_memory(std::string_view text, InputValues& values);

}  // namespace slug
