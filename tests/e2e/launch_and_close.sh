#!/usr/bin/env bash
# The built program on a virtual display, heard through a sound server of its own ($1: pulseaudio
# or pipewire, sound_servers.sh) whose output suspends after 1 s of silence and hands the test every
# sample it plays. Slot 1's button (a program whose name has a space) plays the launch cue as whole
# as pactl plays it from the server's cache: after a pause, right after another cue (a third cuts
# off the second), and, close-after-launch on, as the launcher saves its options and ends with exit
# code 0 while the program runs on. A second start hands over and ends the desktop's busy cursor.
# Run by root, it runs as an ordinary user; skipped (77) only without Xvfb or the server.
set -u
source "$(dirname "$0")/../../scripts/lib.sh"
source "$(dirname "$0")/sound_servers.sh"
SERVER=${1:-pulseaudio}
command -v Xvfb >/dev/null && sound_server_installed "$SERVER" || exit 77
((EUID == 0)) && { rerun_as_ordinary_user "$0" "$SERVER"; exit; }
WORK=$(mktemp -d) PROGRAM_PID= SOUND_SERVER_PIDS= marks=() # marks: where each stretch of heard begins
app=$WORK/app program="$WORK/my prog" options="$WORK/app/Data/DataBase.FIL"
trap 'kill $PROGRAM_PID $(cat "$program.ran" 2>/dev/null); sound_server_stop; xvfb_stop; rm -rf $WORK' EXIT
fail() { echo "FAIL ($SERVER): $*" >&2; cat "$WORK/log" >&2 2>/dev/null; exit 1; }
copy_program "$app" || exit 1
printf '#!/bin/sh\necho $$ >>"$0.ran"\nexec sleep 60\n' >"$program" && chmod +x "$program"
printf "\5\0Slot1\\x$(printf %02x ${#program})\0%s\0\0" "$program" >"$app/Data/SetUp.FIL"
export HOME=$WORK XDG_RUNTIME_DIR=$WORK/run SOUND_SERVER_LOG=$WORK/server.log
sound_server_start "$SERVER" "$WORK/heard" || fail "no sound server with an output that suspends"
mark() { sound_asleep || fail "the output stays awake"; marks+=($(($(stat -c %s "$WORK/heard") / 2 * 2))); }
mark && pactl upload-sample "$app/Data/Sound/EXE_KIDOU.wav" reference &&
    pactl play-sample reference && sound_woke "$WORK/heard" "${marks[-1]}" || fail "no reference"
xvfb_start || exit 1
start() { # starts the launcher with the options $1 once the output sleeps; sets wid
    printf -- "$1\r\n" >"$options" && mark
    (cd / && QT_QPA_PLATFORM=xcb exec "$app/tesselo") >"$WORK/log" 2>&1 & PROGRAM_PID=$!
    wid=$(launcher_window_wait "$PROGRAM_PID") && sound_woke "$WORK/heard" "${marks[-1]}" && mark ||
        fail "no launcher, or no start-up cue"
}
run() { xdotool mousemove --window "$wid" 116 100 click 1; } # slot 1's button
start 0,-1
run && mark && run && sleep 0.15 && run && sleep 0.1
(($(pactl list sink-inputs short | wc -l) == 1)) || fail "a new cue does not cut off the one sounding"
stdbuf -oL xev -root -event property >"$WORK/xev" & sleep 0.3 # a second start ends its busy cursor
DESKTOP_STARTUP_ID=two_TIME1 QT_QPA_PLATFORM=xcb "$app/tesselo" && sleep 0.2 && kill $! &&
    grep -q _NET_STARTUP_INFO_BEGIN "$WORK/xev" || fail "a second start leaves the busy cursor on"
window_close "$wid" && process_wait_exit "$PROGRAM_PID" 5 && PROGRAM_PID= || fail "no clean close"
start -1,-1
run
process_wait_exit "$PROGRAM_PID" 5 && ((EXIT_CODE == 0)) && PROGRAM_PID= || fail "no clean end"
kill -0 "$(tail -n 1 "$program.ran")" || fail "the program did not start or did not outlive the launcher"
cmp -s "$options" <(printf -- '-1,-1\r\n') || fail "the options file holds other bytes"
mark
# How long each stretch sounded: the reference, a start-up cue, the launch cue after a pause, the
# second and third, a start-up cue, the last launch cue. Those after a pause are at most 20 ms
# shorter than the reference (which PipeWire may cut by 21 ms); the third sounds to its end.
read -r reference _ paused quick _ closing more < <(sound_heard "$WORK/heard" "${marks[@]}")
whole() { ((${1:-0} - reference < 1103 && reference - ${1:-0} < 882)); }
((reference > 0)) && [ -z "${more:-}" ] && whole "$paused" && whole "$closing" &&
    ((quick >= reference + 4410)) || fail "heard $reference $paused $quick $closing samples"
