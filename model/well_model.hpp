// The slug-test model as a value: the physical values of an input file
// (WellInput) and the dimensionless groups and numerical controls that the
// Laplace-domain response and the time loop use (WellModel), built from
// them by one pure function.
//
// A WellModel is a plain aggregate without pointers: it is copied freely,
// and any number of them can be evaluated at once on any threads.
#pragma once

namespace slug {

// The values of an input file, in its units (lengths L, conductivities L/T,
// specific storage 1/L), as read: the screen depths in the order given.
struct WellInput {
    double bb = 0.0;   // saturated thickness b
    double kr = 0.0;   // radial hydraulic conductivity
    double kz = 0.0;   // vertical hydraulic conductivity
    double hks = 0.0;  // conductivity of the skin (not above 0: no skin)
    double ss = 0.0;   // specific storage
    double sy = 0.0;   // specific yield of the water table
    double u1 = 0.0;   // decay rate of the moisture capacity with height
    double u2 = 0.0;   // decay rate of the unsaturated conductivity
    double u3 = 0.0;   // thickness of the unsaturated zone
    double u4 = 0.0;   // thickness at and above which the zone is unbounded
    double ho = 0.0;   // initial displacement Ho
    double rw = 0.0;   // screen radius
    double rc = 0.0;   // casing radius
    double zpd = 0.0;  // depth of the screen top below the top of the aquifer
    double zpl = 0.0;  // depth of the screen bottom
    double ds = 0.0;   // thickness of the skin
};

// The screen depths in order, top above bottom. Depths not given as
// top < bottom (equal ones and a NaN included) are exchanged.
struct ScreenDepths {
    double zpd;     // top
    double zpl;     // bottom
    bool reversed;  // the input gave them the other way round
};
ScreenDepths screen_depths(const WellInput& in);

// Controls of the eigenvalue series and of the numerical inversion.
struct Numerics {
    int NTERM = 30;        // base number of eigenvalue-series terms
    int NINV = 6;          // terms of the Laplace inversion
    int MINV = 3;          // inversion method (3: continued fraction with tail estimate)
    double EPS = 1.0e-10;  // relative tolerance of the root iteration
    double TOLINV = 1.0e-4;  // accuracy asked of the inversion
    // Truncation error aimed at by the converged series
    // (laplace_head_converged), relative to |Omega|: 1e-10 for the run's
    // accurate mode; a fit, which needs its heads to about 1e-8, asks less
    // (accurate_model in fit/fit_model.hpp).
    double series_target = 1.0e-10;
};

// Everything the Laplace-domain response and the time loop need, derived.
// The groups keep the names under which the model's literature and this
// program's log and echo know them.
struct WellModel {
    // Aquifer and well, as read.
    double BB = 0.0;  // saturated thickness b
    double KR = 0.0;  // radial hydraulic conductivity
    double SS = 0.0;  // specific storage
    double SY = 0.0;  // specific yield
    double RW = 0.0;  // screen radius
    double HO = 0.0;  // initial displacement Ho
    double RC = 0.0;  // casing radius
    // Derived groups.
    double SL = 0.0;   // screen length ZPL - ZPD
    double HOB = 0.0;  // HO/BB
    double XKD = 0.0;  // anisotropy group (RW*RW*KZ)/(KR*BB*BB)
    double CCD = 0.0;  // storage group (2*SS*RW*RW*SL)/(RC*RC)
    double SW = 0.0;   // skin factor (KR/HKS)*DS/RW, 0 without skin
    double XLD = 0.0;  // ZPL/BB, depth of the screen bottom over the thickness
    double XDD = 0.0;  // ZPD/BB, depth of the screen top over the thickness
    // Unsaturated zone.
    double UA1 = 0.0;   // U1*BB, decay exponent of the moisture capacity
    double UA2 = 0.0;   // U2*BB, decay exponent of the conductivity
    double UL1 = 0.0;   // U3/BB, thickness of the zone
    double UL2 = 0.0;   // U4/BB, thickness at and above which it is unbounded
    double XKD2 = 0.0;  // (KZ/KR)*(RW/BB)*(RW/BB)
    // Time scale RC*RC/(2*SL*KR): the transform variable is that of t/TC.
    double TC = 0.0;
    Numerics numerics;
};

// The groups of the input values, each product and quotient evaluated left
// to right as written in the comments above (the echo of the input, the
// checks and the fit all see these same bits), with the screen depths in
// order (screen_depths).
WellModel make_well_model(const WellInput& in);

}  // namespace slug
