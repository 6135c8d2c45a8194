#!/usr/bin/env bash
# Makes the tests' update archives (make_archives.py) in a fresh folder, runs COMMAND with
# QB_UPDATE_ARCHIVES naming it, and removes it afterwards.
# Usage: with_archives.sh PATCHER_EXE -- COMMAND [ARGS...]
set -uo pipefail
patcher=$1
shift
[ "${1:-}" = -- ] && shift
for arg in "$@"; do [ "$arg" = --gtest_list_tests ] && exec "$@"; done
QB_UPDATE_ARCHIVES=$(mktemp -d "${TMPDIR:-/tmp}/update-archives.XXXXXX") || exit 125
export QB_UPDATE_ARCHIVES
trap 'rm -rf "$QB_UPDATE_ARCHIVES"' EXIT
python3 "$(dirname "${BASH_SOURCE[0]}")/make_archives.py" "$QB_UPDATE_ARCHIVES" "$patcher" || exit 125
"$@"
