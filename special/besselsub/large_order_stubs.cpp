// Temporary placeholders for the large-order routines (uniform asymptotic
// expansions). Each reports "termination test not met" (-2), so that an
// order above FNUL gives IERR = 5 rather than a wrong value. Each routine
// is removed from this file when its real implementation is added.
#include "special/besselsub/amos.hpp"

namespace slug::amos {

void zbuni(const cplx&, double, int, int, cplx*, int& nz, int, int& nlast, double, double, double, double) {
    nz = -2;
    nlast = 0;
}
void zuni1(const cplx&, double, int, int, cplx*, int& nz, int& nlast, double, double, double, double) {
    nz = -2;
    nlast = 0;
}
void zuni2(const cplx&, double, int, int, cplx*, int& nz, int& nlast, double, double, double, double) {
    nz = -2;
    nlast = 0;
}
void zbunk(const cplx&, double, int, int, int, cplx*, int& nz, double, double, double) { nz = -2; }
void zunk1(const cplx&, double, int, int, int, cplx*, int& nz, double, double, double) { nz = -2; }
void zunk2(const cplx&, double, int, int, int, cplx*, int& nz, double, double, double) { nz = -2; }
void zunik(const cplx&, double, int, int, double, int&, cplx&, cplx&, cplx&, cplx&, cplx*) {}
void zunhj(const cplx&, double, int, double, cplx&, cplx&, cplx&, cplx&, cplx&, cplx&) {}
void zairy(const cplx&, int, int, cplx&, int& nz, int& ierr) {
    nz = 0;
    ierr = 5;
}
void zacai(const cplx&, double, int, int, int, cplx*, int& nz, double, double, double, double) { nz = -2; }
void zuoik(const cplx&, double, int, int, int, cplx*, int& nuf, double, double, double) { nuf = 0; }

}  // namespace slug::amos
