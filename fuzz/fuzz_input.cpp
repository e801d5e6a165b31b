// libFuzzer target over the input reader and the derived groups: the
// fuzzed bytes are read from memory as an input file (read_input_memory),
// then the start-up's checks of the values are run on what was read.
// Beyond the sanitizers' own findings, the target aborts when the reader
// or the checks break one of their promises:
//  - an input error names a data line that exists (2 ... 5 + count);
//  - after a normal end, a file that passes the checks yields finite,
//    usable model groups: a screen of positive length inside 0 ... 1 of
//    the thickness, at most 200 times, all of them positive, a positive
//    finite time scale and a series term count that fits an int.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/well_model.hpp"
#include "run/input_check.hpp"
#include "run/input_memory.hpp"
#include "run/run_options.hpp"

namespace {

void require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz_input: broken promise: %s\n", what);
        std::abort();
    }
}

void check_usable_groups(const slug::InputValues& in, const slug::WellModel& m) {
    using namespace slug;
    require(in.ntime <= kMaxOutputTimes, "at most 200 times");
    require(in.times.size() == static_cast<std::size_t>(std::max(in.ntime, 0)), "every time kept");
    for (double t : in.times) require(std::isfinite(t) && t > 0.0, "every time finite and positive");
    const double groups[] = {m.BB,  m.KR,  m.XKD, m.SS,  m.SY,  m.RW,   m.HO,  m.RC,  m.SL,  m.HOB,
                             m.CCD, m.SW,  m.XLD, m.XDD, m.UA1, m.UA2, m.UL1, m.XKD2, m.UL2};
    for (double g : groups) require(std::isfinite(g), "every model group finite");
    require(m.SL > 0.0, "screen of positive length");
    require(m.XDD >= 0.0 && m.XDD < m.XLD && m.XLD <= 1.0, "screen inside the aquifer");
    require(m.XKD2 > 0.0 && m.XKD > 0.0, "anisotropy groups positive");
    require(std::isfinite(m.TC) && m.TC > 0.0, "time scale positive and finite");
    const double v = m.numerics.NTERM * std::pow(2.0, -std::log10(m.XKD2) - 2.0);
    require(v + 0.5 < 2147483648.0, "series term count fits an int");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The reader echoes every file on the console; keep the fuzzer's
    // terminal for its own reports.
    if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    slug::InputValues in;
    const slug::ReadStatus status = slug::read_input_memory(text, in);
    switch (status) {
    case slug::ReadStatus::EndOfFile:
        break;
    case slug::ReadStatus::InputError:
        require(in.input_error, "input error recorded");
        require(in.error_line >= 2 && in.error_line <= 5LL + std::max(in.ntime, 0),
                "input error on an existing data line");
        break;
    case slug::ReadStatus::Ok: {
        require(!in.input_error, "no input error after a normal end");
        const slug::WellModel m = slug::make_well_model(in.well);
        if (slug::check_input(in, m).empty()) check_usable_groups(in, m);
        break;
    }
    }
    return 0;
}
