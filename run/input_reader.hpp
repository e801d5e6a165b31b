// Input reader of slugwell: reads the input file named in par15, echoes it
// on the console, derives the dimensionless groups and fills the parameter
// blocks.
#pragma once

namespace slug {

// Reads the input file (unit 11) and fills the parameter blocks. An input
// error (a value that is not a number of its kind) is reported on the
// console with its data-line number; the reader then closes the file and
// returns, and datainput_record().input_error tells the caller.
void datainput();

// What one call of datainput met. The values that the blocks do not keep
// (KZ, HKS, DS, the screen depths, U1 to U4) are held here for the checks
// of the start-up; ZPD and ZPL are in order (after any exchange).
struct InputRecord {
    bool input_error;  // the reader stopped at an input error
    int error_line;    // data line of that error (2, 3, 4, 5, 5+k)
    bool reversed;     // the screen depths were exchanged
    double KZ, HKS, DS, ZPD, ZPL;
    double U1, U2, U3, U4;
};
const InputRecord& datainput_record();

// The dimensionless groups, each product and quotient evaluated left to
// right as written. The reader computes them from what it read; the fit
// recomputes them, through these same routines, for every trial value.
// Unsaturated zone: UA1 = U1*BB, UA2 = U2*BB, UL1 = U3/BB, UL2 = U4/BB.
void derive_unsat_groups(const InputRecord& r);
// Well and aquifer (from BB, KR, SS, HO, RW, RC in the blocks and KZ, HKS,
// DS and the ordered depths ZPD < ZPL of the record): SL, HOB, SW, XKD,
// CCD, XKD2, XDD, XLD.
void derive_well_groups(const InputRecord& r);

// The time scale TC = RC*RC/(2*SL*KR) that the start-up derives after the
// reader has returned.
double time_scale();

}  // namespace slug
