// Input reader: the fixed line order of the input file (title, skipped
// heading lines, the aquifer, unsaturated-zone and well lines, the count and
// the output times), the console echo of what was read, and the
// dimensionless groups of the model, each product and quotient evaluated
// left to right in the order written below.
#include "run/input_reader.hpp"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "compat/params.hpp"
#include "fio/fio.hpp"

namespace slug {

namespace {

InputRecord g_record;

// The name to open: the whole name as typed, trailing blanks removed.
std::string input_name() {
    std::string name = par15.LONGNAME[0] != '\0' ? std::string(par15.LONGNAME)
                                                 : std::string(par15.INFILE, kInfileLen);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name;
}

bool read_values(int line, std::initializer_list<ReadTarget> targets) {
    if (read_unit_list(kInputUnit, targets) == ReadStatus::Ok) return true;
    g_record.input_error = true;
    g_record.error_line = line;
    write_list(kConsole, {" While readling line=", line, " Encount             an Input Error"});
    close_unit(kInputUnit);
    return false;
}

}  // namespace

const InputRecord& datainput_record() { return g_record; }

void derive_unsat_groups(const InputRecord& r) {
    par13.UA1 = r.U1 * par5.BB;
    par13.UA2 = r.U2 * par5.BB;
    par13.UL1 = r.U3 / par5.BB;
    par13.UL2 = r.U4 / par5.BB;
}

void derive_well_groups(const InputRecord& r) {
    par5.SL = r.ZPL - r.ZPD;
    par5.HOB = par5.HO / par5.BB;

    // Skin: a skin zone of conductivity HKS and thickness DS around the
    // screen; HKS <= 0 means there is none.
    if (r.HKS > 0.0)
        par6.SW = ((par5.KR / r.HKS) * r.DS) / par5.RW;
    else
        par6.SW = 0.0;

    par5.XKD = (par5.RW * par5.RW * r.KZ) / (par5.KR * par5.BB * par5.BB);
    par6.CCD = (2.0 * par5.SS * par5.RW * par5.RW * par5.SL) / (par5.RC * par5.RC);

    par13.XKD2 = (r.KZ / par5.KR) * (par5.RW / par5.BB) * (par5.RW / par5.BB);
    par11.XDD = r.ZPD / par5.BB;
    par11.XLD = r.ZPL / par5.BB;
}

double time_scale() { return par5.RC * par5.RC / (2.0 * par5.SL * par5.KR); }

void datainput() {
    g_record = InputRecord{};
    InputRecord& r = g_record;

    open_input(kInputUnit, input_name());
    const std::string title = read_unit_text(kInputUnit, 70);
    write_list(kConsole, {title});

    int line = 1;
    read_unit_skip(kInputUnit);
    line = 2;
    read_unit_skip(kInputUnit);

    // Aquifer line.
    if (!read_values(line, {ReadTarget::real(par5.BB), ReadTarget::real(par5.KR), ReadTarget::real(r.KZ),
                            ReadTarget::real(r.HKS), ReadTarget::real(par5.SS), ReadTarget::real(par5.SY)}))
        return;
    write_list(kConsole, {"BB=", par5.BB, " Kr=", par5.KR, " KZ=", r.KZ, "HKS= ", r.HKS, " SS=", par5.SS});

    // Unsaturated-zone line.
    line = 3;
    read_unit_skip(kInputUnit);
    read_unit_skip(kInputUnit);
    if (!read_values(line, {ReadTarget::real(r.U1), ReadTarget::real(r.U2), ReadTarget::real(r.U3),
                            ReadTarget::real(r.U4)}))
        return;
    write_list(kConsole, {"Finished  reading line 3."});
    derive_unsat_groups(r);

    par7.EPS = 1.0e-10;
    par7.TOLINV = 1.0e-4;
    par2.NTERM = 30;
    par2.NINV = 6;
    par2.MINV = 3;
    line = 4;

    // Well line.
    read_unit_skip(kInputUnit);
    read_unit_skip(kInputUnit);
    if (!read_values(line, {ReadTarget::real(par5.HO), ReadTarget::real(par5.RW), ReadTarget::real(par5.RC),
                            ReadTarget::real(r.ZPD), ReadTarget::real(r.ZPL), ReadTarget::real(r.DS)}))
        return;
    if (!(r.ZPD < r.ZPL)) {
        write_list(kConsole, {"Top and bottom Screen Depth Reversed"});
        std::swap(r.ZPD, r.ZPL);
        r.reversed = true;
    }
    derive_well_groups(r);
    if (r.HKS > 0.0)
        write_list(kConsole, {"HKS=", r.HKS, " DS=", r.DS, " SW =", par6.SW});
    else
        write_list(kConsole, {"No Skin Effect"});
    write_list(kConsole, {" XKD=", par5.XKD});
    write_list(kConsole, {" CCD=", par6.CCD});
    write_list(kConsole, {" XLD=", par11.XLD, " XDD=", par11.XDD});
    write_list(kConsole, {" ZPD=", r.ZPD, " ZPL=", r.ZPL, " BB=", par5.BB});

    // Count line and the time list, one time per line. Times beyond the
    // capacity of TIMES are read (so that their lines are checked like the
    // others) but not stored; the start-up rejects such a count.
    par4.ITIME = 1;
    line = 5;
    read_unit_skip(kInputUnit);
    read_unit_skip(kInputUnit);
    read_unit_skip(kInputUnit);
    if (!read_values(line, {ReadTarget::integer(par4.NTIME)})) return;
    for (int i = 1; i <= par4.NTIME; ++i) {
        ++line;
        double spare = 0.0;
        double& dest = i <= kMaxTimes ? par12.TIMES[static_cast<std::size_t>(i - 1)] : spare;
        if (!read_values(line, {ReadTarget::real(dest)})) return;
    }

    write_list(kConsole, {" End  Reading Input Data"});
    close_unit(kInputUnit);
}

}  // namespace slug
