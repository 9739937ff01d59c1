#!/bin/sh
# Checks a built LV2 bundle with real hosts and tools.
# usage: real_hosts.sh validate|info|apply|dll BUNDLE_DIR EXPECTED_PORTS WORK_DIR
#   validate  lv2_validate finds no error and no warning in the bundle's files
#   info      lv2info lists exactly the expected ports (index, symbol, range,
#             default), the plug-in's features and maker, and exactly the
#             factory presets named in expected_presets.txt beside EXPECTED_PORTS
#   apply     lv2apply runs the plug-in on a WAV file: the effect changes the
#             sound, and with the enable port (symbol bypass) at 0 the output is the input
#   dll       the Windows module imports only system DLLs and exports only
#             lv2_descriptor and lv2ui_descriptor; lv2info finds its UI
set -eu
check=$1 bundle=$2 expected=$3 work=$4
uri=https://zarvosonic.com/oka-oka-wah
mkdir -p "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

case $check in
validate)
  out=$(cd "$bundle" && lv2_validate manifest.ttl zarvo-oka-oka-wah.ttl presets.ttl 2>&1) \
    || { echo "$out"; fail "lv2_validate"; }
  echo "$out"
  if echo "$out" | grep -Eqi '^(error|warning)'; then fail "lv2_validate reported problems"; fi
  echo "$out" | grep -q 'Found 0 errors' || fail "lv2_validate summary missing"
  ;;
info)
  LV2_PATH=$(dirname "$bundle") lv2info "$uri" >"$work/info.txt" 2>"$work/info.err" \
    || fail "lv2info"
  # One line per port: index symbol [minimum maximum default].
  awk '
    /^\tPort [0-9]+:/ { if (p != "") print line; p = $2; sub(":", "", p); line = p; next }
    /^\t\tSymbol:/ { line = line " " $2 }
    /^\t\tMinimum:/ { line = line " " $2 }
    /^\t\tMaximum:/ { line = line " " $2 }
    /^\t\tDefault:/ { line = line " " $2 }
    END { if (p != "") print line }' "$work/info.txt" >"$work/ports.txt"
  diff -u "$expected" "$work/ports.txt" || fail "lv2info ports differ from the expected list"
  grep -q 'Author: *Zarvosonic' "$work/info.txt" || fail "maker"
  grep -q 'Required Features: *http://lv2plug.in/ns/ext/urid#map' "$work/info.txt" \
    || fail "required map"
  grep -q 'http://lv2plug.in/ns/ext/log#log' "$work/info.txt" || fail "optional log"
  grep -q 'Extension Data: *http://lv2plug.in/ns/ext/state#interface' "$work/info.txt" \
    || fail "state interface"
  grep -q 'Designation: *http://lv2plug.in/ns/lv2core#enabled' "$work/info.txt" \
    || fail "enable designation"
  # The presets' labels, one per line after "Presets:" up to the blank line.
  awk '/^\tPresets:/ { on = 1; next } on && NF == 0 { exit } on { sub(/^[ \t]+/, ""); print }' \
    "$work/info.txt" | sort >"$work/presets.txt"
  sort "$(dirname "$expected")/expected_presets.txt" | diff -u - "$work/presets.txt" \
    || fail "lv2info presets differ from the expected list"
  ;;
apply)
  sox -n -r 48000 -c 1 -b 32 -e floating-point "$work/in.wav" \
    synth 0.5 pluck E2 synth 0.5 pluck A2 fade 0 1 0.1 \
    || fail "sox could not make the input"
  export LV2_PATH=$(dirname "$bundle")
  lv2apply -i "$work/in.wav" -o "$work/wah.wav" -c lfo_on 1 "$uri" || fail "lv2apply (effect)"
  lv2apply -i "$work/in.wav" -o "$work/off.wav" -c bypass 0 "$uri" || fail "lv2apply (disabled)"
  peak() { sox -m -v 1 "$1" -v -1 "$2" -n stat 2>&1 | awk '/Maximum amplitude/ {print $3}'; }
  off=$(peak "$work/in.wav" "$work/off.wav")
  wah=$(peak "$work/in.wav" "$work/wah.wav")
  echo "peak difference: disabled $off, effect $wah"
  [ "$off" = "0.000000" ] || fail "disabled output is not the input"
  awk -v d="$wah" 'BEGIN { exit !(d > 0.05) }' || fail "the effect did not change the sound"
  ;;
dll)
  dll=$bundle/zarvo-oka-oka-wah.dll
  x86_64-w64-mingw32-objdump -p "$dll" >"$work/dll.txt" || fail "objdump"
  imports=$(awk '/DLL Name:/ {print $3}' "$work/dll.txt")
  echo "imports: $imports"
  for d in $imports; do
    system='kernel32|user32|ole32|oleaut32|shell32|advapi32|shlwapi|msvcrt|ucrtbase'
    echo "$d" | grep -Eqi "^($system|api-ms-win-crt-[a-z0-9-]+)\\.dll\$" \
      || fail "imports a non-system DLL: $d"
  done
  exports=$(awk '/^\[Ordinal\/Name Pointer\] Table/ {on = 1; next}
                 on && NF == 0 {on = 0}
                 on {print $NF}' "$work/dll.txt")
  echo "exports: $exports"
  [ "$(echo $exports)" = "lv2_descriptor lv2ui_descriptor" ] \
    || fail "exports other than lv2_descriptor and lv2ui_descriptor"
  LV2_PATH=$(dirname "$bundle") lv2info "$uri" >"$work/ui-info.txt" 2>/dev/null || fail "lv2info"
  grep -q "$uri#ui" "$work/ui-info.txt" || fail "the UI is not declared"
  grep -q 'Class: *http://lv2plug.in/ns/extensions/ui#WindowsUI' "$work/ui-info.txt" \
    || fail "UI type"
  ;;
*) fail "unknown check $check" ;;
esac
echo "ok: $check"
