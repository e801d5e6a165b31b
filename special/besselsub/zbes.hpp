// Bessel functions of complex argument and real non-negative order:
// J, Y, I and K, unscaled (KODE = 1) or exponentially scaled (KODE = 2),
// for the N orders FNU, FNU+1, ..., FNU+N-1.
//
// Method: D. E. Amos, "Algorithm 644: A portable package for Bessel
// functions of a complex argument and nonnegative order", ACM Trans. Math.
// Software 12 (1986) 265-273, and D. E. Amos, "A subroutine package for
// Bessel functions of a complex argument and nonnegative order", Sandia
// report SAND85-1018 (1985). Written afresh in C++ from the published
// methods.
//
// Status IERR: 0 normal; 1 input error (outputs untouched); 2 overflow;
// 3 |z| or FNU+N-1 above sqrt(AA), values computed with reduced accuracy;
// 4 above AA, no values; 5 termination test not met.
#pragma once

namespace slug {

void zbesj(double zr, double zi, double fnu, int kode, int n, double* cyr, double* cyi, int& nz, int& ierr);
void zbesy(double zr, double zi, double fnu, int kode, int n, double* cyr, double* cyi, int& nz,
           double* cwrkr, double* cwrki, int& ierr);
void zbesi(double zr, double zi, double fnu, int kode, int n, double* cyr, double* cyi, int& nz, int& ierr);
void zbesk(double zr, double zi, double fnu, int kode, int n, double* cyr, double* cyi, int& nz, int& ierr);

// Machine-constant tables of the IEEE 754 double and single formats.
int i1mach(int i);
double d1mach(int i);
float r1mach(int i);

// Writes the message to standard output between empty records, in pieces
// of at most 70 characters; NERR and LEVEL are ignored (no level stops the
// run).
void xerror(const char* messg, int nmessg, int nerr, int level);

}  // namespace slug
