// Writing a whole text file at once (CSV, SVG, fit reports).
#pragma once

#include <string>

namespace slug {

// Writes text to path, replacing the file. On failure returns false with
// the system's reason in error; a short write or a failed close counts as
// a failure, so nothing half-written is reported as written.
bool write_text_file(const std::string& path, const std::string& text, std::string& error);

}  // namespace slug
