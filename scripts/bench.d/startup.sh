# Process start to the end of the main window's first paint under Wine, median of 11, beside a
# minimal window program and a minimal dialog with the recorder's manifest and imported
# libraries (the floors Wine and those libraries set), started the same way in turn, each round
# begun by the next of the three; and the size of the recorder.exe a user downloads.
#
# Then the requests each program's main thread makes to Wine's server until that paint,
# counted in a trace of the server. Most of a start's time under Wine is spent waiting for
# those answers, and unlike the times the counts are the same on a busy machine as on a quiet
# one. Each program is counted on its second start, as a user would start it again.
set -euo pipefail
build=$1
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
dist=${QB_DIST_DIR:-$top/dist}
QB_DIST_DIR="$dist" wine "$build/tests/e2e/startup_bench.exe" | tr -d '\r'
echo "startup.exe_kb: $(( ($(stat -c %s "$dist/recorder.exe") + 1023) / 1024 )) KB"

trace=$(mktemp)
trap 'rm -f "$trace"' EXIT
requests() {
  local program=$1 name=QuillbankRequests-$$-$RANDOM run pid
  wineserver -k 2>/dev/null || true
  wineserver -w
  wineserver -p -d1 2>"$trace"  # every request and reply, to stderr
  for run in 1 2; do
    QB_STARTUP_TIMELINE=$name-$run wine "$program" >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 300); do
      grep -q "name=L\"$name-$run\"" "$trace" && break
      sleep 0.1
    done
    wine taskkill /im "$(basename "$program")" >/dev/null 2>&1 || true
    wait "$pid" || true
  done
  wineserver -k
  wineserver -w
  python3 "$top/scripts/bench.d/server_requests.py" "$trace" "$name-2"
}
ours=$(requests "$dist/recorder.exe")
bare=$(requests "$build/tests/e2e/minimal_window.exe")
imports=$(requests "$build/tests/e2e/minimal_dialog.exe")
echo "startup.server_requests: $ours requests"
echo "startup.minimal_server_requests: $bare requests"
echo "startup.same_imports_server_requests: $imports requests"
awk -v a="$ours" -v b="$bare" 'BEGIN { printf "startup.requests_vs_minimal: %.2f ratio\n", a / b }'
