#!/usr/bin/env bash
# The main job: builds everything, gathers the deliverables into dist/ and
# runs the main demonstration steps in scripts/main.d/ (in name order).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh
scripts/build.sh native windows

# Each tree assembles its bundles under build/<tree>/dist/<platform>/.
rm -rf dist
mkdir -p dist
for tree in native windows; do
  if [ -d "build/$tree/dist" ]; then
    cp -a "build/$tree/dist/." dist/
  fi
done

for step in scripts/main.d/*.sh; do
  [ -e "$step" ] || continue
  echo "== $step"
  bash "$step"
done
