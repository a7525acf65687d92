# Sound servers of a user's own, run as an ordinary user, for the cue scenario
# (launch_and_close.sh) and its measurement (bench/cue_heard.sh). Sourced after scripts/lib.sh.
# copy_program DIR: the program of $TESSELO_EXE, its modules and its Data, into DIR.
copy_program() { mkdir -p "$1" && cp -R "$TESSELO_EXE" "$(dirname "$TESSELO_EXE")"/{*.so,Data} "$1/"; }

# rerun_as_ordinary_user SCRIPT ARGS...: as root, runs the script of tests/ again as
# ORDINARY_USER on copies that it owns (root's folders are closed to it) of the program,
# $TESSELO_XCLOSE, tests/ and scripts/lib.sh. Returns the script's exit code.
rerun_as_ordinary_user() {
    local work rc=1
    work=$(mktemp -d)
    mkdir "$work/scripts" && copy_program "$work/app" && cp -R "$ROOT/tests" "$work/" &&
        cp "$ROOT/scripts/lib.sh" "$work/scripts/" && cp "$TESSELO_XCLOSE" "$work/" &&
        chown -R "$(ordinary_user)": "$work" && as_ordinary_user env TESSELO_EXE="$work/app/tesselo" \
        TESSELO_XCLOSE="$work/${TESSELO_XCLOSE##*/}" bash "$work/$(realpath --relative-to="$ROOT" "$1")" "${@:2}"
    rc=$?
    rm -rf "$work"
    return $rc
}

# Whether the server's commands are installed; PipeWire's come with WirePlumber and a bus.
sound_server_installed() {
    local commands=(pactl pulseaudio) command
    [ "$1" = pipewire ] && commands=(pactl pipewire pipewire-pulse wireplumber dbus-daemon)
    for command in "${commands[@]}"; do command -v "$command" >/dev/null || return; done
}

# sound_server_start pulseaudio|pipewire FILE: the server in $XDG_RUNTIME_DIR, nothing of the
# desktop's session, with one output "out" that writes every sample it plays (44.1 kHz, 16-bit,
# mono) through a pipe into FILE, the truth of what a user hears, and suspends after 1 s of
# silence as desktops' outputs do (WirePlumber's 5 s, shortened). WirePlumber, which ends
# without a session bus, gets one. Sets SOUND_SERVER_PIDS; logs to $SOUND_SERVER_LOG.
sound_server_start() {
    local server=$1 pipe=$2.pipe bus log=${SOUND_SERVER_LOG:-/dev/null}
    local out="sink_name=out rate=44100 channels=1 format=s16le file=$pipe"
    unset PULSE_SERVER PULSE_RUNTIME_PATH PIPEWIRE_REMOTE PIPEWIRE_RUNTIME_DIR XDG_CONFIG_HOME \
        XDG_STATE_HOME XDG_DATA_HOME
    mkdir -p -m 700 "$XDG_RUNTIME_DIR" || return 1
    SOUND_SERVER_PIDS=
    if [ "$server" = pulseaudio ]; then
        pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
            --load=module-native-protocol-unix --load="module-suspend-on-idle timeout=1" \
            --load="module-pipe-sink $out use_system_clock_for_timing=yes" >"$log" 2>&1 &
        SOUND_SERVER_PIDS=$!
    else
        { read -r bus && read -r SOUND_SERVER_PIDS; } < <(dbus-daemon --session --fork \
            --print-address=1 --print-pid=1) || { echo "no session bus" >&2; return 1; }
        export DBUS_SESSION_BUS_ADDRESS=$bus
        pipewire >"$log" 2>&1 & SOUND_SERVER_PIDS+=" $!"
        within_5s test -S "$XDG_RUNTIME_DIR/pipewire-0" || { echo "PipeWire did not start" >&2; return 1; }
        wireplumber >>"$log" 2>&1 & SOUND_SERVER_PIDS+=" $!"
        pipewire-pulse >>"$log" 2>&1 & SOUND_SERVER_PIDS+=" $!"
        within_5s pactl info || { echo "pipewire-pulse does not answer" >&2; return 1; }
        pactl load-module module-pipe-sink "$out" \
            sink_properties=session.suspend-timeout-seconds=1 >/dev/null || return 1
    fi
    within_5s test -p "$pipe" && { cat "$pipe" >"$2" & SOUND_SERVER_PIDS+=" $!"; } && sound_asleep ||
        { echo "$server gave no output that suspends:" >&2; tail "$log" >&2; return 1; }
}
sound_server_stop() { kill $SOUND_SERVER_PIDS 2>/dev/null; SOUND_SERVER_PIDS=; }

# Waits at most 5 s for the output to be suspended, or with "awake", to be playing.
sound_asleep() { within_5s eval "pactl list sinks short | grep -q ${1:+-v} SUSPENDED"; }
# sound_woke FILE OFFSET: waits at most 5 s for the sleeping output to write past OFFSET in FILE.
sound_woke() { within_5s eval "((\$(stat -c %s '$1') > $2))"; }

# sound_heard FILE OFFSET...: for each stretch of FILE (16-bit mono) between two byte offsets,
# how many samples from its first sound to its last, on one line.
sound_heard() {
    local file=$1 from to
    shift
    for ((from = 1, to = 2; to <= $#; from++, to++)); do
        tail -c +$((${!from} + 1)) "$file" | head -c $((${!to} - ${!from})) | od -An -v -td2 -w2 |
            awk '($1 >= 64 || $1 <= -64) { if (!first) first = NR; last = NR }
                END { printf "%d ", last - first }'
    done
    echo
}
