// Setting the classic parameter blocks from a model, as a program that
// sets them field by field would; shared by the tests of compat/.
#pragma once

#include "compat/params.hpp"
#include "fio/fio.hpp"
#include "model/well_model.hpp"

namespace slugtest {

// The blocks of a model, as a program that sets them field by field would.
inline void set_blocks(const slug::WellModel& m) {
    slug::reset_blocks();
    slug::par5.BB = m.BB;
    slug::par5.KR = m.KR;
    slug::par5.SS = m.SS;
    slug::par5.SY = m.SY;
    slug::par5.RW = m.RW;
    slug::par5.HO = m.HO;
    slug::par5.RC = m.RC;
    slug::par5.SL = m.SL;
    slug::par5.HOB = m.HOB;
    slug::par5.XKD = m.XKD;
    slug::par6.CCD = m.CCD;
    slug::par6.SW = m.SW;
    slug::par11.XLD = m.XLD;
    slug::par11.XDD = m.XDD;
    slug::par13.UA1 = m.UA1;
    slug::par13.UA2 = m.UA2;
    slug::par13.UL1 = m.UL1;
    slug::par13.UL2 = m.UL2;
    slug::par13.XKD2 = m.XKD2;
    slug::par14.TC = m.TC;
    slug::par2.NTERM = m.numerics.NTERM;
    slug::par2.NINV = m.numerics.NINV;
    slug::par2.MINV = m.numerics.MINV;
    slug::par7.EPS = m.numerics.EPS;
    slug::par7.TOLINV = m.numerics.TOLINV;
    slug::iounit.IOUT = slug::kResultsUnit;
}

}  // namespace slugtest
