#!/usr/bin/env bash
# The main job: builds everything, gathers the deliverables into dist/ and
# runs the main demonstration steps in scripts/main.d/ (in name order).
# OKA_BUILD_ROOT moves the build trees (as for build.sh), OKA_DIST_DIR the
# deliverables; the steps read both.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh
scripts/build.sh native windows
build=${OKA_BUILD_ROOT:-$root/build}
export OKA_DIST_DIR=${OKA_DIST_DIR:-$root/dist}

# Each tree assembles its bundles under build/<tree>/dist/<platform>/.
rm -rf "$OKA_DIST_DIR"
mkdir -p "$OKA_DIST_DIR"
for tree in native windows; do
  if [ -d "$build/$tree/dist" ]; then
    cp -a "$build/$tree/dist/." "$OKA_DIST_DIR/"
  fi
done

for step in scripts/main.d/*.sh; do
  [ -e "$step" ] || continue
  echo "== $step"
  bash "$step"
done
