#!/usr/bin/env bash
# A first start with close-after-launch off and sound effects on, then the user closes the
# window: no start-up failure, exit code 0, the options file written again with the same bytes,
# and the slot file created empty.
set -u
source "$(dirname "$0")/lib.sh"
e2e_begin

app=$WORK/app
program_copy "$app"
rm -f "$app/Data/SetUp.FIL"
printf '0,-1\r\n' >"$app/Data/DataBase.FIL"
touch -d @1000000000 "$app/Data/DataBase.FIL"

program_start "$app"
wid=$(launcher_window_wait "$PROGRAM_PID") || fail "the launcher window did not appear"
[ "$(window_wait '^TESSELO$' "$PROGRAM_PID" | wc -l)" = 1 ] ||
    fail "a second TESSELO window is open (a start-up failure message?)"
launcher_close_and_expect_clean_exit "$wid"

file_has_bytes "$app/Data/DataBase.FIL" '0,-1\r\n' || fail "the options changed"
[ "$(stat -c %Y "$app/Data/DataBase.FIL")" != 1000000000 ] || fail "closing did not save the options"
[ -f "$app/Data/SetUp.FIL" ] || fail "the slot file was not created"
[ ! -s "$app/Data/SetUp.FIL" ] || fail "the new slot file is not empty"
echo "PASS"
