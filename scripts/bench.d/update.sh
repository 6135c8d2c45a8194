# Unpacking a 50 MB update archive of 500 entries, beside native `unzip -q` of the same
# archive in the same run (best of four each, taking turns at going first), and the program's
# peak memory growth while it downloads, writes and unpacks that archive from the stand-in
# service (the archive is held in memory whole, so about its size is expected). The check of
# that archive's Ed25519 signature with its version (the archive's SHA-512 signed after the
# version, as the service signs it), in memory, beside `openssl pkeyutl -verify -rawin` of the
# archive's bytes alone with the same key (best of three each; openssl's time is its whole
# run, reading the file included, as a user would run it), and beside the same check against
# the same libcrypto built natively for 32-bit x86 (scripts/bench-native32 verify), in memory
# too: the 64-bit openssl hashes with 64-bit registers and wider instructions, which no 32-bit
# program has, so only the second says what Wine and our code cost (two calls of each, taking
# turns, best of three checks a call).
set -euo pipefail
build=$1
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
native32=$("$top/scripts/bench-native32" "$build" verify | tail -n1) || {
  echo "update: the native 32-bit signature check could not be built (the reason is above)" >&2
  exit 1
}
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
native_run() {
  local start end
  start=$EPOCHREALTIME
  unzip -q "$archive" -d "$work/native"
  end=$EPOCHREALTIME
  unzip_best=$(best "$unzip_best" "$(awk -v a="${start/,/.}" -v b="${end/,/.}" 'BEGIN { printf "%.3f", b - a }')")
}
our_run() {
  local ours
  ours=$(wine "$bench" unpack "$(winpath "$archive")" "$(winpath "$work/ours")" | tr -d '\r' | sed -n 's/^seconds=//p')
  [ -n "$ours" ] || { echo "unpacking failed" >&2; exit 1; }
  ours_best=$(best "$ours_best" "$ours")
}
# The two take turns at going first: the second of a pair pays for the 50 MB the first left
# in memory, and measured up to 1.6 times as long as when it went first, even on a tmpfs.
for round in 1 2 3 4; do
  rm -rf "$work/native" "$work/ours"
  mkdir -p "$work/native" "$work/ours"
  if [ $((round % 2)) = 1 ]; then native_run; our_run; else our_run; native_run; fi
done
diff -r "$work/native" "$work/ours" >/dev/null || { echo "unpacked trees differ" >&2; exit 1; }

# A key pair of the benchmark's own: the signature of version 2.9 with the archive as the service
# sends it (base64) for us and raw for the native check, the archive's alone raw for openssl,
# and the public key as 64 hex digits, raw and as openssl's PEM.
version=2.9
php -r '
  $pair = sodium_crypto_sign_keypair();
  $archive = file_get_contents($argv[1]);
  $secret = sodium_crypto_sign_secretkey($pair);
  $ours = sodium_crypto_sign_detached($argv[3] . "\n" . hash("sha512", $archive, true), $secret);
  $signature = sodium_crypto_sign_detached($archive, $secret);
  $public = sodium_crypto_sign_publickey($pair);
  file_put_contents($argv[2] . "/signature.b64", base64_encode($ours));
  file_put_contents($argv[2] . "/signature-ours.bin", $ours);
  file_put_contents($argv[2] . "/signature.bin", $signature);
  file_put_contents($argv[2] . "/key.hex", bin2hex($public));
  file_put_contents($argv[2] . "/key.bin", $public);
  $der = hex2bin("302a300506032b6570032100") . $public;  // SubjectPublicKeyInfo of an Ed25519 key
  file_put_contents($argv[2] . "/key.pem",
      "-----BEGIN PUBLIC KEY-----\n" . chunk_split(base64_encode($der), 64, "\n") . "-----END PUBLIC KEY-----\n");
' "$archive" "$work" "$version"
verify_ms= native32_ms=
our_verify() {
  local ms
  ms=$(wine "$bench" verify "$(winpath "$archive")" "$version" "$(winpath "$work/signature.b64")" \
    "$(winpath "$work/key.hex")" | tr -d '\r' | sed -n 's/^ms=//p')
  [ -n "$ms" ] || { echo "the signature check failed" >&2; exit 1; }
  verify_ms=$(best "$verify_ms" "$ms")
}
native32_verify() {
  local ms
  ms=$("$native32/update_verify_native32" "$archive" "$version" "$work/signature-ours.bin" "$work/key.bin" |
    sed -n 's/^ms=//p')
  [ -n "$ms" ] || { echo "the native 32-bit signature check failed" >&2; exit 1; }
  native32_ms=$(best "$native32_ms" "$ms")
}
our_verify; native32_verify
native32_verify; our_verify
openssl_best=
for round in 1 2 3; do
  start=$EPOCHREALTIME
  openssl pkeyutl -verify -rawin -pubin -inkey "$work/key.pem" -in "$archive" -sigfile "$work/signature.bin" >/dev/null
  end=$EPOCHREALTIME
  openssl_best=$(best "$openssl_best" "$(awk -v a="${start/,/.}" -v b="${end/,/.}" 'BEGIN { printf "%.1f", (b - a) * 1000 }')")
done

# The download with the signature the stand-in sends, when it signs for the program's key.
rm -rf "$work/app"
mkdir -p "$work/app"
signing=$(sed -n 's/^QB_UPDATE_SIGNING_KEY_FILE:FILEPATH=//p' "$build/CMakeCache.txt")
signature=()
if [ -n "$signing" ]; then
  signature=("$version" "$(php -r 'echo base64_encode(sodium_crypto_sign_detached(
    $argv[3] . "\n" . hash("sha512", file_get_contents($argv[1]), true), hex2bin(trim(file_get_contents($argv[2])))));' \
    "$archive" "$signing" "$version")")
fi
wine "$bench" download "http://$QB_STANDIN_HOST/files/large.zip" "$(winpath "$work/app")" "${signature[@]}" |
  tr -d '\r' >"$work/download"
growth=$(sed -n 's/^peak_growth_mb=//p' "$work/download")
[ -n "$growth" ] || { echo "download failed" >&2; exit 1; }

echo "update.unpack_seconds: $ours_best s"
echo "update.unzip_seconds: $unzip_best s"
awk -v o="$ours_best" -v c="$unzip_best" 'BEGIN { printf "update.unpack_vs_unzip: %.2f ratio\n", o / c }'
echo "update.download_seconds: $(sed -n 's/^seconds=//p' "$work/download") s"
echo "update.archive_mb: $size_mb MB"
echo "update.peak_growth_mb: $growth MB"
echo "update.verify_ms: $verify_ms ms"
echo "update.openssl_verify_ms: $openssl_best ms"
awk -v o="$verify_ms" -v c="$openssl_best" 'BEGIN { printf "update.verify_vs_openssl: %.2f ratio\n", o / c }'
echo "update.openssl_32_verify_ms: $native32_ms ms"
awk -v o="$verify_ms" -v c="$native32_ms" 'BEGIN { printf "update.verify_vs_openssl_32: %.2f ratio\n", o / c }'
