# Helpers for driving TESSELO on a virtual X display: the end-to-end scenarios and the
# project's scripts source this file (bash).
#
# The display runs no window manager, so nothing decorates or moves the windows; a window is
# closed the way a close box closes it, by sending it WM_DELETE_WINDOW (tesselo_xclose).
#
# Programs these helpers use: Xvfb, xdotool, and $TESSELO_XCLOSE (the tesselo_xclose tool).

# Starts Xvfb on a display number that it picks itself (-displayfd), so that several runs can
# share the machine. Sets and exports DISPLAY, sets XVFB_PID. Fails if Xvfb does not come up.
xvfb_start() {
    local dir tries=0
    dir=$(mktemp -d)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
        3>"$dir/display" >"$dir/log" 2>&1 &
    XVFB_PID=$!
    # Xvfb writes the display number once it accepts connections.
    until grep -q '^[0-9][0-9]*$' "$dir/display" 2>/dev/null; do
        if ! kill -0 "$XVFB_PID" 2>/dev/null || ((tries++ > 400)); then
            echo "Xvfb did not start:" >&2
            cat "$dir/log" >&2
            kill "$XVFB_PID" 2>/dev/null
            rm -rf "$dir"
            XVFB_PID=
            return 1
        fi
        sleep 0.05
    done
    DISPLAY=":$(head -n 1 "$dir/display")"
    export DISPLAY
    rm -rf "$dir"
}

# Stops the Xvfb that xvfb_start started, if any.
xvfb_stop() {
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
        XVFB_PID=
    fi
}

# Copies the program folder (the executable $TESSELO_EXE, the modules and the Data folder
# beside it) into DEST, so that a run never changes the build's own Data.
program_copy() {
    local dest=$1 bindir module
    bindir=$(dirname "$TESSELO_EXE")
    mkdir -p "$dest"
    cp "$TESSELO_EXE" "$dest/tesselo"
    for module in "$bindir"/*.so; do
        [ -e "$module" ] && cp "$module" "$dest/"
    done
    cp -R "$bindir/Data" "$dest/Data"
}

# Starts DIR/tesselo on $DISPLAY in the background, its output going to DIR.log. Sets
# PROGRAM_PID.
program_start() {
    local dir=$1
    (cd / && QT_QPA_PLATFORM=xcb exec "$dir/tesselo") >"$dir.log" 2>&1 &
    PROGRAM_PID=$!
}

# Waits at most SECONDS for a visible top-level window of process PID whose title matches the
# regular expression NAME; prints the ids of the matching windows, one a line.
window_wait() {
    local name=$1 pid=$2 seconds=${3:-20}
    ((seconds < 1)) && seconds=1 # timeout 0 would wait for ever
    timeout "$seconds" xdotool search --sync --onlyvisible --pid "$pid" --name "$name"
}

# Prints WIDTHxHEIGHT of a window.
window_size() {
    xdotool getwindowgeometry --shell "$1" | awk -F= '
        $1 == "WIDTH" { w = $2 } $1 == "HEIGHT" { h = $2 } END { print w "x" h }'
}

# Asks a window to close, as its close box does.
window_close() {
    "$TESSELO_XCLOSE" "$1"
}

# Saves a PNG of a window once it has been painted (more than two colours), waiting at most
# five seconds for that.
window_screenshot() {
    local wid=$1 file=$2 tries=0
    while :; do
        xwd -silent -id "$wid" | convert xwd:- "png:$file" || return 1
        [ "$(identify -format %k "$file")" -gt 2 ] && return 0
        ((tries++ > 100)) && return 1
        sleep 0.05
    done
}

# Waits at most SECONDS for the child process PID to end and sets EXIT_CODE to its exit code.
# A process still running after that is killed and the wait fails. Call it directly, not in
# $(...): only the shell that started the process can collect its exit code.
process_wait_exit() {
    local pid=$1 seconds=${2:-10} deadline
    deadline=$((SECONDS + seconds))
    EXIT_CODE=
    # A child that has ended stays a zombie until it is waited for; `wait` itself cannot be
    # bounded, so the state is watched first.
    while [ -e "/proc/$pid" ] &&
        [ "$(sed -e 's/^.*) //' "/proc/$pid/stat" 2>/dev/null | cut -c 1)" != Z ]; do
        if ((SECONDS >= deadline)); then
            echo "process $pid still running after ${seconds}s; killed" >&2
            kill -KILL "$pid" 2>/dev/null
            wait "$pid" 2>/dev/null
            return 1
        fi
        sleep 0.05
    done
    EXIT_CODE=0
    wait "$pid" || EXIT_CODE=$?
}

# Compares a file's bytes with the bytes printf makes of FORMAT; reports both on a mismatch.
# shellcheck disable=SC2059 # the format is the point: it spells the expected bytes
file_has_bytes() {
    local file=$1 format=$2
    if ! cmp -s "$file" <(printf -- "$format"); then
        echo "$file holds:" >&2
        od -c "$file" >&2 || true
        echo "expected:" >&2
        printf -- "$format" | od -c >&2
        return 1
    fi
}

# The launcher's window is 310 x 482 pixels; the message boxes, also titled "TESSELO", are not.
LAUNCHER_SIZE=310x482

# Waits at most SECONDS for a visible window of PID titled NAME (a regular expression) that is
# the launcher (KIND "launcher": its size) or is not (KIND "other"), and prints its id.
window_wait_kind() {
    local pid=$1 name=$2 kind=$3 seconds=${4:-20} deadline wid is
    deadline=$((SECONDS + seconds))
    while ((SECONDS < deadline)); do
        for wid in $(window_wait "$name" "$pid" $((deadline - SECONDS)) 2>/dev/null); do
            is=other
            [ "$(window_size "$wid")" = "$LAUNCHER_SIZE" ] && is=launcher
            if [ "$is" = "$kind" ]; then
                echo "$wid"
                return 0
            fi
        done
        sleep 0.05
    done
    return 1
}

# Waits at most SECONDS for the visible launcher window of PID and prints its id. A message box
# that comes up first is not taken for it.
launcher_window_wait() {
    window_wait_kind "$1" '^TESSELO$' launcher "${2:-20}"
}

# Waits at most SECONDS for a visible message box of PID (a window titled TITLE that is not
# the launcher) and prints its id.
message_box_wait() {
    window_wait_kind "$1" "^$2\$" other "${3:-20}"
}

# Scenario frame. e2e_begin skips the scenario (exit 77) when Xvfb is not installed, makes the
# scratch folder WORK (removed at the end), and starts a display. fail reports, shows the
# program's output and ends the scenario.
E2E_SKIP=77

e2e_begin() {
    if ! command -v Xvfb >/dev/null; then
        echo "Xvfb is not installed: skipped"
        exit "$E2E_SKIP"
    fi
    : "${TESSELO_EXE:?set TESSELO_EXE to the built tesselo}"
    : "${TESSELO_XCLOSE:?set TESSELO_XCLOSE to the built tesselo_xclose}"
    WORK=$(mktemp -d)
    PROGRAM_PID=
    trap e2e_end EXIT
    xvfb_start || exit 1
}

e2e_end() {
    if [ -n "${PROGRAM_PID:-}" ] && kill -0 "$PROGRAM_PID" 2>/dev/null; then
        kill -KILL "$PROGRAM_PID" 2>/dev/null
        wait "$PROGRAM_PID" 2>/dev/null
    fi
    xvfb_stop
    rm -rf "$WORK"
}

fail() {
    echo "FAIL: $*" >&2
    local log
    for log in "$WORK"/*.log; do
        [ -s "$log" ] && { echo "--- $log" >&2; cat "$log" >&2; }
    done
    exit 1
}

# Closes the launcher window WID as a user does and checks that the program then ends with
# exit code 0 within ten seconds.
launcher_close_and_expect_clean_exit() {
    local wid=$1
    window_close "$wid" || fail "the launcher window did not take the close request"
    process_wait_exit "$PROGRAM_PID" 10 || fail "the program did not end after its window closed"
    PROGRAM_PID=
    [ "$EXIT_CODE" = 0 ] || fail "the program ended with exit code $EXIT_CODE"
}
