#!/usr/bin/env bash
# Configures and builds the three build trees:
#   build/native    gcc: native LV2 bundle, tests, benchmarks
#   build/sanitize  clang + ASan/UBSan: tests again and the fuzz targets
#   build/windows   MinGW-w64: the Windows modules; tests run under Wine
#   build/tsan      clang + ThreadSanitizer: the parameter hand-off's tests
# usage: build.sh [tree ...]   (default: all four)
# OKA_BUILD_ROOT moves the trees elsewhere (a private set per developer).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
trees=("$@")
[ ${#trees[@]} -gt 0 ] || trees=(native sanitize windows tsan)
jobs=$(nproc)

for tree in "${trees[@]}"; do
  dir=${OKA_BUILD_ROOT:-$root/build}/$tree
  case $tree in
  native)   args=(-DOKA_TREE=native -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++) ;;
  sanitize) args=(-DOKA_TREE=sanitize -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
                  -DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  windows)  args=(-DCMAKE_TOOLCHAIN_FILE=$root/cmake/mingw-w64-x86_64.cmake) ;;
  tsan)     args=(-DOKA_TREE=tsan -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
                  -DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  *) echo "unknown tree $tree" >&2; exit 2 ;;
  esac
  # Configure every time: new folders and files are picked up by globbing.
  cmake -S "$root" -B "$dir" -G Ninja "${args[@]}" >/dev/null
  cmake --build "$dir" -j "$jobs"
done
