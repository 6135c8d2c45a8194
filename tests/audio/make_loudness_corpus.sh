#!/usr/bin/env bash
# Makes the clips the loudness tests measure and even out, with real encoders, and a manifest
# of what ffmpeg's EBU R128 meter says of each:
#   make_loudness_corpus.sh OUT_DIR
# figures.txt lines: name integrated_lufs range_lu true_peak_dbtp
set -euo pipefail
out=${1:?usage: make_loudness_corpus.sh OUT_DIR}
mkdir -p "$out"
cd "$out"
rm -f figures.txt

# Speech-like: band-limited noise in syllables (4 Hz), phrases at two levels and pauses.
speech() {  # RATE CHANNELS VOLUME FILE
  sox -R -q -n -r "$1" -c "$2" a.wav synth 6 pinknoise sinc 200-4000 tremolo 4 95 vol "$3"
  sox -R -q -n -r "$1" -c "$2" b.wav synth 5 pinknoise sinc 150-3500 tremolo 3.3 90 vol "$(python3 -c "print($3 * 0.4)")"
  sox -R -q -n -r "$1" -c "$2" gap.wav trim 0 0.8
  sox -R -q a.wav gap.wav b.wav gap.wav a.wav gap.wav b.wav "$4"
  rm -f a.wav b.wav gap.wav
}

speech 44100 1 0.5 speech.wav
lame --quiet -b 96 -m m -p speech.wav speech.mp3          # the program's own format, quiet
# Louder than the target.
sox -R -q -n -r 44100 -c 1 tone.wav synth 20 sine 1000 vol 0.25
lame --quiet -b 96 -m m -p tone.wav tone.mp3
# Quiet speech with short loud clicks: the true peak holds the level back part of the way
# (peaks.mp3) or all of it (held.mp3).
speech 44100 1 0.2 quiet.wav
clicks() {  # VOLUME FILE
  sox -R -q -n -r 44100 -c 1 click.wav synth 0.003 square 900 vol "$1"
  sox -R -q -n -r 44100 -c 1 rest.wav trim 0 1.997
  sox -R -q click.wav rest.wav click.wav rest.wav click.wav rest.wav click.wav rest.wav clicks.wav
  sox -R -q -m -v 1 quiet.wav -v 1 clicks.wav "$2"
}
clicks 0.35 peaks.wav
lame --quiet -b 96 -m m -p peaks.wav peaks.mp3
clicks 0.95 held.wav
lame --quiet -b 96 -m m -p held.wav held.mp3
# The other side-information layouts.
speech 44100 2 0.3 speech2.wav
lame --quiet -b 128 -m j -p speech2.wav stereo.mp3
speech 22050 1 0.3 speech22.wav
lame --quiet -b 64 -m m -p speech22.wav mpeg2.mp3
speech 24000 2 0.3 speech24.wav
lame --quiet -b 64 -m j -p speech24.wav mpeg2_stereo.mp3
twolame --quiet -b 192 speech2.wav layer2.mp2
# More than one write of the evening out (1 MB): 80 s of stereo at 128 kbit/s.
sox -R -q -n -r 44100 -c 2 long.wav synth 80 pinknoise vol 0.1
lame --quiet -b 128 long.wav long.mp3
rm -f ./*.wav

for f in speech.mp3 tone.mp3 peaks.mp3 held.mp3 stereo.mp3 mpeg2.mp3 mpeg2_stereo.mp3 layer2.mp2; do
  ffmpeg -nostats -hide_banner -loglevel error -i "$f" \
    -af ebur128=peak=true:metadata=1,ametadata=print:file=meta.txt -f null -
  python3 - "$f" meta.txt >>figures.txt <<'PY'
import math, sys
last = {}
for line in open(sys.argv[2]):
    key, _, value = line.strip().partition('=')
    if key.startswith('lavfi.r128.'):
        last[key[11:]] = float(value)
peak = last['true_peak']
print(sys.argv[1], last['I'], last['LRA'], 20 * math.log10(peak) if peak > 0 else -200)
PY
  rm -f meta.txt
done
