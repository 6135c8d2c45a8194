# Process start to main window shown under Wine, median of 5.
set -euo pipefail
build=$1
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
QB_DIST_DIR="$top/dist" wine "$build/tests/e2e/startup_bench.exe"
