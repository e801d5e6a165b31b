#!/usr/bin/python3
"""Reference values of the slug-well Laplace transform F(p) for tests of
`fun`, evaluated independently at 30 digits with mpmath.

The same eigenfunction series is summed with mpmath's own Bessel K and
root finder: roots of eps tan eps = U (Newton from sqrt(U) or pi/4, then
from the previous root plus pi, each checked to lie within 1e-20 of a root),
q_n = sqrt(XKD eps^2 + CCD p), and
    T_n = K0(q) A^2 / (eps^2 q K1(q) C),
    A = sin(eps (1-XDD)) - sin(eps (1-XLD)),
    C = 1/2 + [sin(2 eps (1-XDD)) - sin(2 eps (1-XLD))] / (4 (XLD-XDD) eps),
    Omega = SW + sum T_n / (XLD - XDD),  F = HOB Omega / (1 + p Omega).
For U = 0 the first root is 0 and its term is the limit
K0(q) (XLD-XDD)^2 / (q K1(q)).  The coefficient U of the water table is the
closed form for equal exponents of the unsaturated zone:
    S = sqrt(1 + 4 p'/(UA1 XKD2)),
    unbounded (UL1 >= UL2): U = UA1/2 (S - 1),
    bounded:  R = exp(-UA1 UL1 S) (1-S)/(1+S), U = UA1/2 (S (1+R)/(1-R) - 1),
with p' = 2 (RW^2/RC^2) SY SL/BB p.

Output: tests/data/fun_reference.txt.  A line "case NAME k=v ..." gives the
parameters, each following line "p_re p_im F_re F_im" one point.
Points: the seven samples p_k = gamma + i k pi/t (gamma = -ln(1e-4)/(2t)) of
the inversion at t = 0.01, 1 and 100 (dimensionless times), and p = 1e6(1+i).
"""
import os

import mpmath as mp

mp.mp.dps = 30

CASES = [
    # Confined, fully penetrating, no skin: Cooper-Bredehoeft-Papadopulos.
    ("cbp_a1e-1", dict(NTERM=30, XKD=1e-2, CCD=2e-1, RW=0.1, RC=0.1, SY=0.0, SL=10.0, BB=10.0,
                       XLD=1.0, XDD=0.0, SW=0.0, HOB=0.1, UA1=1.0, UA2=1.0, UL1=1.0, UL2=1.0)),
    ("cbp_a1e-3", dict(NTERM=30, XKD=1e-2, CCD=2e-3, RW=0.1, RC=0.1, SY=0.0, SL=10.0, BB=10.0,
                       XLD=1.0, XDD=0.0, SW=0.0, HOB=0.1, UA1=1.0, UA2=1.0, UL1=1.0, UL2=1.0)),
    ("cbp_a1e-7", dict(NTERM=30, XKD=1e-2, CCD=2e-7, RW=0.1, RC=0.1, SY=0.0, SL=10.0, BB=10.0,
                       XLD=1.0, XDD=0.0, SW=0.0, HOB=0.1, UA1=1.0, UA2=1.0, UL1=1.0, UL2=1.0)),
    # Confined, partially penetrating screen with skin (U = 0, roots (n-1) pi).
    ("confined_partial", dict(NTERM=30, XKD=1e-3, CCD=1e-4, RW=0.05, RC=0.05, SY=0.0, SL=3.0, BB=20.0,
                              XLD=0.5, XDD=0.35, SW=1.5, HOB=0.025, UA1=2.0, UA2=2.0, UL1=1.0, UL2=1.0)),
    # Water table, unbounded unsaturated zone, partial penetration, skin.
    ("unsat_unbounded", dict(NTERM=30, XKD=1e-3, CCD=2e-4, RW=0.05, RC=0.04, SY=0.2, SL=2.0, BB=10.0,
                             XLD=0.6, XDD=0.4, SW=2.0, HOB=0.05, UA1=5.0, UA2=5.0, UL1=10.0, UL2=5.0)),
    # Water table, bounded unsaturated zone, screen at the water table.
    ("unsat_bounded", dict(NTERM=30, XKD=5e-2, CCD=1e-3, RW=0.1, RC=0.08, SY=0.1, SL=2.5, BB=5.0,
                           XLD=0.5, XDD=0.0, SW=0.0, HOB=0.2, UA1=3.0, UA2=3.0, UL1=0.2, UL2=1.0)),
    # Saturated flow only (large equal exponents), U close to p'/XKD2.
    ("watertable", dict(NTERM=30, XKD=1e-4, CCD=1e-5, RW=0.05, RC=0.05, SY=0.25, SL=5.0, BB=25.0,
                        XLD=0.9, XDD=0.7, SW=0.0, HOB=0.04, UA1=1e4, UA2=1e4, UL1=1.0, UL2=1.0)),
]


def term_count(nterm, xkd2):
    v = nterm * 2.0 ** (-mp.log10(xkd2) - 2)
    n = int(mp.floor(v + mp.mpf(0.5)))
    return max(n, 4)


def coefficient_u(c, p):
    sigma = 2 * (mp.mpf(c["RW"]) ** 2 / mp.mpf(c["RC"]) ** 2) * c["SY"] * c["SL"] / c["BB"]
    pp = sigma * p
    if pp == 0:
        return mp.mpc(0)
    ua1, xkd2 = mp.mpf(c["UA1"]), mp.mpf(c["XKD"])
    s = mp.sqrt(1 + 4 * pp / (ua1 * xkd2))
    if c["UL1"] >= c["UL2"]:
        return ua1 / 2 * (s - 1)
    r = mp.exp(-ua1 * c["UL1"] * s) * (1 - s) / (1 + s)
    return ua1 / 2 * (s * (1 + r) / (1 - r) - 1)


def newton(u, x):
    for _ in range(200):
        f = x * mp.sin(x) - u * mp.cos(x)
        fp = mp.sin(x) + x * mp.cos(x) + u * mp.sin(x)
        dx = f / fp
        x = x - dx
        if abs(dx) <= mp.mpf(10) ** (-25) * max(abs(x), 1):
            break
    assert abs(x * mp.tan(x) - u) <= mp.mpf(10) ** (-20) * max(abs(u), 1), (x, u)
    return x


def transform(c, p):
    p = mp.mpc(p)
    u = coefficient_u(c, p)
    n = term_count(c["NTERM"], c["XKD"])
    top, bot = 1 - mp.mpf(c["XDD"]), 1 - mp.mpf(c["XLD"])
    length = mp.mpf(c["XLD"]) - mp.mpf(c["XDD"])
    total = mp.mpc(0)
    if u == 0:
        roots = [mp.mpf(0)] + [k * mp.pi for k in range(1, n)]
    else:
        roots = []
        x = mp.sqrt(u) if abs(u) < 1 else mp.pi / 4
        for k in range(n):
            x = newton(u, x)
            roots.append(x)
            x = x + mp.pi
    for k, e in enumerate(roots):
        q = mp.sqrt(c["XKD"] * e * e + c["CCD"] * p)
        k0, k1 = mp.besselk(0, q), mp.besselk(1, q)
        if e == 0:
            total += k0 * length ** 2 / (q * k1)
            continue
        a = mp.sin(e * top) - mp.sin(e * bot)
        b = mp.sin(2 * e * top) - mp.sin(2 * e * bot)
        cn = mp.mpf(0.5) + b / (4 * length * e)
        total += k0 * a * a / (e * e * q * k1 * cn)
    omega = c["SW"] + total / length
    return c["HOB"] * omega / (1 + p * omega)


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "fun_reference.txt")
    lines = ["# F(p) of the slug-well series at 30 digits (tests/tools/gen_fun.py)"]
    for name, c in CASES:
        lines.append("case " + name + " " + " ".join("%s=%r" % kv for kv in c.items()))
        pts = []
        for t in (mp.mpf("0.01"), mp.mpf(1), mp.mpf(100)):
            gamma = -mp.log(mp.mpf("1e-4")) / (2 * t)
            for k in range(7):
                pts.append(mp.mpc(gamma, k * mp.pi / t))
        pts.append(mp.mpc(1e6, 1e6))
        for p in pts:
            # The test feeds the double nearest p; evaluate there.
            p = mp.mpc(float(p.real), float(p.imag))
            f = transform(c, p)
            lines.append("%s %s %s %s" % (repr(float(p.real)), repr(float(p.imag)),
                                          mp.nstr(f.real, 20), mp.nstr(f.imag, 20)))
        print(name, "done", flush=True)
    with open(out, "w") as fh:
        fh.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
