#!/usr/bin/env python3
"""Reference values of Ai(z) and Ai'(z), scaled by exp(2/3 z^(3/2))
(principal power), for the Airy tests: mpmath at 40 digits.
Columns: Re z, Im z, Ai_s (re, im), Ai'_s (re, im), Re(2/3 z^(3/2)).
Run: /usr/bin/python3 tests/tools/gen_large_order_airy.py > tests/data/large_order_airy.txt
"""
import math

import mpmath as mp

mp.mp.dps = 40


def main():
    print("# zr zi  Ais_re Ais_im  Aips_re Aips_im  Re_xi")
    radii = [0.0, 0.3, 0.99, 1.01, 2.0, 4.5, 7.0, 9.9, 10.1, 15.0, 40.0, 200.0]
    for r in radii:
        for deg in range(-180, 181, 15):
            if r == 0.0 and deg != 0:
                continue
            t = math.radians(deg)
            z = mp.mpc(r * math.cos(t), r * math.sin(t))
            if deg == 180:
                z = mp.mpc(-r, 0)
            xi = mp.mpf(2) / 3 * z * mp.sqrt(z)
            s = mp.exp(xi)
            a = mp.airyai(z) * s
            ap = mp.airyai(z, derivative=1) * s
            print(" ".join([repr(float(z.real)), repr(float(z.imag)), mp.nstr(a.real, 20), mp.nstr(a.imag, 20),
                            mp.nstr(ap.real, 20), mp.nstr(ap.imag, 20), mp.nstr(xi.real, 20)]))


if __name__ == "__main__":
    main()
