// The dimensionless groups of the slug-test model from the values of an
// input file. The radial and vertical lengths are scaled by the screen
// radius and the aquifer thickness, the time by TC = RC^2/(2 SL KR), the
// casing's storage time of a screen of length SL; the unsaturated zone's
// decay rates and thicknesses are scaled by the thickness. Each product and
// quotient is evaluated left to right in the order written, so that every
// caller (the echo of the input, its checks, the run and the fit) sees the
// same bits.
#include "model/well_model.hpp"

#include <utility>

namespace slug {

ScreenDepths screen_depths(const WellInput& in) {
    ScreenDepths d{in.zpd, in.zpl, false};
    if (!(d.zpd < d.zpl)) {
        std::swap(d.zpd, d.zpl);
        d.reversed = true;
    }
    return d;
}

WellModel make_well_model(const WellInput& in) {
    WellModel m;
    m.BB = in.bb;
    m.KR = in.kr;
    m.SS = in.ss;
    m.SY = in.sy;
    m.RW = in.rw;
    m.HO = in.ho;
    m.RC = in.rc;

    m.UA1 = in.u1 * m.BB;
    m.UA2 = in.u2 * m.BB;
    m.UL1 = in.u3 / m.BB;
    m.UL2 = in.u4 / m.BB;

    const ScreenDepths d = screen_depths(in);
    m.SL = d.zpl - d.zpd;
    m.HOB = m.HO / m.BB;

    // Skin: a skin zone of conductivity HKS and thickness DS around the
    // screen; HKS <= 0 means there is none.
    if (in.hks > 0.0)
        m.SW = ((m.KR / in.hks) * in.ds) / m.RW;
    else
        m.SW = 0.0;

    m.XKD = (m.RW * m.RW * in.kz) / (m.KR * m.BB * m.BB);
    m.CCD = (2.0 * m.SS * m.RW * m.RW * m.SL) / (m.RC * m.RC);

    m.XKD2 = (in.kz / m.KR) * (m.RW / m.BB) * (m.RW / m.BB);
    m.XDD = d.zpd / m.BB;
    m.XLD = d.zpl / m.BB;

    m.TC = m.RC * m.RC / (2.0 * m.SL * m.KR);
    return m;
}

}  // namespace slug
