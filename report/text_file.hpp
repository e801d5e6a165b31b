// Writing a whole text file at once (CSV, SVG, fit reports).
#pragma once

#include <string>

namespace slug {

// Writes text to path, replacing the file as a whole (a temporary file in
// the same folder renamed over it when complete). On failure returns false
// with the system's reason in error and the old file untouched; a short
// write or a failed close counts as a failure, so nothing half-written is
// reported as written.
bool write_text_file(const std::string& path, const std::string& text, std::string& error);

}  // namespace slug
