#!/usr/bin/env bash
# The built program on a virtual display of its own: slot 1's button starts its program (whose
# name has a space) and, close-after-launch on, the launcher saves its options and ends with exit
# code 0 one to two seconds after the launch, while the program runs on. Skipped without Xvfb.
set -u
source "$(dirname "$0")/../../scripts/lib.sh"
command -v Xvfb >/dev/null || exit 77
WORK=$(mktemp -d) PROGRAM_PID=
app=$WORK/app program="$WORK/my prog" options="$WORK/app/Data/DataBase.FIL"
trap 'kill $PROGRAM_PID $(cat "$program.ran" 2>/dev/null) 2>/dev/null; xvfb_stop; rm -rf $WORK' EXIT
fail() { echo "FAIL: $*" >&2 && cat "$WORK/log" >&2 && exit 1; }
mkdir "$app" && cp -R "$TESSELO_EXE" "$(dirname "$TESSELO_EXE")"/{*.so,Data} "$app/" || exit 1
printf '#!/bin/sh\necho $$ >"$0.ran"\nexec sleep 60\n' >"$program" && chmod +x "$program"
printf "\5\0Slot1\\x$(printf %02x ${#program})\0%s\0\0" "$program" >"$app/Data/SetUp.FIL"
printf -- '-1,0\r\n' >"$options"
xvfb_start || exit 1
(cd / && QT_QPA_PLATFORM=xcb exec "$app/tesselo") >"$WORK/log" 2>&1 & PROGRAM_PID=$!
wid=$(launcher_window_wait "$PROGRAM_PID") || fail "no launcher window"
xdotool mousemove --window "$wid" 116 100 click 1 # slot 1's button
process_wait_exit "$PROGRAM_PID" 5 && ((EXIT_CODE == 0)) && PROGRAM_PID= || fail "no clean end"
kill -0 "$(cat "$program.ran")" || fail "the program did not start or did not outlive the launcher"
cmp -s "$options" <(printf -- '-1,0\r\n') || fail "the options file holds other bytes"
