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
//  - DS below 0 (a thickness), and a skin more permeable than the aquifer
//    (HKS >= KR with DS > 0): the skin factor (KR/HKS)*DS/RW is positive
//    for any HKS, so such a skin would slow the response instead of
//    speeding it; a gravel pack more permeable than the aquifer is a
//    larger well radius (its outer radius as RW, no skin);
//  - an aquifer so anisotropic (XKD2 so small) that the eigenvalue series'
//    term count 30*2^(-log10(XKD2)-2) exceeds kMaxSeriesTerms.
#include "run/input_check.hpp"

#include <climits>
#include <cmath>
#include <string>

#include "fio/fio.hpp"
#include "run/run_options.hpp"

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

double min_series_xkd2(const Numerics& n) {
    // NTERM*2^(-log10(XKD2)-2) <= kMaxSeriesTerms, solved for XKD2.
    return std::pow(10.0, -(std::log2(static_cast<double>(kMaxSeriesTerms) / n.NTERM) + 2.0));
}

std::string check_input(const InputValues& in, const WellModel& m) {
    const WellInput& w = in.well;
    // The screen depths in order, as the echo showed them.
    const ScreenDepths r = screen_depths(w);
    const std::pair<Value, Rule> values[] = {
        {{"BB", "aquifer thickness", 2, w.bb}, Rule::Positive},
        {{"KR", "radial hydraulic conductivity", 2, w.kr}, Rule::Positive},
        {{"KZ", "vertical hydraulic conductivity", 2, w.kz}, Rule::Positive},
        {{"HKS", "hydraulic conductivity of the skin", 2, w.hks}, Rule::Any},
        {{"SS", "specific storage", 2, w.ss}, Rule::NonNegative},
        {{"SY", "specific yield", 2, w.sy}, Rule::NonNegative},
        {{"U1", "decay rate of the moisture capacity", 3, w.u1}, Rule::Positive},
        {{"U2", "decay rate of the unsaturated conductivity", 3, w.u2}, Rule::NonNegative},
        {{"U3", "thickness of the unsaturated zone", 3, w.u3}, Rule::NonNegative},
        {{"U4", "thickness at which the unsaturated zone counts as unbounded", 3, w.u4}, Rule::NonNegative},
        {{"HO", "initial displacement", 4, w.ho}, Rule::NonZero},
        {{"RW", "screen radius", 4, w.rw}, Rule::Positive},
        {{"RC", "casing radius", 4, w.rc}, Rule::Positive},
        {{"ZPD", "depth of the screen top", 4, r.zpd}, Rule::Any},
        {{"ZPL", "depth of the screen bottom", 4, r.zpl}, Rule::Any},
        {{"DS", "skin thickness", 4, w.ds}, Rule::NonNegative},
    };
    for (const auto& [value, rule] : values) {
        std::string msg = check(value, rule);
        if (!msg.empty()) return msg;
    }

    if (w.hks > 0.0 && w.ds > 0.0 && w.hks >= w.kr)
        return "HKS = " + show(w.hks) + " (hydraulic conductivity of the skin, data line 2) is not below KR = " +
               show(w.kr) +
               ": a skin more permeable than the aquifer is modelled by its outer radius as RW and no skin "
               "(HKS = 0 or DS = 0)";
    if (m.SL == 0.0) return "the screen has zero length: ZPD = ZPL = " + show(r.zpd) + " (data line 4)";
    if (r.zpd < 0.0)
        return "ZPD = " + show(r.zpd) + " (depth of the screen top, data line 4) lies above the top of the aquifer (0)";
    if (r.zpl > w.bb)
        return "ZPL = " + show(r.zpl) + " (depth of the screen bottom, data line 4) lies below the base of the aquifer (BB = " +
               show(w.bb) + ")";

    if (in.ntime > kMaxOutputTimes)
        return "NTIME = " + std::to_string(in.ntime) + " (number of output times, data line 5) is more than " +
               std::to_string(kMaxOutputTimes);
    for (int i = 1; i <= in.ntime; ++i) {
        const auto k = static_cast<std::size_t>(i - 1);
        const Value t{"time", "output time", 5 + i, k < in.times.size() ? in.times[k] : 0.0};
        std::string msg = check(t, Rule::Positive);
        if (!msg.empty()) return msg;
    }

    const std::pair<const char*, double> derived[] = {
        {"HOB = HO/BB", m.HOB},   {"SW (skin factor)", m.SW}, {"XKD", m.XKD},
        {"CCD", m.CCD},           {"XKD2", m.XKD2},          {"XDD", m.XDD},
        {"XLD", m.XLD},           {"UA1 = U1*BB", m.UA1},    {"UA2 = U2*BB", m.UA2},
        {"UL1 = U3/BB", m.UL1},   {"UL2 = U4/BB", m.UL2},
    };
    for (const auto& [name, v] : derived)
        if (!std::isfinite(v)) return std::string("the derived group ") + name + " is not finite (" + show(v) + ")";
    const double tc = m.TC;
    if (!std::isfinite(tc) || !(tc > 0.0)) return "the time scale RC*RC/(2*SL*KR) is not usable (" + show(tc) + ")";
    if (!(m.XKD2 > 0.0)) return "the anisotropy group XKD2 = (KZ/KR)*(RW/BB)^2 underflows to 0";

    // Term count of the eigenvalue series, formed as the model forms it.
    const double v = m.numerics.NTERM * std::pow(2.0, -std::log10(m.XKD2) - 2.0);
    if (!(v < kMaxSeriesTerms + 0.5)) {
        const double xkd2_min = min_series_xkd2(m.numerics);
        return "the anisotropy group XKD2 = (KZ/KR)*(RW/BB)^2 = " + show(m.XKD2) +
               " is too small: its eigenvalue series would need " + (v < 1e15 ? std::to_string(std::llround(v)) : show(v)) +
               " terms, more than the " + std::to_string(kMaxSeriesTerms) +
               " that keep one evaluation of the model within about 10 ms; XKD2 must be at least " + show(xkd2_min) +
               ": raise KZ/KR to at least " + show(xkd2_min / ((m.RW / m.BB) * (m.RW / m.BB))) +
               ", or use a larger RW or a smaller BB";
    }
    return {};
}

}  // namespace slug
