#!/usr/bin/env bash
# The main job: builds everything and runs the engine benchmark.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh
scripts/build.sh native windows
for b in build/native/bench/bench_*; do
  [ -x "$b" ] && "$b" --benchmark_min_time=0.2
done
