// The input reader fed from memory. The bytes take the place of the input
// file at the reader's open (substitute_input), and the fatal end-of-file
// condition, which ends the program, is turned into a status by a fatal
// handler that unwinds back to here.
#include "run/input_memory.hpp"

#include <string>

namespace slug {

namespace {

struct EndOfInput {};

[[noreturn]] void end_of_input(const std::string&, int, const std::string&) { throw EndOfInput{}; }

}  // namespace

ReadStatus read_input_memory(std::string_view text, InputValues& values) {
    substitute_input(kInputUnit, text.data(), text.size());
    const FatalHandler previous = set_fatal_handler(end_of_input);
    ReadStatus status = ReadStatus::Ok;
    try {
        values = read_input("");
        if (values.input_error) status = ReadStatus::InputError;
    } catch (const EndOfInput&) {
        status = ReadStatus::EndOfFile;
    }
    set_fatal_handler(previous);
    close_unit(kInputUnit);
    substitute_input(kInputUnit, nullptr, 0);
    return status;
}

}  // namespace slug
