#!/usr/bin/python3
"""Reference values of the Cooper-Bredehoeft-Papadopulos (1967) slug-test
solution for a fully penetrating well in a confined aquifer, no skin:

    H/Ho = (8 a / pi^2) * Int_0^inf exp(-b u^2 / a) / (u f(u)) du,
    f(u) = [u J0(u) - 2 a J1(u)]^2 + [u Y0(u) - 2 a Y1(u)]^2,

with a = alpha = rw^2 S / rc^2 and b = beta = T t / rc^2 (Cooper, Bredehoeft
and Papadopulos, Water Resour. Res. 3 (1967) 263-269; Papadopulos, Bredehoeft
and Cooper, Water Resour. Res. 9 (1973) 1087-1089).

The integrand is smooth and positive (f = |u H0(u) - 2a H1(u)|^2 with the
Hankel functions of the first kind); it rises like pi^2 u/(16 a^2) for
u << sqrt(a), peaks near u ~ sqrt(a) and decays like the Gaussian factor.
The integral is split at geometric break points around sqrt(a) and cut where
the Gaussian factor is below 1e-40, then integrated by tanh-sinh quadrature
at 20 digits.  As an independent check every fourth value is compared with a
Talbot inversion (mpmath.invertlaplace) of the Laplace-domain form in the
dimensionless time tD = 2 beta used by the program:
    F(p) = K0(q) / (p K0(q) + q K1(q)),  q = sqrt(2 alpha p).

Output: tests/data/cbp_reference.txt, one line per (alpha, beta):
    alpha  beta  H/Ho  (H/Ho to 15 significant digits)
"""
import os
import sys

import mpmath as mp

mp.mp.dps = 20

ALPHAS = ["1e-1", "1e-3", "1e-5", "1e-7"]
# beta from 1e-3 to 1e2, four points per decade.
BETAS = []
for e in range(-3, 2):
    for m in ["1", "1.778279410038923", "3.162277660168380", "5.623413251903491"]:
        BETAS.append(m + "e" + str(e))
BETAS.append("1e2")


def cbp_integral(a, b):
    def integrand(u):
        if u == 0:
            return mp.mpf(0)
        re = u * mp.besselj(0, u) - 2 * a * mp.besselj(1, u)
        im = u * mp.bessely(0, u) - 2 * a * mp.bessely(1, u)
        return mp.exp(-b * u * u / a) / (u * (re * re + im * im))

    umax = mp.sqrt(a * 92 / b)  # exp(-92) ~ 1e-40
    pts = [mp.mpf(0)]
    x = mp.sqrt(a) * mp.mpf(10) ** -6
    while x < umax:
        pts.append(x)
        x *= mp.sqrt(10)
    pts.append(umax)
    val = mp.quad(integrand, pts)
    return 8 * a / mp.pi ** 2 * val


def talbot_check(a, b):
    def F(p):
        q = mp.sqrt(2 * a * p)
        k0 = mp.besselk(0, q)
        k1 = mp.besselk(1, q)
        return k0 / (p * k0 + q * k1)

    return mp.invertlaplace(F, 2 * b, method="talbot")


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data",
                       "cbp_reference.txt")
    lines = ["# Cooper-Bredehoeft-Papadopulos (1967) slug test, H/Ho by quadrature of",
             "# the real-integral form at 20 digits (tests/tools/gen_cbp.py).",
             "# alpha beta H/Ho"]
    worst = 0.0
    for sa in ALPHAS:
        a = mp.mpf(sa)
        for sb in BETAS:
            b = mp.mpf(sb)
            v = cbp_integral(a, b)
            diff = mp.mpf(0)
            if BETAS.index(sb) % 4 == 0:
                w = talbot_check(a, b)
                diff = abs(v - w)
                worst = max(worst, float(diff))
                if diff > mp.mpf("1e-12") * max(abs(v), mp.mpf("1e-3")):
                    print("MISMATCH", sa, sb, v, w, file=sys.stderr)
            lines.append("%s %s %s" % (sa, mp.nstr(b, 16), mp.nstr(v, 15, min_fixed=-5, max_fixed=1)))
            print(lines[-1], "talbot diff %.2e" % float(diff), flush=True)
    with open(out, "w") as f:
        f.write("\n".join(lines) + "\n")
    print("worst |quadrature - talbot| = %.3e" % worst)


if __name__ == "__main__":
    main()
