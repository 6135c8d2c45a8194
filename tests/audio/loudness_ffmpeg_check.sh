#!/usr/bin/env bash
# Evens out corpus clips of every side-information layout with loudness_probe.exe and checks
# the results with ffmpeg, an independent decoder: every frame's CRC checks clean, the sound
# is the original's times the gain, and the loudness is the target's.
#   loudness_ffmpeg_check.sh PATH/TO/loudness_probe.exe CORPUS_DIR
# Prints PASS: or FAIL: lines.
set -uo pipefail
probe=${1:?usage: loudness_ffmpeg_check.sh PROBE CORPUS_DIR}
corpus=${2:?}
wine=${WINE:-wine}
work=$(mktemp -d "${TMPDIR:-/tmp}/loudness_check.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

crc_errors() { ffmpeg -nostdin -v error -err_detect crccheck -i "$1" -f null - 2>&1 | grep -ci crc; }

# The check must be able to fail: one bit of side information changed without its CRC.
cp "$corpus/speech.mp3" "$work/broken.mp3"
python3 - "$work/broken.mp3" <<'PY'
import sys
data = bytearray(open(sys.argv[1], 'rb').read())
at = data.find(b'\xff\xfa', 2000)   # an MPEG-1 Layer III header with CRC, past any tag
data[at + 10] ^= 0x01
open(sys.argv[1], 'wb').write(data)
PY
[ "$(crc_errors "$work/broken.mp3")" -gt 0 ] || fail "ffmpeg's CRC check does not see a changed bit"

for clip in speech.mp3 tone.mp3 stereo.mp3 mpeg2.mp3 mpeg2_stereo.mp3; do
  out="$work/even-$clip"
  rm -f "$out"
  steps=$("$wine" "$probe" even "Z:$corpus/$clip" "Z:$out" 2>/dev/null | tr -d '\r' | awk '{ print $1 }')
  [ -n "$steps" ] && [ "$steps" != 0 ] && [ -s "$out" ] || { fail "$clip: not evened out (steps '$steps')"; continue; }
  [ "$(stat -c %s "$out")" = "$(stat -c %s "$corpus/$clip")" ] || fail "$clip: size changed"
  n=$(crc_errors "$out")
  [ "$n" = 0 ] || fail "$clip: $n CRC errors"
  ffmpeg -nostdin -y -v error -i "$corpus/$clip" -f f32le -acodec pcm_f32le "$work/a.raw"
  ffmpeg -nostdin -y -v error -i "$out" -f f32le -acodec pcm_f32le "$work/b.raw"
  python3 - "$work/a.raw" "$work/b.raw" "$steps" "$clip" <<'PY' || failed=1
import array, sys
a = array.array('f'); a.frombytes(open(sys.argv[1], 'rb').read())
b = array.array('f'); b.frombytes(open(sys.argv[2], 'rb').read())
gain = 2 ** (int(sys.argv[3]) / 4)
if len(a) != len(b):
    print("FAIL: %s: %d samples beside %d" % (sys.argv[4], len(b), len(a))); sys.exit(1)
worst = max(abs(y - x * gain) for x, y in zip(a, b))
if worst > 1e-4:
    print("FAIL: %s: differs from the original times %.4f by up to %g" % (sys.argv[4], gain, worst)); sys.exit(1)
print("PASS: %s: %d steps, the original times %.4f within %g" % (sys.argv[4], int(sys.argv[3]), gain, worst))
PY
  lufs=$(ffmpeg -nostdin -nostats -hide_banner -i "$out" -af ebur128=peak=true -f null - 2>&1 |
         awk '/Integrated loudness:/ { f = 1 } f && /I:/ { print $2; exit }')
  python3 -c "import sys; sys.exit(abs($lufs + 19) > 0.75)" || fail "$clip: ffmpeg measures $lufs LUFS"
done
[ $failed = 0 ] && echo "PASS: all"
exit $failed
