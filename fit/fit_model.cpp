// Forward model of the fit. Each run restores the parameter blocks from
// the snapshot taken after the input file was read, puts the trial values
// in, recomputes the dimensionless groups with the input reader's own
// routines and the time scale with the start-up's, and runs the time loop
// (numerical inversion at every observation time). The fit therefore
// computes exactly what a run of the program with those values in the
// input file would print.
#include "fit/fit_model.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "fit/fit_data.hpp"
#include "run/time_loop_detail.hpp"

namespace slug {

namespace {

struct ParamInfo {
    FitParam id;
    const char* name;
    const char* label;
};

constexpr ParamInfo kParams[] = {
    {FitParam::KR, "kr", "KR"},   {FitParam::SS, "ss", "SS"},   {FitParam::KZ, "kz", "KZ"},
    {FitParam::KZKR, "kzkr", "KZ/KR"}, {FitParam::HKS, "hks", "HKS"}, {FitParam::SY, "sy", "SY"},
    {FitParam::U1, "u1", "U1"},   {FitParam::U2, "u2", "U2"},
};

const ParamInfo& info(FitParam p) {
    for (const ParamInfo& i : kParams)
        if (i.id == p) return i;
    return kParams[0];
}

}  // namespace

std::string_view fit_param_name(FitParam p) { return info(p).name; }
std::string_view fit_param_label(FitParam p) { return info(p).label; }

std::optional<FitParam> parse_fit_param(std::string_view word) {
    std::string w(word);
    for (char& c : w) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (w == "ua1") w = "u1";
    if (w == "ua2") w = "u2";
    for (const ParamInfo& i : kParams)
        if (w == i.name) return i.id;
    return std::nullopt;
}

double get_value(const FitValues& v, FitParam p) {
    switch (p) {
    case FitParam::KR: return v.kr;
    case FitParam::SS: return v.ss;
    case FitParam::KZ: return v.kz;
    case FitParam::KZKR: return v.kz / v.kr;
    case FitParam::HKS: return v.hks;
    case FitParam::SY: return v.sy;
    case FitParam::U1: return v.u1;
    case FitParam::U2: return v.u2;
    }
    return 0.0;
}

BaseInput capture_base_input() {
    BaseInput b;
    b.par2 = par2;
    b.par5 = par5;
    b.par6 = par6;
    b.par7 = par7;
    b.par11 = par11;
    b.par13 = par13;
    b.iounit = iounit;
    b.rec = datainput_record();
    return b;
}

FitValues base_values(const BaseInput& base) {
    FitValues v;
    v.kr = base.par5.KR;
    v.ss = base.par5.SS;
    v.kz = base.rec.KZ;
    v.hks = base.rec.HKS;
    v.sy = base.par5.SY;
    v.u1 = base.rec.U1;
    v.u2 = base.rec.U2;
    return v;
}

FitValues values_from(const BaseInput& base, std::span<const FitParam> params, std::span<const double> x) {
    FitValues v = base_values(base);
    const double ratio0 = base.rec.KZ / base.par5.KR;
    bool kz_set = false;
    double kzkr = ratio0;
    for (std::size_t i = 0; i < params.size() && i < x.size(); ++i) {
        switch (params[i]) {
        case FitParam::KR: v.kr = x[i]; break;
        case FitParam::SS: v.ss = x[i]; break;
        case FitParam::KZ: v.kz = x[i]; kz_set = true; break;
        case FitParam::KZKR: kzkr = x[i]; break;
        case FitParam::HKS: v.hks = x[i]; break;
        case FitParam::SY: v.sy = x[i]; break;
        case FitParam::U1: v.u1 = x[i]; break;
        case FitParam::U2: v.u2 = x[i]; break;
        }
    }
    if (!kz_set) v.kz = kzkr * v.kr;
    return v;
}

void set_blocks(const BaseInput& base, const FitValues& v) {
    par2 = base.par2;
    par5 = base.par5;
    par6 = base.par6;
    par7 = base.par7;
    par11 = base.par11;
    par13 = base.par13;
    iounit = base.iounit;
    InputRecord rec = base.rec;
    par5.KR = v.kr;
    par5.SS = v.ss;
    par5.SY = v.sy;
    rec.KZ = v.kz;
    rec.HKS = v.hks;
    rec.U1 = v.u1;
    rec.U2 = v.u2;
    derive_unsat_groups(rec);
    derive_well_groups(rec);
    par14.TC = time_scale();
    par4.ITIME = 1;
}

bool forward_ratio(const BaseInput& base, const FitValues& v, std::span<const double> times,
                   std::vector<double>& ratio, std::string& error) {
    set_blocks(base, v);
    ratio.assign(times.size(), 0.0);
    timeloop_detail::Results r;
    for (std::size_t start = 0; start < times.size(); start += kMaxTimes) {
        const std::size_t m = std::min<std::size_t>(kMaxTimes, times.size() - start);
        for (std::size_t i = 0; i < m; ++i) par12.TIMES[i] = times[start + i];
        par4.NTIME = static_cast<int>(m);
        timeloop_detail::compute_results(r);
        // The loop stores its results from the last time to the first.
        for (std::size_t k = 0; k < m; ++k) ratio[start + m - 1 - k] = r.ratio[k];
    }
    for (std::size_t i = 0; i < times.size(); ++i) {
        if (!std::isfinite(ratio[i])) {
            error = "the model gives no finite value at time " + fit_value_text(times[i]) + " (H/Ho = " + fit_value_text(ratio[i]) +
                    ")";
            return false;
        }
    }
    return true;
}

}  // namespace slug
