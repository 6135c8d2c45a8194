# Clip player timings beside native mpg123, on clips made here:
#   seek: Play at 1:59:00 of a two-hour 96 kbit/s clip to the first block queued;
#   decode: CPU to decode a 10-minute clip (best of 5), also beside mpg123 built for 32-bit;
#   duration: Open + Prepare + GetDuration.
set -euo pipefail
build=$1
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
bench=$build/tests/audio/player_bench.exe
[ -f "$bench" ] || { echo "no $bench: build first" >&2; exit 1; }
work=$build/bench-player
mkdir -p "$work"
cd "$work"

# One minute of speech-like sound, without an Info frame so that copies join cleanly;
# 120 copies make two hours of the recording format, 10 copies of a stereo clip ten minutes.
if [ ! -f two_hours.mp3 ] || [ ! -f ten_minutes.mp3 ]; then
  sox -q -n -r 44100 -c 1 minute.wav synth 60 pinknoise tremolo 3 80 vol 0.3 : \
    synth 60 sine 220-880 vol 0.3 2>/dev/null ||
    sox -q -n -r 44100 -c 1 minute.wav synth 60 pinknoise vol 0.3
  lame --quiet -t -b 96 -m m -p minute.wav minute96.mp3
  sox -q -n -r 44100 -c 2 minute_stereo.wav synth 60 pinknoise sine 440-1760 vol 0.3
  lame --quiet -t -b 128 minute_stereo.wav minute128.mp3
  for _ in $(seq 120); do cat minute96.mp3; done >two_hours.mp3
  for _ in $(seq 10); do cat minute128.mp3; done >ten_minutes.mp3
  rm -f minute.wav minute_stereo.wav
fi

start_ms=7140000  # 1:59:00
# The player plays from frame start_ms / 26.12244987487793 on, counting from 1.
frame=$(python3 -c "import struct; f = struct.unpack('f', struct.pack('f', 1152 / 44.1))[0]; print(int($start_ms / f) - 1)")

read -r seek_ms seek_after_open_ms < <(wine "$bench" seek "$work/two_hours.mp3" "$start_ms" | tr -d '\r')
# Native mpg123 skipping to the same frame and decoding the 8 frames of the first block.
mpg123_ms=$(python3 - "$frame" <<'PY'
import subprocess, sys, time
runs = []
for _ in range(3):
    t = time.perf_counter()
    subprocess.run(['mpg123', '-q', '-t', '-k', sys.argv[1], '-n', '8', 'two_hours.mp3'], check=True)
    runs.append((time.perf_counter() - t) * 1000)
print('%.1f' % sorted(runs)[1])
PY
)
# cpu_seconds PROGRAM: CPU seconds (user + system) PROGRAM takes to decode the clip to nothing
cpu_seconds() { python3 "$top/scripts/bench.d/cpu_seconds.py" "$1" -q -s ten_minutes.mp3; }
# The same library built natively for 32-bit x86, when this machine can build it: beside the
# 64-bit tool (with its AVX code) it shows what the library's 32-bit code costs by itself.
native32=$("$top/scripts/bench-native32" "$build" | tail -n1) || native32=
# Best of five each, taken in turn so that a busy moment of the machine hits all alike.
best() { sort -g | head -n1; }
for _ in 1 2 3 4 5; do
  echo "ours $(wine "$bench" decode "$work/ten_minutes.mp3" | tr -d '\r')"
  echo "mpg123 $(cpu_seconds mpg123)"
  [ -z "$native32" ] || echo "mpg123_32 $(cpu_seconds "$native32/mpg123")"
done >decode_runs.txt
decode_s=$(awk '$1 == "ours" { print $2 }' decode_runs.txt | best)
mpg123_decode_s=$(awk '$1 == "mpg123" { print $2 }' decode_runs.txt | best)
duration_ms=$(wine "$bench" duration "$work/two_hours.mp3" | tr -d '\r')

echo "player.seek_ms: $seek_ms ms"
echo "player.seek_after_device_open_ms: $seek_after_open_ms ms"
echo "player.seek_mpg123_ms: $mpg123_ms ms"
echo "player.seek_vs_mpg123: $(awk -v a="$seek_ms" -v b="$mpg123_ms" 'BEGIN { printf "%.2f", a / b }') ratio"
echo "player.decode_cpu_s: $decode_s s"
echo "player.decode_mpg123_cpu_s: $mpg123_decode_s s"
echo "player.decode_vs_mpg123: $(awk -v a="$decode_s" -v b="$mpg123_decode_s" 'BEGIN { printf "%.2f", a / b }') ratio"
if [ -n "$native32" ]; then
  mpg123_32_s=$(awk '$1 == "mpg123_32" { print $2 }' decode_runs.txt | best)
  echo "player.decode_mpg123_32_cpu_s: $mpg123_32_s s"
  echo "player.decode_vs_mpg123_32: $(awk -v a="$decode_s" -v b="$mpg123_32_s" 'BEGIN { printf "%.2f", a / b }') ratio"
fi
echo "player.duration_ms: $duration_ms ms"
