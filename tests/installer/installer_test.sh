#!/usr/bin/env bash
# The installer's round trip under Wine, inside the test environment (scripts/testenv):
#
#   installer_test.sh SOURCE_DIR BUILD_DIR DIST_DIR
#
# builds the installer with scripts/package, installs silently, checks the files, the
# Start-menu shortcut and the Uninstall entry, starts the installed program and closes it,
# then uninstalls silently and checks that everything installed (and the "updates" an update
# left) is gone while a recording and the log in "My Podcasts" are untouched.
set -uo pipefail
[ $# = 3 ] || { echo "usage: $0 SOURCE_DIR BUILD_DIR DIST_DIR" >&2; exit 2; }
top=$1 build=$2 dist=$3

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() {  # DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else fail "$what"; fi
}
# Polls every 0.2 s until COMMAND succeeds or SECONDS pass.
wait_until() {  # SECONDS COMMAND...
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
}
win_env() { wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
unix_path() { winepath -u "$1" 2>/dev/null; }
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\QuillbankRecorder'
settings_key='HKCU\Software\QuillbankRecorder'
reg_value() {  # KEY NAME: the value's data, empty if absent
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
reg_key_exists() { wine reg query "$1" >/dev/null 2>&1; }

setup=$(QB_BUILD_DIR=$build QB_DIST_DIR=$dist "$top/scripts/package" --no-build | tail -n 1)
[ -f "$setup" ] || { echo "FAIL: scripts/package made no installer"; exit 1; }
echo "installer: $setup"

install_win="$(win_env LOCALAPPDATA)\\Programs\\Quillbank Recorder"
install_dir=$(unix_path "$install_win")
shortcut=$(unix_path "$(win_env APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Quillbank Recorder.lnk")
podcasts=$(unix_path "$(win_env USERPROFILE)\\Documents\\My Podcasts")
log=$podcasts/recorder.log
[ -n "$install_dir" ] && [ -n "$podcasts" ] || { echo "FAIL: no Windows folders"; exit 1; }

# A recording the user made earlier, and the log of earlier runs.
recording=$podcasts/Unpublished/installer-test-episode.mp3
mkdir -p "$podcasts/Unpublished"
cp "$dist/adspot.mp3" "$recording"
# The program begins its log afresh at every start: a log of an earlier run must be gone
# once the installed program has started.
printf 'e\0a\0r\0l\0i\0e\0r\0 \0r\0u\0n\0\n\0' >"$log"
# The program starts offline: its update check goes to a closed port.
old_host=$(reg_value "$settings_key" ServerHost)
wine reg add "$settings_key" /v ServerHost /t REG_SZ /d 127.0.0.1:9 /f >/dev/null 2>&1

# --- install ---------------------------------------------------------------------------
check "silent install succeeds" wine "$setup" /S
for f in recorder.exe lame_enc.dll adspot.mp3 patcher.exe crash_reporter.exe; do
  check "$f installed as built" cmp -s "$dist/$f" "$install_dir/$f"
done
check "uninstaller installed" test -f "$install_dir/uninstall.exe"
check "Start-menu shortcut" test -f "$shortcut"
# A shell link holds its target's path, in the ANSI code page and in UTF-16.
check "shortcut points at the installed program" \
  grep -qaF "$install_win\\recorder.exe" <(strings -a "$shortcut"; strings -a -el "$shortcut")
check "uninstall entry: name" test "$(reg_value "$uninstall_key" DisplayName)" = "Quillbank Recorder"
check "uninstall entry: version" test "$(reg_value "$uninstall_key" DisplayVersion)" = "2.08"
check "uninstall entry: publisher" test "$(reg_value "$uninstall_key" Publisher)" = "Quillbank"
check "uninstall entry: icon" test "$(reg_value "$uninstall_key" DisplayIcon)" = "$install_win\\recorder.exe,0"
check "uninstall entry: location" test "$(reg_value "$uninstall_key" InstallLocation)" = "$install_win"
check "uninstall entry: uninstaller" \
  test "$(reg_value "$uninstall_key" UninstallString)" = "\"$install_win\\uninstall.exe\""

# --- the installed program starts and ends cleanly ---------------------------------------
wine "$install_win\\recorder.exe" &
program=$!
new_log() { iconv -f UTF-16LE -t UTF-8 <"$log" 2>/dev/null | tr -d '\r' | grep -v '^earlier run$'; }
log_renewed() { ! grep -q '^earlier run$' < <(iconv -f UTF-16LE -t UTF-8 <"$log" 2>/dev/null); }
window_shown() { xwininfo -root -tree 2>/dev/null | grep -q '"Quillbank Recorder 2.08"'; }
check "installed program shows its window" wait_until 30 window_shown
check "installed program logs its start" wait_until 10 log_renewed
check "installed program logs its version" grep -q 'Quillbank recorder application v. 2.08' <(new_log)
# While it runs, the uninstaller refuses. "_?=" runs it in place, so that its exit code is
# its own; the path after it must stay unquoted, which only a batch file can say.
in_place=$(mktemp --suffix=.bat)
printf '@"%s\\uninstall.exe" /S _?=%s\r\n@exit /b %%errorlevel%%\r\n' "$install_win" "$install_win" >"$in_place"
wine cmd /c "$(winepath -w "$in_place")"
check "uninstaller refuses while the program runs" test $? = 2
rm -f "$in_place"
check "nothing removed while the program runs" test -f "$install_dir/lame_enc.dll" -a -f "$shortcut"
# Without /f, taskkill asks the window to close, as the close box does.
wine taskkill /im recorder.exe >/dev/null 2>&1
program_gone() { ! kill -0 "$program" 2>/dev/null; }
check "installed program closes" wait_until 20 program_gone
check "installed program ends cleanly" grep -q 'Application finished.' <(new_log)
kill "$program" 2>/dev/null

# --- an update with read-only files and a folder of its own, installed by the updater ----
# Python's zipfile writes entries without write permission as such; Wine shows a file
# without it as read-only.
put_update() {
  mkdir -p "$install_dir/updates/docs"
  cp "$dist/adspot.mp3" "$install_dir/updates/adspot.mp3"
  echo "what is new" >"$install_dir/updates/docs/notes.txt"
  chmod a-w "$install_dir/updates/adspot.mp3" "$install_dir/updates/docs/notes.txt"
  printf 'adspot.mp3\r\ndocs\\notes.txt\r\n' >"$install_dir/updates/update.lst"
}
patcher_log=$podcasts/patcher.log
for round in 1 2; do
  put_update
  # The updater starts the recorder again once it is done.
  wine "$install_win\\patcher.exe"
  check "update $round installed" grep -q '^Update installed$' \
    <(iconv -f UTF-16LE -t UTF-8 <"$patcher_log" 2>/dev/null | tr -d '\r')
  check "update $round leaves no backup" test ! -e "$install_dir/update_backup"
  check "recorder started again after update $round" wait_until 30 window_shown
  wine taskkill /im recorder.exe >/dev/null 2>&1
  window_gone() { ! window_shown; }
  check "recorder closes after update $round" wait_until 20 window_gone
done
check "updated file in place" cmp -s "$dist/adspot.mp3" "$install_dir/adspot.mp3"
check "the update's files are recorded for the uninstaller" \
  grep -qF 'docs\notes.txt' <(iconv -f UTF-16LE -t UTF-8 <"$install_dir/installed.lst" 2>/dev/null)
# A program file left read-only (as an earlier updater could leave it) is no running program.
# (A test run as root opens it for writing all the same, so only other users see the fault.)
chmod a-w "$install_dir/recorder.exe"
check "a second install over a read-only program succeeds" wine "$setup" /S
check "the second install put the program in place" cmp -s "$dist/recorder.exe" "$install_dir/recorder.exe"

saved=$(mktemp -d)
cp "$recording" "$log" "$saved/"

# --- uninstall ---------------------------------------------------------------------------
# What an update would have left beside the program: an unpacked update and a backup.
mkdir -p "$install_dir/updates" "$install_dir/update_backup"
cp "$dist/recorder.exe" "$install_dir/updates/recorder.exe"
cp "$dist/adspot.mp3" "$install_dir/updates/update.zip"
cp "$dist/adspot.mp3" "$install_dir/update_backup/adspot.mp3"
chmod a-w "$install_dir/recorder.exe"
# The uninstaller runs a copy of itself from the temporary folder and returns at once, so
# the checks wait until the program folder is gone.
wine "$install_win\\uninstall.exe" /S
check "program folder removed" wait_until 60 test ! -e "$install_dir"
check "shortcut removed" wait_until 10 test ! -e "$shortcut"
no_key() { ! reg_key_exists "$uninstall_key"; }
check "uninstall entry removed" wait_until 10 no_key
check "recording untouched" cmp -s "$saved/${recording##*/}" "$recording"
check "log untouched" cmp -s "$saved/recorder.log" "$log"

# --- a folder that was there before is never removed --------------------------------------
own_win="$(win_env LOCALAPPDATA)\\Programs\\ExistingTools"  # /D= takes no quotes
own_dir=$(unix_path "$own_win")
mkdir -p "$own_dir"
check "install into an existing folder succeeds" wine "$setup" /S "/D=$own_win"
check "program installed into the existing folder" test -f "$own_dir/recorder.exe"
wine "$own_win\\uninstall.exe" /S
# Removing the entry is the uninstaller's last step.
check "uninstall of the existing folder's program ends" wait_until 60 no_key
check "the existing folder stays, emptied" test -d "$own_dir" -a -z "$(ls -A "$own_dir" 2>/dev/null)"
rm -rf "$own_dir"

# Leave the shared prefix as other tests expect it.
rm -rf "$recording" "$saved"
if [ -n "$old_host" ]; then
  wine reg add "$settings_key" /v ServerHost /t REG_SZ /d "$old_host" /f >/dev/null 2>&1
else
  wine reg delete "$settings_key" /v ServerHost /f >/dev/null 2>&1
fi

[ "$failures" = 0 ] && echo "PASS" || echo "$failures check(s) failed"
[ "$failures" = 0 ]
