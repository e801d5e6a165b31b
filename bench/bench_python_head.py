#!/usr/bin/python3
"""Overhead of the Python module: one slugwell.Well.head call of 30 times
against the same evaluation in C++ (bench_head30, Google Benchmark), serial
and on all threads.

    PYTHONPATH=build/python /usr/bin/python3 bench/bench_python_head.py [BUILD]

BUILD (default build) holds bench/bench_head30. Each side is timed as the
best of several repetitions, so that the load of other processes on the
machine counts as little as it can; the two are measured in turn. The
binding's own cost, free of that noise, is measured too: a call with no
times does everything a call does (argument conversion, checks, the GIL
released and taken back, the result array) but the inversions.
"""
import json
import pathlib
import subprocess
import sys
import timeit

import slugwell

SOURCE = pathlib.Path(__file__).resolve().parents[1]
BUILD = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else SOURCE / "build")
ROUNDS = 3


def cpp_seconds():
    out = subprocess.run([str(BUILD / "bench" / "bench_head30"), "--benchmark_format=json",
                          "--benchmark_repetitions=3", "--benchmark_min_time=0.3"],
                         check=True, capture_output=True, text=True).stdout
    best = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("run_type") != "iteration":
            continue
        arg = int(b["run_name"].split("/")[1])
        best[arg] = min(best.get(arg, float("inf")), b["real_time"] * 1e-6)  # microseconds
    return best


def python_seconds(well, times, threads, calls=3, repeat=5):
    return min(timeit.repeat(lambda: well.head(times, accurate=False, threads=threads), number=calls,
                             repeat=repeat)) / calls


def main():
    well, times = slugwell.Well.from_file(SOURCE / "examples" / "input.txt")
    t30 = times[:30].copy()
    cpp = {1: float("inf"), 0: float("inf")}
    py = {1: float("inf"), 0: float("inf")}
    for _ in range(ROUNDS):
        for arg, t in cpp_seconds().items():
            cpp[arg] = min(cpp[arg], t)
        for arg in (1, 0):
            py[arg] = min(py[arg], python_seconds(well, t30, 1 if arg == 1 else None))
    empty = python_seconds(well, t30[:0], 1, calls=10000, repeat=5)
    print("one head call of 30 times      C++ (us)   Python (us)   overhead   binding's own cost")
    for arg, name in ((1, "serial"), (0, "all threads")):
        print("  %-27s %10.1f %13.1f %9.2f %% %8.2f us = %.3f %%" % (
            name, cpp[arg] * 1e6, py[arg] * 1e6, 100.0 * (py[arg] / cpp[arg] - 1.0), empty * 1e6,
            100.0 * empty / cpp[arg]))


if __name__ == "__main__":
    main()
