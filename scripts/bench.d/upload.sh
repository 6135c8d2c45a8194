# Publication of a 200 MB episode to the stand-in service on loopback, beside native curl
# sending the same form in the same run (best of three each), and the program's peak memory
# growth during the upload (the file is streamed, never loaded).
set -euo pipefail
build=$1
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$top/tests/standin/standin.sh"
standin_start
trap standin_stop EXIT
echo lean >"$QB_STANDIN_DIR/behaviour"  # no parsing or storing: the service only counts

episode=$QB_STANDIN_DIR/files/episode.mp3
head -c $((200 * 1024 * 1024)) /dev/urandom >"$episode"
size=$(stat -c %s "$episode")
windows_episode="Z:${episode//\//\\}"

native_upload() {
  local start end
  start=$EPOCHREALTIME
  curl -sS --noproxy '*' -A QuillbankRecorder/2.08 -o "$QB_STANDIN_DIR/curl-reply" \
    -F request_type=2 -F login_name=morning -F password=secret-morning-7 \
    -F audio_software_version=2 -F audio_software_version_ex=2.08 -F podcast_id=12 \
    -F title=Benchmark -F "description=A long episode" -F crc=NO-CRC -F adv_spot=90000,1200000 \
    -F "audio_file_name=$windows_episode" -F "audio_file_size=$size" \
    -F "audio_file=@$episode;type=audio/mpeg" "http://$QB_STANDIN_HOST/publish.php"
  end=$EPOCHREALTIME
  grep -q '^OK' "$QB_STANDIN_DIR/curl-reply" || { echo "curl upload refused" >&2; return 1; }
  awk -v a="${start/,/.}" -v b="${end/,/.}" 'BEGIN { printf "%.3f\n", b - a }'
}

program_upload() {  # prints seconds and peak growth
  wine "$build/tests/service/request/upload_bench.exe" "$QB_STANDIN_HOST" "$windows_episode" | tr -d '\r' >"$QB_STANDIN_DIR/ours"
  echo "$(sed -n 's/^seconds=//p' "$QB_STANDIN_DIR/ours") $(sed -n 's/^peak_growth_mb=//p' "$QB_STANDIN_DIR/ours")"
}

curl_best= ours_best= growth_max=0
for round in 1 2 3; do
  c=$(native_upload)
  read -r o g < <(program_upload)
  curl_best=$(awk -v a="${curl_best:-$c}" -v b="$c" 'BEGIN { print (b < a ? b : a) }')
  ours_best=$(awk -v a="${ours_best:-$o}" -v b="$o" 'BEGIN { print (b < a ? b : a) }')
  growth_max=$(awk -v a="$growth_max" -v b="$g" 'BEGIN { print (b > a ? b : a) }')
done
echo "upload.seconds: $ours_best s"
echo "upload.curl_seconds: $curl_best s"
awk -v o="$ours_best" -v c="$curl_best" 'BEGIN { printf "upload.vs_curl: %.2f ratio\n", o / c }'
echo "upload.peak_growth_mb: $growth_max MB"
