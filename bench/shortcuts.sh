#!/usr/bin/env bash
# Measures what each shortcut of block processing gains (the ledger in
# engine/README.md): builds the engine bench once with every shortcut on and
# once per shortcut with it off (-DWAH_SHORTCUTS_OFF, engine/shortcuts.h),
# checks that each build renders the committed scenario hashes, then runs
# all builds interleaved, best of REPS, every form at blocks 32, 256, 4096.
# usage: bench/shortcuts.sh [OUT_DIR] [REPS]   (default /tmp/oka-shortcuts, 9)
# SHORTCUTS="name=bit ..." limits the run to some shortcuts.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-/tmp/oka-shortcuts}
reps=${2:-9}
all="still_chunks=0 render_still_now=1 kept_targets=2 resting_mixer=3 silent_lfo=4
input_free=5 lead=6 long_chunks=7 ordinary_glide=8 lower_half=9
short_pow2=10 wrap_fast=11 still_ahead=12 wide_output=13"
shortcuts=${SHORTCUTS:-$all}
mkdir -p "$out"

build() { # name mask
  local dir=$out/$1
  cmake -S "$root" -B "$dir" -G Ninja -DOKA_TREE=native -DCMAKE_C_COMPILER=gcc \
    -DCMAKE_CXX_COMPILER=g++ -DCMAKE_CXX_FLAGS="-DWAH_SHORTCUTS_OFF=$2u" >/dev/null
  cmake --build "$dir" -j "$(nproc)" --target bench_engine engine_test >/dev/null
  # Without the shortcut the sound must not change.
  "$dir/tests/engine/engine_test" --gtest_brief=1 \
    --gtest_filter='ScenarioHash.EveryScenario*:ScenarioHash.EngineMatches*' >/dev/null ||
    { echo "$1: the scenario hashes changed" >&2; exit 1; }
}

build all_on 0
runs=("all_on=$out/all_on/bench/bench_engine")
for s in $shortcuts; do
  name=${s%=*}
  build "$name" $((1 << ${s#*=}))
  runs+=("$name=$out/$name/bench/bench_engine")
done
python3 "$root/bench/compare.py" -r "$reps" -f 'StillPedalForm|LfoMovingPedalForm' "${runs[@]}" |
  tee "$out/ledger.txt"
