#!/bin/sh
# pulse_sink.sh add RESULT | pulse_sink.sh remove MODULE RESULT
#
# Started by the end-to-end tests from inside Wine, which does not wait for unix programs:
# adds a second null sink, "second", to the test environment's PulseAudio (its monitor is a
# second recording device, named longer than the 31 characters of the wave-input
# capabilities), or removes it again. RESULT receives the module's number after "add", or
# "ok"; "failed" and pactl's words otherwise. It appears only when all of it is done. (A
# description with spaces must be quoted twice over, or the module refuses it.)
PATH=/usr/bin:/bin
case $1 in
add)
  result=$2
  pactl load-module module-null-sink sink_name=second rate=44100 channels=2 \
    "sink_properties='device.description=\"Studio Microphone in the Second Room\"'" >"$result.part" 2>&1 ||
    echo failed >>"$result.part"
  ;;
remove)
  result=$3
  if pactl unload-module "$2" >"$result.part" 2>&1; then echo ok >"$result.part"; else echo failed >>"$result.part"; fi
  ;;
*)
  exit 2
  ;;
esac
mv "$result.part" "$result"
