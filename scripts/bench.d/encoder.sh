# MP3 encoder throughput under Wine in times real time (from the CPU time the encoding
# takes, which other work on a shared machine does not inflate; encoder.speed_wall from the
# wall clock), beside native lame on the same PCM (ratio of CPU times, best of 3 each), and
# the CPU share of one core that recording costs the recording process (60 s measured
# inside a 64 s recording from the test sink). For scale,
# encoder.listening_cpu is the same process capturing without encoding (the level
# listener, 30 s): what Wine's own sound machinery costs.
set -euo pipefail
build=$1
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
audio=$build/tests/audio
work=$(mktemp -d "${TMPDIR:-/tmp}/bench_encoder.XXXXXX")
trap 'kill ${background[@]:-} 2>/dev/null; rm -rf "$work"' EXIT
background=()
cd "$work"

# Two minutes of a voice-like signal: pink noise shaped by a slow tremolo, over a hum.
sox -q -n -r 44100 -c 1 -b 16 -e signed -t raw pcm.raw \
  synth 120 pinknoise synth 120 sine mix 180 tremolo 3 60 vol 0.4

best() { sort -g | head -n1; }
for _ in 1 2 3; do wine "$audio/encoder_bench.exe" pcm.raw ours.mp3; done >ours.txt
ours=$(awk '$1 == "encode_cpu_seconds" { print $2 }' ours.txt | best)
ours_wall=$(awk '$1 == "encode_seconds" { print $2 }' ours.txt | best)
# lame's CPU time (user + system) from the shell's own accounting
lame_s=$(for _ in 1 2 3; do
  TIMEFORMAT='%U %S'
  { time lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m m -b 96 \
      pcm.raw lame.mp3 2>/dev/null; } 2>&1 | awk '{ print $1 + $2 }'
done | best)
# The same library built natively for 32-bit x86, when this machine can build it.
native32=$("$top/scripts/bench-native32" "$build" | tail -n1) || native32=
if [ -n "$native32" ]; then
  lame_32_s=$(for _ in 1 2 3; do
    TIMEFORMAT='%U %S'
    { time "$native32/lame" --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m m -b 96 \
        pcm.raw lame32.mp3 2>/dev/null; } 2>&1 | awk '{ print $1 + $2 }'
  done | best)
fi
python3 "$top/tests/audio/mp3_frames.py" ours.mp3 >/dev/null

awk -v t="$ours" 'BEGIN { printf "encoder.speed: %.0f x real time\n", 120 / t }'
awk -v t="$ours_wall" 'BEGIN { printf "encoder.speed_wall: %.0f x real time\n", 120 / t }'
awk -v t="$ours" -v l="$lame_s" 'BEGIN { printf "encoder.vs_lame: %.2f ratio\n", t / l }'
[ -z "$native32" ] ||
  awk -v t="$ours" -v l="$lame_32_s" 'BEGIN { printf "encoder.vs_lame_32: %.2f ratio\n", t / l }'

# Recording: a tone into the sink, with a low-latency client so that the monitor delivers
# in step with the clock.
pacat --playback --raw --rate=44100 --channels=1 --format=s16le --latency-msec=20 </dev/zero &
background+=($!)
sox -q -n -t raw -r 44100 -e signed -b 16 -c 1 tone.raw synth 70 sine 997 vol 0.5
pacat --playback --raw --rate=44100 --channels=1 --format=s16le --latency-msec=20 tone.raw &
background+=($!)
# cpu_ns PID: CPU time in nanoseconds of the whole process, and of its threads other than
# Wine's sound threads (its PulseAudio main loop and timer and the device thread), which do the
# same work whether or not the program encodes, but vary by tenths of a percent from run to
# run. The scheduler's own count (schedstat) is exact; the clock ticks of stat only sample
# which thread was running, and a thread that wakes ten times a second in step with the
# sound can be missed or counted far more often than it runs. Ticks only where the kernel
# keeps no schedstat.
cpu_ns() {
  local total=0 ours=0 task stat comm t ns
  local -a fields
  for task in /proc/"$1"/task/[0-9]*; do
    stat=$(cat "$task/stat" 2>/dev/null) || continue
    comm=${stat#*(}; comm=${comm%%)*}
    if ! read -r ns _ <"$task/schedstat" 2>/dev/null; then
      read -r -a fields <<<"${stat##*) }"
      ns=$(( (fields[11] + fields[12]) * 1000000000 / $(getconf CLK_TCK) ))  # utime + stime
    fi
    total=$((total + ns))
    case $comm in winepulse* | wine_mmdevapi*) ;; *) ours=$((ours + ns)) ;; esac
  done
  echo "$total $ours"
}
# cpu_share PID SECONDS: percent of one core PID uses over the next SECONDS: the whole
# process, then without Wine's sound threads.
cpu_share() {
  local before after
  before=$(cpu_ns "$1")
  sleep "$2"
  after=$(cpu_ns "$1")
  awk -v b="$before" -v a="$after" -v s="$2" \
    'BEGIN { split(b, x, " "); split(a, y, " ")
             printf "%.2f %.2f\n", 100 * (y[1] - x[1]) / 1e9 / s, 100 * (y[2] - x[2]) / 1e9 / s }'
}
# program_pid PROGRAM ARG: the process of the Windows PROGRAM started with ARG first.
program_pid() {
  local dir
  for dir in /proc/[0-9]*; do
    if tr '\0' ' ' 2>/dev/null <"$dir/cmdline" | grep -q "$(basename "$1") $2"; then
      echo "${dir#/proc/}"
      return
    fi
  done
  echo "$(basename "$1") process not found" >&2
  exit 1
}
# measure_cpu SECONDS PROGRAM ARGS...: percent of one core PROGRAM (a Windows program that
# prints "start 0" once it is running) uses over SECONDS, counted from 2 s after that line:
# the whole process, then without Wine's sound threads.
measure_cpu() {
  local seconds=$1 program=$2 pid share probe_pid
  shift 2
  wine "$program" "$@" >probe.out 2>&1 &
  probe_pid=$!
  for _ in $(seq 600); do grep -q '^start 0' probe.out 2>/dev/null && break; sleep 0.1; done
  grep -q '^start 0' probe.out || { echo "$(basename "$program") did not start: $(cat probe.out)" >&2; exit 1; }
  pid=$(program_pid "$program" "$1") || exit 1
  sleep 2
  share=$(cpu_share "$pid" "$seconds")
  wait "$probe_pid"
  echo "$share"
}
probe=$audio/capture_probe.exe
read -r recording recording_own < <(measure_cpu 60 "$probe" hold rec.mp3 64000)
read -r listening listening_own < <(measure_cpu 30 "$probe" hold-listener 34000)
echo "encoder.recording_cpu: $recording % of one core"
echo "encoder.listening_cpu: $listening % of one core"
# What recording costs beyond Wine's own capture: the encoder and the file. Counted on the
# threads other than Wine's sound threads (the same work in both runs), whose noise would
# otherwise be larger than the figure itself.
awk -v r="$recording_own" -v l="$listening_own" \
  'BEGIN { printf "encoder.recording_overhead_cpu: %.2f %% of one core\n", r - l }'
# For scale on this machine: the share of a core that encoding the recorded tone alone
# takes at real time (our encoder and native lame on the same 70 s), and what recording
# costs beyond Wine's capture and the encoder together: the engine's share. Each is the
# median of five runs, ours counted by the scheduler as the recording is: the recording's
# figure is a minute's average, and the best of a few short runs would set it beside the
# machine's quickest moments.
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# once_cpu_s: CPU seconds of encoding the tone in one go, from the stream's opening to its
# closing (the encoder program on cue, without Wine's start and exit).
once_cpu_s() {
  local line pid before after
  coproc once { wine "$audio/encoder_bench.exe" tone.raw once.mp3 on-cue 2>&1; }
  while read -r line <&"${once[0]}" && [[ $line != start* ]]; do :; done
  [[ $line == start* ]] || { echo "encoder_bench did not start" >&2; exit 1; }
  pid=$(program_pid "$audio/encoder_bench.exe" tone.raw) || exit 1
  read -r before _ < <(cpu_ns "$pid")
  echo >&"${once[1]}"
  while read -r line <&"${once[0]}" && [[ $line != done* ]]; do :; done
  [[ $line == done* ]] || { echo "encoder_bench failed to encode" >&2; exit 1; }
  read -r after _ < <(cpu_ns "$pid")
  echo >&"${once[1]}"
  wait "$once_PID"
  awk -v b="$before" -v a="$after" 'BEGIN { printf "%.4f\n", (a - b) / 1e9 }'
}
tone_s=$(for _ in 1 2 3 4 5; do once_cpu_s; done | median)
lame_tone_s=$(for _ in 1 2 3 4 5; do
  TIMEFORMAT='%U %S'
  { time lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m m -b 96 \
      tone.raw lame-tone.mp3 2>/dev/null; } 2>&1 | awk '{ print $1 + $2 }'
done | median)
awk -v t="$tone_s" 'BEGIN { printf "encoder.encoding_cpu: %.2f %% of one core\n", 100 * t / 70 }'
awk -v t="$lame_tone_s" 'BEGIN { printf "encoder.lame_cpu: %.2f %% of one core\n", 100 * t / 70 }'
awk -v r="$recording_own" -v l="$listening_own" -v t="$tone_s" \
  'BEGIN { printf "encoder.recording_beyond_encoding_cpu: %.2f %% of one core\n", r - l - 100 * t / 70 }'
# The same as a ratio, which the machine's speed and load move less: what recording costs
# beyond Wine's capture, over what the encoder alone costs on the same signal (1 would be the
# encoder and nothing else).
awk -v r="$recording_own" -v l="$listening_own" -v t="$tone_s" \
  'BEGIN { printf "encoder.overhead_vs_encoding: %.2f ratio\n", (r - l) / (100 * t / 70) }'
# Encoding as a recording must: a block every 100 ms. Each block finds the encoder's state
# gone from the caches and the core idle, so the same work costs more than in one go; this
# is the floor a recording stands on. Our encoder fed the tone at that pace (measured as the
# recording is), and native lame fed it by a pacer through a pipe.
read -r _ paced < <(measure_cpu 60 "$audio/encoder_bench.exe" tone.raw paced.mp3 real-time)
python3 -c '
import sys, time
data = open(sys.argv[1], "rb").read()
due = time.monotonic()
for at in range(0, len(data), 8820):
    sys.stdout.buffer.write(data[at:at + 8820])
    sys.stdout.flush()
    due += 0.1
    time.sleep(max(0.0, due - time.monotonic()))
' tone.raw | lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m m -b 96 \
    - lame-paced.mp3 &
lame_pid=$!
sleep 2
read -r lame_paced _ < <(cpu_share "$lame_pid" 60)
wait "$lame_pid"
echo "encoder.paced_encoding_cpu: $paced % of one core"
echo "encoder.lame_paced_cpu: $lame_paced % of one core"
# What recording costs beyond Wine's capture, over the encoder alone at the same pace (1 would
# be the encoder and nothing else).
awk -v r="$recording_own" -v l="$listening_own" -v p="$paced" \
  'BEGIN { printf "encoder.overhead_vs_paced_encoding: %.2f ratio\n", (r - l) / p }'
