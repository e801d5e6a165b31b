#!/usr/bin/python3
"""Reference data for the inertial (oscillatory) slug-test well, at 30 digits.

The well balance with the inertia and the laminar casing friction of the
water column (docs/oscillatory.md), in the program's dimensionless time
tD = t/TC, TC = rc^2/(2 K SL), for the normalized head f = H/b:

    F(p) = HOB Oe / (1 + p Oe),   Oe = Omega(p) + LF + LI p,
    LI = Le / (g TC^2),           LF = 8 nu Lf / (g rc^2 TC),

Omega(p) being the aquifer's head at the screen per unit flux (the series of
the program).  Its time-domain form for a constant Omega0 is the damped
oscillator  LI f'' + (Omega0 + LF) f' + f = 0,  f(0) = HOB, f'(0) = 0,
with the damping parameter C_D = (Omega0 + LF)/sqrt(LI) of Springer and
Gelhar (1991) and Butler (1998) in the time t sqrt(g/Le).

Three sets of data:

(a) tests/data/oscillatory_lumped.txt: the lumped model (quasi-steady
    aquifer, Omega0 = ln(Re/rw), the Thiem/Hvorslev/Bouwer-Rice form) for
    underdamped, critically damped and overdamped columns, with and without
    casing friction, one case in feet and minutes.  The equation is
    integrated in time by mpmath.odefun (Taylor series, 30 digits); each
    value is checked against the closed form and against the inversion of
    the transform F(p) above (de Hoog, mpmath.invertlaplace, at two degrees),
    all to 1e-18.  (Talbot's contour is no check here: its imaginary extent
    is about pi r, r = 2M/(5t), so from a few periods on the poles of the
    oscillation lie outside it and their residues are lost: 8e-18 off after
    five periods, 5e-4 after eight.)  Zero crossings and the first minimum are found on the
    integrated solution (findroot) and checked against the closed form.
    The hydraulic conductivity of each case is solved for its target C_D and
    written with 17 digits; the references are computed from that rounded
    value, so they hold for exactly the double the tests read.

(b) tests/data/oscillatory_full.txt: the fully penetrating well in a
    confined aquifer of small storage, Omega = K0(q)/(q K1(q)),
    q = sqrt(CCD p) (Cooper, Bredehoeft and Papadopulos 1967), with the
    inertial column (the model of Kipp 1985).  Values come from de Hoog
    inversion at two degrees (agreement 1e-20 asserted);
    the dominant pole pair of F is located by findroot on 1 + p Oe(p) = 0.
    Beside them, the damped oscillator of van der Kamp (1976): frequency and
    damping from the undamped frequency w0 = sqrt(g/Le) and the
    quasi-steady radial resistance at that frequency,
        Omega_vdK = -ln(e^gamma_E q0 / 2) = -1/2 ln(0.7930 rw^2 S w0 / T),
        q0 = rw sqrt(S w0 / T),
    (0.7930 = e^(2 gamma_E)/4, van der Kamp's 0.79), decay rate
    gamma = g rc^2 Omega_vdK / (4 T Le), angular frequency
    omega = sqrt(g/Le - gamma^2); its curve with f'(0) = 0 is
        h = e^(-gamma t) (cos omega t + gamma/omega sin omega t).
    The largest gap between that curve and the exact response over the
    window is written with each case: it is the size of van der Kamp's
    approximation, the tolerance a test of the oscillator can claim.
    Last, the published type-curve points of Kipp (1985) found in ASTM
    D5881 Table 1 (zeta = 0.1, alpha = 9988.1): Kipp's variables are
    alpha = rc^2/(2 rs^2 S), beta = (Le/g)(T/(rs^2 S))^2, t^ = tT/(rs^2 S)
    / sqrt(beta), w' = -w/w0; here CCD = 1/alpha, LI = beta/alpha^2,
    tD = t^ sqrt(beta)/alpha.  zeta = alpha ln(beta)/(8 sqrt(beta)) = 0.1
    gives beta = 1e11 (inferred from the table's alpha; the defining
    equation itself was not available).

(c) docs/oscillatory_head.svg and docs/oscillatory_type_curves.svg: the two
    standard plots (head against time, linear; normalized responses for
    several damping parameters).

usage: gen_oscillatory.py [--lumped] [--full] [--plots]   (no option: --lumped --full)
"""
import math
import os
import sys

import mpmath as mp

mp.mp.dps = 30

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
DATA = os.path.join(ROOT, "tests", "data")

G_SI = mp.mpf("9.80665")        # standard gravity, m/s^2
NU_SI = mp.mpf("1.0034e-6")     # water at 20 C, m^2/s (1.0016 mPa s / 998.21 kg/m^3)
FT = mp.mpf("0.3048")
G_FTMIN = G_SI / FT * 3600      # ft/min^2
NU_FTMIN = NU_SI / FT ** 2 * 60  # ft^2/min


def d17(x):
    """x rounded to the double that 17 significant digits name, as text."""
    return repr(float(x))


def invert(fp, t, periods):
    """f(t) from F by de Hoog's method (mpmath) at two degrees that must
    agree to 1e-20.  The oscillation needs samples on Re p = gamma up to a
    few times its own frequency: with mpmath's period 2T = 4t the highest
    sample is at 2M pi/(2t), and M = 30 is already off by 4e-4 at eight
    periods in t where M = 60 is right to 30 digits; the degree therefore
    grows with the number of periods (six per period, at least 40), and
    the working precision with the degree (the samples are combined with
    weights up to e^(gamma t) = 10^(0.35 M) for its tolerance 10^(-1.38 M))."""
    deg = max(40, int(6 * periods) + 10)
    with mp.workdps(int(0.5 * (deg + 20)) + 30):
        a = mp.invertlaplace(fp, t, method="dehoog", degree=deg)
        b = mp.invertlaplace(fp, t, method="dehoog", degree=deg + 20)
    assert abs(a - b) < mp.mpf(10) ** -20, (t, a, b)
    return +a


def groups(c):
    """TC, LI, LF of a case from its physical values (all mpf)."""
    tc = c["rc"] ** 2 / (2 * c["kr"] * c["sl"])
    li = c["le"] / (c["g"] * tc ** 2)
    lf = 8 * c["nu"] * c["lf"] / (c["g"] * c["rc"] ** 2 * tc)
    return tc, li, lf


# ---------------------------------------------------------------- lumped


def lumped_case(name, target_cd, rc, rw, sl, le, lf, g, nu, omega0, envelope, unit):
    c = dict(rc=mp.mpf(rc), rw=mp.mpf(rw), sl=mp.mpf(sl), le=mp.mpf(le), lf=mp.mpf(lf),
             g=mp.mpf(g), nu=mp.mpf(nu), omega0=mp.mpf(omega0))
    # C_D = (Omega0 + LF)/sqrt(LI); LF/sqrt(LI) = 8 nu Lf/(rc^2 sqrt(g Le)) does not
    # depend on K, Omega0/sqrt(LI) = Omega0 rc^2 / (2 K SL sqrt(Le/g)).
    fric = 8 * c["nu"] * c["lf"] / (c["rc"] ** 2 * mp.sqrt(c["g"] * c["le"]))
    k = c["omega0"] * c["rc"] ** 2 / (2 * c["sl"] * mp.sqrt(c["le"] / c["g"]) * (target_cd - fric))
    c["kr"] = mp.mpf(d17(k))
    c.update(name=name, unit=unit, envelope=envelope)
    return c


LUMPED = [
    # 2-inch well, 5-ft screen, light damping, no friction (nu = 0).
    lumped_case("underdamped_light", mp.mpf("0.2"), "0.0254", "0.0254", "1.524", "10.0", "0", G_SI, "0",
                "4.605170185988091", "1e-4", "s"),
    # The same kind of well in feet and minutes, with casing friction.
    lumped_case("underdamped_friction_ftmin", mp.mpf("1.0"), "0.0416666666666666667", "0.0416666666666666667",
                "5.0", "30.0", "27.5", G_FTMIN, NU_FTMIN, "3.912023005428146", "1e-7", "min"),
    # Critically damped, with friction.
    lumped_case("critical", mp.mpf("2.0"), "0.05", "0.05", "3.0", "15.0", "13.5", G_SI, NU_SI,
                "5.298317366548036", "1e-7", "s"),
    # Overdamped.
    lumped_case("overdamped", mp.mpf("4.0"), "0.05", "0.05", "3.0", "15.0", "0", G_SI, "0",
                "5.298317366548036", "1e-7", "s"),
]


def lumped_closed_form(li, cc):
    """h(tD) and h'(tD) of  li h'' + cc h' + h = 0, h(0) = 1, h'(0) = 0, from
    the two roots r1, r2 of li r^2 + cc r + 1 = 0.  Evaluated at 60 digits:
    near critical damping r1 - r2 is small and the difference quotients
    lose about half of the digits of the roots."""
    def roots():
        disc = mp.sqrt(mp.mpc(cc * cc - 4 * li))
        return (-cc + disc) / (2 * li), (-cc - disc) / (2 * li)

    def h(t):
        with mp.workdps(60):
            r1, r2 = roots()
            if r1 == r2:
                return mp.re((1 - r1 * t) * mp.exp(r1 * t))
            v = mp.re((r2 * mp.exp(r1 * t) - r1 * mp.exp(r2 * t)) / (r2 - r1))
        return +v

    def dh(t):
        with mp.workdps(60):
            r1, r2 = roots()
            if r1 == r2:
                return mp.re(-r1 * r1 * t * mp.exp(r1 * t))
            v = mp.re(r1 * r2 * (mp.exp(r1 * t) - mp.exp(r2 * t)) / (r2 - r1))
        return +v

    return h, dh


def lumped_transform(li, lf, omega0):
    def fp(p):
        oe = omega0 + lf + li * p
        return oe / (1 + p * oe)
    return fp


def run_lumped():
    out = ["# Lumped inertial well: time-domain integration at 30 digits (tests/tools/gen_oscillatory.py).",
           "# case NAME k=v ...: physical values in the case's own units (unit = time unit; lengths m or ft),",
           "#   omega0 = ln(Re/rw); tc, inertia (LE/(g TC^2)), friction (8 NU LF/(g RC^2 TC)), cd (damping parameter).",
           "# value t h: H/Ho at time t.  crossing t: a zero of H/Ho.  minimum t h: the first minimum.",
           "# window t: the last time of the case; crossings and samples cover (0, window]."]
    worst = mp.mpf(0)
    for c in LUMPED:
        tc, li, lf = groups(c)
        cc = c["omega0"] + lf
        cd = cc / mp.sqrt(li)
        h, dh = lumped_closed_form(li, cc)
        # Time scale of the slowest decay, per unit tD.
        # The critical case is critical to the rounding of its K (C_D = 2
        # within 1e-16): its oscillation, if any, has a period beyond 1e8
        # decay times and no crossing in any window.
        if cd < 2 - mp.mpf(10) ** -9:
            a = cc / (2 * li)
            omega = mp.sqrt(1 / li - a * a)
            rate = a
        else:
            omega = None
            rate = (cc - mp.sqrt(max(0, cc * cc - 4 * li))) / (2 * li)
        t_end = (-mp.log(mp.mpf(c["envelope"])) + 3) / rate
        # Eight samples per half period, or 160 over a monotone decay.
        n = 160 if omega is None else int(mp.ceil(t_end * omega / mp.pi * 8))
        times = [t_end * (k + 1) / n for k in range(n)]
        # Time-domain integration: y = (h, h') in tD.
        sol = mp.odefun(lambda t, y: [y[1], -(cc * y[1] + y[0]) / li], 0, [mp.mpf(1), mp.mpf(0)])
        fp = lumped_transform(li, lf, c["omega0"])
        values = []
        for t in times:
            y = sol(t)[0]
            periods = 0 if omega is None else t * omega / (2 * mp.pi)
            for ref in (h(t), invert(fp, t, periods)):
                d = abs(y - ref)
                worst = max(worst, d)
                assert d < mp.mpf(10) ** -18, (c["name"], t, y, ref)
            values.append((t, y))
        # Zero crossings from sign changes of the integrated solution.
        crossings = []
        for (t0, y0), (t1, y1) in zip([(mp.mpf(0), mp.mpf(1))] + values[:-1], values):
            if y0 * y1 < 0:
                z = mp.findroot(lambda t: sol(t)[0], (t0, t1), solver="anderson")
                assert abs(h(z)) < mp.mpf(10) ** -22
                crossings.append(z)
        minimum = None
        if omega is not None:
            # First minimum: first zero of h' after 0 (h' < 0 before it).
            tm = mp.findroot(lambda t: sol(t)[1], mp.pi / omega)
            assert abs(tm - mp.pi / omega) < mp.mpf(10) ** -20
            assert abs(dh(tm)) < mp.mpf(10) ** -22
            minimum = (tm, sol(tm)[0])
        else:
            assert all(y > 0 for _, y in values)
        head = ("case %s unit=%s rc=%s rw=%s kr=%s sl=%s le=%s lf=%s g=%s nu=%s omega0=%s "
                "tc=%s inertia=%s friction=%s cd=%s" %
                (c["name"], c["unit"], d17(c["rc"]), d17(c["rw"]), d17(c["kr"]), d17(c["sl"]),
                 d17(c["le"]), d17(c["lf"]), d17(c["g"]), d17(c["nu"]), d17(c["omega0"]),
                 mp.nstr(tc, 20), mp.nstr(li, 20), mp.nstr(lf, 20), mp.nstr(cd, 20)))
        out.append(head)
        out.append("window %s" % mp.nstr(t_end * tc, 20))
        for t, y in values:
            out.append("value %s %s" % (mp.nstr(t * tc, 20), mp.nstr(y, 20)))
        for z in crossings:
            out.append("crossing %s" % mp.nstr(z * tc, 20))
        if minimum is not None:
            out.append("minimum %s %s" % (mp.nstr(minimum[0] * tc, 20), mp.nstr(minimum[1], 20)))
        print("%-28s C_D = %s  %d samples, %d crossings" % (c["name"], mp.nstr(cd, 8), n, len(crossings)))
    print("lumped: integration vs closed form and inversions, worst %s" % mp.nstr(worst, 3))
    with open(os.path.join(DATA, "oscillatory_lumped.txt"), "w") as f:
        f.write("\n".join(out) + "\n")


# ------------------------------------------------------------------ full


def cbp_omega(ccd, p):
    q = mp.sqrt(ccd * p)
    return mp.besselk(0, q) / (q * mp.besselk(1, q))


def full_transform(ccd, li):
    def fp(p):
        oe = cbp_omega(ccd, p) + li * p
        return oe / (1 + p * oe)
    return fp


def vdk_oscillator(ccd, li):
    """van der Kamp's decay rate and angular frequency, per unit tD."""
    w0 = 1 / mp.sqrt(li)
    omega_vdk = -mp.log(mp.exp(mp.euler) * mp.sqrt(ccd * w0) / 2)
    a = omega_vdk / (2 * li)
    return a, mp.sqrt(1 / li - a * a)


def dominant_pole(ccd, li, guess):
    return mp.findroot(lambda p: 1 + p * (cbp_omega(ccd, p) + li * p), guess)


FULL = [
    # Gravel, 5-m screen through the aquifer, 2-inch radius well, Le = 20 m.
    dict(name="gravel_light", kr="5e-3", ss="2e-6", sl="5.0", rc="0.05", rw="0.05", le="20.0",
         window="60", n=90),
    dict(name="gravel_moderate", kr="1e-3", ss="2e-6", sl="5.0", rc="0.05", rw="0.05", le="20.0",
         window="20", n=60),
]


def full_case_values(c):
    kr, ss, sl = mp.mpf(c["kr"]), mp.mpf(c["ss"]), mp.mpf(c["sl"])
    rc, rw, le = mp.mpf(c["rc"]), mp.mpf(c["rw"]), mp.mpf(c["le"])
    tc = rc ** 2 / (2 * kr * sl)
    li = le / (G_SI * tc ** 2)
    ccd = 2 * ss * rw ** 2 * sl / rc ** 2
    return tc, li, ccd


def run_full():
    out = ["# Fully penetrating inertial well in a confined aquifer (CBP aquifer + water column), 30 digits",
           "# (tests/tools/gen_oscillatory.py).  case NAME k=v ...: SI values, g = 9.80665 m/s^2, no friction;",
           "# tc = RC^2/(2 KR SL), ccd = 2 SS RW^2 SL/RC^2, inertia = LE/(g TC^2).",
           "# pole re im: the dominant pole of F (per unit of t/TC).  vdk re im: van der Kamp's (-gamma, omega) (same unit).",
           "# gap x: max |exact - van der Kamp| over the samples.  value t exact vdk: H/Ho at t (s).",
           "# case kipp: Kipp (1985) in his variables; published that w_published exact: w' = -H/Ho at t^ (ASTM D5881 Table 1)."]
    for c in FULL:
        tc, li, ccd = full_case_values(c)
        a, omega = vdk_oscillator(ccd, li)
        pole = dominant_pole(ccd, li, mp.mpc(-a, omega))
        fp = full_transform(ccd, li)
        window = mp.mpf(c["window"])
        rows = []
        gap = mp.mpf(0)
        for k in range(c["n"]):
            t = window * (k + 1) / c["n"]
            td = t / tc
            exact = invert(fp, td, td * omega / (2 * mp.pi))
            vdk = mp.exp(-a * td) * (mp.cos(omega * td) + a / omega * mp.sin(omega * td))
            gap = max(gap, abs(exact - vdk))
            rows.append("value %s %s %s" % (mp.nstr(t, 20), mp.nstr(exact, 20), mp.nstr(vdk, 20)))
        out.append("case %s kr=%s ss=%s sl=%s rc=%s rw=%s le=%s tc=%s ccd=%s inertia=%s cd_vdk=%s" %
                   (c["name"], c["kr"], c["ss"], c["sl"], c["rc"], c["rw"], c["le"], mp.nstr(tc, 20),
                    mp.nstr(ccd, 20), mp.nstr(li, 20), mp.nstr(2 * a * mp.sqrt(li), 12)))
        out.append("pole %s %s" % (mp.nstr(pole.real, 20), mp.nstr(pole.imag, 20)))
        out.append("vdk %s %s" % (mp.nstr(-a, 20), mp.nstr(omega, 20)))
        out.append("gap %s" % mp.nstr(gap, 6))
        out.extend(rows)
        print("%-16s C_D(vdK) = %s  pole %s  vdK %s  gap %s" %
              (c["name"], mp.nstr(2 * a * mp.sqrt(li), 6), mp.nstr(pole, 10), mp.nstr(mp.mpc(-a, omega), 10),
               mp.nstr(gap, 3)))
    # Kipp (1985), ASTM D5881 Table 1: zeta = 0.1, alpha = 9988.1 (beta = 1e11).
    alpha, beta = mp.mpf("9988.1"), mp.mpf("1e11")
    zeta = alpha * mp.log(beta) / (8 * mp.sqrt(beta))
    ccd, li = 1 / alpha, beta / alpha ** 2
    fp = full_transform(ccd, li)
    out.append("case kipp alpha=9988.1 beta=1e11 zeta=%s ccd=%s inertia=%s" %
               (mp.nstr(zeta, 8), mp.nstr(ccd, 20), mp.nstr(li, 20)))
    for that, published in (("3.162278E-02", "-9.994887E-01"), ("3.162278E+00", "7.100277E-01")):
        td = mp.mpf(that) * mp.sqrt(beta) / alpha
        exact = -invert(fp, td, td / (2 * mp.pi * mp.sqrt(li)))
        out.append("published %s %s %s" % (that, published, mp.nstr(exact, 20)))
        print("Kipp t^ = %s: published %s, here %s" % (that, published, mp.nstr(exact, 10)))
    with open(os.path.join(DATA, "oscillatory_full.txt"), "w") as f:
        f.write("\n".join(out) + "\n")


# ----------------------------------------------------------------- plots


def svg_plot(path, title, xlabel, ylabel, series, xmax, ymin, ymax, yticks, xticks):
    """A plain line chart: series = [(label, colour, dash, [(x, y)])]."""
    w, h, left, right, top, bottom = 720, 420, 70, 170, 40, 55
    pw, ph = w - left - right, h - top - bottom

    def px(x):
        return left + pw * x / xmax

    def py(y):
        return top + ph * (ymax - y) / (ymax - ymin)

    s = ['<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" font-family="sans-serif" '
         'font-size="12">' % (w, h),
         '<rect width="%d" height="%d" fill="white"/>' % (w, h),
         '<text x="%d" y="22" font-size="14">%s</text>' % (left, title)]
    for y in yticks:
        s.append('<line x1="%.1f" y1="%.1f" x2="%.1f" y2="%.1f" stroke="#ddd"/>' % (left, py(y), left + pw, py(y)))
        s.append('<text x="%d" y="%.1f" text-anchor="end">%g</text>' % (left - 6, py(y) + 4, y))
    for x in xticks:
        s.append('<line x1="%.1f" y1="%d" x2="%.1f" y2="%d" stroke="#ddd"/>' % (px(x), top, px(x), top + ph))
        s.append('<text x="%.1f" y="%d" text-anchor="middle">%g</text>' % (px(x), top + ph + 16, x))
    s.append('<line x1="%d" y1="%.1f" x2="%d" y2="%.1f" stroke="#888"/>' % (left, py(0), left + pw, py(0)))
    s.append('<rect x="%d" y="%d" width="%d" height="%d" fill="none" stroke="black"/>' % (left, top, pw, ph))
    s.append('<text x="%d" y="%d" text-anchor="middle">%s</text>' % (left + pw / 2, h - 12, xlabel))
    s.append('<text transform="translate(18,%d) rotate(-90)" text-anchor="middle">%s</text>' %
             (top + ph / 2, ylabel))
    for i, (label, colour, dash, pts) in enumerate(series):
        d = " ".join("%.1f,%.1f" % (px(x), py(max(ymin, min(ymax, y)))) for x, y in pts)
        s.append('<polyline fill="none" stroke="%s" stroke-width="1.6" %s points="%s"/>' %
                 (colour, 'stroke-dasharray="%s"' % dash if dash else "", d))
        ly = top + 14 + 18 * i
        s.append('<line x1="%d" y1="%d" x2="%d" y2="%d" stroke="%s" stroke-width="1.6" %s/>' %
                 (left + pw + 12, ly, left + pw + 40, ly, colour, 'stroke-dasharray="%s"' % dash if dash else ""))
        s.append('<text x="%d" y="%d">%s</text>' % (left + pw + 46, ly + 4, label))
    s.append("</svg>")
    with open(path, "w") as f:
        f.write("\n".join(s) + "\n")


def plot_head(docs):
    # Head against time, linear: the gravel case of (b), the same aquifer
    # without the column's inertia, and van der Kamp's oscillator.
    c = FULL[0]
    tc, li, ccd = full_case_values(c)
    a, omega = vdk_oscillator(ccd, li)
    with_inertia = full_transform(ccd, li)
    without = full_transform(ccd, mp.mpf(0))
    exact, vdk, quasi = [], [], []
    for k in range(161):
        t = mp.mpf(40) * k / 160
        td = t / tc
        if k == 0:
            exact.append((0.0, 1.0)); vdk.append((0.0, 1.0)); quasi.append((0.0, 1.0))
            continue
        exact.append((float(t), float(invert(with_inertia, td, td * omega / (2 * mp.pi)))))
        vdk.append((float(t), float(mp.exp(-a * td) * (mp.cos(omega * td) + a / omega * mp.sin(omega * td)))))
        quasi.append((float(t), float(invert(without, td, 0))))
    svg_plot(os.path.join(docs, "oscillatory_head.svg"),
             "Slug test in gravel: K = 5e-3 m/s, b = 5 m, rc = rw = 0.05 m, Le = 20 m, S = 1e-5",
             "time (s)", "H/Ho",
             [("inertial well", "#1f5fbf", "", exact),
              ("van der Kamp", "#d9541e", "5,4", vdk),
              ("no inertia (CBP)", "#444", "2,3", quasi)],
             40.0, -1.0, 1.0, [-1, -0.5, 0, 0.5, 1], [0, 5, 10, 15, 20, 25, 30, 35, 40])


def plot_type_curves(docs):
    # Normalized responses of the lumped model against t sqrt(g/Le) for
    # several damping parameters C_D (Butler 1998 type curves).
    series = []
    colours = ["#1f5fbf", "#2a9d4b", "#d9541e", "#8e44ad", "#444", "#b8860b"]
    for cd, colour in zip(["0.1", "0.25", "0.5", "1", "2", "4"], colours):
        h, _ = lumped_closed_form(mp.mpf(1), mp.mpf(cd))
        pts = [(20.0 * k / 400, float(h(mp.mpf(20) * k / 400))) for k in range(401)]
        series.append(("C_D = %s" % cd, colour, "" if float(cd) < 2 else "6,3", pts))
    svg_plot(os.path.join(docs, "oscillatory_type_curves.svg"),
             "Normalized head of the inertial well, quasi-steady aquifer",
             "dimensionless time t (g/Le)^1/2", "H/Ho", series, 20.0, -1.0, 1.0,
             [-1, -0.5, 0, 0.5, 1], [0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20])


def run_plots():
    mp.mp.dps = 20
    docs = os.path.join(ROOT, "docs")
    plot_head(docs)
    plot_type_curves(docs)


def main():
    args = set(sys.argv[1:]) or {"--lumped", "--full"}
    if "--lumped" in args:
        run_lumped()
    if "--full" in args:
        run_full()
    if "--plots" in args:
        run_plots()


if __name__ == "__main__":
    main()
