#!/usr/bin/env bash
# Makes the clips the cut's tests read, with lame from loud and quiet noise, so that the
# encoder's bit reservoir fills and empties and the frames reach back into those before them:
#   make_cut_corpus.sh OUT_DIR
set -euo pipefail
out=${1:?usage: make_cut_corpus.sh OUT_DIR}
mkdir -p "$out"
cd "$out"
noise() {  # RATE CHANNELS FILE
  sox -q -n -r "$1" -c "$2" "$3" synth 5 pinknoise synth 5 sine mix 300-3000 vol 0.5 tremolo 0.9 95
}
noise 44100 1 mono44.wav
# Three minutes: more than the cut's read buffer holds, a quarter more than half of it.
sox -q -n -r 44100 -c 1 long44.wav synth 180 pinknoise synth 180 sine mix 300-3000 vol 0.5 tremolo 0.9 95
noise 44100 2 stereo44.wav
noise 48000 2 stereo48.wav
noise 32000 1 mono32.wav
noise 22050 1 mono22.wav
noise 22050 2 stereo22.wav
lame --quiet -b 96 -m m -p mono44.wav recording.mp3  # the program's own format
lame --quiet -b 96 -m m -p long44.wav long_recording.mp3
lame --quiet -b 32 -m m --resample 44.1 mono44.wav low44.mp3
lame --quiet -V 2 stereo44.wav vbr44.mp3
lame --quiet -b 128 -p stereo48.wav cbr48_crc.mp3
lame --quiet -V 5 stereo48.wav vbr48.mp3
lame --quiet -b 48 -m m -p mono32.wav mono32_crc.mp3
lame --quiet -b 32 -m m mono22.wav mpeg2_mono22.mp3
lame --quiet -V 4 -p stereo22.wav mpeg2_vbr22_crc.mp3
rm -f ./*.wav
