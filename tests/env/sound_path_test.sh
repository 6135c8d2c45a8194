#!/usr/bin/env bash
# Proves that sound flows both ways between Wine's winmm and the PulseAudio
# null sink of the test environment (scripts/testenv):
#   capture:  a tone played into the default sink reaches waveIn
#   playback: a tone played with waveOut reaches the sink's monitor
#
#   sound_path_test.sh PATH/TO/wave_probe.exe
#
# Needs wine, pactl, pacat/parec and sox, and a PulseAudio server whose
# default sink is "testsink".
set -uo pipefail

probe=${1:?usage: sound_path_test.sh PATH/TO/wave_probe.exe}
[ -f "$probe" ] || { echo "FAIL: no probe at $probe" >&2; exit 1; }
probe=$(cd "$(dirname "$probe")" && pwd -P)/$(basename "$probe")

wine=${WINE:-$(command -v wine || true)}
for tool in "$wine" pactl pacat parec sox; do
  [ -n "$tool" ] && command -v "$tool" >/dev/null ||
    { echo "FAIL: missing tool '${tool:-wine}'" >&2; exit 1; }
done
if ! pactl info >/dev/null 2>&1 || [ "$(pactl get-default-sink 2>/dev/null)" != testsink ]; then
  echo "FAIL: no PulseAudio server with default sink 'testsink' (run under scripts/testenv)" >&2
  exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/sound_path.XXXXXX") || exit 1
cd "$work" || exit 1
echo "work directory: $work"

background_pids=()
cleanup() {
  local pid
  for pid in "${background_pids[@]}"; do
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
}
trap cleanup EXIT

rate=44100

# Polls CONDITION (a command) every 50 ms until it succeeds or SECONDS pass.
# Gives up early when WATCH_PID (if given) has exited.
wait_for() {
  local seconds=$1 watch_pid=$2
  shift 2
  local deadline=$((SECONDS + seconds))
  while ((SECONDS <= deadline)); do
    "$@" && return 0
    if [ -n "$watch_pid" ] && ! kill -0 "$watch_pid" 2>/dev/null; then
      "$@"
      return
    fi
    sleep 0.05
  done
  return 1
}

# True when a running (uncorked) source output of application APP exists.
source_output_running() {
  pactl list source-outputs 2>/dev/null | awk -v app="$1" '
    /^Source Output #/ { if (corked == "no" && name == app) found = 1; corked = ""; name = "" }
    /^[ \t]*Corked:/ { corked = $2 }
    /application.name = / { v = $0; sub(/.*application.name = "/, "", v); sub(/"$/, "", v); name = v }
    END { if (corked == "no" && name == app) found = 1; exit !found }'
}

# Prints "FREQ RMS" of a WAV file: the frequency whose power, summed over all
# of sox's DFT windows, is the largest, and the RMS amplitude (full scale = 1).
analyse() {
  local file=$1 freq rms
  freq=$(sox "$file" -n stat -freq 2>&1 |
    awk 'NF == 2 && $1 ~ /^[0-9.]+$/ && $2 ~ /^[0-9.e+-]+$/ { p[$1] += $2 }
         END { best = -1; for (f in p) if (p[f] > best) { best = p[f]; bf = f }
               if (best < 0) exit 1; printf "%.1f\n", bf }') || return 1
  rms=$(sox "$file" -n stat 2>&1 | awk '/^RMS +amplitude:/ { print $3; found = 1 } END { exit !found }') ||
    return 1
  echo "$freq $rms"
}

# check_tone FILE EXPECTED_HZ MIN_RMS: the file's dominant frequency is within
# 3 % of EXPECTED_HZ and its RMS amplitude is at least MIN_RMS.
check_tone() {
  local file=$1 want=$2 min_rms=$3 result freq rms
  [ -s "$file" ] || { why="no recording in $file"; return 1; }
  result=$(analyse "$file") || { why="sox could not analyse $file"; return 1; }
  read -r freq rms <<<"$result"
  echo "  $file: dominant frequency $freq Hz, RMS amplitude $rms"
  if ! awk -v r="$rms" -v m="$min_rms" 'BEGIN { exit !(r >= m) }'; then
    why="level too low (RMS $rms < $min_rms): silence?"
    return 1
  fi
  if ! awk -v f="$freq" -v w="$want" 'BEGIN { d = f - w; if (d < 0) d = -d; exit !(d <= 0.03 * w) }'; then
    why="dominant frequency $freq Hz is not near $want Hz"
    return 1
  fi
  return 0
}

passed=0
failed=0
result() {  # NAME STATUS
  if [ "$2" = 0 ]; then
    echo "PASS: $1"
    passed=$((passed + 1))
  else
    echo "FAIL: $1: $why"
    failed=$((failed + 1))
  fi
}

# ---------------------------------------------------------------------------
# 1. Capture: waveIn records what is played into the default sink.
capture_check() {
  why=
  : >probe-record.out
  "$wine" "$probe" record cap.wav 3 >>probe-record.out 2>probe-record.err &
  local probe_pid=$!
  background_pids+=("$probe_pid")
  # The tone may only start once the probe is really capturing.
  if ! wait_for 60 "$probe_pid" grep -q '^recording' probe-record.out; then
    why="probe did not start recording: $(cat probe-record.err)"
    return 1
  fi
  if ! wait_for 10 "$probe_pid" source_output_running wave_probe.exe; then
    why="no running PulseAudio source output of wave_probe.exe"
    return 1
  fi
  # 2.5 s of 1 kHz into the default sink, while the probe records 3 s.
  if ! sox -q -n -t raw -r "$rate" -e signed -b 16 -c 1 - synth 2.5 sine 1000 vol 0.5 |
    pacat --playback --raw --rate="$rate" --channels=1 --format=s16le; then
    why="could not play the tone with pacat"
    return 1
  fi
  local rc=0
  wait "$probe_pid" || rc=$?
  if [ "$rc" != 0 ]; then
    why="probe exited with $rc: $(cat probe-record.err)"
    return 1
  fi
  check_tone cap.wav 1000 0.05
}

# ---------------------------------------------------------------------------
# 2. Playback: what waveOut plays arrives at the sink's monitor.
playback_check() {
  why=
  parec --device=testsink.monitor --raw --rate="$rate" --channels=1 --format=s16le \
    --client-name=sound_path_rec >play.raw 2>parec.err &
  local rec_pid=$!
  background_pids+=("$rec_pid")
  if ! wait_for 10 "$rec_pid" source_output_running sound_path_rec; then
    why="parec did not start recording: $(cat parec.err)"
    return 1
  fi
  local rc=0
  "$wine" "$probe" play 440 2 >probe-play.out 2>probe-play.err || rc=$?
  # Stop the recorder; it flushes what it has on SIGTERM.
  kill "$rec_pid" 2>/dev/null
  wait "$rec_pid" 2>/dev/null
  if [ "$rc" != 0 ]; then
    why="probe exited with $rc: $(cat probe-play.err)"
    return 1
  fi
  if [ ! -s play.raw ]; then
    why="parec recorded nothing: $(cat parec.err)"
    return 1
  fi
  sox -q -t raw -r "$rate" -e signed -b 16 -c 1 play.raw play.wav || {
    why="could not convert play.raw"
    return 1
  }
  check_tone play.wav 440 0.05
}

capture_check
result "capture: 1 kHz tone from the default sink reaches waveIn" $?
playback_check
result "playback: 440 Hz from waveOut reaches testsink.monitor" $?

echo "$passed passed, $failed failed"
if [ "$failed" = 0 ]; then
  rm -rf "$work"
  exit 0
fi
echo "recordings kept in $work"
exit 1
