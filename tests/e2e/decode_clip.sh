#!/bin/sh
# decode_clip.sh CLIP RAW RESULT
#
# Started by the end-to-end tests from inside Wine, which does not wait for unix programs:
# decodes the MP3 file CLIP to RAW (signed 16-bit, mono, 44100 Hz) with ffmpeg checking
# every frame's CRC, checks the frames again with mpg123, and writes what the tools
# complained about to RESULT, which is empty when every frame is valid. RESULT appears only
# when all of it is done.
PATH=/usr/bin:/bin
clip=$1 raw=$2 result=$3
{
  ffmpeg -nostdin -v error -err_detect crccheck -i "$clip" -f s16le -ac 1 -ar 44100 -y "$raw" 2>&1 ||
    echo "ffmpeg failed with $?"
  mpg123 -q -t "$clip" 2>&1 || echo "mpg123 failed with $?"
} >"$result.part" 2>&1
mv "$result.part" "$result"
