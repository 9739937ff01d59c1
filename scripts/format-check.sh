#!/usr/bin/env bash
# Fails when a C or C++ file of the tree differs from what the committed
# .clang-format makes of it, or when a line of any source (C, C++,
# JavaScript, shell, CMake, HTML, CSS) passes 100 columns.
#   scripts/format-check.sh        check, list the offenders
#   scripts/format-check.sh --fix  reformat the C and C++ files in place
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mapfile -t cxx < <(git ls-files -co --exclude-standard -- '*.c' '*.cc' '*.h' | grep -v '^build/')
mapfile -t other < <(git ls-files -co --exclude-standard -- '*.js' '*.mjs' '*.sh' '*.cmake' \
  'CMakeLists.txt' '*/CMakeLists.txt' '*.html' '*.css' .ci/run | grep -v '^build/')

if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${cxx[@]}"
  exit 0
fi

status=0
if ! clang-format --dry-run --Werror "${cxx[@]}" 2>/tmp/format-check.$$; then
  echo "format: these files differ from .clang-format (scripts/format-check.sh --fix):" >&2
  grep -oE '^[^:]+:[0-9]+' /tmp/format-check.$$ | cut -d: -f1 | sort -u >&2
  status=1
fi
rm -f /tmp/format-check.$$

long=$(awk 'length($0) > 100 { print FILENAME ":" FNR ": " length($0) " columns" }' \
  "${cxx[@]}" "${other[@]}")
if [ -n "$long" ]; then
  echo "format: lines over 100 columns:" >&2
  echo "$long" >&2
  status=1
fi
exit $status
