// Input reader of slugwell: reads an input file of fixed line order,
// echoes on the console what it read and the dimensionless groups derived
// from it, and returns the values.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "model/well_model.hpp"

namespace slug {

// The longest input file name a run or a fit takes (the system's PATH_MAX
// less its end); a longer one is refused, never shortened.
constexpr std::size_t kLongestInputName = 4095;

// What the reader read. After an input error the values read before it
// are kept and the later ones are 0 (times: those read).
struct InputValues {
    std::string title;  // the title line as echoed (70 columns)
    WellInput well;     // screen depths as given
    bool reversed = false;  // the screen depths were given bottom first
    int ntime = 0;      // the count of output times, as read
    // The output times in file order: the first min(ntime, kMaxOutputTimes)
    // of the list (times beyond that capacity are read, so that their lines
    // are checked like the others, but not kept; the start-up rejects such
    // a count).
    std::vector<double> times;
    bool input_error = false;  // the reader stopped at an input error
    int error_line = 0;        // data line of that error (2, 3, 4, 5, 5+k)
    // What looks wrong in a file that reads without error, one sentence
    // each, for the error stream (the reader itself writes only the echo):
    // numbers on a value line beyond those it needs (a decimal comma such
    // as 0,20 reads as the two values 0 and 20), and lines holding numbers
    // after the last time of the count (a heading line deleted above the
    // count turns the first time into the count).
    std::vector<std::string> warnings;
};

// Reads the input file `name` (trailing blanks dropped) on unit 11. An
// input error (a value that is not a number of its kind) is reported on
// the console with its data-line number; the reader then closes the file
// and returns with input_error set. A file that cannot be opened, or that
// ends before the reader is done, is a fatal condition of the unit layer.
InputValues read_input(const std::string& name);

// The title line of an input file as the picture shows it: the first 70
// characters of the first line (a multi-byte UTF-8 character cut by the
// 70-character limit is dropped whole). Empty when the file cannot be read.
std::string input_title(const std::string& path);

}  // namespace slug
