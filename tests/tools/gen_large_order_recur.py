#!/usr/bin/env python3
"""Reference values of Bessel functions of large order by three-term
recurrences in multiple precision (mpmath, 40 digits), for the orders where
mpmath's hypergeometric sums are too slow (1000 ... 50000 and the
unsaturated-zone coupling). Same columns as gen_large_order_reference.py.

With zeta = -i z (Re zeta >= 0):
  K_nu(zeta): forward recurrence K_(m+1) = (2m/zeta) K_m + K_(m-1) from the
    order nu0 = nu - floor(nu) (mpmath besselk at orders nu0, nu0 + 1);
    K is the dominant solution as the order grows, so this is stable.
  I_nu(zeta): Miller's backward recurrence I_(m-1) = (2m/zeta) I_m + I_(m+1)
    from an order N far above max(nu, |zeta|) (I is the recessive
    solution), normalized by the Wronskian I_nu K_(nu+1) + I_(nu+1) K_nu =
    1/zeta (DLMF 10.28.2).
  J, Y from I and K as in gen_large_order_reference.py.
Usage: gen_large_order_recur.py OUTFILE grid|coupling|check
  check: a few orders <= 300 to compare with the hypergeometric table.
"""
import math
import sys

import mpmath as mp

mp.mp.dps = 40


def pair(nu, z):
    """Scaled I, K (at -i z) and J, Y (at z) for orders nu and nu + 1."""
    z = mp.mpc(z)
    zeta = -1j * z
    nu = mp.mpf(nu)
    m0 = int(mp.floor(nu))
    nu0 = nu - m0
    # K forward
    k0 = mp.besselk(nu0, zeta)
    k1 = mp.besselk(nu0 + 1, zeta)
    r = 2 / zeta
    for m in range(1, m0 + 1):
        k0, k1 = k1, r * (nu0 + m) * k1 + k0
    # now k0 = K_nu, k1 = K_(nu+1)
    # I backward (Miller)
    M = max(float(nu), float(abs(zeta)))
    N = int(M + 100 + 40 * M ** (1.0 / 3.0)) + 2
    a1, a0 = mp.mpc(0), mp.mpc(1)  # I_(N+1), I_N (unnormalized)
    for m in range(N, m0, -1):
        # I_(m-1) = (2(nu0+m)/zeta) I_m + I_(m+1), orders nu0 + m
        a0, a1 = r * (nu0 + m) * a0 + a1, a0
        big = abs(a0)
        if big > mp.mpf(10) ** 1000:
            a0 /= big
            a1 /= big
    # a0 ~ I_nu, a1 ~ I_(nu+1)
    c = 1 / (zeta * (a0 * k1 + a1 * k0))
    out = []
    for v, I, K in ((nu, a0 * c, k0), (nu + 1, a1 * c, k1)):
        e = mp.expj(v * mp.pi / 2)
        J = e * I
        Y = 1j * e * I - 2 / mp.pi * K / e
        s = mp.exp(-abs(zeta.real))
        out.append((v, I * s, K * mp.exp(zeta), J * s, Y * s))
    return out


def lg(x):
    return float(mp.log10(abs(x))) if x != 0 else -1e300


def num(x):
    return mp.nstr(x, 20, min_fixed=1, max_fixed=0, strip_zeros=False) if x != 0 else "0"


def row(v, z, Is, Ks, Js, Ys):
    return " ".join([repr(float(v)), repr(z.real), repr(z.imag), num(Is.real), num(Is.imag), "%.6f" % lg(Is),
                     num(Ks.real), num(Ks.imag), "%.6f" % lg(Ks), num(Js.real), num(Js.imag), num(Ys.real),
                     num(Ys.imag), "%.6f" % lg(abs(Js) + abs(Ys))])


def grid():
    orders = [1000, 2500.5, 5000, 20000, 50000]
    for nu in orders:
        big = nu >= 20000
        radii = [1e-3, 1.0, 30.0, 1000.0, 3e4] if big else [1e-3, 0.1, 1.0, 10.0, 100.0, 1000.0, 3e4]
        rel = [0.5, 0.97, 1.0, 1.03, 2.0] if big else [0.3, 0.8, 0.95, 1.0, 1.05, 1.3, 3.0]
        radii = sorted(set(radii + [nu * r for r in rel if nu * r <= 1.0e5]))
        angles = [0, 45, 88, 90, 135, 180] if big else [0, 15, 45, 75, 88, 90, 105, 135, 165, 180]
        for r in radii:
            for a in angles:
                t = math.radians(a)
                yield nu, complex(r * math.cos(t), r * math.sin(t)), False


def coupling():
    for ua1, d, nu0 in [(200.0, 0.02, 10000), (30.0, 0.01, 3000)]:
        for xkd2 in [1.0, 1e-2]:
            for rel in [0.3, 0.9, 0.99, 1.0, 1.01, 1.1, 2.0]:
                for phi in [0.0, 0.05, 0.7, 1.3, 1.55]:
                    r = (rel * nu0 / 2) ** 2 * xkd2 * d * d / ua1
                    p = r * complex(math.cos(phi), math.sin(phi))
                    q1 = complex(mp.sqrt(ua1 * p / (xkd2 * d * d)))
                    z = 2j * q1
                    if 1e-3 <= abs(z) <= 3e4:
                        yield nu0, z, True


def check():
    for nu, z in [(85, complex(40, 30)), (150.3, complex(100, 0.5)), (300, complex(-200, 290)),
                  (100, complex(0, 100)), (150.3, complex(96.59258262890683, 25.881904510252074))]:
        yield nu, z, True


def main():
    out, which = sys.argv[1], sys.argv[2]
    pts = {"grid": grid, "coupling": coupling, "check": check}[which]()
    with open(out, "w") as f:
        f.write("# nu zr zi  Is_re Is_im Is_lg  Ks_re Ks_im Ks_lg  Js_re Js_im  Ys_re Ys_im  JY_lg\n")
        for nu, z, both in pts:
            res = pair(nu, z)
            for v, Is, Ks, Js, Ys in (res if both else res[:1]):
                f.write(row(v, z, Is, Ks, Js, Ys) + "\n")
            f.flush()


if __name__ == "__main__":
    main()
