# The level scan of an opened clip beside decoding it: CPU seconds to scan the two-hour clip
# of the player benchmark (the recording format) under Wine, beside the same mpg123 library
# built natively for 32-bit decoding it to nothing, best of three each, taken in turn.
set -euo pipefail
build=$1
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
bench=$build/tests/audio/level_bench.exe
[ -f "$bench" ] || { echo "no $bench: build first" >&2; exit 1; }
work=$build/bench-player
if [ ! -f "$work/two_hours.mp3" ]; then
  echo "making the player benchmark's clips first" >&2
  bash "$top/scripts/bench.d/player.sh" "$build" >/dev/null
fi
native32=$("$top/scripts/bench-native32" "$build" | tail -n1) || {
  echo "envelope: no 32-bit mpg123 on this machine (gcc-multilib)" >&2
  exit 1
}
cpu_seconds() { python3 "$top/scripts/bench.d/cpu_seconds.py" "$@"; }
for _ in 1 2 3; do
  echo "scan $(wine "$bench" "$work/two_hours.mp3" | tr -d '\r')"
  echo "mpg123_32 $(cpu_seconds "$native32/mpg123" -q -s "$work/two_hours.mp3")"
done >"$work/scan_runs.txt"
best() { sort -g | head -n1; }
scan_s=$(awk '$1 == "scan" { print $2 }' "$work/scan_runs.txt" | best)
mpg123_s=$(awk '$1 == "mpg123_32" { print $2 }' "$work/scan_runs.txt" | best)
echo "envelope.scan_cpu_s: $scan_s s"
echo "envelope.mpg123_32_cpu_s: $mpg123_s s"
echo "envelope.scan_vs_mpg123_32: $(awk -v a="$scan_s" -v b="$mpg123_s" 'BEGIN { printf "%.2f", a / b }') ratio"
