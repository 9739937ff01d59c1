#!/usr/bin/env bash
# Creates (once) the Wine prefix the Windows tests run in, switches it to the
# null graphics driver so windows and messages work without a display, and
# leaves a persistent wineserver running for the test run.
#   scripts/wine-prefix.sh start   create if needed, start a persistent server
#   scripts/wine-prefix.sh stop    stop the server
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/windows/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

case "${1:-start}" in
start)
  if [ ! -f "$WINEPREFIX/.oka-ready" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i </dev/null >/dev/null 2>&1 || true
    wineserver -w
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f \
      </dev/null >/dev/null 2>&1
    # Restart so the first test already gets the null driver.
    wineserver -k || true
    wineserver -w || true
    touch "$WINEPREFIX/.oka-ready"
  fi
  # Persistent server, and Wine's own services started once here with no
  # pipe attached: a service started by the first test program would inherit
  # that program's output pipe and keep CTest waiting for it to close.
  # A server already running for this prefix (from an earlier start) makes
  # wineserver -p exit with 2; that server serves the run just as well.
  wineserver -p </dev/null >/dev/null 2>&1 || [ $? -eq 2 ]
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  ;;
stop)
  wineserver -k 2>/dev/null || true
  ;;
esac
