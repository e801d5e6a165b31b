#!/usr/bin/env python3
"""Reference values of Bessel functions of large order (mpmath).

For each order nu and argument z (Im z >= 0) the file holds, with
zeta = -i z (right half-plane):
  nu  Re z  Im z
  I_nu(zeta) e^-|Re zeta|        (re, im, log10 of the modulus)
  K_nu(zeta) e^zeta              (re, im, log10 of the modulus)
  J_nu(z) e^-|Im z|, Y_nu(z) e^-|Im z|   (re, im each)
  log10(|J| + |Y|) (scaled)
J and Y come from J = e^(i nu pi/2) I(zeta), Y = i e^(i nu pi/2) I(zeta)
- (2/pi) e^(-i nu pi/2) K(zeta) (DLMF 10.27.6, 10.27.8), evaluated at 30+
digits (the identity is checked against scipy's jv/yv at a few moderate
points first). Points whose evaluation fails or takes too long
are left out.

Usage: gen_large_order_reference.py OUTFILE
  (orders 85 ... 300, |z| 1e-3 ... 3e4, angles 0-180 deg; the table in
  tests/data/large_order_reference.txt was cut short at order 300, where
  points far beyond the turning point take mpmath minutes each.)
"""
import math
import signal
import sys

import mpmath as mp

mp.mp.dps = 35


class Timeout(Exception):
    pass


def _alarm(signum, frame):
    raise Timeout()


def robust(f, nu, x):
    # Default settings first; larger limits only where mpmath asks for them
    # (large orders), since the larger limits can stall its cancellation
    # handling at moderate orders.
    try:
        return f(nu, x)
    except (mp.libmp.NoConvergence, ValueError):
        return f(nu, x, maxterms=10**6, maxprec=20000)


def refs_at(nu, z, dps):
    with mp.workdps(dps):
        nu = mp.mpf(nu)
        z = mp.mpc(z)
        zeta = -1j * z
        I = robust(mp.besseli, nu, zeta)
        K = robust(mp.besselk, nu, zeta)
        e = mp.expj(nu * mp.pi / 2)
        J = e * I
        Y = 1j * e * I - 2 / mp.pi * K / e
        s = mp.exp(-abs(zeta.real))
        Is = I * s
        Ks = K * mp.exp(zeta)
        sj = mp.exp(-abs(z.imag))
        return Is, Ks, J * sj, Y * sj


def agree(a, b):
    Ia, Ka, Ja, Ya = a
    Ib, Kb, Jb, Yb = b
    jy = abs(Ja) + abs(Ya)
    return (abs(Ka - Kb) <= mp.mpf(10)**-20 * abs(Ka) and abs(Ja - Jb) <= mp.mpf(10)**-20 * jy
            and abs(Ya - Yb) <= mp.mpf(10)**-20 * jy)


def refs(nu, z):
    # mpmath's hypergeometric sums can lose all digits to cancellation
    # without noticing at a fixed precision (K of non-integer order near
    # the turning point), so each value is accepted only when two working
    # precisions agree.
    a = refs_at(nu, z, 35)
    b = refs_at(nu, z, 55)
    if agree(a, b):
        return b
    c = refs_at(nu, z, 90)
    if agree(b, c):
        return c
    raise ValueError("precisions disagree")


def check_identity():
    # The identity against an independent oracle at moderate orders.
    import scipy.special as sp
    for nu, z in [(2.5, complex(3, 1)), (12.3, complex(5, 8)), (7.0, complex(-4, 0.5))]:
        _, _, J, Y = refs(nu, z)
        sj = math.exp(-abs(z.imag))
        Jr = complex(sp.jv(nu, z)) * sj
        Yr = complex(sp.yv(nu, z)) * sj
        scale = abs(Jr) + abs(Yr)
        assert abs(complex(J) - Jr) <= 1e-12 * scale, (nu, z)
        assert abs(complex(Y) - Yr) <= 1e-12 * scale, (nu, z)


def lg(x):
    return float(mp.log10(abs(x))) if x != 0 else -1e300


def num(x):
    return mp.nstr(x, 20, min_fixed=1, max_fixed=0, strip_zeros=False) if x != 0 else "0"


def grid_points():
    # Orders above 300 come from gen_large_order_recur.py (faster there).
    orders = [85, 86, 87, 100, 150.3, 300]
    for nu in orders:
        big = nu >= 20000
        radii = [1e-3, 1.0, 30.0, 1000.0, 3e4] if big else [1e-3, 0.1, 1.0, 10.0, 100.0, 1000.0, 3e4]
        rel = [0.5, 0.97, 1.0, 1.03, 2.0] if big else [0.3, 0.8, 0.95, 1.0, 1.05, 1.3, 3.0]
        radii = sorted(set(radii + [nu * r for r in rel]))
        angles = [0, 45, 90, 135, 180] if big else [0, 15, 45, 75, 88, 90, 105, 135, 165, 180]
        for r in radii:
            for a in angles:
                t = math.radians(a)
                yield nu, complex(r * math.cos(t), r * math.sin(t))


def main():
    out = sys.argv[1]
    check_identity()
    pts = grid_points()
    signal.signal(signal.SIGALRM, _alarm)
    with open(out, "w") as f:
        f.write("# nu zr zi  Is_re Is_im Is_lg  Ks_re Ks_im Ks_lg  Js_re Js_im  Ys_re Ys_im  JY_lg\n")
        for nu, z in pts:
            signal.alarm(40)
            try:
                Is, Ks, Js, Ys = refs(nu, z)
            except (Timeout, Exception) as e:  # noqa: BLE001 - skip the point
                signal.alarm(0)
                print("skip", nu, z, type(e).__name__, file=sys.stderr, flush=True)
                continue
            signal.alarm(0)
            row = [repr(float(nu)), repr(z.real), repr(z.imag),
                   num(Is.real), num(Is.imag), "%.6f" % lg(Is),
                   num(Ks.real), num(Ks.imag), "%.6f" % lg(Ks),
                   num(Js.real), num(Js.imag), num(Ys.real), num(Ys.imag),
                   "%.6f" % lg(abs(Js) + abs(Ys))]
            f.write(" ".join(row) + "\n")
            f.flush()


if __name__ == "__main__":
    main()
