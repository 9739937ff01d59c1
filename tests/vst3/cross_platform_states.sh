#!/usr/bin/env bash
# A state saved by the Linux VST3 module restores in the Linux LV2 module and
# in both Windows modules, and what each of them saves restores in the Linux
# VST3 module again, byte for byte:
#   - the Windows VST3 module saves exactly the bytes the Linux one saved;
#   - the two LV2 modules save the same bytes as each other;
#   - the Linux VST3 module, given any of those saves, saves its first bytes.
# The native relay (from the native tree, built before this one) and the
# Windows relay (under Wine) move the states through files.
# usage: cross_platform_states.sh NATIVE_TREE WINE_RUN WIN_RELAY WIN_VST3 WIN_LV2
#          WIN_LV2_BUNDLE/ FIXTURE WORK_DIR
set -eu
native=$1 wine_run=$2 win_relay=$3 win_vst3=$4 win_lv2=$5 win_lv2_bundle=$6 fixture=$7 work=$8

relay=$native/tests/vst3/vst3_state_relay
linux_vst3=$native/dist/linux/zarvo-oka-oka-wah.vst3/Contents/x86_64-linux/zarvo-oka-oka-wah.so
linux_lv2_bundle=$native/dist/linux/zarvo-oka-oka-wah.lv2/
linux_lv2=${linux_lv2_bundle}zarvo-oka-oka-wah.so
for file in "$relay" "$linux_vst3" "$linux_lv2"; do
  if [ ! -f "$file" ]; then
    echo "missing $file: build the native tree first (scripts/build.sh native)" >&2
    exit 1
  fi
done

rm -rf "$work"
mkdir -p "$work"
status=0
same() { # same A B what
  if cmp -s "$1" "$2"; then
    echo "same: $3"
  else
    echo "DIFFERENT: $3 ($1, $2)" >&2
    status=1
  fi
}

# The Linux VST3 module's own save of values away from every default.
"$relay" vst3 "$linux_vst3" "$fixture" "$work/linux-vst3"
"$relay" vst3 "$linux_vst3" - "$work/linux-vst3-defaults"
if cmp -s "$work/linux-vst3" "$work/linux-vst3-defaults"; then
  echo "the Linux VST3 module did not take the fixture's values" >&2
  exit 1
fi

# Into the Windows modules and the Linux LV2 module.
"$wine_run" "$win_relay" vst3 "$win_vst3" "$work/linux-vst3" "$work/windows-vst3"
"$wine_run" "$win_relay" lv2 "$win_lv2" "$win_lv2_bundle" "$work/linux-vst3" "$work/windows-lv2"
"$relay" lv2 "$linux_lv2" "$linux_lv2_bundle" "$work/linux-vst3" "$work/linux-lv2"
same "$work/linux-vst3" "$work/windows-vst3" "Windows VST3 saves the Linux VST3 state as it came"
same "$work/linux-lv2" "$work/windows-lv2" "both LV2 modules save it alike"

# And back into the Linux VST3 module.
for from in windows-vst3 windows-lv2 linux-lv2; do
  "$relay" vst3 "$linux_vst3" "$work/$from" "$work/back-from-$from"
  same "$work/linux-vst3" "$work/back-from-$from" "Linux VST3 takes back the $from save"
done
exit $status
