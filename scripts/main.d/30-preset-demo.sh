#!/usr/bin/env bash
# Renders every factory preset over the demo phrase through the native LV2
# plug-in in a real host: lilv reads each preset from the bundle (our small
# lilv host prints its port values), lv2apply plays the phrase through the
# plug-in with them. Writes dist/demo/presets/NN-<preset>.wav and one contact
# sheet of their spectrograms, contact-sheet.png, titled with the names.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
dist=${OKA_DIST_DIR:-$root/dist}
bundle=$dist/linux/zarvo-oka-oka-wah.lv2
out=$dist/demo/presets
host=${OKA_BUILD_ROOT:-$root/build}/native/tests/lv2/lv2_preset_host
uri=https://zarvosonic.com/oka-oka-wah
phrase=$dist/demo/phrase-dry.wav
[ -f "$bundle/presets.ttl" ] || { echo "no LV2 bundle with presets in $bundle" >&2; exit 1; }
[ -x "$host" ] || { echo "no preset host at $host (build the native tree)" >&2; exit 1; }
rm -rf "$out"
mkdir -p "$out"
[ -f "$phrase" ] || bash "$root/scripts/demo/make-phrase.sh" "$phrase"
pictures=$(mktemp -d)
trap 'rm -rf "$pictures"' EXIT

"$host" args "$bundle" >"$pictures/presets.txt"
n=0
while IFS=$'\t' read -r slug label bank args; do
  n=$((n + 1))
  name=$(printf '%02d-%s' "$n" "${slug#preset-}")
  # shellcheck disable=SC2086 # the port values are words of their own
  LV2_PATH=$(dirname "$bundle") lv2apply -i "$phrase" -o "$out/$name.wav" $args "$uri" \
    2>"$pictures/lv2apply.log" || { cat "$pictures/lv2apply.log" >&2; exit 1; }
  sox -V1 "$out/$name.wav" -n rate 12k spectrogram -o "$pictures/$name.png" \
    -t "$n. $label ($bank)" -x 560 -y 257 -z 90
done <"$pictures/presets.txt"
montage "$pictures"/[0-9]*.png -tile 3x -geometry +6+6 -background white "$out/contact-sheet.png"
echo "presets: $n renders in $out and their spectrograms in $out/contact-sheet.png"
