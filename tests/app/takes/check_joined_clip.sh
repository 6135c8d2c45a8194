#!/usr/bin/env bash
# Checks the clip that the join test left with tools of our own neither: ffmpeg must decode
# it without a complaint, and every byte must belong to a whole frame of the recording format.
set -euo pipefail
clip=${1:?usage: check_joined_clip.sh JOINED.mp3}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
[ -s "$clip" ] || { echo "FAIL: no joined clip at $clip"; exit 1; }
complaints=$(ffmpeg -nostdin -v error -err_detect crccheck -i "$clip" -f null - 2>&1)
[ -z "$complaints" ] || { echo "FAIL: ffmpeg: $complaints"; exit 1; }
python3 "$here/../../audio/mp3_frames.py" "$clip"
echo "PASS: joined clip decodes cleanly"
