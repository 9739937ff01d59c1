#!/usr/bin/env bash
# Runs one Windows program under Wine with the test environment: a private
# prefix inside the build tree, no debug chatter, no add-on installers, and
# (set up by scripts/wine-prefix.sh) the null graphics driver.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/windows/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64
exec wine "$@"
