# Unpacking a 50 MB update archive of 500 entries, beside native `unzip -q` of the same
# archive in the same run (best of three each), and the program's peak memory growth while
# it downloads, writes and unpacks that archive from the stand-in service (the archive is held
# in memory whole, so about its size is expected).
set -euo pipefail
build=$1
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$top/tests/standin/standin.sh"
standin_start
work=$(mktemp -d)
trap 'standin_stop; rm -rf "$work"' EXIT

python3 "$top/tests/service/update/make_archives.py" "$work" --large 50
archive=$work/large.zip
cp "$archive" "$QB_STANDIN_DIR/files/large.zip"
size_mb=$(awk -v b="$(stat -c %s "$archive")" 'BEGIN { printf "%.1f", b / 1048576 }')
winpath() { echo "Z:${1//\//\\}"; }
bench=$build/tests/service/update/update_bench.exe

best() { awk -v a="${1:-$2}" -v b="$2" 'BEGIN { print (b < a ? b : a) }'; }
unzip_best= ours_best=
for round in 1 2 3; do
  rm -rf "$work/native" "$work/ours"
  mkdir -p "$work/native" "$work/ours"
  start=$EPOCHREALTIME
  unzip -q "$archive" -d "$work/native"
  end=$EPOCHREALTIME
  unzip_best=$(best "$unzip_best" "$(awk -v a="${start/,/.}" -v b="${end/,/.}" 'BEGIN { printf "%.3f", b - a }')")
  ours=$(wine "$bench" unpack "$(winpath "$archive")" "$(winpath "$work/ours")" | tr -d '\r' | sed -n 's/^seconds=//p')
  [ -n "$ours" ] || { echo "unpacking failed" >&2; exit 1; }
  ours_best=$(best "$ours_best" "$ours")
done
diff -r "$work/native" "$work/ours" >/dev/null || { echo "unpacked trees differ" >&2; exit 1; }

rm -rf "$work/app"
mkdir -p "$work/app"
wine "$bench" download "http://$QB_STANDIN_HOST/files/large.zip" "$(winpath "$work/app")" | tr -d '\r' >"$work/download"
growth=$(sed -n 's/^peak_growth_mb=//p' "$work/download")
[ -n "$growth" ] || { echo "download failed" >&2; exit 1; }

echo "update.unpack_seconds: $ours_best s"
echo "update.unzip_seconds: $unzip_best s"
awk -v o="$ours_best" -v c="$unzip_best" 'BEGIN { printf "update.unpack_vs_unzip: %.2f ratio\n", o / c }'
echo "update.download_seconds: $(sed -n 's/^seconds=//p' "$work/download") s"
echo "update.archive_mb: $size_mb MB"
echo "update.peak_growth_mb: $growth MB"
