// Type-curve picture of a slug test as SVG: H/Ho against time on a
// logarithmic time axis (the semi-log view of Cooper, Bredehoeft and
// Papadopulos, 1967), with gridlines at each decade, axis labels and the
// input file's title line.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace slug {

// Text made safe for XML character data and attribute values: & < > " '
// become entity references; bytes that are not valid UTF-8 are taken as
// Latin-1 characters (U+00A0..U+00FF; U+0080..U+009F become U+FFFD);
// characters that XML 1.0 forbids (control characters other than tab,
// line feed and carriage return) become U+FFFD.
std::string xml_escape(std::string_view text);

// Complete SVG document of H/Ho (ratio) against time. The arrays are in
// table order and of one length; points whose time is not positive or
// whose values are not finite cannot be placed on the logarithmic axis and
// are left out (the picture says how many). Trailing blanks of the title
// are dropped.
std::string response_svg(std::string_view title, std::span<const double> time,
                         std::span<const double> ratio);

// Writes response_svg(...) to path (replacing the file). Returns true on
// success; on failure false with the reason in error.
bool write_response_svg(const std::string& path, std::string_view title,
                        std::span<const double> time,
                        std::span<const double> ratio, std::string& error);

}  // namespace slug
