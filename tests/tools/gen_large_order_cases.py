#!/usr/bin/env python3
"""Reference values for the single regression cases of the large-order
tests (scaled J and Y, KODE 2: times e^-|Im z|), printed as C++ table rows.
mpmath at two working precisions (35 and 60 digits) that must agree.
Run: /usr/bin/python3 tests/tools/gen_large_order_cases.py
"""
import mpmath as mp

CASES = [
    # J at -50-50i, order 1000
    (1000.0, -50.0, -50.0), (1000.0, -700.0, -700.0), (1000.0, -900.0, -50.0),
    # scaled Y near the real axis, orders >= 90
    (90.0, 150.0, 1e-3), (95.5, 50.0, 0.5), (120.0, 119.0, 1e-6), (300.0, 1200.0, 2.0),
    # Y large: K expansion near its overflow branch
    (150.0, 2.0, 0.5), (150.0, 2.3, 0.0), (95.0, 0.9, 0.3),
    # zbesy scaling: K term as large as the result (2|Im z| >= ELIM)
    (800.0, 0.0, 500.0), (600.0, 0.0, 400.0), (1000.0, 30.0, 700.0),
    # zbesy scaling: scaled K overflows on the way, scaled Y finite
    (2500.5, 0.0, 1000.0), (3000.0, 0.0, 1400.0), (3001.0, 5.0, 1400.0),
]


def at(nu, z, dps):
    with mp.workdps(dps):
        nu = mp.mpf(nu)
        z = mp.mpc(z)
        s = mp.exp(-abs(z.imag))
        return mp.besselj(nu, z) * s, mp.bessely(nu, z) * s


def main():
    for nu, zr, zi in CASES:
        a = at(nu, complex(zr, zi), 35)
        b = at(nu, complex(zr, zi), 60)
        sc = abs(b[0]) + abs(b[1])
        assert abs(a[0] - b[0]) < 1e-22 * sc and abs(a[1] - b[1]) < 1e-22 * sc, (nu, zr, zi)
        j, y = b
        print("        {%r, {%r, %r}, {%s, %s}, {%s, %s}}," % (
            nu, zr, zi, mp.nstr(j.real, 20), mp.nstr(j.imag, 20), mp.nstr(y.real, 20), mp.nstr(y.imag, 20)))


def sequence():
    # z = 90 - 3i, orders 80 ... 109 (N = 30 across FNUL)
    print("    // z = 90 - 3i, orders 80 + k")
    for k in range(30):
        a = at(80.0 + k, complex(90, -3), 35)
        b = at(80.0 + k, complex(90, -3), 60)
        sc = abs(b[0]) + abs(b[1])
        assert abs(a[0] - b[0]) < 1e-22 * sc and abs(a[1] - b[1]) < 1e-22 * sc
        j, y = b
        print("        {{%s, %s}, {%s, %s}}," % (mp.nstr(j.real, 20), mp.nstr(j.imag, 20), mp.nstr(y.real, 20),
                                              mp.nstr(y.imag, 20)))


if __name__ == "__main__":
    main()
    sequence()
