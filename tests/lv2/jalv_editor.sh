#!/usr/bin/env bash
# The Linux editor in a real LV2 host: jalv.gtk3 under a private Xvfb display
# with a private JACK server on its dummy backend (both started and stopped
# here, with names no parallel run shares).
# usage: jalv_editor.sh BUNDLE_DIR SCREENSHOT_DIR WORK_DIR
#   - the editor opens in jalv's window, and a screenshot of that window
#     (SCREENSHOT_DIR/linux-jalv.png) shows the page;
#   - a click in the page switches the LFO on in the plug-in (its output
#     ports start to move), and a port change made by the host (a preset
#     switching it off) reaches the page: the same click then turns it on
#     again, where a page that missed the change would turn it off;
#   - no toolkit library of the helper enters jalv's process;
#   - the helper killed mid-session leaves jalv running, reaped;
#   - jalv killed outright takes the helper with it;
#   - 20 open/close cycles leave no helper or engine process and no window.
set -eu
bundle=$1 shots=$2 work=$3
uri=https://zarvosonic.com/oka-oka-wah
rm -rf "$work"
mkdir -p "$work" "$shots"
fail() { echo "FAIL: $*" >&2; exit 1; }
started=()
cleanup() {
  for ((i = ${#started[@]} - 1; i >= 0; i--)); do kill "${started[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT

# Polls `$@` every 0.1 s for up to $wait_s seconds (a command or a function:
# its arguments are expanded once, before the first try).
wait_s=20
until_true() {
  local n=$((wait_s * 10))
  while ((n-- > 0)); do "$@" && return 0; sleep 0.1; done
  return 1
}

# A display number no other server uses, picked by Xvfb itself.
Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp -noreset \
  9>"$work/display" >"$work/xvfb.log" 2>&1 &
started+=($!)
until_true test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=:$(head -n1 "$work/display")
export JACK_DEFAULT_SERVER=oka-editor-$$-$RANDOM JACK_NO_START_SERVER=1
jackd -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 256 >"$work/jackd.log" 2>&1 &
started+=($!)
until_true jack_lsp >/dev/null 2>&1 || fail "jackd did not start"

# A preset the host applies mid-session: the LFO off, the heel jaw at 80 %.
presets=$work/presets/oka-editor-test.lv2
mkdir -p "$presets"
cat >"$presets/manifest.ttl" <<TTL
@prefix lv2: <http://lv2plug.in/ns/lv2core#> .
@prefix pset: <http://lv2plug.in/ns/ext/presets#> .
@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .
<urn:oka-editor-test:lfo-off> a pset:Preset ;
    lv2:appliesTo <$uri> ;
    rdfs:label "Editor test" ;
    lv2:port [ lv2:symbol "lfo_on" ; pset:value 0.0 ] ,
        [ lv2:symbol "heel_jaw" ; pset:value 80.0 ] .
TTL
export LV2_PATH=$(dirname "$bundle"):$work/presets

helper_name=zarvo-oka-oka-wah-web
# Windows come and go during the walk; a failed walk finds nothing this time.
editor_window() {
  xwininfo -root -tree 2>/dev/null |
    awk -v n="\"$helper_name\":" '$2 == n && / 700x677/ {print $1; exit}'
}
top_children() { xwininfo -root -children | awk '/^ +[0-9]+ child/ {print $1}'; }
helper_of() { pgrep -P "$1" -f "$bundle/$helper_name" || true; }
# Every helper process left on the machine from this bundle (the web engine's
# own processes end with their helper's connection).
leftovers() { pgrep -f "$bundle/$helper_name" || true; }
has_editor() { [ -n "$(editor_window)" ]; }
nothing_left() { [ -z "$(leftovers)" ]; }
windows_back() { [ "$(top_children)" = "$baseline" ]; }
log_grew() { [ "$(log_lines)" -gt "$1" ]; }

# Starts jalv; sets jalv_pid and jalv_log. Output lines are flushed one by one.
start_jalv() {
  jalv_log=$work/jalv-$1.log
  stdbuf -oL jalv.gtk3 --print-controls "$uri" >"$jalv_log" 2>&1 &
  jalv_pid=$!
  until_true has_editor || { cat "$jalv_log"; fail "no editor window ($1)"; }
}
stop_jalv() {
  kill -TERM "$jalv_pid"
  wait "$jalv_pid" 2>/dev/null || true
}

# Waits until the LFO output port, after line $1 of the log, moves (on) or
# stays at zero over ten reports in a row (off).
lfo_running() {
  tail -n +"$1" "$jalv_log" |
    awk '/^lfo_out = / {v = $3 < 0 ? -$3 : $3; if (v > 0.01) f = 1} END {exit !f}'
}
lfo_stopped() {
  tail -n +"$1" "$jalv_log" |
    awk '/^lfo_out = / {v = $3 < 0 ? -$3 : $3; n = v > 0.000001 ? 0 : n + 1} END {exit !(n >= 10)}'
}
log_lines() { wc -l <"$jalv_log"; }

# The LFO "On" switch of the page (page pixels: the page is 700 x 677).
click_lfo_switch() { xdotool mousemove --window "$(editor_window)" 77 514 click 1; }

echo "== the editor opens and shows the page"
start_jalv session
# jalv names its window once the plug-in's UI is in it: wait for the name.
jalv_top() {
  xwininfo -root -children 2>/dev/null | awk '/"Oka Oka Wah": \("jalv.gtk3"/ {print $1; exit}'
}
has_jalv_top() { [ -n "$(jalv_top)" ]; }
until_true has_jalv_top || fail "jalv's window not found"
top=$(jalv_top)
# The page has loaded and drawn the plug-in's values once the editor's area
# holds over 3000 colours: an empty editor holds one, the page without values
# (empty controls, no plot) about 1700, with them over 5000.
shot=$shots/linux-jalv.png
colors=0
page_drawn() {
  import -window "$top" "$shot" 2>/dev/null || return 1
  colors=$(convert "$shot" -crop 700x677+0+25 -format %k info:)
  [ "$colors" -gt 3000 ]
}
until_true page_drawn || fail "the editor shows no page ($colors colours)"
echo "screenshot: $shot ($colors colours)"

echo "== no helper library in the host"
if grep -Eq 'libwebkit2gtk|libjavascriptcoregtk' "/proc/$jalv_pid/maps"; then
  fail "WebKit in jalv"
fi
if ldd "$bundle/zarvo-oka-oka-wah-ui.so" | grep -Eq 'gtk|gdk|glib|webkit|Qt'; then
  fail "the UI module links a toolkit"
fi

echo "== a click in the page reaches the plug-in's port"
# A click before the page heard the values is ignored by it: one more then.
from=$(log_lines)
click_lfo_switch
wait_s=5
until_true lfo_running "$from" || click_lfo_switch
wait_s=20
until_true lfo_running "$from" || fail "the page's edit did not reach the plug-in"

echo "== a host-side port change reaches the page"
# The host's menu: Presets, then past "Save" and "Delete" to the first
# preset outside the factory banks, the test's.
xdotool mousemove --window "$top" 70 12 click 1
sleep 0.5
xdotool key Down Down Down Return
from=$(log_lines)
until_true lfo_stopped "$from" || fail "the preset did not switch the LFO off"
from=$(log_lines)
click_lfo_switch
until_true lfo_running "$from" || fail "the page missed the host's change (its click wrote off)"

echo "== the helper killed mid-session leaves the host running"
helper=$(helper_of "$jalv_pid")
[ -n "$helper" ] || fail "no helper process under jalv"
kill -KILL "$helper"
sleep 1
kill -0 "$jalv_pid" 2>/dev/null || fail "jalv died with the helper"
from=$(log_lines)
until_true log_grew "$((from + 20))" || fail "jalv stopped running"
[ ! -e "/proc/$helper" ] || fail "the dead helper was not reaped"
stop_jalv
until_true nothing_left || fail "processes left: $(leftovers)"

echo "== the host killed outright takes the helper with it"
start_jalv killed
helper=$(helper_of "$jalv_pid")
kill -KILL "$jalv_pid"
wait "$jalv_pid" 2>/dev/null || true
until_true nothing_left || fail "helper outlived its host: $(leftovers)"

echo "== 20 open/close cycles leave nothing behind"
wait_s=5
baseline=0
until_true windows_back || true
baseline=$(top_children)
for cycle in $(seq 1 20); do
  start_jalv "cycle"
  stop_jalv
  until_true nothing_left || fail "cycle $cycle left processes: $(leftovers)"
  until_true windows_back || fail "cycle $cycle left windows"
done
echo "ok: editor in jalv"
