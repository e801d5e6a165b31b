// Checks of the values read from the input file that the model cannot
// use; run by the start-up after the reader's messages.
#pragma once

#include <string>

#include "run/input_reader.hpp"

namespace slug {

// The first value of the input (in file order) that the model cannot use,
// as one line of text naming the value and the reason; empty when every
// value is usable. Reads the parameter blocks and the reader's record.
std::string check_input(const InputRecord& rec);

}  // namespace slug
