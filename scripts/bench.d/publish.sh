# Publication of a two-hour clip through the real program against the stand-in service:
#   dialog_ms: from OK pressed in the publication dialog to the "Publishing..." dialog shown,
#     the local copy of the clip made in between (best of 3 in one program run);
#   copy_ms: the program's local copy of the same file alone (best of 3), on a tmpfs, where
#     the flush to disk that the program does costs nothing;
#   cp_ms: native cp of the same file followed by sync of the copy, on the same tmpfs in the
#     same run (best of 3);
#   copy_vs_cp: copy_ms / cp_ms;
#   copy_disk_ms, disk_flush_ms: on the disk the recordings are on, the program's copy, and
#     what the flush alone costs there (sync of a fresh cp copy, best of 3).
set -euo pipefail
build=$1
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
bench=$build/tests/e2e/publish_bench.exe
[ -f "$bench" ] || { echo "no $bench: build first" >&2; exit 1; }
source "$top/tests/standin/standin.sh"
standin_start
trap standin_stop EXIT
echo lean >"$QB_STANDIN_DIR/behaviour"  # no parsing or storing: the service only counts

# Silent frames in the recording format (44100 Hz mono, 96 kbit/s, padded as an encoder
# pads), just under the two hours that Open allows.
clip=$QB_STANDIN_DIR/files/two_hours.mp3
python3 - "$clip" <<'PY'
import sys
frames = 7190000 * 44100 // 1152 // 1000 + 1
out, remainder = bytearray(), 0
for _ in range(frames):
    remainder += 144 * 96000 % 44100
    padded = remainder >= 44100
    if padded:
        remainder -= 44100
    frame = bytearray(144 * 96000 // 44100 + (1 if padded else 0))
    frame[0:4] = bytes([0xFF, 0xFB, 0x72 if padded else 0x70, 0xC0])
    out += frame
open(sys.argv[1], "wb").write(out)
PY

ms_since() { awk -v a="${1/,/.}" -v b="${EPOCHREALTIME/,/.}" 'BEGIN { printf "%.1f", (b - a) * 1000 }'; }
least() { awk -v a="${1:-$2}" -v b="$2" 'BEGIN { print (b < a ? b : a) }'; }
winpath() { echo "Z:${1//\//\\}"; }
shm=$(mktemp -d /dev/shm/bench_publish.XXXXXX)
trap 'standin_stop; rm -rf "$shm"' EXIT
cp "$clip" "$shm/clip.mp3"

cp_best= flush_best=
for round in 1 2 3; do
  start=$EPOCHREALTIME
  cp "$shm/clip.mp3" "$shm/copy.mp3"
  sync "$shm/copy.mp3"
  cp_best=$(least "$cp_best" "$(ms_since "$start")")
  rm -f "$shm/copy.mp3"
  # The flush alone on the disk: a fresh copy, then its sync timed.
  cp "$clip" "$QB_STANDIN_DIR/files/copy.mp3"
  start=$EPOCHREALTIME
  sync "$QB_STANDIN_DIR/files/copy.mp3"
  flush_best=$(least "$flush_best" "$(ms_since "$start")")
  rm -f "$QB_STANDIN_DIR/files/copy.mp3"
done

wine "$bench" copy "$(winpath "$shm/clip.mp3")" "$(winpath "$shm/copy.mp3")" | tr -d '\r' |
  sed -n 's/^copy_ms=//p' >"$QB_STANDIN_DIR/copy_tmpfs"
wine "$bench" copy "$(winpath "$clip")" "$(winpath "$QB_STANDIN_DIR/files/copy.mp3")" | tr -d '\r' |
  sed -n 's/^copy_ms=//p' >"$QB_STANDIN_DIR/copy_disk"
wine "$bench" "$(winpath "$clip")" | tr -d '\r' >"$QB_STANDIN_DIR/ours"
dialog_ms=$(sed -n 's/^dialog_ms=//p' "$QB_STANDIN_DIR/ours")
copy_ms=$(cat "$QB_STANDIN_DIR/copy_tmpfs")
copy_disk_ms=$(cat "$QB_STANDIN_DIR/copy_disk")
[ -n "$dialog_ms" ] && [ -n "$copy_ms" ] && [ -n "$copy_disk_ms" ] || { echo "publish_bench gave no figure" >&2; exit 1; }
echo "publish.dialog_ms: $dialog_ms ms"
echo "publish.copy_ms: $copy_ms ms"
echo "publish.cp_ms: $cp_best ms"
awk -v o="$copy_ms" -v c="$cp_best" 'BEGIN { printf "publish.copy_vs_cp: %.2f ratio\n", o / c }'
echo "publish.copy_disk_ms: $copy_disk_ms ms"
echo "publish.disk_flush_ms: $flush_best ms"
