#!/usr/bin/env bash
# Installs everything building and testing need, on Debian. Idempotent: it
# installs only what is missing, and does nothing when all is there.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  build-essential cmake ninja-build pkg-config
  clang libclang-rt-14-dev            # sanitizers and libFuzzer
  clang-format                        # the house style, checked by the tests
  googletest libbenchmark-dev
  mingw-w64 wine wine64               # the Windows modules and their tests
  lv2-dev lilv-utils liblilv-dev sordi
  sox libsox-fmt-all imagemagick      # the demo: render, spectrograms, contact sheet
  graphviz                            # the guide's signal-path picture
  chromium                            # the editor page's browser tests
  libwebkit2gtk-4.1-dev libxcb1-dev   # the Linux editor: web helper, X11 window
  jalv jackd2 xvfb xdotool x11-utils imagemagick procps  # ... tested in a real host
)
# Node.js and npm: Debian's packages unless the machine already has both
# (a Node.js build that bundles npm conflicts with Debian's npm package).
command -v node >/dev/null && command -v npm >/dev/null || packages+=(nodejs npm)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" = 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  else
    echo "missing packages; run as root:" >&2
    echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
fi

# Node packages of the page tests (playwright-core drives Debian's chromium).
if [ -f "$root/tests/page/package.json" ] && [ ! -d "$root/tests/page/node_modules" ]; then
  (cd "$root/tests/page" && npm ci --no-audit --no-fund --loglevel=error)
fi
