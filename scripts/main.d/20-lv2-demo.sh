#!/usr/bin/env bash
# Renders the demo through the native LV2 plug-in in a real host (lilv's
# lv2apply): a generated guitar-like phrase with the LFO moving the pedal,
# written to dist/demo/ as WAV files with a spectrogram picture beside them.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
dist=${OKA_DIST_DIR:-$root/dist}
bundle=$dist/linux/zarvo-oka-oka-wah.lv2
demo=$dist/demo
uri=https://zarvosonic.com/oka-oka-wah
[ -f "$bundle/manifest.ttl" ] || { echo "no native LV2 bundle in $bundle" >&2; exit 1; }
mkdir -p "$demo"

bash "$root/scripts/demo/make-phrase.sh" "$demo/phrase-dry.wav"

# The LFO sweeps the pedal heel to toe (2.5 Hz sine); the host provides no
# URID map, so the plug-in notes that transport sync is off and runs free.
LV2_PATH=$(dirname "$bundle") lv2apply -i "$demo/phrase-dry.wav" -o "$demo/oka-oka-wah-demo.wav" \
  -c lfo_on 1 -c lfo_free_rate 2.5 -c lfo_amount 100 -c mix 100 "$uri" 2>"$demo/lv2apply.log"

sox "$demo/oka-oka-wah-demo.wav" -n rate 12k spectrogram -o "$demo/oka-oka-wah-demo.png" \
  -t "Oka Oka Wah: plucked phrase, LFO moving the pedal at 2.5 Hz" -x 1200 -y 513 -z 90
sox "$demo/phrase-dry.wav" -n rate 12k spectrogram -o "$demo/phrase-dry.png" \
  -t "The same phrase, dry" -x 1200 -y 513 -z 90

seconds=$(soxi -D "$demo/oka-oka-wah-demo.wav")
echo "demo: $demo/oka-oka-wah-demo.wav ($seconds s) and its spectrogram"
