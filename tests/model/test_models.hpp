// Shared models of the tests: every field of a WellModel by name, for
// tests that compare two models bit for bit (memcmp would also compare the
// padding of Numerics), and a water table with a partial screen.
#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <utility>

#include "model/well_model.hpp"

namespace slugtest {

struct ModelField {
    const char* name;
    double slug::WellModel::*field;
};

inline constexpr ModelField kModelFields[] = {
    {"BB", &slug::WellModel::BB},   {"KR", &slug::WellModel::KR},     {"SS", &slug::WellModel::SS},
    {"SY", &slug::WellModel::SY},   {"RW", &slug::WellModel::RW},     {"HO", &slug::WellModel::HO},
    {"RC", &slug::WellModel::RC},   {"SL", &slug::WellModel::SL},     {"HOB", &slug::WellModel::HOB},
    {"XKD", &slug::WellModel::XKD}, {"CCD", &slug::WellModel::CCD},   {"SW", &slug::WellModel::SW},
    {"XLD", &slug::WellModel::XLD}, {"XDD", &slug::WellModel::XDD},   {"UA1", &slug::WellModel::UA1},
    {"UA2", &slug::WellModel::UA2}, {"UL1", &slug::WellModel::UL1},   {"UL2", &slug::WellModel::UL2},
    {"XKD2", &slug::WellModel::XKD2}, {"TC", &slug::WellModel::TC},
};

// The name of the first field in which a and b differ in any bit (NaNs of
// the same bits are equal), or an empty string.
inline std::string first_difference(const slug::WellModel& a, const slug::WellModel& b) {
    for (const ModelField& f : kModelFields)
        if (std::bit_cast<std::uint64_t>(a.*f.field) != std::bit_cast<std::uint64_t>(b.*f.field)) return f.name;
    const slug::Numerics& x = a.numerics;
    const slug::Numerics& y = b.numerics;
    if (x.NTERM != y.NTERM || x.NINV != y.NINV || x.MINV != y.MINV) return "numerics (counts)";
    if (std::bit_cast<std::uint64_t>(x.EPS) != std::bit_cast<std::uint64_t>(y.EPS) ||
        std::bit_cast<std::uint64_t>(x.TOLINV) != std::bit_cast<std::uint64_t>(y.TOLINV))
        return "numerics (tolerances)";
    return {};
}

// A water table (SY = 0.2) with a 2 m screen between 40 % and 60 % of a
// 10 m thickness, XKD2 = 1e-3 (60 series terms) and an unbounded zone of
// equal exponents (UA1 = UA2 = 5); no skin, HO = 0.5, TC = 2.
inline slug::WellModel partial_water_table() {
    slug::WellModel m;
    m.XKD = m.XKD2 = 1e-3;
    m.CCD = 2e-4;
    m.RW = 0.05;
    m.RC = 0.04;
    m.SY = 0.2;
    m.SL = 2.0;
    m.BB = 10.0;
    m.XLD = 0.6;
    m.XDD = 0.4;
    m.HO = 0.5;
    m.HOB = 0.05;
    m.UA1 = m.UA2 = 5.0;
    m.UL1 = 10.0;
    m.UL2 = 5.0;
    m.TC = 2.0;
    return m;
}

}  // namespace slugtest
