#!/usr/bin/python3
"""Reference values of I and K (kode 1 and exponentially scaled kode 2)
at arguments in all four quadrants, for the I and K entry points; writes
tests/data/zbes_ik_reference.txt, one line per point:
  fnu zr zi  I(re im)  e^{-|Re z|} I(re im)  K(re im)  e^{z} K(re im)
Run: /usr/bin/python3 tests/tools/gen_zbes_ik.py > tests/data/zbes_ik_reference.txt
"""
import math

import mpmath as mp

mp.mp.dps = 40
ORDERS = [0, 0.3, 0.5, 1, 2.7, 12, 40]
MODS = [1e-3, 0.5, 1.9, 2.1, 7.0, 19.0, 30.0, 150.0]
ANGLES = [0, 60, 100, 150, 180, -30, -100, -160]


def c(v):
    v = complex(v)
    return [repr(v.real), repr(v.imag)]


for nu in ORDERS:
    for r in MODS:
        for a in ANGLES:
            t = math.radians(a)
            zr, zi = r * math.cos(t), r * math.sin(t)
            if a == 180:
                zi = 0.0
            z = mp.mpc(zr, zi)
            i = mp.besseli(nu, z)
            k = mp.besselk(nu, z)
            f = [repr(float(nu)), repr(zr), repr(zi)]
            f += c(i) + c(i * mp.exp(-abs(z.real))) + c(k) + c(k * mp.exp(z))
            print(" ".join(f))
