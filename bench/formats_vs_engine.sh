#!/usr/bin/env bash
# Cost per sample at block 256 of the engine alone and through each plug-in
# format (the Linux VST3 module's .so, the LV2 frame), still pedal and LFO:
# the three benchmarks run in turn, round after round, so that each sees the
# same load on a shared machine; the best of the rounds is reported, with
# each format's excess over the engine.
# usage: bench/formats_vs_engine.sh [rounds (default 11)] [build tree (default build/native)]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-11}
tree=${2:-$root/build/native}
runs=$(mktemp)
trap 'rm -f "$runs"' EXIT

run() { # run BENCH FILTER LABEL...
  local bench=$1 filter=$2
  shift 2
  "$tree/bench/$bench" --benchmark_filter="$filter" --benchmark_min_time=0.3 \
    --benchmark_format=csv 2>/dev/null |
    awk -F, -v labels="$*" '
      BEGIN { n = split(labels, names, " ") }
      /ns_per_sample/ { for (i = 1; i <= NF; i++) if ($i == "\"ns_per_sample\"" ||
                                                    $i == "ns_per_sample") col = i; next }
      col && NR > 1 { row++; if (row <= n) print names[row], $col * 1e9 }'
}

for ((r = 1; r <= rounds; r++)); do
  run bench_engine '^BM_(StillPedal|LfoMovingPedal)/256$' engine_still engine_lfo >>"$runs"
  run bench_vst3_process '^BM_Vst3Process(Still|Lfo)/256$' vst3_still vst3_lfo >>"$runs"
  run bench_lv2_run '^BM_Lv2Run(Still|Lfo)/256$' lv2_still lv2_lfo >>"$runs"
done

awk -v rounds="$rounds" '
  { if (!($1 in best) || $2 < best[$1]) best[$1] = $2; count[$1]++ }
  END {
    printf "best of %d interleaved rounds, ns per sample at block 256\n", rounds
    printf "%-8s %10s %10s %10s %9s %9s\n", "pedal", "engine", "vst3", "lv2", "vst3 +%", "lv2 +%"
    split("still lfo", kinds, " ")
    for (k = 1; k <= 2; k++) {
      e = best["engine_" kinds[k]]; v = best["vst3_" kinds[k]]; l = best["lv2_" kinds[k]]
      printf "%-8s %10.3f %10.3f %10.3f %9.1f %9.1f\n", kinds[k], e, v, l,
        100 * (v / e - 1), 100 * (l / e - 1)
    }
  }' "$runs"
