#!/usr/bin/env bash
# Close-after-launch on: a slot's button starts its program, then the launcher saves the
# options and ends by itself one to two seconds later, while the program runs on.
set -u
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/launch_lib.sh"
e2e_begin

app=$WORK/app
program="$WORK/my prog"
program_copy "$app"
marker_program "$program"
slot_file_with_program "$app" "$program"
printf -- '-1,0\r\n' >"$app/Data/DataBase.FIL"
touch -d @1000000000 "$app/Data/DataBase.FIL"
trap 'marker_programs_end "$program"; e2e_end' EXIT

program_start "$app"
wid=$(launcher_window_wait "$PROGRAM_PID") || fail "the launcher window did not appear"
clicked=$(date +%s%N)
run_button_click "$wid" 1
marker_wait "$program" 1 || fail "the slot's program did not start"
process_wait_exit "$PROGRAM_PID" 5 || fail "the launcher did not end by itself"
ended=$(date +%s%N)
PROGRAM_PID=
[ "$EXIT_CODE" = 0 ] || fail "the launcher ended with exit code $EXIT_CODE"
elapsed_ms=$(((ended - clicked) / 1000000))
echo "the launcher ended ${elapsed_ms} ms after the click"
((elapsed_ms >= 1000 && elapsed_ms <= 3500)) ||
    fail "the launcher ended ${elapsed_ms} ms after the click, not after its wait"

started=$(head -n 1 "$program.ran")
kill -0 "$started" 2>/dev/null || fail "the started program did not outlive the launcher"
file_has_bytes "$app/Data/DataBase.FIL" '-1,0\r\n' || fail "the options file holds other bytes"
[ "$(stat -c %Y "$app/Data/DataBase.FIL")" != 1000000000 ] || fail "the options were not saved"
echo "PASS"
