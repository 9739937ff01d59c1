#!/usr/bin/env bash
# Refreshes the pictures the README and the guide show, all made by our own
# tooling and kept small enough to commit:
#   docs/signal-path.svg       from docs/signal-path.dot (graphviz), stamped
#                              with the description's hash so a test can
#                              tell when the picture is older than it
#   docs/editor.png            the page tests' 1280-px screenshot, reduced
#                              (run: bash scripts/test.d/page.sh)
#   docs/demo-spectrogram.png  the main job's demo spectrogram, reduced
#                              (run: bash scripts/main.sh)
# A picture whose source is missing is left as it is, with a note.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
docs=$root/docs
build=${OKA_BUILD_ROOT:-$root/build}
dist=${OKA_DIST_DIR:-$root/dist}

hash=$(sha256sum "$docs/signal-path.dot" | cut -d' ' -f1)
dot -Tsvg "$docs/signal-path.dot" |
  sed "1a <!-- drawn from signal-path.dot sha256 $hash -->" >"$docs/signal-path.svg"
echo "docs/signal-path.svg: $(stat -c %s "$docs/signal-path.svg") bytes"

# Reduced to about half size, with a small palette and no dithering (flat
# areas stay flat and compress well): some 50 kB each.
shrink() { # shrink SOURCE TARGET WIDTH COLORS HOW-TO-MAKE-SOURCE
  if [ ! -f "$1" ]; then
    echo "skipped $2: no $1 (make it with: $5)" >&2
    return
  fi
  convert "$1" -resize "$3x" -strip +dither -colors "$4" -define png:compression-level=9 "PNG8:$2"
  echo "${2#"$root"/}: $(stat -c %s "$2") bytes"
}
shrink "$build/page-screenshots/page-1280x1100.png" "$docs/editor.png" 640 128 \
  "bash scripts/test.d/page.sh"
shrink "$dist/demo/oka-oka-wah-demo.png" "$docs/demo-spectrogram.png" 720 32 \
  "bash scripts/main.sh"
