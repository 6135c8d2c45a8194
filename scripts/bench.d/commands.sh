# The main window's commands, on clips made here:
#   join: Record continuing a two-hour 96 kbit/s clip at 1:00:00 with a 10-second part,
#     JoinClips called directly, beside native head -c + cat of the same bytes. Both flush
#     the joined file to disk (ours with FlushFileBuffers, native with `sync FILE`) and both
#     delete the two sources. Best of 3 each, run alternately on fresh copies.
#   play_latency: the real program, Play clicked to the first sound at the sink's monitor;
#     play_mode_switch is the part of it until the window is in the playback mode.
#   open: the real program, from the Open box handing back the path to the Open command
#     having returned with the two-hour clip's length on the time line.
# The latency and open figures are the median of 5 rounds in one program run.
set -euo pipefail
build=$1
bench=$build/tests/e2e/commands_bench.exe
[ -f "$bench" ] || { echo "no $bench: build first" >&2; exit 1; }
work=$build/bench-commands
mkdir -p "$work"
cd "$work"
win() { echo "Z:${1//\//\\}"; }

# Minutes of 59.9 s, so that 120 of them stay under the two hours Open allows. With a CRC
# in every frame and no Info frame (-t), like the program's recordings, so copies join.
if [ ! -f two_hours.mp3 ] || [ ! -f part.mp3 ] || [ ! -f tone.mp3 ]; then
  sox -q -n -r 44100 -c 1 minute.wav synth 59.9 pinknoise tremolo 3 80 vol 0.3
  lame --quiet -t -b 96 -m m -p minute.wav minute.mp3
  for _ in $(seq 120); do cat minute.mp3; done >two_hours.mp3
  sox -q -n -r 44100 -c 1 part.wav synth 10 sine 440 vol 0.3
  lame --quiet -t -b 96 -m m -p part.wav part.mp3
  # Loud from its start, and long enough for every round of the latency test.
  sox -q -n -r 44100 -c 1 tone.wav synth 30 sine 997 vol 0.5
  lame --quiet -t -b 96 -m m -p tone.wav tone.mp3
  rm -f minute.wav minute.mp3 part.wav tone.wav
fi
# One spot at 10:00, so that Open reads a side file as its last step before the repaint.
printf '\xc0\x27\x09\x00' >two_hours.mp3.ads
size=$(stat -c %s two_hours.mp3)
[ "$size" -lt 86400000 ] || { echo "two_hours.mp3 is over two hours ($size bytes)" >&2; exit 1; }

cut_ms=3600000
fresh_sources() {
  rm -f joined.mp3 earlier.mp3 new_part.mp3
  cp two_hours.mp3 earlier.mp3
  cp part.mp3 new_part.mp3
  sync  # the copies' own write-back is not part of either join
}
ours_best= native_best=
for _ in 1 2 3; do
  fresh_sources
  out=$(wine "$bench" join "$(win "$work/earlier.mp3")" "$(win "$work/new_part.mp3")" "$(win "$work/joined.mp3")" \
    "$cut_ms" | tr -d '\r')
  ours=$(awk '$1 == "join_ms" { print $2 }' <<<"$out")
  joined_bytes=$(awk '$1 == "joined_bytes" { print $2 }' <<<"$out")
  [ ! -e earlier.mp3 ] && [ ! -e new_part.mp3 ] || { echo "the join left its sources" >&2; exit 1; }
  cut=$((joined_bytes - $(stat -c %s part.mp3)))
  # The cut is a frame boundary at most one frame before the cursor's byte.
  [ "$cut" -le $((cut_ms * 12)) ] && [ "$cut" -gt $((cut_ms * 12 - 314)) ] || { echo "cut at $cut" >&2; exit 1; }

  fresh_sources
  start=$EPOCHREALTIME
  head -c "$cut" earlier.mp3 >joined.mp3
  cat new_part.mp3 >>joined.mp3
  sync joined.mp3
  rm earlier.mp3 new_part.mp3
  end=$EPOCHREALTIME
  native=$(awk -v a="${start/,/.}" -v b="${end/,/.}" 'BEGIN { printf "%.1f", (b - a) * 1000 }')
  [ "$(stat -c %s joined.mp3)" -eq "$joined_bytes" ] || { echo "native join differs in size" >&2; exit 1; }

  ours_best=$(awk -v a="${ours_best:-$ours}" -v b="$ours" 'BEGIN { print (b < a ? b : a) }')
  native_best=$(awk -v a="${native_best:-$native}" -v b="$native" 'BEGIN { print (b < a ? b : a) }')
done
rm -f joined.mp3

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
open_ms=$(wine "$bench" open "$(win "$work/two_hours.mp3")" 5 | tr -d '\r' | awk '$1 == "open_ms" { print $2 }' | median)
wine "$bench" play "$(win "$work/tone.mp3")" 5 | tr -d '\r' >play.txt
play_ms=$(awk '$1 == "play_latency_ms" { print $2 }' play.txt | median)
switch_ms=$(awk '$1 == "play_mode_switch_ms" { print $2 }' play.txt | median)
[ -n "$open_ms" ] && [ -n "$play_ms" ] || { echo "the program runs failed" >&2; exit 1; }

echo "commands.join_ms: $ours_best ms"
echo "commands.join_native_ms: $native_best ms"
awk -v o="$ours_best" -v n="$native_best" 'BEGIN { printf "commands.join_vs_native: %.2f ratio\n", o / n }'
echo "commands.play_latency_ms: $play_ms ms"
echo "commands.play_mode_switch_ms: $switch_ms ms"
echo "commands.open_ms: $open_ms ms"
