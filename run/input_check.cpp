// Checks of the input values against what the model can use. The limits
// of the physics are accepted: SY = 0 (a confined top), SS = 0 (no aquifer
// storage), HKS <= 0 (no skin), a count of 0 (no output times). Rejected:
//  - any value or derived group that is not finite (an infinity or NaN
//    would only turn into a meaningless table);
//  - BB, KR, KZ, RW, RC not greater than 0 (they divide, or are the
//    geometry itself), SS and SY below 0 (negative storage);
//  - U1 not greater than 0: the moisture capacity SY*U1*exp(-U1*z) of the
//    unsaturated zone; the zone's closed forms divide by U1*BB. U2, U3 and
//    U4 below 0 (a conductivity that grows with height, thicknesses);
//  - HO = 0: the table gives H/Ho;
//  - a screen of zero length or reaching outside 0 ... BB (depths below
//    the top of the aquifer);
//  - a count above the 200 times the list can hold; a time not above 0;
//  - an aquifer so anisotropic (XKD2 so small) that the eigenvalue series'
//    term count 30*2^(-log10(XKD2)-2) does not fit a 32-bit integer.
#include "run/input_check.hpp"

#include <climits>
#include <cmath>
#include <string>

#include "compat/params.hpp"
#include "fio/fio.hpp"

namespace slug {

namespace {

std::string show(double v) { return (std::signbit(v) ? "-" : "") + format_real_g9(v); }

struct Value {
    const char* name;
    const char* meaning;
    int line;
    double v;
};

std::string describe(const Value& x) {
    return std::string(x.name) + " = " + show(x.v) + " (" + x.meaning + ", data line " + std::to_string(x.line) +
           ")";
}

enum class Rule { Any, Positive, NonNegative, NonZero };

std::string check(const Value& x, Rule rule) {
    if (!std::isfinite(x.v)) return describe(x) + " is not a finite number";
    switch (rule) {
    case Rule::Any:
        break;
    case Rule::Positive:
        if (!(x.v > 0.0)) return describe(x) + " must be greater than 0";
        break;
    case Rule::NonNegative:
        if (x.v < 0.0) return describe(x) + " must not be negative";
        break;
    case Rule::NonZero:
        if (x.v == 0.0) return describe(x) + " must not be 0";
        break;
    }
    return {};
}

}  // namespace

std::string check_input(const InputRecord& r) {
    const std::pair<Value, Rule> values[] = {
        {{"BB", "aquifer thickness", 2, par5.BB}, Rule::Positive},
        {{"KR", "radial hydraulic conductivity", 2, par5.KR}, Rule::Positive},
        {{"KZ", "vertical hydraulic conductivity", 2, r.KZ}, Rule::Positive},
        {{"HKS", "hydraulic conductivity of the skin", 2, r.HKS}, Rule::Any},
        {{"SS", "specific storage", 2, par5.SS}, Rule::NonNegative},
        {{"SY", "specific yield", 2, par5.SY}, Rule::NonNegative},
        {{"U1", "decay rate of the moisture capacity", 3, r.U1}, Rule::Positive},
        {{"U2", "decay rate of the unsaturated conductivity", 3, r.U2}, Rule::NonNegative},
        {{"U3", "thickness of the unsaturated zone", 3, r.U3}, Rule::NonNegative},
        {{"U4", "thickness at which the unsaturated zone counts as unbounded", 3, r.U4}, Rule::NonNegative},
        {{"HO", "initial displacement", 4, par5.HO}, Rule::NonZero},
        {{"RW", "screen radius", 4, par5.RW}, Rule::Positive},
        {{"RC", "casing radius", 4, par5.RC}, Rule::Positive},
        {{"ZPD", "depth of the screen top", 4, r.ZPD}, Rule::Any},
        {{"ZPL", "depth of the screen bottom", 4, r.ZPL}, Rule::Any},
        {{"DS", "skin thickness", 4, r.DS}, Rule::Any},
    };
    for (const auto& [value, rule] : values) {
        std::string msg = check(value, rule);
        if (!msg.empty()) return msg;
    }

    if (par5.SL == 0.0) return "the screen has zero length: ZPD = ZPL = " + show(r.ZPD) + " (data line 4)";
    if (r.ZPD < 0.0)
        return "ZPD = " + show(r.ZPD) + " (depth of the screen top, data line 4) lies above the top of the aquifer (0)";
    if (r.ZPL > par5.BB)
        return "ZPL = " + show(r.ZPL) + " (depth of the screen bottom, data line 4) lies below the base of the aquifer (BB = " +
               show(par5.BB) + ")";

    if (par4.NTIME > kMaxTimes)
        return "NTIME = " + std::to_string(par4.NTIME) + " (number of output times, data line 5) is more than " +
               std::to_string(kMaxTimes);
    for (int i = 1; i <= par4.NTIME; ++i) {
        const Value t{"time", "output time", 5 + i, par12.TIMES[static_cast<std::size_t>(i - 1)]};
        std::string msg = check(t, Rule::Positive);
        if (!msg.empty()) return msg;
    }

    const std::pair<const char*, double> derived[] = {
        {"HOB = HO/BB", par5.HOB},   {"SW (skin factor)", par6.SW}, {"XKD", par5.XKD},
        {"CCD", par6.CCD},           {"XKD2", par13.XKD2},          {"XDD", par11.XDD},
        {"XLD", par11.XLD},          {"UA1 = U1*BB", par13.UA1},    {"UA2 = U2*BB", par13.UA2},
        {"UL1 = U3/BB", par13.UL1}, {"UL2 = U4/BB", par13.UL2},
    };
    for (const auto& [name, v] : derived)
        if (!std::isfinite(v)) return std::string("the derived group ") + name + " is not finite (" + show(v) + ")";
    const double tc = par5.RC * par5.RC / (2.0 * par5.SL * par5.KR);
    if (!std::isfinite(tc) || !(tc > 0.0)) return "the time scale RC*RC/(2*SL*KR) is not usable (" + show(tc) + ")";
    if (!(par13.XKD2 > 0.0)) return "the anisotropy group XKD2 = (KZ/KR)*(RW/BB)^2 underflows to 0";

    // Term count of the eigenvalue series, formed as the model forms it.
    const double v = par2.NTERM * std::pow(2.0, -std::log10(par13.XKD2) - 2.0);
    if (!(v + 0.5 < static_cast<double>(INT_MAX) + 1.0))
        return "the anisotropy group XKD2 = (KZ/KR)*(RW/BB)^2 = " + show(par13.XKD2) +
               " is too small: its eigenvalue series would need more than " + std::to_string(INT_MAX) + " terms";
    return {};
}

}  // namespace slug
