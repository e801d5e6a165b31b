#!/usr/bin/python3
"""Reference table for the K0/K1 kernel k01_scaled / k0_over_zk1
(tests/data/k01_reference.txt), and the measurement behind its level counts.

For each point z = x + iy (x, y exact doubles, Re z >= 0) the table holds,
from mpmath's besselk in 40-digit arithmetic rounded to 17 significant
digits:
    K0(z)/(z K1(z)),  e^z K0(z),  e^z K1(z)        (real and imaginary parts)

Points:
  - |z| from 1e-8 to 1e4, six per decade, along 19 directions: every 15
    degrees from -90 to 90, and 0.001, 89.9 and 89.999 degrees (next to the
    axes);
  - the extremes |z| = 1e-300 ... 1e300 along five directions;
  - points 1e-12 (relative) inside and outside the boundary of the ascending
    series, |z| + Re z = 2.8, in nine directions;
  - points just inside each increase of the series' term count (|z|^2 at the
    thresholds of the C++ table), in three directions;
  - points just past each decrease of the fraction's level counts (ratio
    and pair), where the fitted count is closest to the measured need, in
    three directions (the formulas are repeated below: keep them in step
    with special/k01.cpp);
  - points around |z| = 1e8, where the Hankel expansion takes over.

With --levels the script instead prints, for a grid of z beyond the series,
the number of levels of the backward recurrence that the ratio and the
normalised pair need to reach 2^-58 in 34-digit arithmetic: the data the
level formulas of special/k01.cpp are fitted to.

Run: /usr/bin/python3 tests/tools/gen_k01.py [--levels]
"""
import math
import os
import sys

import mpmath as mp

SERIES_BOUND = 2.8
SERIES_R2_MAX = [9.30e-6, 4.69e-4, 5.41e-3, 0.0294, 0.103, 0.273, 0.598, 1.14,
                 1.98, 3.17, 4.78, 6.88, 9.52]


def ratio_levels(s):
    return int(38.0 / s + 14.0 / math.sqrt(s) + 3.5)


def pair_levels(s):
    return int(160.0 / s + 24.0 / math.sqrt(s) + 6.5)


def polar(r, deg):
    if deg == 90:
        return 0.0, r
    if deg == -90:
        return 0.0, -r
    t = math.radians(deg)
    return r * math.cos(t), r * math.sin(t)


def values(x, y):
    z = mp.mpc(x, y)
    k0 = mp.besselk(0, z)
    k1 = mp.besselk(1, z)
    ez = mp.exp(z)  # mpf exponents are unbounded: no overflow at |z| = 1e300
    return [k0 / (z * k1), ez * k0, ez * k1]


def fmt(v):
    return mp.nstr(v, 17, min_fixed=-4, max_fixed=5, strip_zeros=False)


def first_point_past(f, s_lo, s_hi):
    """Smallest s in (s_lo, s_hi] (to 1e-12) with f(s) < f(s_lo)."""
    lo, hi = s_lo, s_hi
    if f(hi) >= f(lo):
        return None
    for _ in range(80):
        mid = 0.5 * (lo + hi)
        if f(mid) < f(s_lo):
            hi = mid
        else:
            lo = mid
    return hi


def s_to_z(s, deg):
    """z of direction deg with (|z| + Re z)/2 = s."""
    c = math.cos(math.radians(deg)) if abs(deg) != 90 else 0.0
    return polar(2.0 * s / (1.0 + c), deg)


def points():
    pts = []
    dirs = [-90, -75, -60, -45, -30, -15, 0, 15, 30, 45, 60, 75, 90, 0.001, 89.9, 89.999]
    for e in range(-48, 25):
        r = 10.0 ** (e / 6.0)
        for d in dirs:
            pts.append(polar(r, d))
    for e in [-300, -200, -100, -30, 30, 100, 200, 300]:
        for d in [-90, -40, 0, 40, 90]:
            pts.append(polar(10.0 ** e, d))
    for d in [-90, -80, -60, -30, 0, 20, 45, 70, 90]:
        for f in [1 - 1e-12, 1 + 1e-12]:
            pts.append(s_to_z(0.5 * SERIES_BOUND * f, d))
    for r2 in SERIES_R2_MAX:
        if r2 > SERIES_BOUND ** 2:
            continue
        for d in [0, 45, 90]:
            x, y = polar(math.sqrt(r2) * (1 - 1e-12), d)
            if math.hypot(x, y) + x <= SERIES_BOUND:
                pts.append((x, y))
    for f in [ratio_levels, pair_levels]:
        s = 0.5 * SERIES_BOUND * (1 + 1e-9)
        while s < 5e7:
            nxt = first_point_past(f, s, s * 1.5)
            if nxt is None:
                s *= 1.5
                continue
            for d in [0, 45, 90]:
                pts.append(s_to_z(nxt * (1 + 1e-12), d))
            s = nxt * (1 + 1e-9)
    for f in [1 - 1e-9, 1 + 1e-9]:
        for d in [0, 45, 90]:
            pts.append(polar(1e8 * f, d))
    return pts


def write_table():
    mp.mp.dps = 40
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data",
                       "k01_reference.txt")
    lines = ["# K0/K1 kernel reference (tests/tools/gen_k01.py, mpmath 40 digits)",
             "# x y  K0/(zK1) re im  e^z K0 re im  e^z K1 re im"]
    for x, y in points():
        v = values(x, y)
        lines.append("%r %r %s" % (x, y, " ".join(fmt(c) for w in v for c in (w.real, w.imag))))
    with open(out, "w") as fh:
        fh.write("\n".join(lines) + "\n")
    print("%d points written to %s" % (len(lines) - 2, out))


def miller(z, levels):
    half = mp.mpf(1) / 2
    up, u = mp.mpf(0), mp.mpf(1)
    us = [None] * (levels + 1)
    us[levels] = u
    for n in range(levels, 0, -1):
        up, u = u, 2 * (n + z) * u - (n + half) ** 2 * up
        us[n - 1] = u
    return us


def measure_levels():
    mp.mp.dps = 34
    half = mp.mpf(1) / 2
    tol = mp.mpf(2) ** -58
    print("# |z| deg s ratio-levels pair-levels (needed for 2^-58)  formula: ratio pair")
    for e in range(6, 61):
        r = 10 ** (e / 15)
        for d in [0, 15, 30, 45, 60, 75, 90]:
            x, y = polar(r, d)
            if r + x <= SERIES_BOUND:
                continue
            z = mp.mpc(x, y)
            k0, k1 = mp.besselk(0, z), mp.besselk(1, z)
            ratio, pair = k0 / (z * k1), mp.exp(z) * k0
            nr = next(n for n in range(1, 400)
                      if abs((lambda u: u[0] / ((z + half) * u[0] - u[1] / 4))(miller(z, n)) / ratio - 1) < tol)
            npair = None
            for n in range(nr, 600):
                u = miller(z, n)
                c, s = mp.mpf(1), u[0]
                for k in range(1, n + 1):
                    c = c * (k - half) ** 2 / k
                    s += c * u[k]
                if abs(mp.sqrt(mp.pi / (2 * z)) * u[0] / s / pair - 1) < tol:
                    npair = n
                    break
            sv = 0.5 * (r + x)
            print("%.4g %d %.4g %d %d  %d %d" % (r, d, sv, nr, npair, ratio_levels(sv), pair_levels(sv)),
                  flush=True)


if __name__ == "__main__":
    if "--levels" in sys.argv:
        measure_levels()
    else:
        write_table()
