# Process start to main window shown under Wine, median of 5, beside a minimal window
# program of the same toolchain started the same way in turn (the floor Wine sets).
set -euo pipefail
build=$1
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
QB_DIST_DIR="${QB_DIST_DIR:-$top/dist}" wine "$build/tests/e2e/startup_bench.exe"
