// Input reader: the fixed line order of the input file (title, skipped
// heading lines, the aquifer, unsaturated-zone and well lines, the count and
// the output times) and the console echo of what was read, with the
// dimensionless groups of the model (model/well_model) that the echo shows.
#include "run/input_reader.hpp"

#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <string>
#include <string_view>

#include "fio/fio.hpp"
#include "run/run_options.hpp"

namespace slug {

namespace {

// The numbers among the blank- or comma-separated items of text, up to a
// slash (which ends a list read on purpose).
std::vector<std::string> numbers_in(std::string_view text) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == ',')) ++i;
        if (i >= text.size() || text[i] == '/') break;
        std::size_t e = i;
        while (e < text.size() && text[e] != ' ' && text[e] != '\t' && text[e] != ',' && text[e] != '/') ++e;
        std::string item(text.substr(i, e - i));
        for (char& c : item)
            if (c == 'd' || c == 'D') c = 'e';  // a Fortran exponent
        char* end = nullptr;
        std::strtod(item.c_str(), &end);
        if (!item.empty() && end == item.c_str() + item.size()) out.emplace_back(text.substr(i, e - i));
        i = e;
    }
    return out;
}

// The warning for numbers left over on a value line, or nothing.
void note_extra_values(InputValues& v, std::string_view what, std::size_t needed, const std::string& rest) {
    const std::vector<std::string> extra = numbers_in(rest);
    if (extra.empty()) return;
    std::string list;
    for (const std::string& x : extra) list += (list.empty() ? "" : " ") + x;
    std::string w = "line " + std::to_string(unit_lines_read(kInputUnit)) + " (" + std::string(what) +
                    ") holds more numbers than the " + std::to_string(needed) + " it needs; ignored: " + list;
    if (rest.find(',') != std::string::npos)
        w += " (a decimal comma reads as two numbers: write 0.20, not 0,20)";
    v.warnings.push_back(w);
}

// Reads the targets from the input file; on an input error notes the line
// in v, reports it on the console and closes the file. Numbers left over on
// the last line read are noted as a warning under the name `what`.
bool read_values(InputValues& v, int line, std::string_view what, std::initializer_list<ReadTarget> targets) {
    std::string rest;
    if (read_unit_list(kInputUnit, targets, &rest) == ReadStatus::Ok) {
        note_extra_values(v, what, targets.size(), rest);
        return true;
    }
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
    if (!read_values(v, line, "aquifer line", {ReadTarget::real(w.bb), ReadTarget::real(w.kr), ReadTarget::real(w.kz),
                               ReadTarget::real(w.hks), ReadTarget::real(w.ss), ReadTarget::real(w.sy)}))
        return v;
    write_list(kConsole, {"BB=", w.bb, " Kr=", w.kr, " KZ=", w.kz, "HKS= ", w.hks, " SS=", w.ss});

    // Unsaturated-zone line.
    line = 3;
    read_unit_skip(kInputUnit);
    read_unit_skip(kInputUnit);
    if (!read_values(v, line, "unsaturated-zone line", {ReadTarget::real(w.u1), ReadTarget::real(w.u2), ReadTarget::real(w.u3),
                               ReadTarget::real(w.u4)}))
        return v;
    write_list(kConsole, {"Finished  reading line 3."});
    line = 4;

    // Well line.
    read_unit_skip(kInputUnit);
    read_unit_skip(kInputUnit);
    if (!read_values(v, line, "well line", {ReadTarget::real(w.ho), ReadTarget::real(w.rw), ReadTarget::real(w.rc),
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
    if (!read_values(v, line, "count line", {ReadTarget::integer(v.ntime)})) return v;
    const std::size_t before_times = v.warnings.size();
    for (int i = 1; i <= v.ntime; ++i) {
        ++line;
        double time = 0.0;
        if (!read_values(v, line, "time line", {ReadTarget::real(time)})) return v;
        if (i <= kMaxOutputTimes) v.times.push_back(time);
    }
    // Time lines with a second number (time and head pasted from a record):
    // the first one named, the others counted.
    if (const std::size_t n = v.warnings.size() - before_times; n > 1) {
        v.warnings.resize(before_times + 1);
        v.warnings.back() += "; " + std::to_string(n - 1) + " more time lines hold extra numbers";
    }

    // Lines holding a number after the list: the count is smaller than the
    // list, most often because a heading line above the count was deleted
    // and the first time became the count.
    long more = 0;
    long first_more = 0;
    for (std::string rest; read_unit_line(kInputUnit, rest);)
        if (!numbers_in(rest).empty()) {
            if (more++ == 0) first_more = unit_lines_read(kInputUnit);
        }
    if (more > 0)
        v.warnings.push_back("the count line gives " + std::to_string(v.ntime) + (v.ntime == 1 ? " time" : " times") +
                             ", but " + std::to_string(more) + (more == 1 ? " more line" : " more lines") +
                             " with numbers follow the time list (from line " + std::to_string(first_more) +
                             "): is the count wrong, or a heading line above it missing?");
    // The echo after the look past the list, so that the echo stays the
    // last transfer before the results file is opened (the fatal report
    // of a failed open names it).
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
