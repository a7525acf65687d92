#!/usr/bin/env bash
# Start-up without an options file: the one start-up failure message comes up before the
# launcher, the launcher then opens with both options on, and closing it writes an options
# file that says so.
set -u
source "$(dirname "$0")/lib.sh"
e2e_begin

app=$WORK/app
program_copy "$app"
rm -f "$app/Data/SetUp.FIL" "$app/Data/DataBase.FIL"

program_start "$app"
box=$(message_box_wait "$PROGRAM_PID" TESSELO) || fail "no start-up failure message"
window_close "$box" || fail "the message box did not take the close request"
wid=$(launcher_window_wait "$PROGRAM_PID") || fail "the launcher window did not appear"
launcher_close_and_expect_clean_exit "$wid"

file_has_bytes "$app/Data/DataBase.FIL" '-1,-1\r\n' || fail "the options file was not mended"
echo "PASS"
