#!/usr/bin/env bash
# Runs COMMAND with the archive of the whole-update-cycle test among the stand-in's files
# (started around it by standin.sh): update.zip holding dist's patcher.exe and dist's
# recorder.exe marked as the new build, "QB-TEST-BUILD 2.9" appended after the program image,
# where Windows does not look.
# Usage: with_cycle_archive.sh DIST -- COMMAND [ARGS...]
set -euo pipefail
dist=$1
shift
[ "${1:-}" = -- ] && shift
for arg in "$@"; do [ "$arg" = --gtest_list_tests ] && exec "$@"; done
python3 - "$dist" "$QB_STANDIN_DIR/files/update.zip" <<'PY'
import sys, zipfile
dist, out = sys.argv[1:]
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
    with open(dist + "/recorder.exe", "rb") as f:
        z.writestr("recorder.exe", f.read() + b"QB-TEST-BUILD 2.9\n")
    z.write(dist + "/patcher.exe", "patcher.exe")
PY
exec "$@"
