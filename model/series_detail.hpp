// Pieces of the well response laplace_head that tests exercise on their
// own: the term count of the eigenvalue series and the Newton-Raphson
// iteration for the roots of  eps * tan(eps) = U.
#pragma once

#include <complex>

namespace slug::series_detail {

using cplx = std::complex<double>;

// Number of series terms: the nearest integer (halves away from zero) of
// nterm * 2^(-log10(xkd2) - 2), at least 4. A value that is no usable
// 32-bit count (xkd2 <= 0, NaN, or a count beyond the int range) gives 4;
// the input checks reject such an anisotropy group before a run gets here.
int term_count(int nterm, double xkd2);

// Start value of the first root: sqrt(U) (principal) when |U| < 1,
// otherwise pi/4.
cplx first_start(const cplx& u);

// Newton-Raphson on f(x) = x sin x - U cos x from the start value in x.
// Iterates while eps*|x| < |x - y|; on return x is the root (the last
// update) and y the iterate the last update was taken from. Returns false
// when the root has not met the tolerance after 100 updates.
bool newton_root(const cplx& u, double eps, cplx& x, cplx& y);

// The same iteration, with sin and cos of the iterates kept in s and c: on
// return they are those at y. With start_known, s and c hold sin x and
// cos x of the start value on entry, and the first step uses them instead
// of evaluating them.
bool newton_root(const cplx& u, double eps, cplx& x, cplx& y, cplx& s, cplx& c, bool start_known);

// Start of the next root from the iterate y of the previous one: x = y + pi
// (rounded), and s, c, on entry sin y and cos y, become sin x and cos x,
// including the rounding of the sum, so that they agree with a direct
// evaluation at x to rounding.
void next_start(const cplx& y, cplx& x, cplx& s, cplx& c);

}  // namespace slug::series_detail
