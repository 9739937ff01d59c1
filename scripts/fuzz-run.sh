#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time.
#   usage: fuzz-run.sh TARGET CORPUS_DIR SEED_DIR SECONDS [libFuzzer flags...]
# The committed seeds stay in their own folder, read and never written:
# libFuzzer writes what it finds only into the first folder it is given, the
# working corpus. The seeds are first run alone: libFuzzer keeps an input only
# when it reaches code the inputs before it did not, so keeping fewer than
# all of them means a seed that adds nothing, or code under test built
# without coverage counters (the fuzzer is then nearly blind).
set -eu
target=$1 corpus=$2 seeds=$3 seconds=$4
shift 4
mkdir -p "$corpus"
folders=("$corpus")
if [ -n "$seeds" ]; then
  count=$(find "$seeds" -maxdepth 1 -type f | wc -l)
  kept=$("$target" -runs=0 "$seeds" 2>&1 |
    sed -n 's/.*INITED .*corp: \([0-9]*\)\/.*/\1/p')
  if [ "${kept:-0}" -lt "$count" ]; then
    echo "fuzz-run: $(basename "$target") keeps ${kept:-0} of the $count seeds in $seeds" >&2
    exit 1
  fi
  echo "fuzz-run: $(basename "$target") keeps all $count seeds"
  folders+=("$seeds")
fi
exec "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$@" "${folders[@]}"
