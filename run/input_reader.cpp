// Input reader: the fixed line order of the input file (title, skipped
// heading lines, the aquifer, unsaturated-zone and well lines, the count and
// the output times) and the console echo of what was read, with the
// dimensionless groups of the model (model/well_model) that the echo shows.
#include "run/input_reader.hpp"

#include <fstream>
#include <initializer_list>
#include <string>

#include "fio/fio.hpp"
#include "run/run_options.hpp"

namespace slug {

namespace {

// Reads the targets from the input file; on an input error notes the line
// in v, reports it on the console and closes the file.
bool read_values(InputValues& v, int line, std::initializer_list<ReadTarget> targets) {
    if (read_unit_list(kInputUnit, targets) == ReadStatus::Ok) return true;
    v.input_error = true;
    v.error_line = line;
    write_list(kConsole, {" While readling line=", line, " Encount             an Input Error"});
    close_unit(kInputUnit);
    return false;
}

}  // namespace

InputValues read_input(const std::string& name) {
    InputValues v;
    WellInput& w = v.well;

    std::string path = name;
    while (!path.empty() && path.back() == ' ') path.pop_back();
    open_input(kInputUnit, path);
    v.title = read_unit_text(kInputUnit, 70);
    write_list(kConsole, {v.title});

    int line = 1;
    read_unit_skip(kInputUnit);
    line = 2;
    read_unit_skip(kInputUnit);

    // Aquifer line.
    if (!read_values(v, line, {ReadTarget::real(w.bb), ReadTarget::real(w.kr), ReadTarget::real(w.kz),
                               ReadTarget::real(w.hks), ReadTarget::real(w.ss), ReadTarget::real(w.sy)}))
        return v;
    write_list(kConsole, {"BB=", w.bb, " Kr=", w.kr, " KZ=", w.kz, "HKS= ", w.hks, " SS=", w.ss});

    // Unsaturated-zone line.
    line = 3;
    read_unit_skip(kInputUnit);
    read_unit_skip(kInputUnit);
    if (!read_values(v, line, {ReadTarget::real(w.u1), ReadTarget::real(w.u2), ReadTarget::real(w.u3),
                               ReadTarget::real(w.u4)}))
        return v;
    write_list(kConsole, {"Finished  reading line 3."});
    line = 4;

    // Well line.
    read_unit_skip(kInputUnit);
    read_unit_skip(kInputUnit);
    if (!read_values(v, line, {ReadTarget::real(w.ho), ReadTarget::real(w.rw), ReadTarget::real(w.rc),
                               ReadTarget::real(w.zpd), ReadTarget::real(w.zpl), ReadTarget::real(w.ds)}))
        return v;
    const ScreenDepths depths = screen_depths(w);
    v.reversed = depths.reversed;
    if (depths.reversed) write_list(kConsole, {"Top and bottom Screen Depth Reversed"});
    const WellModel m = make_well_model(w);
    if (w.hks > 0.0)
        write_list(kConsole, {"HKS=", w.hks, " DS=", w.ds, " SW =", m.SW});
    else
        write_list(kConsole, {"No Skin Effect"});
    write_list(kConsole, {" XKD=", m.XKD});
    write_list(kConsole, {" CCD=", m.CCD});
    write_list(kConsole, {" XLD=", m.XLD, " XDD=", m.XDD});
    write_list(kConsole, {" ZPD=", depths.zpd, " ZPL=", depths.zpl, " BB=", w.bb});

    // Count line and the time list, one time per line.
    line = 5;
    read_unit_skip(kInputUnit);
    read_unit_skip(kInputUnit);
    read_unit_skip(kInputUnit);
    if (!read_values(v, line, {ReadTarget::integer(v.ntime)})) return v;
    for (int i = 1; i <= v.ntime; ++i) {
        ++line;
        double time = 0.0;
        if (!read_values(v, line, {ReadTarget::real(time)})) return v;
        if (i <= kMaxOutputTimes) v.times.push_back(time);
    }

    write_list(kConsole, {" End  Reading Input Data"});
    close_unit(kInputUnit);
    return v;
}

std::string input_title(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line)) return {};
    if (!line.empty() && line.back() == '\r') line.pop_back();
    constexpr std::size_t kTitleLen = 70;
    if (line.size() > kTitleLen) {
        std::size_t cut = kTitleLen;
        const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(line[i]); };
        // line[cut] continues a UTF-8 character: drop that character whole.
        if ((byte(cut) & 0xC0) == 0x80) {
            std::size_t k = cut;
            while (k > 0 && (byte(k - 1) & 0xC0) == 0x80) --k;
            if (k > 0 && byte(k - 1) >= 0xC0) cut = k - 1;
        }
        line.resize(cut);
    }
    return line;
}

}  // namespace slug
