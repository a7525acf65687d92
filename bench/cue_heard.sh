#!/usr/bin/env bash
# How much of the launch cue a user hears, on PulseAudio and on PipeWire (with pipewire-pulse and
# WirePlumber), in each condition the cue scenario tests, RUNS times each (20 unless given):
#   paused   the output suspended, one click;
#   awake    a click 0.6 s after the cue before it ended, the output still playing;
#   closing  close-after-launch on: a click, and the launcher ends a second or two later;
#   third    a click 0.15 s after another on an awake output: the third click's cue cuts off the
#            second, and the stretch heard is 0.15 s of the second and the whole third.
# Each is compared with a reference that takes the same path: the same file uploaded into the
# server's cache with `pactl upload-sample` and played with `pactl play-sample`, in the same
# condition. The truth is what the server writes to its output, a pipe sink (tests/e2e/sound_servers.sh); a
# recording of the output's monitor that does not keep it awake (tesselo_record) is taken at the
# same time, and the table says what such a recording loses against the truth.
#
#   bench/cue_heard.sh [RUNS]          (built in $TESSELO_BENCH_BUILD, build-test by default)
#   bench/cue_heard.sh --table FILE    the tables again from the measurements a run kept in FILE
#                                      (it names the file at the end)
#
# Run by root, it runs as an ordinary user. Takes about 17 minutes for 20 runs.
set -uo pipefail
source "$(dirname "$0")/../scripts/lib.sh"
source "$ROOT/tests/e2e/sound_servers.sh"
# print_tables RESULTS WAVE: the tables of the measurements in RESULTS of the cue file WAVE.
print_tables() {
    local results=$1 whole runs condition server expect
    # The file's own sound, from its first sound to its last, as the server renders it at 44.1 kHz.
    whole=$(python3 -c '
import sys, wave, struct
w = wave.open(sys.argv[1]); n = w.getnframes(); c = w.getnchannels()
x = struct.unpack("<%dh" % (n * c), w.readframes(n))[::c]
i = [k for k, v in enumerate(x) if abs(v) >= 64]; print(i[-1] - i[0])' "$2")
    runs=$(grep -c "^pulseaudio paused launcher" "$results")
    echo
    echo "The launch cue, $runs runs each, in samples at 44.1 kHz (1 ms = 44.1 samples), median/min"
    echo "of the span the server wrote to its output, from the first sound to the last. The file's"
    echo "sound spans $whole samples; 'third' spans 0.15 s of the second cue and the whole third"
    echo "(more, by how far apart the clicks or pactl's starts fell). Short: runs that lasted more"
    echo "than 20 ms (882 samples) less than the file's sound."
    printf '\n| %-9s | %-10s | %-15s | %-15s | %-15s |\n' condition server "launcher heard" \
        "reference heard" "short L / R"
    printf '|%s|%s|%s|%s|%s|\n' ----------- ------------ ----------------- ----------------- \
        -----------------
    for condition in paused awake closing third; do
        for server in pulseaudio pipewire; do
            grep -q "^$server $condition " "$results" || continue
            field() { awk -v s=$server -v c=$condition -v w=$1 '$1 == s && $2 == c && $3 == w { print $4 }' "$results"; }
            expect=$whole
            short() { field $1 | awk -v e=$expect '$1 < e - 882 { n++ } END { print n + 0 }'; }
            printf '| %-9s | %-10s | %-15s | %-15s | %-15s |\n' $condition $server \
                "$(field launcher | stats)" "$(field reference | stats)" \
                "$(short launcher) / $(short reference)"
        done
    done
    echo
    echo "What a monitor recording (tesselo_record, which asks not to keep the output awake) loses:"
    echo "started on the suspended output 0.1 s before the reference plays, truth and recording."
    printf '\n| %-10s | %-15s | %-15s | %-17s | %-27s |\n' server "truth heard" "recorded" \
        "lost median/max" "output suspends while recording"
    printf '|%s|%s|%s|%s|%s|\n' ------------ ----------------- ----------------- ------------------- \
        -----------------------------
    for server in pulseaudio pipewire; do
        grep -q "^$server recorder " "$results" || continue
        rec() { awk -v s=$server '$1 == s && $2 == "recorder" { print $'"$1"' }' "$results"; }
        printf '| %-10s | %-15s | %-15s | %-17s | %-27s |\n' $server "$(rec 3 | stats)" "$(rec 4 | stats)" \
            "$(awk -v s=$server '$1 == s && $2 == "recorder" { print $3 - $4 }' "$results" | stats_max)" \
            "$(rec 5 | sort | uniq -c | tr -s ' ' | paste -sd,)"
    done
}

# median and minimum of the numbers on stdin, as "median/min".
stats() { sort -n | awk '{ v[NR] = $1 } END { printf "%d/%d", v[int((NR + 1) / 2)], v[1] }'; }
# median and maximum
stats_max() { sort -n | awk '{ v[NR] = $1 } END { printf "%d/%d", v[int((NR + 1) / 2)], v[NR] }'; }

BUILD=$ROOT/${TESSELO_BENCH_BUILD:-build-test}
if [ "${1:-}" = --table ]; then
    print_tables "$2" "$BUILD/bin/Data/Sound/EXE_KIDOU.wav"
    exit
fi
RUNS=${1:-20}
: "${TESSELO_EXE:=$BUILD/bin/tesselo}" "${TESSELO_XCLOSE:=$BUILD/tests/e2e/tesselo_xclose}"
: "${TESSELO_RECORD:=$BUILD/bench/tesselo_record}"
if ((EUID == 0)); then
    work=$(mktemp -d) && mkdir -p "$work/bench" "$work/scripts" "$work/tests/e2e" &&
        copy_program "$work/app" && cp "$0" "$work/bench/" && cp "$ROOT/scripts/lib.sh" "$work/scripts/" &&
        cp "$ROOT/tests/e2e/sound_servers.sh" "$work/tests/e2e/" &&
        cp "$TESSELO_XCLOSE" "$TESSELO_RECORD" "$work/" && chown -R "$(ordinary_user)": "$work" &&
        as_ordinary_user env TESSELO_EXE="$work/app/tesselo" TESSELO_XCLOSE="$work/tesselo_xclose" \
            TESSELO_RECORD="$work/tesselo_record" bash "$work/bench/cue_heard.sh" "$RUNS"
    rc=$?
    rm -rf "$work"
    exit $rc
fi

WORK=$(mktemp -d) PROGRAM_PID= REC_PID= SOUND_SERVER_PIDS=
trap 'kill $PROGRAM_PID $REC_PID 2>/dev/null; sound_server_stop; xvfb_stop; rm -rf $WORK' EXIT
app=$WORK/app options=$WORK/app/Data/DataBase.FIL program=$WORK/prog
copy_program "$app" || exit 1
printf '#!/bin/sh\nexec sleep 30\n' >"$program" && chmod +x "$program"
printf "\5\0Slot1\\x$(printf %02x ${#program})\0%s\0\0" "$program" >"$app/Data/SetUp.FIL"
export HOME=$WORK XDG_RUNTIME_DIR=$WORK/run
xvfb_start || exit 1

# Byte offsets in the truth.
truth=()
mark() { truth+=($(($(stat -c %s "$WORK/truth") / 2 * 2))); }
# The span of sound between the last two marks in the truth.
last_span() { sound_heard "$WORK/truth" "${truth[@]: -2}"; }
asleep() { sound_asleep || echo "the output stays awake" >&2; }
awake() { sound_asleep awake || echo "the output does not wake" >&2; }

start_launcher() { # $1: the options; waits for the window and its start-up cue to end
    printf -- "$1\r\n" >"$options" && asleep
    (cd / && QT_QPA_PLATFORM=xcb exec "$app/tesselo") >"$WORK/log" 2>&1 &
    PROGRAM_PID=$!
    wid=$(launcher_window_wait "$PROGRAM_PID") && awake && asleep
}
click() { xdotool mousemove --window "$wid" 116 100 click 1; }
reference() { pactl play-sample reference; }

# One measurement: $1 the condition, $2 launcher or reference. Prints "T R".
measure() {
    local condition=$1 who=$2 play=click
    [ "$who" = reference ] && play=reference
    case $condition in
    paused)
        asleep && mark && $play && awake && asleep && mark ;;
    awake)
        asleep && $play && sleep 0.6 && mark && $play && awake && asleep && mark ;;
    closing)
        if [ "$who" = launcher ]; then
            start_launcher -1,-1 && mark && click
            process_wait_exit "$PROGRAM_PID" 5
            PROGRAM_PID=
            asleep && mark
        else
            asleep && mark && reference && awake && asleep && mark
        fi ;;
    third)
        if [ "$who" = launcher ]; then
            asleep && click && sleep 0.6 && mark && click && sleep 0.15 && click
        else
            # pactl cuts nothing off; what is heard spans the same stretch.
            asleep && reference && sleep 0.6 && mark && reference && sleep 0.15 && reference
        fi
        sleep 0.25
        [ "$who" = reference ] || (($(pactl list sink-inputs short | wc -l) == 1)) ||
            echo "no cut-off" >&2
        asleep && mark ;;
    esac
    last_span
}

# What a monitor recording loses: it starts on the suspended output 0.1 s before the reference
# plays, as a test that starts its recorder and then the program would. Prints the span in the
# truth, the span recorded, and whether the output still suspends while the recording runs.
recorder_loss() {
    local before recorded=$WORK/recorded sleeps=yes
    asleep && mark
    "$TESSELO_RECORD" out.monitor "$recorded" &
    REC_PID=$!
    sleep 0.1 && reference && awake
    sleep 2.5
    pactl list sinks short | grep -q SUSPENDED || sleeps=no
    kill $REC_PID
    wait $REC_PID 2>/dev/null
    REC_PID=
    asleep && mark
    echo "$(last_span) $(sound_heard "$recorded" 0 $(($(stat -c %s "$recorded") / 2 * 2))) $sleeps"
}

results=$WORK/results
for server in ${SERVERS:-pulseaudio pipewire}; do
    sound_server_installed $server || { echo "$server is not installed" >&2; continue; }
    rm -f "$WORK/truth" "$WORK/truth.pipe" "$WORK/recorded"
    SOUND_SERVER_LOG=$WORK/$server.log sound_server_start $server "$WORK/truth" || exit 1
    pactl upload-sample "$app/Data/Sound/EXE_KIDOU.wav" reference
    start_launcher 0,-1 || { echo "no launcher on $server" >&2; exit 1; }
    for ((run = 0; run < RUNS; run++)); do
        for condition in paused awake third; do
            for who in launcher reference; do
                t0=$EPOCHREALTIME
                echo "$server $condition $who $(measure $condition $who)" >>"$results"
                [ -n "${BENCH_DEBUG:-}" ] && echo "$condition $who $(bc <<<"$EPOCHREALTIME - $t0")" >&2
            done
        done
    done
    "$TESSELO_XCLOSE" "$wid" && process_wait_exit "$PROGRAM_PID" 5
    PROGRAM_PID=
    for ((run = 0; run < RUNS; run++)); do
        for who in launcher reference; do
            echo "$server closing $who $(measure closing $who)" >>"$results"
        done
        echo "$server recorder $(recorder_loss)" >>"$results"
    done
    sound_server_stop
    sleep 0.5
done

kept=$(mktemp "${TMPDIR:-/tmp}/cue_heard.XXXXXX") && cp "$results" "$kept" && chmod 644 "$kept"
print_tables "$results" "$app/Data/Sound/EXE_KIDOU.wav"
echo
echo "The measurements are kept in $kept."
