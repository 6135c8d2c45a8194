# Time line repaint under Wine: 266 x 90, a two-hour clip with 24 spots, median of 1000.
set -euo pipefail
build=$1
wine "$build/tests/controls/timeline_bench.exe"
