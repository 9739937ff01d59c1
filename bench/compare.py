#!/usr/bin/env python3
"""Interleaved A/B(/C...) runs of bench_engine builds: best of R per case.

usage: compare.py [-r REPS] [-f FILTER] [-t MIN_TIME] NAME=BINARY [NAME=BINARY ...]

Each round runs every binary once, one after the other, over the cases the
filter selects, so every build sees the same load; the figure kept for a
case is its lowest ns_per_sample over the rounds. Prints one line per case
with each build's figure and, from the second build on, its change against
the first in percent (negative: faster).
"""
import argparse
import json
import subprocess
import sys


def run_once(binary, bench_filter, min_time):
    out = subprocess.run(
        [binary, "--benchmark_filter=" + bench_filter,
         "--benchmark_min_time=%g" % min_time, "--benchmark_format=json"],
        check=True, capture_output=True, text=True).stdout
    result = {}
    for b in json.loads(out)["benchmarks"]:
        if "ns_per_sample" in b and not b.get("error_occurred"):
            result[b["name"]] = b["ns_per_sample"]
    return result


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("-r", "--reps", type=int, default=9)
    ap.add_argument("-f", "--filter", default=".")
    ap.add_argument("-t", "--min-time", type=float, default=0.05)
    ap.add_argument("builds", nargs="+")
    a = ap.parse_args()
    builds = [b.split("=", 1) for b in a.builds]
    best = [dict() for _ in builds]
    for _ in range(a.reps):
        for i, (_, binary) in enumerate(builds):
            for name, ns in run_once(binary, a.filter, a.min_time).items():
                best[i][name] = min(ns * 1e9, best[i].get(name, ns * 1e9))
    names = [n for n in best[0] if all(n in b for b in best)]
    print("case " + " ".join(n for n, _ in builds))
    for n in names:
        base = best[0][n]
        cells = ["%.3f" % base]
        for b in best[1:]:
            cells.append("%.3f (%+.1f%%)" % (b[n], 100.0 * (b[n] - base) / base))
        print(n + " " + " ".join(cells))
    sys.stdout.flush()


if __name__ == "__main__":
    main()
