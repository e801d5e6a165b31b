#!/usr/bin/python3
"""Reference table for the complex Bessel J and Y routines (zbesj, zbesy).

Each line: fnu zr zi, then for the three orders fnu, fnu+1, fnu+2 the
exponentially scaled values e^{-|Im z|} J and e^{-|Im z|} Y (re, im each),
from mpmath at 40 digits, then four status tokens of the scipy oracle
(scipy.special.jv, jve, yv, yve at order fnu):
  0 no report, U underflow, O overflow, L loss of precision, N no result,
  X other. A reference value that is not representable is written as nan.

Arguments: the orders 0 .. 85 below, |z| on a log grid from 1e-6 to 3e4 at
angles in the upper half-plane and some below it, plus arguments
i 2 sqrt(c p) with p on inversion contours gamma + i k pi / T.

Run: /usr/bin/python3 tests/tools/gen_zbes_reference.py > tests/data/zbes_reference.txt
"""
import math
import sys
import warnings

import mpmath as mp
import numpy as np
import scipy.special as sc

mp.mp.dps = 40
ORDERS = [0, 0.25, 0.5, 1, 1.5, 2, 3.7, 10, 25.5, 50, 85]
MODS = [10.0 ** (e / 4.0) for e in range(-24, 18, 2)] + [2.0, 21.0, 23.0, 90.0, 3.0e4]
ANGLES = [0, 45, 90, 135, 170, 180, -45, -120]


def scaled(f, nu, z):
    return f(nu, z) * mp.exp(-abs(z.imag))


def fmt(v):
    v = complex(v)
    out = []
    for x in (v.real, v.imag):
        if not math.isfinite(x) or abs(x) > 1.7e308:
            out.append("nan")
        else:
            out.append(repr(x))
    return out


def status(f, nu, z):
    try:
        with sc.errstate(all="raise"):
            with warnings.catch_warnings():
                warnings.simplefilter("ignore")
                f(nu, np.complex128(z))
        return "0"
    except sc.SpecialFunctionError as e:
        msg = str(e)
        for key, tok in (("underflow", "U"), ("overflow", "O"), ("loss", "L"), ("no result", "N")):
            if key in msg:
                return tok
        return "X"


def points():
    for nu in ORDERS:
        for r in MODS:
            for a in ANGLES:
                t = math.radians(a)
                zr, zi = r * math.cos(t), r * math.sin(t)
                if a == 90:
                    zr = 0.0
                if a == 180:
                    zi = 0.0
                yield nu, zr, zi
    # Arguments of the unsaturated-zone coupling on inversion contours.
    for nu in (0.5, 3.7, 50.0):
        for c in (1e-3, 1.0, 1e3):
            for big_t in (1e-2, 1.0, 1e2):
                gamma = -math.log(1e-4) / (2.0 * big_t)
                for k in range(0, 13, 3):
                    p = complex(gamma, k * math.pi / big_t)
                    z = 2j * np.sqrt(c * p)
                    yield nu, z.real, z.imag


def main():
    w = sys.stdout.write
    for nu, zr, zi in points():
        z = mp.mpc(zr, zi)
        fields = [repr(float(nu)), repr(zr), repr(zi)]
        for k in range(3):
            fields += fmt(scaled(mp.besselj, nu + k, z))
            fields += fmt(scaled(mp.bessely, nu + k, z))
        zc = complex(zr, zi)
        fields += [status(sc.jv, nu, zc), status(sc.jve, nu, zc), status(sc.yv, nu, zc), status(sc.yve, nu, zc)]
        w(" ".join(fields) + "\n")


if __name__ == "__main__":
    main()
