#!/usr/bin/python3
"""Writes five of the fit wall-time cases from the examples: the record is
the program's accurate response (run --accurate, 61 times over four log
cycles ending where H/Ho falls below 0.01) plus Gaussian noise of 0.5 % of
Ho (seed 7), rounded to 0.01 mm; the start input is the example with its
parameters moved away from the truth.

usage: make_cases.py SLUGWELL   (run from the repository root)
"""
import csv
import os
import random
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
# name, example, start factors (KR, KZ/KR, SS, SY)
CASES = [
    ("watertable_kzkr", "watertable.txt", (3, 1, 0.3, 1)),
    ("watertable_sy", "watertable.txt", (0.3, 1, 3, 0.5)),
    ("skin_hks", "skin.txt", (3, 1, 0.3, 1)),
    ("partial_example", "partial.txt", (3, 3, 0.3, 1)),
    ("unsat_kzkr", "unsat_bounded.txt", (0.3, 0.3, 3, 1)),
]
NOISE = 0.005


def accurate(slugwell, example, tend, out):
    subprocess.run([slugwell, example, "--accurate", "--times", str(tend), "4", "15", "--csv", out],
                   check=True, capture_output=True)
    return [(r[0], float(r[1]), float(r[2])) for r in list(csv.reader(open(out)))[1:]]


def main():
    slugwell = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory() as tmp:
        os.chdir(tmp)  # the run writes outfile.txt and log.txt
        for name, ex, fac in CASES:
            example = os.path.join(HERE, "..", "..", "examples", ex)
            lines = open(example).read().split("\n")
            vals = lines[3].split()
            kr, kz, hks, ss, sy = map(float, vals[1:6])
            tend = 1000.0
            for t, ratio, _ in accurate(slugwell, example, 1000.0, "probe.csv"):
                if ratio < 0.01:
                    tend = float("%.3g" % float(t))
                    break
            rows = accurate(slugwell, example, tend, "truth.csv")
            rnd = random.Random(7)
            ho = float(lines[9].split()[0])
            with open(os.path.join(HERE, name + "_obs.csv"), "w") as f:
                f.write("time,head\n")
                for t, _, head in rows:
                    f.write("%s,%.5f\n" % (t, head + rnd.gauss(0.0, NOISE * ho)))
            lines[3] = "  %-10s  %-8.3E  %-8.3E  %-8.3E  %-8.3E  %.3f" % (
                vals[0], kr * fac[0], kz * fac[1] * fac[0], hks * fac[0], ss * fac[2], min(0.45, sy * fac[3]))
            open(os.path.join(HERE, name + "_start.txt"), "w").write("\n".join(lines))


if __name__ == "__main__":
    main()
