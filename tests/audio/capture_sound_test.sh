#!/usr/bin/env bash
# Sound tests of SoundRecorder and LevelListener on the real sound path of the test
# environment (scripts/testenv): what is played into the null sink is what wave-in
# captures. The MP3 files are checked with independent tools (ffprobe, mpg123, sox, and
# mp3_frames.py for the frame headers).
#
#   capture_sound_test.sh PATH/TO/capture_probe.exe CASE
#
# CASE: tone | listener | stop_partial | kill | no_device | bad_target | no_library
set -uo pipefail

probe=${1:?usage: capture_sound_test.sh PROBE CASE}
case_name=${2:?usage: capture_sound_test.sh PROBE CASE}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
probe=$(cd "$(dirname "$probe")" && pwd -P)/$(basename "$probe")
rate=44100
tone_hz=997  # not a divisor of the block rate, so block starts fall on varying phases

for tool in wine pactl pacat sox ffprobe mpg123 python3; do
  command -v "$tool" >/dev/null || { echo "FAIL: missing tool $tool"; exit 1; }
done
[ "$(pactl get-default-source 2>/dev/null)" = testsink.monitor ] ||
  { echo "FAIL: run under scripts/testenv (no default source testsink.monitor)"; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/capture_sound.XXXXXX") || exit 1
cd "$work" || exit 1
background=()
restore=:  # what a case changed in the shared sound server, undone on any exit
cleanup() {
  local pid
  for pid in "${background[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  "$restore"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; echo "files kept in $work"; trap - EXIT; cleanup; exit 1; }
pass() { echo "PASS: $case_name"; rm -rf "$work"; exit 0; }

# Polls a command every 50 ms for up to SECONDS.
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  while ((SECONDS <= deadline)); do "$@" && return 0; sleep 0.05; done
  return 1
}

# The null sink renders in large chunks unless some client asks for low latency; a silent
# low-latency stream keeps the captured sound flowing in step with the clock.
keep_sink_running() {
  pacat --playback --raw --rate=$rate --channels=1 --format=s16le --latency-msec=20 \
    --client-name=keepalive </dev/zero &
  background+=($!)
  wait_for 10 sink_input_of keepalive || fail "keep-alive stream did not start"
}
sink_input_of() { pactl list sink-inputs 2>/dev/null | grep -q "application.name = \"$1\""; }
# True when the probe's own capture stream runs (uncorked) in the sound server.
capturing() {
  pactl list source-outputs 2>/dev/null | awk '
    /^Source Output #/ { if (corked == "no" && name == "capture_probe.exe") found = 1; corked = name = "" }
    /^[ \t]*Corked:/ { corked = $2 }
    /application.name = / { v = $0; sub(/.*application.name = "/, "", v); sub(/"$/, "", v); name = v }
    END { if (corked == "no" && name == "capture_probe.exe") found = 1; exit !found }'
}

# play ARGS...: sox synthesis arguments, played into the sink. The sound is made first and
# played with room for 200 ms, so that a busy machine cannot starve the stream into a gap
# that the capture would rightly report as silence in the middle of the tone.
play() {
  sox -q -n -t raw -r $rate -e signed -b 16 -c 1 played.raw "$@" || fail "sox could not make $*"
  pacat --playback --raw --rate=$rate --channels=1 --format=s16le --latency-msec=200 played.raw ||
    fail "could not play $*"
}

# A tone in the background for as long as the case runs.
play_tone_throughout() {
  sox -q -n -t raw -r $rate -e signed -b 16 -c 1 throughout.raw synth 60 sine $tone_hz vol 0.5 ||
    fail "sox could not make the tone"
  pacat --playback --raw --rate=$rate --channels=1 --format=s16le --latency-msec=200 throughout.raw &
  background+=($!)
}

# value KEY FILE: the value of the line "KEY value".
value() { awk -v k="$1" '$1 == k { print $2; exit }' "$2"; }

# Starts the probe in the background with ARGS, waits for its start line, and for the
# capture stream to run when it started.
start_probe() {
  wine "$probe" "$@" >probe.out 2>probe.err &
  probe_pid=$!
  background+=($probe_pid)
  wait_for 60 grep -qs '^start ' probe.out || fail "probe did not start: $(cat probe.err)"
  [ "$(value start probe.out)" = 0 ] || fail "Start returned $(value start probe.out)"
  wait_for 10 capturing || fail "no capture stream in PulseAudio"
}
finish_probe() {
  wait "$probe_pid" || fail "probe exited with $?: $(cat probe.err)"
  [ "$(value stop probe.out)" = 0 ] || fail "Stop returned $(value stop probe.out)"
}

# check_format FILE [--allow-truncated-end]: the frame walk and ffprobe agree on the
# recording format.
check_format() {
  python3 "$here/mp3_frames.py" "$@" >frames.txt || fail "$(cat frames.txt)"
  local bps
  bps=$(value bytes_per_second frames.txt)
  # 12000 bytes per second, within one frame (314 bytes) over the whole file.
  awk -v b="$(value bytes frames.txt)" -v s="$(value seconds frames.txt)" \
    'BEGIN { d = b - 12000 * s; exit !(d < 314 && d > -314) }' ||
    fail "$bps bytes per second, not 12000"
  local probe_line
  probe_line=$(ffprobe -v error -select_streams a:0 -show_entries \
    stream=codec_name,sample_rate,channels,bit_rate -of csv=p=0 "$1") || fail "ffprobe failed on $1"
  [ "$probe_line" = "mp3,44100,1,96000" ] || fail "ffprobe reports $probe_line"
  echo "  format ok: $(tr '\n' ' ' <frames.txt)"
}

# decode FILE WAV: ffmpeg and mpg123 decode it without complaint.
decode() {
  local errors
  errors=$(ffmpeg -nostdin -v error -i "$1" -f null - 2>&1) || fail "ffmpeg failed: $errors"
  [ -z "$errors" ] || fail "ffmpeg: $errors"
  mpg123 -q -w "$2" "$1" 2>decode.err || fail "mpg123 failed: $(cat decode.err)"
  ! grep -qi 'error\|illegal\|bad' decode.err || fail "mpg123: $(cat decode.err)"
}

# block_levels WAV: the peak of each 100 ms window, one per line, full scale = 32768.
block_levels() {
  python3 - "$1" <<'PY'
import sys, wave, array
w = wave.open(sys.argv[1]); a = array.array('h', w.readframes(w.getnframes()))
for i in range(0, len(a), 4410):
    print(max(abs(x) for x in a[i:i + 4410]))
PY
}

# check_tone_then_silence WAV: a stretch of >= 1.8 s of tone (997 Hz, about half scale),
# then >= 0.5 s of silence, in the decoded recording.
check_tone_then_silence() {
  block_levels "$1" >peaks.txt
  read -r first last < <(awk '$1 > 8000 { if (!f) f = NR; l = NR } END { print f + 0, l + 0 }' peaks.txt)
  ((first > 0 && last - first + 1 >= 18)) || fail "no 1.8 s of tone (peaks: $(tr '\n' ' ' <peaks.txt))"
  awk -v a="$first" -v b="$last" 'NR > a && NR < b && ($1 < 12000 || $1 > 20000) { exit 1 }' peaks.txt ||
    fail "tone level not about half scale (peaks: $(tr '\n' ' ' <peaks.txt))"
  local quiet
  quiet=$(awk -v l="$last" 'NR > l + 1 && $1 <= 30 { n++ } END { print n + 0 }' peaks.txt)
  ((quiet >= 5)) || fail "no silence after the tone (peaks: $(tr '\n' ' ' <peaks.txt))"
  awk -v l="$last" 'NR > l + 1 && $1 > 30 { exit 1 }' peaks.txt || fail "noise after the tone"
  sox "$1" tone.wav trim "$(awk -v a="$first" 'BEGIN { print a / 10 }')" \
    "$(awk -v a="$first" -v b="$last" 'BEGIN { print (b - a - 1) / 10 }')" || fail "sox trim"
  local freq
  freq=$(sox tone.wav -n stat -freq 2>&1 | awk 'NF == 2 && $1 ~ /^[0-9.]+$/ { p[$1] += $2 }
    END { for (f in p) if (p[f] > best) { best = p[f]; bf = f }; print bf + 0 }')
  awk -v f="$freq" -v w=$tone_hz 'BEGIN { d = f - w; exit !(d < 0.02 * w && d > -0.02 * w) }' ||
    fail "dominant frequency $freq Hz, not $tone_hz"
  echo "  tone: blocks $first..$last, $freq Hz; silence after it"
}

# check_levels: the level samples the probe printed are non-zero through the tone and 0 in
# the silence after it. The sound server's mixing leaves stray +-1 samples in the silence
# after a stream ends, so there the level may be 1 but mostly is 0.
check_levels() {
  awk '$1 == "level" { v = $3 < 0 ? -$3 : $3; print v }' probe.out >levels.txt
  read -r first last < <(awk '$1 > 1 { if (!f) f = NR; l = NR } END { print f + 0, l + 0 }' levels.txt)
  # samples every 20 ms: a tone of 2 s gives about 100 of them
  ((first > 0 && last - first >= 75)) || fail "level not non-zero through the tone"
  awk -v a="$first" -v b="$last" 'NR >= a && NR <= b && $1 == 0 { exit 1 }' levels.txt ||
    fail "level 0 in the middle of the tone"
  local zeros after
  read -r zeros after < <(awk -v l="$last" 'NR > l { n++; if ($1 == 0) z++ } END { print z + 0, n + 0 }' levels.txt)
  ((after >= 20 && zeros * 2 >= after)) || fail "level not 0 in the silence after the tone"
  echo "  levels: non-zero for $((last - first + 1)) samples, then $zeros of $after are 0, none above 1"
}

# A 2 s tone and 1 s of silence, recorded: format, content and level samples.
case_tone() {
  keep_sink_running
  start_probe record tone.mp3 5000
  play synth 2 sine $tone_hz vol 0.5 pad 0 1
  finish_probe
  check_format tone.mp3
  decode tone.mp3 tone-decoded.wav
  check_tone_then_silence tone-decoded.wav
  check_levels
}

case_listener() {
  keep_sink_running
  start_probe listen 5000
  play synth 2 sine $tone_hz vol 0.5 pad 0 1
  finish_probe
  check_levels
}

# Stop in the middle of a block: the file holds the time recorded, within one block
# (100 ms), plus the encoder's own delay and padding (two frames). The sound server may
# start late and then deliver a burst of blocks at once, so the time recorded lies
# between "from the first block's arrival (seen within 20 ms), which held 100 ms
# already" and "from Start".
case_stop_partial() {
  keep_sink_running
  wine "$probe" listen 500 >/dev/null 2>&1  # the first capture of a prefix starts late
  play_tone_throughout
  start_probe record partial.mp3 2550
  finish_probe
  check_format partial.mp3
  local since_start since_first first seconds
  first=$(value first_block_ms probe.out)
  ((first >= 0)) || fail "no block arrived"
  since_start=$(value recorded_ms probe.out)
  since_first=$((since_start - first + 100))
  seconds=$(value seconds frames.txt)
  awk -v a="$since_first" -v b="$since_start" -v s="$seconds" \
    'BEGIN { ms = s * 1000; exit !(ms > a - 120 && ms < b + 152) }' ||
    fail "file holds $seconds s, recorded for $since_first to $since_start ms"
  echo "  recorded $since_first to $since_start ms, file $seconds s"
}

# The recording process is killed: the file decodes and holds all but the last 0.3 s.
case_kill() {
  keep_sink_running
  wine "$probe" listen 500 >/dev/null 2>&1
  play_tone_throughout
  wine "$probe" kill killed.mp3 3000 >probe.out 2>probe.err || fail "probe failed: $(cat probe.err)"
  check_format killed.mp3 --allow-truncated-end
  decode killed.mp3 killed.wav
  local killed seconds
  # the first block held 100 ms when it arrived
  killed=$(($(value killed_after_ms probe.out) + 100))
  seconds=$(value seconds frames.txt)
  awk -v k="$killed" -v s="$seconds" 'BEGIN { exit !(s * 1000 >= k - 300) }' ||
    fail "file holds $seconds s of $killed ms recorded"
  echo "  killed after $killed ms, file holds $seconds s"
}

# retry_probe EXPECTED_CODE TARGET: Start fails with the code, creates no file and leaks
# nothing; once remedy (a function) has run, recording works in the same process.
retry_probe() {
  local expected=$1 target=$2 remedy=$3 exe=${4:-$probe}
  wine "$exe" retry "$target" go 2000 >probe.out 2>probe.err &
  probe_pid=$!
  background+=($probe_pid)
  wait_for 60 grep -qs '^file_exists' probe.out || fail "probe: $(cat probe.out probe.err)"
  [ "$(value start probe.out)" = "$expected" ] || fail "Start returned $(value start probe.out), not $expected"
  [ "$(value file_exists probe.out)" = 0 ] || fail "a failed Start left a file"
  # ten failed Starts: one leaked handle or thread each would show as ten
  local what n
  for what in handles threads; do
    n=$(value leaked_$what probe.out)
    ((n <= 2 && n >= -2)) || fail "ten failed Starts changed the $what by $n"
  done
  "$remedy"
  touch go
  wait "$probe_pid" || fail "recording after the remedy failed: $(grep -v level probe.out) $(cat probe.err)"
  [ "$(awk '$1 == "start" { c = $2 } END { print c }' probe.out)" = 0 ] || fail "later Start failed"
  [ "$(value stop probe.out)" = 0 ] || fail "Stop returned $(value stop probe.out)"
  python3 "$here/mp3_frames.py" "$(cat target.unix)" >frames.txt || fail "$(cat frames.txt)"
  (($(value frames frames.txt) > 0)) || fail "the later recording is empty"
  echo "  failed with $expected, then recorded $(value seconds frames.txt) s"
}

restore_sink() {
  pactl load-module module-null-sink sink_name=testsink rate=44100 channels=2 >/dev/null &&
    pactl set-default-sink testsink && pactl set-default-source testsink.monitor ||
    fail "could not restore the null sink"
  keep_sink_running
}

case_no_device() {
  local module
  module=$(pactl list short modules | awk '$2 == "module-null-sink" { print $1; exit }')
  [ -n "$module" ] || fail "no null sink module"
  pactl unload-module "$module" || fail "could not remove the null sink"
  restore=restore_sink_quietly
  echo "$work/out.mp3" >target.unix
  retry_probe -1 out.mp3 restore_sink
}
restore_sink_quietly() {
  pactl list short sinks | grep -q testsink ||
    { pactl load-module module-null-sink sink_name=testsink rate=44100 channels=2 &&
      pactl set-default-sink testsink && pactl set-default-source testsink.monitor; } >/dev/null 2>&1
}

case_bad_target() {
  # The tests run as root, who may write into any folder: a path below a file is one
  # that nobody can create.
  : >not-a-folder
  keep_sink_running
  echo "$work/not-a-folder/out.mp3" >target.unix
  retry_probe -4 'not-a-folder\out.mp3' replace_file_by_folder
}
replace_file_by_folder() { rm -f not-a-folder && mkdir not-a-folder; }

put_library_back() { cp "$(dirname "$probe")/lame_enc.dll" alone/; }

case_no_library() {
  mkdir alone && cp "$probe" alone/ || fail "cannot copy the probe"
  keep_sink_running
  echo "$work/out.mp3" >target.unix
  retry_probe -4 out.mp3 put_library_back alone/"$(basename "$probe")"
}

case "$case_name" in
  tone | listener | stop_partial | kill | no_device | bad_target | no_library) "case_$case_name" ;;
  *) fail "unknown case $case_name" ;;
esac
pass
