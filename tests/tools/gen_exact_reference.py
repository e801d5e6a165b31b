#!/usr/bin/python3
"""High-precision reference of H/Ho for slugwell input files.

For every output time of each input file this computes the inverse Laplace
transform of the well response H/Ho = L^-1[Omega/(1 + p Omega)] at
t/TC, where Omega = SW + S/(XLD - XDD) and S is the eigen-series of the
partially penetrating well with the water-table coefficient U(p):

    S = sum_n K0(q_n) A_n^2 / (eps_n^2 q_n K1(q_n) C_n),
    eps_n tan eps_n = U,  q_n = sqrt(XKD eps_n^2 + CCD p),
    A_n = sin(eps_n a) - sin(eps_n b),
    C_n = 1/2 + (sin 2 eps_n a - sin 2 eps_n b) / (4 L eps_n),

a = 1 - XDD, b = 1 - XLD, L = a - b (heights of the screen ends above the
base over the thickness).  Two values per time:

  * the converged series (every root), and
  * the series cut after the program's classic term count
    N = nint(30 * 2^(-log10 XKD2 - 2)), at least 4,

so that the truncation of the classic series can be shown apart from the
error of its inversion.

Mathematics and numerics (nothing here is taken from the program's code):

U(p'):   the linearized unsaturated zone (Kroszynski and Dagan 1975, with
         the exponential forms of Mishra and Neuman 2010), U = -phi'(0)/phi(0):
         closed forms for equal exponents, otherwise modified Bessel
         functions of real order at complex argument (docs/unsatzone.md),
         in mpmath at 40 digits: I from mpmath.besseli, K from the
         trapezoidal rule on K_nu(x) = int_0^inf exp(-x cosh t) cosh(nu t) dt,
         both from Hankel's asymptotic series for |x| >= 50.
Roots:   eps_n = (n-1) pi + d_n, d_n by Newton on
         ((n-1) pi + d) sin d - U cos d = 0 from d = atan(U/((n-1) pi))
         (the first root from sqrt(U)/sqrt(1 + 4U/pi^2)), in 80-bit extended
         precision (numpy longdouble); the trigonometric phases
         pi (n-1) c of the screen heights are reduced exactly in rational
         arithmetic.
K0/K1:   the trapezoidal rule on the same integral (|q| < 30, step 0.05,
         error below 1e-20) or Hankel's expansion (|q| >= 30, 40 terms),
         in extended precision; checked against mpmath.besselk (--selftest).
Series:  the sum is split with a smooth window w(y) = erfc(8 (y - 1.5))/2:
             S = sum_n T_n w(n/M) + sum_n T_n (1 - w(n/M)).
         The phases (n-1) a pi, (n-1) b pi repeat with a period P (a, b are
         rational), so the second sum is, over each residue class mod P, a
         sum of a smooth function over an arithmetic progression that starts
         smoothly from zero: by the Euler-Maclaurin formula it equals the
         integral of the phase-averaged term (1/P) sum_r G(x; r) times
         (1 - w(x/M)), up to an error that falls like exp(-pi^2 (M/P)^2/64).
         M = max(12 P, 384). The integral is taken by Gauss-Legendre rules
         on [0.65 M, 2.35 M] and on geometric intervals [X, 2X] out to
         2^34 * 2.35 M.  Window and tail together give the converged series
         (the same to 1e-19 with M = 40 P and a steeper window).
Inversion: de Hoog, Knight and Stokes (SIAM J. Sci. Stat. Comput. 3 (1982)
         357-366), QD algorithm and continued fraction with the accelerated
         remainder, M = 64, in mpmath at 40 digits, on Re p = gamma with
         exp(-2 gamma T) = 1e-16.  The times are grouped by decades
         (largest first); a group shares the samples of one period.  Every
         value is computed with two periods, T = 1.25 tmax and T = 2.5 tmax
         of its group, and the difference is the check column.

Output lines:  <input path> <t> <H/Ho converged> <H/Ho classic count> <check>

Usage:  gen_exact_reference.py [--jobs 2] [--cache DIR] [--out FILE] input...
        (the committed file: --out tests/data/exact_reference.txt
         examples/*.txt tests/data/exact_inputs/*.txt)
        gen_exact_reference.py --selftest
"""
import argparse
import hashlib
import json
import math
import multiprocessing
import os
import sys
import time
from fractions import Fraction

import mpmath as mp
import numpy as np

LD = np.longdouble
CLD = np.clongdouble
PI_LD = LD("3.14159265358979323846264338327950288")
DPS = 40
VERSION = "exact-ref 1"

# ---------------------------------------------------------------- input file


def _tokens(line):
    return [t for t in line.replace(",", " ").replace("\t", " ").split() if t]


def _number(tok):
    tok = tok.replace("d", "e").replace("D", "E")
    if "*" in tok:
        r, v = tok.split("*", 1)
        return int(r), v
    return 1, tok


def read_input(path):
    """The fixed line order of an input file: title, two skipped lines, the
    aquifer line (6 reals), two skipped, the unsaturated-zone line (4), two
    skipped, the well line (6), three skipped, the count, one time per line.
    Values are kept as decimal strings (exact), a value line may go on over
    following lines."""
    with open(path) as f:
        lines = f.read().splitlines()
    pos = [1]

    def skip():
        pos[0] += 1

    def values(n):
        out = []
        while len(out) < n:
            if pos[0] >= len(lines):
                raise ValueError("%s: file ends before %d values" % (path, n))
            for tok in _tokens(lines[pos[0]]):
                if tok.startswith("/"):
                    raise ValueError("%s: slash in a value line is not supported here" % path)
                r, v = _number(tok)
                out.extend([v] * r)
            pos[0] += 1
        return out[:n]

    skip(); skip()
    bb, kr, kz, hks, ss, sy = values(6)
    skip(); skip()
    u1, u2, u3, u4 = values(4)
    skip(); skip()
    ho, rw, rc, zpd, zpl, ds = values(6)
    skip(); skip(); skip()
    (ntime,) = values(1)
    ntime = int(ntime)
    times = [values(1)[0] for _ in range(min(ntime, 200))]
    return dict(bb=bb, kr=kr, kz=kz, hks=hks, ss=ss, sy=sy, u1=u1, u2=u2, u3=u3, u4=u4,
                ho=ho, rw=rw, rc=rc, zpd=zpd, zpl=zpl, ds=ds, times=times)


# --------------------------------------------------------------------- model


class Model:
    """The dimensionless groups, in mpmath from the exact decimal inputs, in
    extended precision for the series, and in double where the program's
    choices (term count, branch of U) depend on its double values."""

    def __init__(self, v):
        mp.mp.dps = DPS
        g = {k: mp.mpf(v[k]) for k in v if k != "times"}
        fr = {k: Fraction(v[k]) for k in ("bb", "zpd", "zpl")}
        zpd, zpl = g["zpd"], g["zpl"]
        fzpd, fzpl = fr["zpd"], fr["zpl"]
        if not zpd < zpl:
            zpd, zpl, fzpd, fzpl = zpl, zpd, fzpl, fzpd
        bb, kr, kz, rw, rc = g["bb"], g["kr"], g["kz"], g["rw"], g["rc"]
        self.SL = zpl - zpd
        self.SW = (kr / g["hks"]) * g["ds"] / rw if g["hks"] > 0 else mp.mpf(0)
        self.XKD = rw * rw * kz / (kr * bb * bb)
        self.CCD = 2 * g["ss"] * rw * rw * self.SL / (rc * rc)
        self.XDD = zpd / bb
        self.XLD = zpl / bb
        self.UA1 = g["u1"] * bb
        self.UA2 = g["u2"] * bb
        self.UL1 = g["u3"] / bb
        self.UL2 = g["u4"] / bb
        self.TC = rc * rc / (2 * self.SL * kr)
        self.sigma = 2 * (rw * rw / (rc * rc)) * g["sy"] * self.SL / bb
        self.times = [mp.mpf(t) for t in v["times"]]
        # Screen ends as heights above the base, and the rational phases.
        fa = 1 - fzpd / fr["bb"]
        fb = 1 - fzpl / fr["bb"]
        self.fsum = fa + fb           # a + b
        self.flen = fa - fb           # L
        self.P = math.lcm((self.fsum / 4).denominator, (self.flen / 4).denominator)
        self.a = mp.mpf(fa.numerator) / fa.denominator
        self.b = mp.mpf(fb.numerator) / fb.denominator
        self.L = self.a - self.b
        # The program's choices, made on its double values.
        d = {k: float(v[k]) for k in v if k != "times"}
        xkd2 = (d["kz"] / d["kr"]) * (d["rw"] / d["bb"]) * (d["rw"] / d["bb"])
        cnt = 30 * 2.0 ** (-math.log10(xkd2) - 2.0)
        n = int(math.floor(abs(cnt) + 0.5)) * (1 if cnt >= 0 else -1)
        self.nclassic = 4 if n <= 3 else n
        self.d_double = d["u1"] * d["bb"] - d["u2"] * d["bb"]
        self.equal = abs(self.d_double) < 0.009999999776482582
        self.unbounded = d["u3"] / d["bb"] >= d["u4"] / d["bb"]
        self.bessel_positive = self.d_double > 0
        # Extended-precision copies for the series.
        self.xkd_ld = to_ld(self.XKD)
        self.ccd_ld = to_ld(self.CCD)
        self.a_ld, self.b_ld, self.L_ld = to_ld(self.a), to_ld(self.b), to_ld(self.L)


def to_ld(x):
    return LD(mp.nstr(mp.mpf(x), 25, strip_zeros=False))


def to_cld(z):
    z = mp.mpc(z)
    return CLD(to_ld(z.real)) + CLD(1j) * to_ld(z.imag)


def _ld_str(x):
    return np.format_float_scientific(LD(x), unique=True)


def from_cld(z):
    return mp.mpc(mp.mpf(_ld_str(z.real)), mp.mpf(_ld_str(z.imag)))


# --------------------------------------------------- Bessel I and K in mpmath


def _hankel_sum(nu, x, sign):
    """sum_k sign^k a_k(nu) / x^k, a_k = prod_{j<=k} (4nu^2 - (2j-1)^2) / (k! 8^k)."""
    mu = 4 * nu * nu
    term = mp.mpc(1)
    total = mp.mpc(1)
    eps = mp.mpf(10) ** (-mp.mp.dps - 2)
    last = mp.inf
    for k in range(1, 400):
        term = term * (mu - (2 * k - 1) ** 2) / (k * 8 * x) * sign
        a = abs(term)
        if a > last:
            raise ArithmeticError("Hankel series diverges before convergence")
        total += term
        last = a
        if a < eps * abs(total):
            return total
    raise ArithmeticError("Hankel series did not converge")


def i_scaled(nu, x):
    """I_nu(x) e^-x, Re x > 0."""
    if abs(x) >= 50:
        return _hankel_sum(nu, x, -1) / mp.sqrt(2 * mp.pi * x)
    return mp.besseli(nu, x) * mp.exp(-x)


def k_scaled(nu, x):
    """K_nu(x) e^x, Re x > 0 (Hankel's expansion, or the trapezoidal rule on
    int_0^inf exp(-x (cosh t - 1)) cosh(nu t) dt, step 0.02)."""
    if abs(x) >= 50:
        return _hankel_sum(nu, x, 1) * mp.sqrt(mp.pi / (2 * x))
    h = mp.mpf("0.02")
    total = mp.mpf("0.5")
    j = 1
    lim = mp.mpf(10) ** (-mp.mp.dps - 2)
    while True:
        t = j * h
        e = mp.exp(-x * (mp.cosh(t) - 1)) * mp.cosh(nu * t)
        total += e
        if abs(e) < lim * abs(total) and mp.re(x) * (mp.cosh(t) - 1) > 100:
            break
        j += 1
    return total * h


def unsat_u(m, pp):
    """U = -phi'(0)/phi(0) of the linearized unsaturated zone at p' = pp."""
    if pp == 0:
        return mp.mpc(0)
    if m.equal:
        a = m.UA1
        w = 4 * pp / (a * m.XKD)
        s = mp.sqrt(1 + w)
        sm1 = w / (1 + s)
        if m.unbounded:
            return a / 2 * sm1
        e = mp.exp(-a * m.UL1 * s)
        r = -e * sm1 / (1 + s)
        return a / 2 * sm1 * (-mp.expm1(-a * m.UL1 * s)) / (1 - r)
    if m.UA1 == 0:
        return mp.mpc(0)
    d = m.UA1 - m.UA2
    ad = abs(d)
    nu1, nu2 = m.UA1 / ad, m.UA2 / ad
    s = mp.sqrt(m.UA1 * pp / m.XKD)
    x1 = 2 / ad * s
    if m.bessel_positive:
        f1, f2 = i_scaled(nu1, x1), i_scaled(nu2, x1)
    else:
        f1, f2 = k_scaled(nu1, x1), k_scaled(nu2, x1)
    u = s * f1 / f2
    if not m.unbounded:
        t = min(-d * m.UL1, mp.mpf(700))
        x2 = x1 * mp.exp(t / 2)
        i3, k3 = i_scaled(nu1, x2), k_scaled(nu1, x2)
        i1, k1 = i_scaled(nu1, x1), k_scaled(nu1, x1)
        i2, k2 = i_scaled(nu2, x1), k_scaled(nu2, x1)
        if m.bessel_positive:   # F = I, G = K: (I/K)(x2) (K/I)(x1) = ... e^{2(x2-x1)}
            e = mp.exp(2 * (x2 - x1))
            c1 = (i3 / k3) * (k1 / i1) * e
            c2 = (i3 / k3) * (k2 / i2) * e
        else:                   # F = K, G = I
            e = mp.exp(-2 * (x2 - x1))
            c1 = (k3 / i3) * (i1 / k1) * e
            c2 = (k3 / i3) * (i2 / k2) * e
        u = u * (1 - c1) / (1 + c2)
    return u



# ------------------------------------------------ K0/K1 in extended precision

_HK = 40
_A0 = [LD(1)]
_A1 = [LD(1)]
for _k in range(1, _HK):
    _A0.append(_A0[-1] * LD(0 - (2 * _k - 1) ** 2) / LD(_k * 8))
    _A1.append(_A1[-1] * LD(4 - (2 * _k - 1) ** 2) / LD(_k * 8))
_TRAP_H = LD("0.05")


def k_ratio(q):
    """K0(q)/K1(q) for an array q with Re q > 0 (extended precision)."""
    q = np.asarray(q, dtype=CLD)
    out = np.empty_like(q)
    big = np.abs(q) >= 30
    if big.any():
        z = 1 / q[big]
        s0 = np.full(z.shape, CLD(0))
        s1 = np.full(z.shape, CLD(0))
        for k in range(_HK - 1, -1, -1):
            s0 = s0 * z + _A0[k]
            s1 = s1 * z + _A1[k]
        out[big] = s0 / s1
    small = ~big
    if small.any():
        qs = q[small]
        res = np.empty_like(qs)
        # Nodes out to where Re q (cosh t - 1) exceeds 60, per block of
        # similar Re q.
        req = qs.real
        tmax = np.arccosh(1 + 60 / np.maximum(req, LD("1e-30")).astype(np.float64))
        nn = np.ceil(tmax / float(_TRAP_H)).astype(int) + 1
        order = np.argsort(nn)
        start = 0
        while start < len(order):
            n = nn[order[start]]
            stop = np.searchsorted(nn[order], n * 1.25, side="right")
            idx = order[start:stop]
            nmax = nn[idx].max()
            t = np.arange(nmax, dtype=LD) * _TRAP_H
            c = np.cosh(t) - 1
            ch = np.cosh(t)
            wgt = np.ones(nmax, dtype=LD)
            wgt[0] = LD("0.5")
            e = np.exp(-np.outer(qs[idx], c))
            k0 = e @ wgt
            k1 = e @ (wgt * ch)
            res[idx] = k0 / k1
            start = stop
        out[small] = res
    return out


# ------------------------------------------------------------------- series


def roots_offset(u, xs):
    """d with (pi x + d) sin d = U cos d, from atan(U/(pi x)), for x >= 1."""
    e0 = PI_LD * xs
    d = np.arctan(u / e0)
    for it in range(60):
        sd, cd = np.sin(d), np.cos(d)
        e = e0 + d
        f = e * sd - u * cd
        fp = sd + e * cd + u * sd
        step = f / fp
        d = d - step
        if np.all(np.abs(step) <= LD("1e-19") * np.maximum(np.abs(e), 1)):
            break
    else:
        raise ArithmeticError("root iteration did not converge")
    if np.any(np.abs(d.real) > 1.6):
        raise ArithmeticError("a root left its strip")
    return d


def first_root(u):
    e = np.sqrt(u) / np.sqrt(1 + 4 * u / (PI_LD * PI_LD))
    for it in range(200):
        s, c = np.sin(e), np.cos(e)
        f = e * s - u * c
        fp = s + e * c + u * s
        step = f / fp
        e = e - step
        if abs(step) <= LD("1e-19") * max(abs(e), LD(1)):
            break
    else:
        raise ArithmeticError("first root did not converge")
    if e.real < 0:
        e = -e
    if abs(e.real) > 1.6:
        raise ArithmeticError("first root outside its strip")
    return e


def phase_table(m, ks):
    """pi * (k c mod 2) for c = (a+b)/2, L/2, a+b, L: exact reduction."""
    out = []
    for c in (m.fsum / 2, m.flen / 2, m.fsum, m.flen):
        num, den = c.numerator, c.denominator
        r = (np.asarray(ks, dtype=np.int64) * num) % (2 * den)
        out.append(PI_LD * r.astype(LD) / LD(den))
    return out


def terms(m, u, ccdp, x, ph, eps=None, d=None):
    """Series terms at roots eps = pi x + d with the phases ph (pi*k*c mod 2pi
    of the four combinations); d the root offsets."""
    a, b, L = m.a_ld, m.b_ld, m.L_ld
    s = a + b
    if eps is None:
        eps = PI_LD * x + d
    q = np.sqrt(m.xkd_ld * eps * eps + ccdp)
    r = k_ratio(q)
    # A = 2 cos((a+b) eps/2) sin(L eps/2),  B = 2 cos((a+b) eps) sin(L eps)
    aa = 2 * np.cos(ph[0] + d * (s / 2)) * np.sin(ph[1] + d * (L / 2))
    bb = 2 * np.cos(ph[2] + d * s) * np.sin(ph[3] + d * L)
    ae = aa / eps
    c = LD("0.5") + bb / (4 * L * eps)
    return r / q * ae * ae / c


def window(y):
    return np.array([0.5 * math.erfc(WINDOW_SLOPE * (float(v) - 1.5)) for v in y], dtype=LD)


_GL = {}


def gauss_legendre(n):
    if n not in _GL:
        x, w = np.polynomial.legendre.leggauss(n)
        # refine nodes in extended precision by Newton on P_n
        xl = x.astype(LD)
        for _ in range(3):
            p0 = np.ones_like(xl)
            p1 = xl.copy()
            for k in range(2, n + 1):
                p0, p1 = p1, ((2 * k - 1) * xl * p1 - (k - 1) * p0) / k
            dp = n * (xl * p1 - p0) / (xl * xl - 1)
            xl = xl - p1 / dp
        p0 = np.ones_like(xl)
        p1 = xl.copy()
        for k in range(2, n + 1):
            p0, p1 = p1, ((2 * k - 1) * xl * p1 - (k - 1) * p0) / k
        dp = n * (xl * p1 - p0) / (xl * xl - 1)
        wl = 2 / ((1 - xl * xl) * dp * dp)
        _GL[n] = (xl, wl)
    return _GL[n]


def series(m, p):
    """(S converged, S with the classic term count) at the transform
    variable p (mpmath), extended precision."""
    u_mp = unsat_u(m, m.sigma * p)
    u = to_cld(u_mp)
    pl = to_cld(p)
    ccdp = m.ccd_ld * pl
    a, b, L = m.a_ld, m.b_ld, m.L_ld
    # First term.
    if u == 0:
        q = np.sqrt(np.array([ccdp]))
        t0 = (k_ratio(q) / q * L * L)[0]
    else:
        e = first_root(u)
        ph0 = [np.array([LD(0)])] * 4
        t0 = terms(m, u, ccdp, None, ph0, eps=np.array([e]), d=np.array([e]))[0]
    # Window scale.
    # The window scale: the phase-frozen terms are analytic in a sector
    # about the real axis (the branch points of q and of the root offsets lie
    # at 45 degrees or more from it), so a fixed multiple of the phase
    # period serves every p.
    scale = max(WINDOW_FACTOR * m.P, WINDOW_MIN)
    M = int(math.ceil(scale))
    mmax = max(int(math.ceil(WINDOW_HI * M)), m.nclassic)
    ks = np.arange(1, mmax + 1)
    xs = ks.astype(LD)
    if u == 0:
        d = np.zeros(mmax, dtype=CLD)
    else:
        d = roots_offset(u, xs)
    tk = terms(m, u, ccdp, xs, phase_table(m, ks), d=d)
    all_terms = np.concatenate([np.array([t0]), tk])
    s_classic = np.sum(all_terms[: m.nclassic])
    w = window(np.arange(0, mmax + 1) / M)
    s_win = np.sum(all_terms * w)
    # Tail: integral of the phase-averaged term times 1 - w(x/M).
    xg, wg = gauss_legendre(64)
    lo, hi = LD(3 - WINDOW_HI) * M, LD(WINDOW_HI) * M
    xa = (hi - lo) / 2 * xg + (hi + lo) / 2
    wa = (hi - lo) / 2 * wg * (1 - window(xa / M))
    xg2, wg2 = gauss_legendre(TAIL_NODES)
    xb_list, wb_list = [], []
    x0 = hi
    for k in range(TAIL_DOUBLINGS):
        x1 = 2 * x0
        xb_list.append((x1 - x0) / 2 * xg2 + (x1 + x0) / 2)
        wb_list.append((x1 - x0) / 2 * wg2)
        x0 = x1
    xq = np.concatenate([xa] + xb_list)
    wq = np.concatenate([wa] + wb_list)
    dq = np.zeros(len(xq), dtype=CLD) if u == 0 else roots_offset(u, xq)
    eps = PI_LD * xq + dq
    qq = np.sqrt(m.xkd_ld * eps * eps + ccdp)
    rq = k_ratio(qq) / qq / (eps * eps)
    s = a + b
    # All residues at once: rows are the residues mod P, columns the nodes.
    phr = [ph[:, None] for ph in phase_table(m, np.arange(m.P))]
    # cos(ph + x) = cos ph cos x - sin ph sin x: the trigonometric functions
    # of the complex offsets once per node, of the real phases once per
    # residue.
    def cs(ph, x):
        return np.cos(ph), np.sin(ph), np.cos(x), np.sin(x)
    c0, s0, cx0, sx0 = cs(phr[0], dq * (s / 2))
    c1, s1, cx1, sx1 = cs(phr[1], dq * (L / 2))
    c2, s2, cx2, sx2 = cs(phr[2], dq * s)
    c3, s3, cx3, sx3 = cs(phr[3], dq * L)
    aa = 2 * (c0 * cx0 - s0 * sx0) * (s1 * cx1 + c1 * sx1)
    bb = 2 * (c2 * cx2 - s2 * sx2) * (s3 * cx3 + c3 * sx3)
    c = LD("0.5") + bb / (4 * L * eps)
    acc = np.sum(aa * aa / c, axis=0)
    tail = np.sum(wq * rq * acc) / m.P
    return s_win + tail, s_classic


def transform(m, p):
    """(F converged, F classic count) = Omega/(1 + p Omega) in mpmath."""
    s_conv, s_cl = series(m, p)
    out = []
    for s in (s_conv, s_cl):
        om = m.SW + from_cld(s) / m.L
        out.append(om / (1 + p * om))
    return out


# ------------------------------------------------------------------ de Hoog


def dehoog_table(samples):
    """QD algorithm: continued-fraction coefficients d_0..d_2M from the
    samples a_0..a_2M (a_0 already halved)."""
    n = len(samples)
    mm = (n - 1) // 2
    q = [samples[i + 1] / samples[i] for i in range(n - 1)]
    e = [mp.mpc(0)] * n
    dcoef = [samples[0], -q[0]]
    for r in range(1, mm + 1):
        e = [q[i + 1] - q[i] + e[i + 1] for i in range(n - 2 * r)]
        dcoef.append(-e[0])
        if r < mm:
            q = [q[i + 1] * e[i + 1] / e[i] for i in range(n - 2 * r - 1)]
            dcoef.append(-q[0])
    return dcoef


def dehoog_eval(dcoef, z, order):
    """Continued fraction of the given order (even) at z, with the
    accelerated remainder of de Hoog, Knight and Stokes."""
    A = [mp.mpc(0), dcoef[0]]
    B = [mp.mpc(1), mp.mpc(1)]
    for n in range(1, order):
        A.append(A[-1] + dcoef[n] * z * A[-2])
        B.append(B[-1] + dcoef[n] * z * B[-2])
    h = (1 + (dcoef[order - 1] - dcoef[order]) * z) / 2
    rem = -h * (1 - mp.sqrt(1 + dcoef[order] * z / (h * h)))
    A.append(A[-1] + rem * A[-2])
    B.append(B[-1] + rem * B[-2])
    return A[-1] / B[-1]


def invert_group(m, ts, T, mdh):
    """H/Ho at the dimensionless times ts with one period 2T."""
    gamma = -mp.log(mp.mpf("1e-16")) / (2 * T)
    samples = [[], []]
    for k in range(2 * mdh + 1):
        p = gamma + 1j * k * mp.pi / T
        f = transform(m, p)
        for j in range(2):
            samples[j].append(f[j] / 2 if k == 0 else f[j])
    res = []
    tables = [dehoog_table(samples[j]) for j in range(2)]
    for t in ts:
        z = mp.exp(1j * mp.pi * t / T)
        row = []
        for j in range(2):
            v = dehoog_eval(tables[j], z, 2 * mdh)
            v_low = dehoog_eval(tables[j], z, 2 * mdh - 16)
            row.append((mp.exp(gamma * t) / T * mp.re(v), mp.exp(gamma * t) / T * abs(v - v_low)))
        res.append(row)
    return res


# -------------------------------------------------------------------- driver


def groups_of(times):
    """Times grouped from the largest down, each group within GROUP_SPAN."""
    order = sorted(range(len(times)), key=lambda i: -times[i])
    groups = []
    while order:
        top = times[order[0]]
        g = [i for i in order if times[i] * GROUP_SPAN > top]
        groups.append(g)
        order = [i for i in order if i not in g]
    return groups


MDH = 64
GROUP_SPAN = 10
WINDOW_FACTOR = 12
WINDOW_MIN = 384
WINDOW_SLOPE = 8.0
WINDOW_HI = 2.35
TAIL_NODES = 16
TAIL_DOUBLINGS = 34


def job(args):
    path, v, gi, idx = args
    m = Model(v)
    ts = [m.times[i] / m.TC for i in idx]
    tmax = max(ts)
    t0 = time.time()
    r1 = invert_group(m, ts, mp.mpf("1.25") * tmax, MDH)
    r2 = invert_group(m, ts, mp.mpf("2.5") * tmax, MDH)
    out = []
    for k, i in enumerate(idx):
        conv, cl = r1[k][0][0], r1[k][1][0]
        check = max(abs(r1[k][0][0] - r2[k][0][0]), abs(r1[k][1][0] - r2[k][1][0]))
        order_est = max(r1[k][0][1], r2[k][0][1])
        out.append((i, float(conv), float(cl), float(check), float(order_est)))
    return path, gi, out, time.time() - t0


def cache_key(path):
    setting = (VERSION, MDH, GROUP_SPAN, WINDOW_FACTOR, WINDOW_MIN, WINDOW_SLOPE, WINDOW_HI, TAIL_NODES, TAIL_DOUBLINGS)
    with open(path) as f:
        return hashlib.sha256((repr(setting) + f.read()).encode()).hexdigest()[:16]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("inputs", nargs="*")
    ap.add_argument("--jobs", type=int, default=2)
    ap.add_argument("--cache", default=None)
    ap.add_argument("--out", default=None)
    ap.add_argument("--selftest", action="store_true")
    args = ap.parse_args()
    if args.selftest:
        return selftest()
    root = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
    tasks = []
    cached = {}
    for path in args.inputs:
        rel = os.path.relpath(os.path.abspath(path), root)
        v = read_input(path)
        m = Model(v)
        key = cache_key(path)
        cfile = os.path.join(args.cache, key + ".json") if args.cache else None
        if cfile and os.path.exists(cfile):
            with open(cfile) as f:
                cached[rel] = json.load(f)
            continue
        for gi, idx in enumerate(groups_of(m.times)):
            tasks.append((rel, v, gi, idx))
        cached[rel] = None
    t0 = time.time()
    results = {}
    with multiprocessing.Pool(max(1, min(args.jobs, 2))) as pool:
        for rel, gi, out, dt in pool.imap_unordered(job, [(os.path.join(root, t[0]), t[1], t[2], t[3]) for t in tasks]):
            rel = os.path.relpath(rel, root)
            results.setdefault(rel, []).extend(out)
            print("%s group %d: %.1f s" % (rel, gi, dt), file=sys.stderr, flush=True)
    for path in args.inputs:
        rel = os.path.relpath(os.path.abspath(path), root)
        if cached[rel] is None:
            rows = sorted(results[rel])
            cached[rel] = rows
            if args.cache:
                os.makedirs(args.cache, exist_ok=True)
                key = cache_key(path)
                with open(os.path.join(args.cache, key + ".json"), "w") as f:
                    json.dump(rows, f)
    elapsed = time.time() - t0
    lines = []
    worst = 0.0
    worst_order = 0.0
    for path in args.inputs:
        rel = os.path.relpath(os.path.abspath(path), root)
        v = read_input(path)
        for i, conv, cl, check, order_est in cached[rel]:
            lines.append("%s %s %.17g %.17g %.17g" % (rel, v["times"][i], conv, cl, check))
            worst = max(worst, check)
            worst_order = max(worst_order, order_est)
    head = ["# H/Ho of slugwell's model, independent high-precision reference (tests/tools/gen_exact_reference.py)",
            "# eigen-series converged (windowed sum + Euler-Maclaurin tail), and cut at the classic term count;",
            "# de Hoog-Knight-Stokes at %d digits, M = %d, periods 1.25 and 2.5 times the largest time of a group of times within a factor %g" % (DPS, MDH, GROUP_SPAN),
            "# generated %s; largest check difference (two periods) %.2e; largest order estimate (M vs M-8) %.2e; run time %.0f s"
            % (time.strftime("%Y-%m-%d"), worst, worst_order, elapsed),
            "# input t H/Ho_exact H/Ho_classic_count check"]
    text = "\n".join(head + lines) + "\n"
    if args.out:
        with open(args.out, "w") as f:
            f.write(text)
    else:
        sys.stdout.write(text)
    print("worst check %.3e, worst order estimate %.3e, %.0f s" % (worst, worst_order, elapsed), file=sys.stderr)


def selftest():
    mp.mp.dps = DPS
    worst = 0.0
    qs = []
    for r in [1e-3, 0.05, 0.7, 3.0, 12.0, 29.0, 31.0, 200.0]:
        for ang in [-0.78, -0.3, 0.0, 0.4, 0.78]:
            qs.append(mp.mpc(r * math.cos(ang), r * math.sin(ang)))
    got = k_ratio(np.array([to_cld(q) for q in qs]))
    for q, g in zip(qs, got):
        ref = mp.besselk(0, q) / mp.besselk(1, q)
        worst = max(worst, float(abs(from_cld(g) / ref - 1)))
    print("K0/K1 worst relative error %.2e" % worst)
    w2 = 0.0
    for nu in [mp.mpf(2), mp.mpf("2.5"), mp.mpf(3)]:
        for x in [mp.mpc(0.3, 0.2), mp.mpc(5, -3), mp.mpc(40, 30)]:
            w2 = max(w2, float(abs(k_scaled(nu, x) / (mp.besselk(nu, x) * mp.exp(x)) - 1)))
    print("K_nu scaled worst relative error %.2e" % w2)


if __name__ == "__main__":
    main()
