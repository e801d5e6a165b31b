// libFuzzer target over the reader of a fit's observation file. Beyond the
// sanitizers' own findings, the target aborts when the reader breaks one of
// its promises:
//  - a refused file holds no observations and names why, in a message that
//    names the file and holds no byte that cuts a C string short;
//  - a read file holds as many times, values and lines, at least one;
//    times finite, greater than 0 and strictly increasing; values finite;
//    lines increasing and within the file.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fit/fit_data.hpp"

namespace {

void require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz_fit_data: broken promise: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    slug::Observations obs;
    std::string error;
    const bool ok = slug::parse_observations(text, "d.txt", obs, error);
    if (!ok) {
        require(obs.time.empty(), "a refused file keeps no observations");
        require(error.find("d.txt") != std::string::npos, "the message names the file");
        require(error.find('\0') == std::string::npos, "the message holds no NUL byte");
        return 0;
    }
    const std::size_t n = obs.time.size();
    require(n >= 1 && obs.value.size() == n && obs.line.size() == n, "one time, value and line per observation");
    std::size_t lines = 1;
    for (char c : text) lines += c == '\n';
    for (std::size_t i = 0; i < n; ++i) {
        require(std::isfinite(obs.time[i]) && obs.time[i] > 0.0, "times finite and greater than 0");
        require(std::isfinite(obs.value[i]), "values finite");
        require(obs.line[i] >= 1 && static_cast<std::size_t>(obs.line[i]) <= lines, "lines within the file");
        if (i > 0) {
            require(obs.time[i] > obs.time[i - 1], "times strictly increasing");
            require(obs.line[i] > obs.line[i - 1], "lines increasing");
        }
    }
    return 0;
}
