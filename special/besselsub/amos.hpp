// Internal routines of the complex Bessel package (see zbes.hpp for the
// method and its published source). Complex values are std::complex<double>;
// sequences of orders are arrays y[0..n-1] for FNU, FNU+1, ... .
// Every routine that divides complex numbers uses zdiv (Smith's scaled
// division).
//
// Division of the work between the two halves of the package:
//  - moderate orders: zbinu, zseri, zasyi, zmlri, zwrsk, zrati, zbknu,
//    zacon, zkscl, zs1s2, zuchk, zshch, dgamln, the complex helpers;
//  - large orders (FNU > FNUL): zbuni, zuni1, zuni2, zbunk, zunk1, zunk2,
//    zunik, zunhj, zairy, zacai, zuoik.
#pragma once

#include <array>
#include <complex>
#include <cstddef>
#include <vector>

namespace slug::amos {

using cplx = std::complex<double>;

// Working sequence of n complex values, zero at the start: held inline
// for the short sequences that callers usually ask for, on the heap only
// for longer ones, so that an evaluation of one order allocates nothing.
class CplxSeq {
public:
    explicit CplxSeq(int n) : n_(n) {
        if (n_ > kInline) heap_.assign(static_cast<std::size_t>(n_), cplx(0.0, 0.0));
    }
    cplx* data() { return n_ > kInline ? heap_.data() : small_.data(); }
    cplx& operator[](std::size_t i) { return data()[i]; }

private:
    static constexpr int kInline = 4;
    int n_;
    std::array<cplx, kInline> small_{};
    std::vector<cplx> heap_;
};

// Limits derived from the machine-constant tables, recomputed on every
// call of an entry point.
struct Limits {
    double tol;    // max(d1mach(4), 1e-18)
    double elim;   // 2.303*(K*R1M5 - 3), K = min(|i1mach(15)|, |i1mach(16)|)
    double alim;   // elim + max(-2.303*R1M5*(i1mach(14)-1), -41.45)
    double dig;    // min(R1M5*(i1mach(14)-1), 18)
    double rl;     // 1.2*dig + 3
    double fnul;   // 10 + 6*(dig - 3)
    double aa;     // min(0.5/tol, 0.5*i1mach(9))
    double aa_sqrt;
};
Limits limits();

// Checks common to the entry points: IERR = 1 for a NaN argument or order,
// FNU < 0, KODE not 1 or 2, N < 1 (and z = 0 where zero_is_error);
// IERR = 4 when |z| or FNU+N-1 exceeds AA; IERR = 3 (values still
// computed) above sqrt(AA). Sets nz = 0 and lim; returns false when the
// entry point must return without computing.
bool entry_checks(double zr, double zi, double fnu, int kode, int n, bool zero_is_error, Limits& lim, int& nz,
                  int& ierr);

// ---- complex helpers ---------------------------------------------------
cplx zdiv(const cplx& a, const cplx& b);  // Smith's division
double zabs(const cplx& z);               // modulus without overflow
cplx zsqrt1(const cplx& z);               // principal square root
cplx zexp1(const cplx& z);
cplx zlog1(const cplx& z);                // principal logarithm
void zshch(const cplx& z, cplx& csh, cplx& cch);  // sinh and cosh
double dgamln(double z, int& ierr);       // ln Gamma(z), z > 0

// ---- moderate orders ---------------------------------------------------
// I for Re z >= 0; returns nz (negative on failure: -1 overflow,
// -2 termination test not met).
void zbinu(const cplx& z, double fnu, int kode, int n, cplx* y, int& nz, const Limits& lim);
void zseri(const cplx& z, double fnu, int kode, int n, cplx* y, int& nz, double tol, double elim, double alim);
void zasyi(const cplx& z, double fnu, int kode, int n, cplx* y, int& nz, double rl, double tol, double elim,
           double alim);
void zmlri(const cplx& z, double fnu, int kode, int n, cplx* y, int& nz, double tol);
void zwrsk(const cplx& zr, double fnu, int kode, int n, cplx* y, int& nz, cplx* cw, double tol, double elim,
           double alim);
void zrati(const cplx& z, double fnu, int n, cplx* cy, double tol);
// K for Re z >= 0.
void zbknu(const cplx& z, double fnu, int kode, int n, cplx* y, int& nz, double tol, double elim, double alim);
// Analytic continuation of K to Re z < 0 (mr = +1 or -1).
void zacon(const cplx& z, double fnu, int kode, int mr, int n, cplx* y, int& nz, const Limits& lim);
void zkscl(const cplx& zr, double fnu, int n, cplx* y, int& nz, const cplx& rz, double& ascle, double tol,
           double elim);
void zs1s2(const cplx& zr, cplx& s1, cplx& s2, int& nz, double ascle, double alim, int& iuf);
void zuchk(const cplx& y, int& nz, double ascle, double tol);

// ---- large orders (uniform asymptotic expansions) ----------------------
void zbuni(const cplx& z, double fnu, int kode, int n, cplx* y, int& nz, int nui, int& nlast, double fnul,
           double tol, double elim, double alim);
void zuni1(const cplx& z, double fnu, int kode, int n, cplx* y, int& nz, int& nlast, double fnul, double tol,
           double elim, double alim);
void zuni2(const cplx& z, double fnu, int kode, int n, cplx* y, int& nz, int& nlast, double fnul, double tol,
           double elim, double alim);
void zbunk(const cplx& z, double fnu, int kode, int mr, int n, cplx* y, int& nz, double tol, double elim,
           double alim);
void zunk1(const cplx& z, double fnu, int kode, int mr, int n, cplx* y, int& nz, double tol, double elim,
           double alim);
void zunk2(const cplx& z, double fnu, int kode, int mr, int n, cplx* y, int& nz, double tol, double elim,
           double alim);
// Debye polynomial U_k(p) = p^k (c_0 + c_1 p^2 + ... + c_k p^2k), p2 = p^2,
// k = 0..16 (coefficients from the uniform-expansion tables).
cplx debye_poly(int k, const cplx& p, const cplx& p2);
// Debye-form coefficients; cwrk holds 16 values kept between the calls of
// one expansion (init carries the number of terms already formed).
void zunik(const cplx& zr, double fnu, int ikflg, int ipmtr, double tol, int& init, cplx& phi, cplx& zeta1,
           cplx& zeta2, cplx& sum, cplx* cwrk);
// Airy-form coefficients.
void zunhj(const cplx& z, double fnu, int ipmtr, double tol, cplx& phi, cplx& arg, cplx& zeta1, cplx& zeta2,
           cplx& asum, cplx& bsum);
// Airy function Ai (id = 0) or Ai' (id = 1), scaled by exp(2/3 z^{3/2})
// when kode = 2.
void zairy(const cplx& z, int id, int kode, cplx& ai, int& nz, int& ierr);
void zacai(const cplx& z, double fnu, int kode, int mr, int n, cplx* y, int& nz, double rl, double tol,
           double elim, double alim);
// Overflow/underflow pre-test of the uniform expansions (ikflg 1: I,
// 2: K); returns in nuf the number of orders that underflow, -1 on
// overflow.
void zuoik(const cplx& z, double fnu, int kode, int ikflg, int n, cplx* y, int& nuf, double tol, double elim,
           double alim);

}  // namespace slug::amos
