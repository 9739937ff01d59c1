#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time over a working corpus seeded
# from a seed folder.  usage: fuzz-run.sh TARGET CORPUS_DIR SEED_DIR SECONDS
set -eu
target=$1 corpus=$2 seeds=$3 seconds=$4
mkdir -p "$corpus"
if [ -n "$seeds" ] && [ -d "$seeds" ]; then
  cp -n "$seeds"/* "$corpus"/ 2>/dev/null || true
fi
exec "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$corpus"
