#!/usr/bin/env bash
# The built program on a virtual display and a sound server of its own whose output suspends
# after 1 s of silence, as desktops do. Slot 1's button (a program whose name has a space)
# plays the launch cue, heard whole like the server's own player plays the file, when the
# output sleeps, both with the launcher staying open and, close-after-launch on, when the
# launcher saves its options and ends with exit code 0 one to two seconds after the launch
# while the program runs on. A new cue cuts off the one sounding. Run by root, it runs as an
# ordinary user. Skipped (77) without Xvfb or PulseAudio.
set -u
source "$(dirname "$0")/../../scripts/lib.sh"
command -v Xvfb >/dev/null && command -v pulseaudio >/dev/null || exit 77
USER_=tesselo-ci
if ((EUID == 0)); then
    id -u $USER_ >/dev/null 2>&1 ||
        useradd --system --user-group --no-create-home --shell /usr/sbin/nologin $USER_ || exit 1
    WORK=$(mktemp -d) && trap 'rm -rf $WORK' EXIT && mkdir -p "$WORK"/{app,scripts,t/e2e} &&
        cp -R "$TESSELO_EXE" "$(dirname "$TESSELO_EXE")"/{*.so,Data} "$WORK/app/" &&
        cp "$TESSELO_RECORD" "$(dirname "$TESSELO_RECORD")/tesselo_xclose" "$0" "$WORK/t/e2e/" &&
        cp "$ROOT/scripts/lib.sh" "$WORK/scripts/" &&
        chown -R $USER_: "$WORK" && setpriv --reuid=$USER_ --regid=$USER_ --init-groups \
        env TESSELO_EXE="$WORK/app/tesselo" TESSELO_RECORD="$WORK/t/e2e/tesselo_record" \
        bash "$WORK/t/e2e/$(basename "$0")"
    exit
fi
WORK=$(mktemp -d) PROGRAM_PID= PA_PID= REC_PID=
app=$WORK/app program="$WORK/my prog" options="$WORK/app/Data/DataBase.FIL"
trap 'kill $PROGRAM_PID $(cat "$program.ran" 2>/dev/null) $REC_PID $PA_PID 2>/dev/null; xvfb_stop; rm -rf $WORK' EXIT
fail() { echo "FAIL: $*" >&2; cat "$WORK/log" >&2 2>/dev/null; exit 1; }
mkdir "$app" && cp -R "$TESSELO_EXE" "$(dirname "$TESSELO_EXE")"/{*.so,Data} "$app/" || exit 1
printf '#!/bin/sh\necho $$ >>"$0.ran"\nexec sleep 60\n' >"$program" && chmod +x "$program"
printf "\5\0Slot1\\x$(printf %02x ${#program})\0%s\0\0" "$program" >"$app/Data/SetUp.FIL"
printf -- '-1,-1\r\n' >"$options"
unset PULSE_SERVER
export HOME=$WORK XDG_RUNTIME_DIR=$WORK/run PULSE_RUNTIME_PATH=$WORK/run/pulse
mkdir -m 700 "$XDG_RUNTIME_DIR"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    --load=module-native-protocol-unix --load="module-null-sink sink_name=out rate=44100 channels=1" \
    --load="module-suspend-on-idle timeout=1" >"$WORK/server.log" 2>&1 & PA_PID=$!
within_5s() { # runs a command until it succeeds, for at most 5 s
    local tries=0
    until "$@" 2>/dev/null; do
        ((tries++ > 100)) && return 1
        sleep 0.05
    done
}
asleep() { within_5s eval 'pactl list sinks short | grep -q SUSPENDED'; }
asleep || fail "no sound server with an output that suspends"
"$TESSELO_RECORD" out.monitor "$WORK/heard" & REC_PID=$!
within_5s eval 'pactl list source-outputs short | grep -q .' || fail "no recording"
paplay "$app/Data/Sound/EXE_KIDOU.wav" && asleep || fail "no reference"
xvfb_start || exit 1
start() { # starts the launcher with the options $1 once the output sleeps; sets wid
    printf -- "$1\r\n" >"$options" && asleep || fail "the output stays awake"
    (cd / && QT_QPA_PLATFORM=xcb exec "$app/tesselo") >"$WORK/log" 2>&1 & PROGRAM_PID=$!
    wid=$(launcher_window_wait "$PROGRAM_PID") && asleep ||
        fail "no launcher, or it keeps the output awake"
}
run() { xdotool mousemove --window "$wid" 116 100 click 1; } # slot 1's button
start 0,-1
run && asleep && run && sleep 0.15 && run && sleep 0.25 # the third cuts off the second (0.6 s)
(($(pactl list sink-inputs short | wc -l) == 1)) || fail "a new cue does not cut off the one sounding"
TESSELO_XCLOSE=$(dirname "$TESSELO_RECORD")/tesselo_xclose window_close "$wid" &&
    process_wait_exit "$PROGRAM_PID" 5 && PROGRAM_PID= || fail "no clean close"
start -1,-1
run
process_wait_exit "$PROGRAM_PID" 5 && ((EXIT_CODE == 0)) && PROGRAM_PID= || fail "no clean end"
kill -0 "$(tail -n 1 "$program.ran")" || fail "the program did not start or did not outlive the launcher"
cmp -s "$options" <(printf -- '-1,-1\r\n') || fail "the options file holds other bytes"
asleep && kill $REC_PID && wait $REC_PID 2>/dev/null
# What was heard, in stretches of sound apart by 0.1 s or more: the reference, then for each
# launcher its start-up cue and its launch cues. Those after a pause last as long as the
# reference, to within 20 ms (the recording loses a few as the output wakes).
heard=$(od -An -v -td2 -w2 "$WORK/heard" | awk '
    function end() { if (n) printf "%d ", last - first }
    ($1 >= 64 || $1 <= -64) { if (!n || NR - last > 4410) { end(); first = NR } last = NR; n++ }
    END { end() }')
read -r reference _ paused _ _ closing more <<<"$heard"
whole() { ((${1:-0} - reference < 882 && reference - ${1:-0} < 882)); }
[ -z "${more:-}" ] && whole "$paused" && whole "$closing" || fail "heard $heard (samples): not whole"
