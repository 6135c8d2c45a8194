#!/bin/sh
# microphone.sh WORK unplug|plug
#
# Started by the end-to-end tests from inside Wine: takes the test environment's null sink,
# whose monitor is the default recording source, away as an unplugged microphone goes, or
# puts it back as scripts/testenv made it. WORK/result appears when it is done: "ok" on its
# last line, or what went wrong.
PATH=/usr/bin:/bin
work=$1
case $2 in
  unplug)
    module=$(pactl list short modules | awk '$2 == "module-null-sink" { print $1; exit }')
    [ -n "$module" ] && pactl unload-module "$module" ;;
  plug)
    pactl list short sinks | grep -q testsink ||
      { pactl load-module module-null-sink sink_name=testsink rate=44100 channels=2 >/dev/null &&
        pactl set-default-sink testsink && pactl set-default-source testsink.monitor; } ;;
  *) echo "unknown command $2"; false ;;
esac >"$work/result.part" 2>&1 && echo ok >>"$work/result.part"
mv "$work/result.part" "$work/result"
