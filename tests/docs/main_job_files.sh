#!/usr/bin/env bash
# Lists the files the main job leaves under dist/, without its slow work:
# its own steps (scripts/main.d/) run as they are, in a scratch folder, with
# the native tree's bundles as main.sh gathers them, and with stand-ins for
# the programs that render (lv2apply, sox, soxi, montage). A stand-in creates
# every .wav or .png file named on its command line that does not exist yet,
# so each file a step names comes to be, under the name the step gives it.
# The build root holds only the preset host, so no benchmark runs.
# usage: main_job_files.sh SOURCE_ROOT NATIVE_TREE OUT_LIST
set -eu
src=$1 tree=$2 list=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

mkdir -p "$scratch/dist" "$scratch/bin" "$scratch/build/native/tests/lv2"
cp -a "$tree/dist/." "$scratch/dist/"
ln -s "$tree/tests/lv2/lv2_preset_host" "$scratch/build/native/tests/lv2/"

cat >"$scratch/bin/stand-in" <<'STANDIN'
#!/bin/sh
for arg; do
  case $arg in *.wav | *.png) [ -e "$arg" ] || : >"$arg" ;; esac
done
[ "$(basename "$0")" = soxi ] && echo 1.0
exit 0
STANDIN
chmod +x "$scratch/bin/stand-in"
for tool in lv2apply sox soxi montage; do
  ln -s stand-in "$scratch/bin/$tool"
done

for step in "$src"/scripts/main.d/*.sh; do
  if ! OKA_DIST_DIR="$scratch/dist" OKA_BUILD_ROOT="$scratch/build" PATH="$scratch/bin:$PATH" \
    bash "$step" >"$scratch/step.log" 2>&1; then
    echo "main job step ${step#"$src"/} failed with the stand-ins:" >&2
    cat "$scratch/step.log" >&2
    exit 1
  fi
done
(cd "$scratch" && find dist -type f | LC_ALL=C sort) >"$list"
