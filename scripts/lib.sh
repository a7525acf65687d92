# Shared by scripts/run, scripts/test and scripts/bench (bash): packages, builds, displays, Wine.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian 12 packages for building, testing, fuzzing, the screenshot, the Debian package, the
# benchmark's session bus, the two sound servers the cues are heard through (PulseAudio, and
# PipeWire with its PulseAudio server and session manager), and the Windows build and its tests
# under Wine.
PACKAGES=(
    cmake ninja-build g++ clang clang-format libclang-rt-14-dev
    qt6-base-dev libpulse-dev qt6-translations-l10n fonts-ipafont-gothic
    libxcb1-dev pkg-config libglib2.0-dev
    xvfb xdotool x11-apps x11-utils imagemagick
    pulseaudio pulseaudio-utils dbus-daemon pipewire pipewire-pulse wireplumber
    dpkg-dev desktop-file-utils file
    g++-mingw-w64-x86-64-posix ccache wine wine64 fonts-dejavu-core zip
)

say() { printf '\n== %s\n' "$*"; }

# Installs whichever of PACKAGES (and any names given) are missing; apt's lists are updated
# only when something is missing. Uses sudo when not root.
install_packages() {
    local missing=() package sudo=()
    for package in "${PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$package")
    done
    ((${#missing[@]} == 0)) && return 0
    [ "$(id -u)" = 0 ] || sudo=(sudo)
    say "installing ${missing[*]}"
    "${sudo[@]}" apt-get update -q &&
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}" </dev/null
}

# configure BUILD_DIR CMAKE_ARGS...: configures the build folder (relative to the checkout, or
# absolute).
configure() {
    local dir=$1
    [[ $dir = /* ]] || dir=$ROOT/$dir
    shift
    say "configuring $dir"
    cmake -S "$ROOT" -B "$dir" -G Ninja "$@"
}

# build BUILD_DIR [TARGET...]: builds the given targets, or everything. Goes on past a failed
# target so that one breakage does not hide others; fails if any target failed.
build() {
    local dir=$1 targets=()
    [[ $dir = /* ]] || dir=$ROOT/$dir
    shift
    (($#)) && targets=(--target "$@")
    say "building ${*:-everything} in $dir"
    cmake --build "$dir" --parallel "$(nproc)" "${targets[@]}" -- -k 0
}

# Makes sure a sound server answers, so the sound cues have somewhere to go: starts a user
# PulseAudio with a null output when none runs. Best effort: the program runs without one.
ensure_sound_server() {
    command -v pactl >/dev/null && pactl info >/dev/null 2>&1 && return 0
    command -v pulseaudio >/dev/null || return 0
    pulseaudio --daemonize=yes --exit-idle-time=-1 --disallow-exit -n \
        --load=module-null-sink --load=module-native-protocol-unix \
        --log-target=stderr >/dev/null 2>&1 || true
    within_5s pactl info || echo "no sound server; the cues stay silent" >&2
}

# within_5s COMMAND...: runs the command until it succeeds, for at most 5 s.
within_5s() {
    local tries=0
    until "$@" >/dev/null 2>&1; do
        ((tries++ > 100)) && return 1
        sleep 0.05
    done
}

# The ordinary user that tests run the program as when root runs them. ordinary_user makes it
# when missing and prints its name; as_ordinary_user runs a command as it.
ORDINARY_USER=tesselo-ci
ordinary_user() {
    id -u $ORDINARY_USER >/dev/null 2>&1 ||
        useradd --system --user-group --no-create-home --shell /usr/sbin/nologin $ORDINARY_USER ||
        return 1
    echo $ORDINARY_USER
}
as_ordinary_user() { setpriv --reuid="$(ordinary_user)" --regid=$ORDINARY_USER --init-groups "$@"; }

# Display helpers for the run, the benchmark and the end-to-end test. The virtual display runs no
# window manager, so nothing decorates or moves the windows; a window is closed the way a close
# box closes it, by sending it WM_DELETE_WINDOW ($TESSELO_XCLOSE, built from tests/e2e/XClose.cpp).
# Programs these helpers use: Xvfb, xdotool, xwd and ImageMagick.

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

# Wine for the Windows build's tests. Debian's Wine runs 64-bit programs with wine64, which is
# not on the search path.
WINE=/usr/lib/wine/wine64

# wine_start PREFIX: on the display set, makes (12-16 s the first time) and uses a Wine prefix
# of our own, with a
# Japanese font and a UI font of the machine's (Wine does not look for them), no crash dialog
# waiting for a click, text files opening in Notepad as on Windows (Wine's prefix knows
# Notepad but not which files it opens), and one wineserver kept running for all the programs.
# Its output goes to /dev/null: its helpers hold on to whatever it was given, so a pipe would
# never end.
wine_start() {
    export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
    mkdir -p "$WINEPREFIX"
    /usr/lib/wine/wineserver -p >/dev/null 2>&1 </dev/null
    if [ ! -f "$WINEPREFIX/.tesselo-ready-2" ]; then
        "$WINE" wineboot --init >/dev/null 2>&1 </dev/null || return 1
        "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
            >/dev/null 2>&1 </dev/null || return 1
        "$WINE" reg add 'HKCR\.txt' /ve /d txtfile /f >/dev/null 2>&1 </dev/null || return 1
        cp /usr/share/fonts/opentype/ipafont-gothic/ipag*.ttf \
            /usr/share/fonts/truetype/dejavu/DejaVuSans*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" ||
            return 1
        touch "$WINEPREFIX/.tesselo-ready-2"
    fi
    # The desktop's process, which the first program with a window would start and hand its
    # output to (a test's pipe then stays open until the wineserver ends), starts here instead.
    "$WINE" rundll32.exe user32.dll,GetDesktopWindow >/dev/null 2>&1 </dev/null
}

# Ends the wineserver of the prefix that wine_start set, and every program still running in it.
wine_stop() {
    [ -n "${WINEPREFIX:-}" ] && /usr/lib/wine/wineserver -k >/dev/null 2>&1
    return 0
}
