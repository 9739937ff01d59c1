#!/usr/bin/env bash
# Browser tests of the editor page: headless Debian chromium, driven by
# playwright-core, against webui/page/index.html from file:. Screenshots go
# to build/page-screenshots/. Exits non-zero when a test fails.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root/tests/page"
if [ ! -d node_modules ]; then
  npm ci --no-audit --no-fund --loglevel=error
fi
export OKA_PAGE_SHOTS="$root/build/page-screenshots"
mkdir -p "$OKA_PAGE_SHOTS"
# One test file at a time: each starts its own browser, and the machine is shared.
exec node --test --test-concurrency=1 --test-reporter=spec ./*.test.js
