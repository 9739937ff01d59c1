#!/usr/bin/env bash
# Browser tests of the editor page: headless Debian chromium, driven by
# playwright-core, against the page the native tree gathers (webui/page/ and
# its generated scripts, in build/native/page/) from file:. Screenshots go to
# build/page-screenshots/. Exits non-zero when a test fails.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
tree=${OKA_BUILD_ROOT:-$root/build}/native
if [ ! -f "$tree/build.ninja" ]; then
  echo "page tests: build the native tree first (scripts/build.sh native)" >&2
  exit 1
fi
# The page is gathered afresh, so page edits are tested without a full build.
cmake --build "$tree" --target oka_page >/dev/null
export OKA_PAGE_DIR="$tree/page"
cd "$root/tests/page"
if [ ! -d node_modules ]; then
  npm ci --no-audit --no-fund --loglevel=error
fi
export OKA_PAGE_SHOTS="$root/build/page-screenshots"
mkdir -p "$OKA_PAGE_SHOTS"
# One test file at a time: each starts its own browser, and the machine is shared.
exec node --test --test-concurrency=1 --test-reporter=spec ./*.test.js
