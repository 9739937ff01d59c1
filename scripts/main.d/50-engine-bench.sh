#!/usr/bin/env bash
# Reports the engine's cost per sample (benchmarks report, never assert).
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
for b in "${OKA_BUILD_ROOT:-$root/build}"/native/bench/bench_*; do
  [ -x "$b" ] && "$b" --benchmark_min_time=0.2
done
exit 0
