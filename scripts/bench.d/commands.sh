# The main window's commands, on clips made here:
#   join: Record continuing a two-hour 96 kbit/s clip at 1:00:00 with a 10-second part,
#     JoinClips called directly, beside native head -c + cat of the same bytes. Both flush
#     the joined file to disk (ours with FlushFileBuffers, native with `sync FILE`) and both
#     delete the two sources. Best of 3 each, run alternately on fresh copies.
#   play_latency: the real program, Play clicked to the first sound at the sink's monitor;
#     play_mode_switch is the part of it until the window is in the playback mode.
#   open: the real program, from the Open box handing back the path to the Open command
#     having returned with the two-hour clip's length on the time line.
#   recording_cpu_over_listening: the real program with a tone sounding into the sink, the
#     whole process's CPU time over the wall time while recording less the same while
#     listening (the level meter alone), in % of one core: what recording adds, the
#     encoder's share and the window following the take. Rounds of 20 s listening and 20 s
#     recording alternate, after a first take long enough for the time line to scroll.
#   window_cpu_over_listening: the same for the main thread alone, which runs the window.
#   flush_cpu_us, flush_max_ms, block_gap_max_ms: the recorder on its own recording 30 s
#     of a tone, its file flushed by its flush thread as in the program: that thread's CPU
#     time (/proc's schedstat, in ns) per flush, the longest flush (wall clock), and the
#     longest time between two captured blocks while the flushes ran (100 ms when nothing
#     holds the capture worker up).
# The latency and open figures are the median of 5 rounds in one program run; the CPU
# figures the median of 5 rounds.
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
  # The join keeps its sources: the window hands them to Undo and the Recycle Bin.
  [ -e earlier.mp3 ] && [ -e new_part.mp3 ] || { echo "the join took its sources" >&2; exit 1; }
  cut=$((joined_bytes - $(stat -c %s part.mp3)))
  # The cut is a frame boundary at most one frame before the cursor's byte.
  [ "$cut" -le $((cut_ms * 12)) ] && [ "$cut" -gt $((cut_ms * 12 - 314)) ] || { echo "cut at $cut" >&2; exit 1; }

  fresh_sources
  start=$EPOCHREALTIME
  head -c "$cut" earlier.mp3 >joined.mp3
  cat new_part.mp3 >>joined.mp3
  sync joined.mp3
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
# ticks PID: CPU ticks (user + system) of the whole process, threads that ended included,
# and of its main thread, which runs the window.
ticks() {
  local stat
  local -a p t
  stat=$(cat "/proc/$1/stat") || return 1
  read -r -a p <<<"${stat##*) }"
  stat=$(cat "/proc/$1/task/$1/stat") || return 1
  read -r -a t <<<"${stat##*) }"
  echo "$((p[11] + p[12])) $((t[11] + t[12]))"
}
# Reads the driver's lines; prints "MODE PROCESS_PERCENT WINDOW_PERCENT" for each span.
cpu_spans() {
  local line pid= mode= dir start_ticks start_time
  while IFS= read -r line; do
    line=${line%$'\r'}
    case $line in
    "app "*)
      for dir in /proc/[0-9]*; do
        if grep -qaF "${line#app }\\recorder.exe" "$dir/cmdline" 2>/dev/null; then
          pid=${dir#/proc/}
          break
        fi
      done
      [ -n "$pid" ] || { echo "the program's process was not found" >&2; return 1; } ;;
    "span end")
      awk -v m="$mode" -v a="$start_ticks" -v b="$(ticks "$pid")" -v s="${start_time/,/.}" -v e="${EPOCHREALTIME/,/.}" \
        -v hz="$(getconf CLK_TCK)" 'BEGIN { split(a, x, " "); split(b, y, " "); w = (e - s) * hz / 100
          printf "%s %.2f %.2f\n", m, (y[1] - x[1]) / w, (y[2] - x[2]) / w }' ;;
    "span "*)
      mode=${line#span }
      start_time=$EPOCHREALTIME
      start_ticks=$(ticks "$pid") ;;
    esac
  done
}
wine "$bench" cpu 20 5 | cpu_spans >cpu.txt
listening_cpu=$(awk '$1 == "listening" { print $2 }' cpu.txt | median)
recording_cpu=$(awk '$1 == "recording" { print $2 }' cpu.txt | median)
# Each round's difference, so that a change in the machine's load between rounds cancels.
over_cpu=$(awk '$1 == "listening" { l = $2 } $1 == "recording" { printf "%.2f\n", $2 - l }' cpu.txt | median)
# The window thread's part of it, which Wine's sound threads in the same process do not blur.
window_over_cpu=$(awk '$1 == "listening" { l = $3 } $1 == "recording" { printf "%.2f\n", $3 - l }' cpu.txt | median)
[ -n "$open_ms" ] && [ -n "$play_ms" ] && [ -n "$over_cpu" ] || { echo "the program runs failed" >&2; exit 1; }
# flush_cpu: reads the driver's lines; at "measure N" prints the CPU time of the thread
# named qb-flush in the driver's process, in microseconds per flush.
flush_cpu() {
  local line pid= dir task
  while IFS= read -r line; do
    line=${line%$'\r'}
    case $line in
    "measure "*)
      for dir in /proc/[0-9]*; do
        grep -qaF 'commands_bench.exe' "$dir/cmdline" 2>/dev/null && grep -qaF 'flush' "$dir/cmdline" 2>/dev/null || continue
        for task in "$dir"/task/*; do
          [ "$(cat "$task/comm" 2>/dev/null)" = qb-flush ] || continue
          pid=$task
          awk -v n="${line#measure }" '{ printf "flush_cpu_us %.1f\n", $1 / 1000 / n }' "$task/schedstat"
        done
      done
      [ -n "$pid" ] || echo "no thread named qb-flush" >&2 ;;
    *) echo "$line" ;;
    esac
  done
}
wine "$bench" flush 30 | flush_cpu >flush.txt
flush_cpu_us=$(awk '$1 == "flush_cpu_us" { print $2 }' flush.txt)
flush_max_ms=$(awk '$1 == "flush_max_ms" { print $2 }' flush.txt)
block_gap_ms=$(awk '$1 == "block_gap_max_ms" { print $2 }' flush.txt)
[ -n "$block_gap_ms" ] && [ -n "$flush_cpu_us" ] || { echo "the flush run failed" >&2; exit 1; }

echo "commands.join_ms: $ours_best ms"
echo "commands.join_native_ms: $native_best ms"
awk -v o="$ours_best" -v n="$native_best" 'BEGIN { printf "commands.join_vs_native: %.2f ratio\n", o / n }'
echo "commands.play_latency_ms: $play_ms ms"
echo "commands.play_mode_switch_ms: $switch_ms ms"
echo "commands.open_ms: $open_ms ms"
echo "commands.listening_cpu: $listening_cpu %"
echo "commands.recording_cpu: $recording_cpu %"
echo "commands.recording_cpu_over_listening: $over_cpu %"
echo "commands.window_cpu_over_listening: $window_over_cpu %"
echo "commands.flush_cpu_us: $flush_cpu_us us"
echo "commands.flush_max_ms: $flush_max_ms ms"
echo "commands.block_gap_max_ms: $block_gap_ms ms"
