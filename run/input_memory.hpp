// The input reader fed from memory: the fuzz target and tests read input
// files held in memory through the program's own reader.
#pragma once

#include <string_view>

#include "fio/fio.hpp"

namespace slug {

// Runs datainput on `text` as the bytes of the input file, with the same
// reads, console lines, parameter blocks and datainput_record(). Returns
// Ok at a normal end, InputError after the reader's input-error line, and
// EndOfFile where the program would end with the fatal end-of-file report
// (here neither the report is written nor the run ended).
ReadStatus datainput_memory(std::string_view text);

}  // namespace slug
