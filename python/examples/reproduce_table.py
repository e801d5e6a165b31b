#!/usr/bin/python3
"""Reproduces the results table of a slugwell example from Python.

    PYTHONPATH=build/python python3 python/examples/reproduce_table.py [INPUT]

INPUT defaults to examples/input.txt. The rows are those of the program's
outfile.txt for the same file (the columns of its (5X,F16.5,6X,F12.7,9X,F10.7)
record); the values are the same doubles as its --csv output.
"""
import pathlib
import sys

import slugwell

here = pathlib.Path(__file__).resolve().parent
path = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else here.parents[1] / "examples" / "input.txt"

well, times = slugwell.Well.from_file(path)
ratio = well.head(times, accurate=False)
drawdown = well.drawdown(times, accurate=False)

print(well)
print()
print("            TIME             H/Ho Ratio        Slug Drawdown")
print("        --------------      --------------    --------------")
for t, r, d in zip(times, ratio, drawdown):
    print(f"{t:21.5f}{r:18.7f}{d:19.7f}")
