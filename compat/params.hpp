// The classic global parameter blocks, kept for programs that call the
// classic entry points fun and unsatzone (compat/fun.hpp).
//
// In the classic interface the model's parameters travel through these
// named blocks, not through arguments: the transform routine handed to the
// Laplace inverter as a plain function pointer receives only the transform
// variable, so the aquifer, well and skin description must sit here before
// the inversion starts. Each block exists once per process and is zero at
// program start (static storage). The caller sets them; fun and unsatzone
// only read them. slugwell itself passes its model as a value (WellModel)
// and never touches the blocks.
#pragma once

#include <array>

namespace slug {

// Integer controls of the series and the inversion (the classic values in
// parentheses).
struct Par2 {
    int NTERM;  // base number of eigenvalue-series terms (30)
    int NINV;   // number of terms of the Laplace inversion (6)
    int MINV;   // inversion method selector (3: accelerated continued fraction)
};

// Switches of a generated time grid and of the setting line (not read by
// fun or unsatzone).
struct Par3 {
    int NCYCLE;   // log cycles of a generated time grid
    int NPERCYC;  // grid points per log cycle
    int IUNSAT;   // 1 marks a run with unsaturated flow
};

// Time-list control.
struct Par4 {
    int ITIME;  // 1: times from the input file; 0: generated grid
    int NTIME;  // number of output times in the input file
};

// Aquifer and well.
struct Par5 {
    double BB;   // saturated thickness b
    double KR;   // radial hydraulic conductivity
    double XKD;  // anisotropy group (RW*RW*KZ)/(KR*BB*BB)
    double SS;   // specific storage
    double SY;   // specific yield of the water table
    double RW;   // screen radius
    double HO;   // initial displacement Ho
    double RC;   // casing radius
    double SL;   // screen length ZPL - ZPD
    double HOB;  // HO/BB
};

// Derived well groups.
struct Par6 {
    double CCD;  // storage group (2*SS*RW*RW*SL)/(RC*RC)
    double SW;   // skin factor (KR/HKS)*DS/RW, 0 without skin
};

// Tolerances.
struct Par7 {
    double EPS;     // relative tolerance of the root iteration (1e-10)
    double TOLINV;  // accuracy asked of the Laplace inversion (1e-4)
    double TEND;    // last time of a generated grid (no writer)
};

// Screen position.
struct Par11 {
    double XLD;  // ZPL/BB, depth of the screen bottom over the thickness
    double XDD;  // ZPD/BB, depth of the screen top over the thickness
};

constexpr int kMaxTimes = 200;

// Output times of the input file, element 0 first (the file's first time).
struct Par12 {
    std::array<double, kMaxTimes> TIMES;
};

// Unsaturated-zone group.
struct Par13 {
    double UA1;   // U1*BB, decay exponent of the moisture capacity
    double UA2;   // U2*BB, decay exponent of the conductivity
    double UL1;   // U3/BB, thickness of the unsaturated zone
    double XKD2;  // (KZ/KR)*(RW/BB)*(RW/BB)
    double UL2;   // U4/BB, thickness at and above which the zone is unbounded
};

// Time scale RC*RC/(2*KR*SL).
struct Par14 {
    double TC;
};

constexpr int kInfileLen = 20;

// Input file name as typed (the 20-column field is what the echoes show;
// a longer name is kept whole so that the file opened is the one named).
struct Par15 {
    char INFILE[kInfileLen + 1];  // padded with blanks, NUL-terminated
    char LONGNAME[4096];          // the whole name as typed, NUL-terminated
};

// Unit of the results file outfile.txt (21).
struct IoUnit {
    int IOUT;
};

extern Par2 par2;
extern Par3 par3;
extern Par4 par4;
extern Par5 par5;
extern Par6 par6;
extern Par7 par7;
extern Par11 par11;
extern Par12 par12;
extern Par13 par13;
extern Par14 par14;
extern Par15 par15;
extern IoUnit iounit;

// Sets every block back to its program-start value (all zero, INFILE
// blank). The program never calls it; tests use it between cases.
void reset_blocks();

}  // namespace slug
