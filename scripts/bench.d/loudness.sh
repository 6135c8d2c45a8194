# Loudness of a two-hour 96 kbit/s speech-like clip, made here:
#   measure: our measurement (decoding with our decoder, libebur128 with true peak) beside
#     native `ffmpeg -af ebur128=peak=true` on the same file, best of 3 each, and how far
#     our integrated loudness and true peak lie from ffmpeg's;
#   even_out: writing the evened-out copy (flushed), beside the join of the same clip with
#     a 10-second part (JoinClips, flushed), best of 3 each.
set -euo pipefail
build=$1
probe=$build/tests/audio/loudness_probe.exe
join=$build/tests/e2e/commands_bench.exe
for f in "$probe" "$join"; do [ -f "$f" ] || { echo "no $f: build first" >&2; exit 1; }; done
work=$build/bench-loudness
mkdir -p "$work"
cd "$work"
win() { echo "Z:${1//\//\\}"; }

# Minutes without an Info frame (-t), with a CRC in every frame, so that copies join.
if [ ! -f two_hours.mp3 ] || [ ! -f part.mp3 ]; then
  sox -R -q -n -r 44100 -c 1 minute.wav synth 59.9 pinknoise sinc 200-4000 tremolo 4 90 vol 0.4
  lame --quiet -t -b 96 -m m -p minute.wav minute.mp3
  for _ in $(seq 120); do cat minute.mp3; done >two_hours.mp3
  sox -R -q -n -r 44100 -c 1 part.wav synth 10 sine 440 vol 0.3
  lame --quiet -t -b 96 -m m -p part.wav part.mp3
  rm -f minute.wav minute.mp3 part.wav
fi

best() { sort -g | head -n1; }
ms_since() { awk -v a="${1/,/.}" -v b="${EPOCHREALTIME/,/.}" 'BEGIN { printf "%.0f", (b - a) * 1000 }'; }

ours=() ffmpeg_ms=()
for _ in 1 2 3; do
  read -r integrated _ peak ms < <(wine "$probe" measure "$(win "$work/two_hours.mp3")" | tr -d '\r')
  ours+=("$ms")
  start=$EPOCHREALTIME
  ffmpeg -nostdin -nostats -hide_banner -i two_hours.mp3 \
    -af ebur128=peak=true:metadata=1,ametadata=print:key=lavfi.r128.I:file=meta_i.txt,ametadata=print:key=lavfi.r128.true_peak:file=meta_p.txt \
    -f null - 2>/dev/null
  ffmpeg_ms+=("$(ms_since "$start")")
done
ff_integrated=$(grep -o 'lavfi.r128.I=.*' meta_i.txt | tail -n1 | cut -d= -f2)
ff_peak=$(grep -o 'lavfi.r128.true_peak=.*' meta_p.txt | tail -n1 | cut -d= -f2)
rm -f meta_i.txt meta_p.txt
measure_ms=$(printf '%s\n' "${ours[@]}" | best)
measure_ffmpeg_ms=$(printf '%s\n' "${ffmpeg_ms[@]}" | best)

even_ms=() join_ms=()
for _ in 1 2 3; do
  rm -f evened.mp3 joined.mp3 earlier.mp3 new_part.mp3
  sync
  even_ms+=("$(wine "$probe" write "$(win "$work/two_hours.mp3")" "$(win "$work/evened.mp3")" 3 | tr -d '\r')")
  [ "$(stat -c %s evened.mp3)" = "$(stat -c %s two_hours.mp3)" ] || { echo "the evened-out clip differs in size" >&2; exit 1; }
  cp two_hours.mp3 earlier.mp3
  cp part.mp3 new_part.mp3
  sync
  join_ms+=("$(wine "$join" join "$(win "$work/earlier.mp3")" "$(win "$work/new_part.mp3")" "$(win "$work/joined.mp3")" \
    7200000 | tr -d '\r' | awk '$1 == "join_ms" { print $2 }')")
done
rm -f evened.mp3 joined.mp3 earlier.mp3 new_part.mp3
even_out_ms=$(printf '%s\n' "${even_ms[@]}" | best)
join_best=$(printf '%s\n' "${join_ms[@]}" | best)

echo "loudness.measure_ms: $measure_ms ms"
echo "loudness.measure_ffmpeg_ms: $measure_ffmpeg_ms ms"
awk -v a="$measure_ms" -v b="$measure_ffmpeg_ms" 'BEGIN { printf "loudness.measure_vs_ffmpeg: %.2f (at most 1.0)\n", a / b }'
awk -v a="$integrated" -v b="$ff_integrated" 'BEGIN { d = a - b; printf "loudness.integrated_vs_ffmpeg: %.3f LU (%s beside %s LUFS, within 0.1)\n", (d < 0 ? -d : d), a, b }'
awk -v a="$peak" -v b="$ff_peak" 'BEGIN { d = a - 20 * log(b) / log(10); printf "loudness.true_peak_vs_ffmpeg: %.3f dB (%s beside %.3f dBTP, within 0.2)\n", (d < 0 ? -d : d), a, 20 * log(b) / log(10) }'
echo "loudness.even_out_ms: $even_out_ms ms"
echo "loudness.join_ms: $join_best ms"
awk -v a="$even_out_ms" -v b="$join_best" 'BEGIN { printf "loudness.even_out_vs_join: %.2f (at most 2)\n", a / b }'
