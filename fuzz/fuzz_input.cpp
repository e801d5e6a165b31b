// libFuzzer target over the input reader and the derived groups: the
// fuzzed bytes are read from memory as an input file (datainput_memory),
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

#include "run/input_reader.hpp"
#include "run/input_memory.hpp"
#include "run/input_check.hpp"
#include "compat/params.hpp"

namespace {

void require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz_input: broken promise: %s\n", what);
        std::abort();
    }
}

void check_usable_groups() {
    using namespace slug;
    require(par4.ITIME == 1, "ITIME is 1 after a complete read");
    require(par4.NTIME <= kMaxTimes, "at most 200 times");
    for (int i = 0; i < par4.NTIME; ++i)
        require(std::isfinite(par12.TIMES[static_cast<std::size_t>(i)]) &&
                    par12.TIMES[static_cast<std::size_t>(i)] > 0.0,
                "every time finite and positive");
    const double groups[] = {par5.BB,  par5.KR,   par5.XKD,   par5.SS,   par5.SY,   par5.RW,   par5.HO,
                             par5.RC,  par5.SL,   par5.HOB,   par6.CCD,  par6.SW,   par11.XLD, par11.XDD,
                             par13.UA1, par13.UA2, par13.UL1, par13.XKD2, par13.UL2};
    for (double g : groups) require(std::isfinite(g), "every model group finite");
    require(par5.SL > 0.0, "screen of positive length");
    require(par11.XDD >= 0.0 && par11.XDD < par11.XLD && par11.XLD <= 1.0, "screen inside the aquifer");
    require(par13.XKD2 > 0.0 && par5.XKD > 0.0, "anisotropy groups positive");
    const double tc = par5.RC * par5.RC / (2.0 * par5.SL * par5.KR);
    require(std::isfinite(tc) && tc > 0.0, "time scale positive and finite");
    const double v = par2.NTERM * std::pow(2.0, -std::log10(par13.XKD2) - 2.0);
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
    slug::reset_blocks();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const slug::ReadStatus status = slug::datainput_memory(text);
    const slug::InputRecord& rec = slug::datainput_record();
    switch (status) {
    case slug::ReadStatus::EndOfFile:
        break;
    case slug::ReadStatus::InputError:
        require(rec.input_error, "input error recorded");
        require(rec.error_line >= 2 && rec.error_line <= 5LL + std::max(slug::par4.NTIME, 0),
                "input error on an existing data line");
        break;
    case slug::ReadStatus::Ok:
        require(!rec.input_error, "no input error after a normal end");
        if (slug::check_input(rec).empty()) check_usable_groups();
        break;
    }
    return 0;
}
