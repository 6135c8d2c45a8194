# Process start to the end of the main window's first paint under Wine, median of 11, beside a
# minimal window program and a minimal dialog with the recorder's manifest and imported
# libraries, started the same way in turn (the floors Wine and those libraries set); and the
# size of the recorder.exe a user downloads.
set -euo pipefail
build=$1
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
dist=${QB_DIST_DIR:-$top/dist}
QB_DIST_DIR="$dist" wine "$build/tests/e2e/startup_bench.exe" | tr -d '\r'
echo "startup.exe_kb: $(( ($(stat -c %s "$dist/recorder.exe") + 1023) / 1024 )) KB"
