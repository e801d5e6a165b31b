#!/usr/bin/env python3
"""Reference values for model/bessel_iklog: log I_nu(x), log K_nu(x),
I_{nu+1}/I_nu and K_{nu+1}/K_nu at 30 significant digits (mpmath), over
orders 0 .. 3000.7 and arguments of modulus 1e-8 .. 1000 in the sector
|arg x| <= pi/4 met by the unsaturated-zone coefficient.

Writes tests/data/unsatzone_iklog.txt, one line per point:
nu  Re x  Im x  Re li  Im li  Re lk  Im lk  Re rho  Im rho  Re h  Im h
(logarithms principal; the test compares imaginary parts modulo 2 pi).
Run: /usr/bin/python3 tests/tools/gen_unsatzone_iklog.py
"""
import math
import os

import mpmath as mp

mp.mp.dps = 30

ORDERS = [0, 0.01, 0.3, 1.0, 1.7, 5.5, 14.2, 19.5, 20.5, 25, 29.5, 31, 60, 100.5, 1000, 3000.7]
ANGLES = [0, 0.4, math.pi / 4]
MODULI = [1e-8, 1e-3, 0.2, 1.5, 7, 14, 20, 29, 31, 60, 150, 1000]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = os.path.join(here, "..", "data", "unsatzone_iklog.txt")
    with open(out, "w") as f:
        f.write("# nu Re(x) Im(x) log I_nu(x) log K_nu(x) I_{nu+1}/I_nu K_{nu+1}/K_nu (re im each)\n")
        for nu in ORDERS:
            for th in ANGLES:
                for xm in MODULI:
                    xr, xi = xm * math.cos(th), xm * math.sin(th)
                    x = mp.mpc(xr, xi)
                    i0, i1 = mp.besseli(nu, x), mp.besseli(nu + 1, x)
                    k0, k1 = mp.besselk(nu, x), mp.besselk(nu + 1, x)
                    vals = [mp.log(i0), mp.log(k0), i1 / i0, k1 / k0]
                    nums = [repr(float(nu)), repr(xr), repr(xi)]
                    for v in vals:
                        nums += [repr(float(v.real)), repr(float(v.imag))]
                    f.write(" ".join(nums) + "\n")


if __name__ == "__main__":
    main()
