#!/usr/bin/env bash
# The Windows folder under Wine, on the display and Wine prefix the caller set up: the slot editor
# saves two slots with Japanese names, byte for byte as the Linux build writes them; then slot
# 1's button starts a Windows program and, close-after-launch on, the launcher ends, leaving its
# options saved. TESSELO_EXE_DIR: the folder; TESSELO_CROSS: the build with the program to start.
set -u
source "$(dirname "$0")/../../scripts/lib.sh"
WORK=$(mktemp -d) PROGRAM_PID=
app=$WORK/TESSELO data=$WORK/TESSELO/Data
trap 'kill $PROGRAM_PID 2>/dev/null; rm -rf $WORK' EXIT
fail() { echo "FAIL: $*" >&2 && cat "$WORK/log" >&2 && exit 1; }
cp -R "$TESSELO_EXE_DIR" "$app" && cp "$TESSELO_CROSS/tests/e2e/tesselo_writer.exe" "$WORK/" || exit 1
program=$("$WINE" winepath -w "$WORK/tesselo_writer.exe" 2>/dev/null | tr -d '\r')
# Slot 1: ゲーム and the program; slot 2: ｱ①髙～ (Windows' own rows of code page 932).
record() { printf "$2" "${@:3}" && head -c $((500 - $1)) /dev/zero; }
{ record $((12 + ${#program})) "\6\0\x83\x51\x81\x5B\x83\x80\x$(printf %02x ${#program})\0%s\0\0" \
    "$program" && record 13 '\7\0\xB1\x87\x40\xFB\xFC\x81\x60\0\0\0\0' && head -c 1500 /dev/zero
} >"$WORK/expected"
cp "$WORK/expected" "$data/SetUp.FIL" && printf -- '-1,0\r\n' >"$data/DataBase.FIL"
(cd / && exec "$WINE" "$app/tesselo.exe") >"$WORK/log" 2>&1 & PROGRAM_PID=$!
wid=$(timeout 60 xdotool search --sync --onlyvisible --name '^TESSELO$' | head -n 1) ||
    fail "no launcher window"
window_screenshot "$wid" "${TESSELO_SCREENSHOT:-$WORK/launcher.png}" || fail "no screenshot"
xdotool mousemove --window "$wid" 2 2 click 3 sleep 0.5 key Down Return # the menu's パス設定
editor=$(timeout 20 xdotool search --sync --onlyvisible --name '^SetUp$' | head -n 1) ||
    fail "no editor"
xdotool mousemove --window "$editor" 76 20 click 1 # 更　新
done=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tesselo$' | head -n 1) ||
    fail "no confirmation"
xdotool key --window "$done" Return && sleep 0.5 && xdotool mousemove --window "$editor" 240 20 click 1
cmp "$data/SetUp.FIL" "$WORK/expected" || fail "the slot file holds other bytes"
xdotool mousemove --window "$wid" 116 100 click 1 # slot 1's button
process_wait_exit "$PROGRAM_PID" 15 && ((EXIT_CODE == 0)) && PROGRAM_PID= || fail "no clean end"
[ "$(cat "$WORK/tesselo_writer.exe.ran" 2>/dev/null)" = "$program" ] || fail "the program did not run"
cmp -s "$data/DataBase.FIL" <(printf -- '-1,0\r\n') || fail "the options file holds other bytes"
echo "the Windows folder under Wine saves, launches and closes cleanly"
