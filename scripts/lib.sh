# Shared by scripts/run, scripts/test and scripts/bench (bash): packages, builds, displays.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# The display helpers (Xvfb start and stop, windows) are the ones the end-to-end tests use.
# shellcheck source=../tests/e2e/lib.sh
source "$ROOT/tests/e2e/lib.sh"

# Debian 12 packages for building, testing, fuzzing, the screenshot, the Debian package and
# the Windows compile check.
PACKAGES=(
    cmake ninja-build g++ clang libclang-rt-14-dev
    qt6-base-dev qt6-multimedia-dev qt6-translations-l10n fonts-ipafont-gothic
    libxcb1-dev pkg-config libglib2.0-dev
    xvfb xdotool x11-apps imagemagick
    pulseaudio pulseaudio-utils
    dpkg-dev desktop-file-utils file g++-mingw-w64-x86-64-posix
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

# configure BUILD_DIR CMAKE_ARGS...: configures the build folder (relative to the checkout).
configure() {
    local dir=$ROOT/$1
    shift
    say "configuring $dir"
    cmake -S "$ROOT" -B "$dir" -G Ninja "$@"
}

# build BUILD_DIR [TARGET...]: builds the given targets, or everything. Goes on past a failed
# target so that one breakage does not hide others; fails if any target failed.
build() {
    local dir=$ROOT/$1 targets=()
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
    local tries=0
    until pactl info >/dev/null 2>&1; do
        ((tries++ > 40)) && { echo "no sound server; the cues stay silent" >&2; return 0; }
        sleep 0.05
    done
}
