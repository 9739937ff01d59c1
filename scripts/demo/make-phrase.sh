#!/usr/bin/env bash
# Writes a short guitar-like phrase (plucked-string notes, a little riff
# played twice) as a mono 48 kHz float WAV, made entirely with sox's
# synthesiser: nothing is downloaded.
# usage: make-phrase.sh OUT.wav
set -eu
out=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# note:length in seconds
riff="E2:0.45 G2:0.45 A2:0.7 E2:0.45 G2:0.45 A#2:0.25 A2:0.9 E2:0.45 G2:0.45 A2:0.7 G2:0.45 E2:1.2"
parts=()
i=0
for n in $riff $riff; do
  note=${n%%:*} len=${n#*:}
  f=$(printf '%s/%03d.wav' "$tmp" "$i")
  # The note and its octave, mixed to mono, with a touch of overdrive, give
  # a fuller string; the fade keeps each note's end from clicking.
  octave=${note: -1}
  up="${note%?}$((octave + 1))"
  sox -r 48000 -c 2 -n -c 1 -b 32 -e floating-point "$f" synth "$len" pluck "$note" pluck "$up" \
    remix - overdrive 6 fade 0.002 "$len" 0.03 gain -n -14
  parts+=("$f")
  i=$((i + 1))
done
sox "${parts[@]}" "$out" pad 0 0.5
