#!/usr/bin/env bash
# Close-after-launch off: a slot's button starts its program (a file whose name has a space),
# the launcher stays open and starts it again on a second click; closing the launcher then
# saves the unchanged options.
set -u
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/launch_lib.sh"
e2e_begin

app=$WORK/app
program="$WORK/my prog"
program_copy "$app"
marker_program "$program"
slot_file_with_program "$app" "$program"
printf '0,0\r\n' >"$app/Data/DataBase.FIL"
trap 'marker_programs_end "$program"; e2e_end' EXIT

program_start "$app"
wid=$(launcher_window_wait "$PROGRAM_PID") || fail "the launcher window did not appear"
run_button_click "$wid" 1
marker_wait "$program" 1 || fail "the slot's program did not start"
run_button_click "$wid" 1
marker_wait "$program" 2 || fail "the second click did not start the program again"
kill -0 "$PROGRAM_PID" 2>/dev/null || fail "the launcher ended"
[ "$(window_wait '^TESSELO$' "$PROGRAM_PID" | wc -l)" = 1 ] ||
    fail "a second TESSELO window is open (a start error?)"

launcher_close_and_expect_clean_exit "$wid"
file_has_bytes "$app/Data/DataBase.FIL" '0,0\r\n' || fail "the options changed"
echo "PASS"
