#!/usr/bin/env python3
"""Writes the hand-made kept inputs of tests/data/robustness/.

Each file is a small slugwell input file that exercises one way of writing
or damaging it; its name says how a run on it must end (see
tests/run/test_robustness_regressions.cpp). The same folder seeds the
fuzzer (make fuzz); inputs that the fuzzer found to break the program are
added to it by hand, named after their expected ending.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "data", "robustness")

LINES = [
    "Slug test seed: {t}",
    "Aquifer: BB KR KZ HKS SS SY",
    "  BB  KR  KZ  HKS  SS  SY",
    "{aq}",
    "Unsaturated zone: U1 U2 U3 U4",
    "  U1  U2  U3  U4",
    "{un}",
    "Well: HO RW RC ZPD ZPL DS",
    "  HO  RW  RC  ZPD  ZPL  DS",
    "{we}",
    "Output times",
    "one per line",
    "  NTIME",
    "{n}",
]


def make(title, aq="20.0 5.0E-05 5.0E-06 2.0E-05 1.0E-05 0.20",
         un="1.5 1.5 3.0 10.0", we="0.50 0.060 0.0254 4.0 7.0 0.020",
         n="3", times=("2", "20", "200"), eol="\n", pre=""):
    lines = [l.format(t=title, aq=aq, un=un, we=we, n=n) for l in LINES]
    lines += list(times)
    return (pre + eol.join(lines) + eol).encode("utf-8")


FILES = {
    "ok_bom_crlf.txt": make("byte order mark and CRLF line ends",
                            eol="\r\n", pre="\ufeff"),
    "ok_free_format_forms.txt": make(
        "repeat counts, empty value, slash, D exponents",
        aq="20.0,5.0D-05,5.0d-06,,1.0E-05,0.20", un="2*1.5 3.0 10.0",
        we="0.50 0.060 0.0254 7.0 4.0 /"),
    "ok_value_lines_continued.txt": make(
        "values continued on the next line",
        aq="20.0 5.0E-05 5.0E-06\n 2.0E-05 1.0E-05 0.20 99 99"),
    "inputerror_count_2pow31.txt": make("count beyond 32 bits", n="2147483648"),
    "inputerror_malformed_exponent.txt": make("malformed exponent",
                                              un="1.5 1.5e 3.0 10.0"),
    "inputerror_nul_byte.txt": make("NUL byte in a value",
                                    we="0.50 0.060 0.0\x0054 4.0 7.0 0.020"),
    "rejected_nan_thickness.txt": make(
        "not a number", aq="nan 5.0E-05 5.0E-06 2.0E-05 1.0E-05 0.20"),
    "rejected_count_201.txt": make("count above 200", n="201",
                                   times=[str(i + 1) for i in range(201)]),
    "rejected_time_zero.txt": make("time zero", times=("2", "0", "200")),
    "eof_count_exceeds_times.txt": make("count larger than the times given",
                                        n="2147483647"),
    "eof_title_only.txt": b"title only\n",
    "eof_empty.txt": b"",
}

if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    for name, data in FILES.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
