#!/usr/bin/env bash
# The editor from the pop-up menu: a name typed into slot 1, a program and a picture picked
# through the file chooser (mouse and arrow keys), "更　新" and its "更新完了。" box, then the
# editor closed with "キャンセル". The slot file then holds exactly the new record, and slot 1's
# button starts the picked program at once, without a restart.
#
# The chooser lists the directory the launcher was started in, so the launcher is started in
# a folder that holds the program and two pictures.
set -u
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/launch_lib.sh"
e2e_begin

app=$WORK/app
mkdir -p "$WORK/pick"
pick=$(cd "$WORK/pick" && pwd -P)
program_copy "$app"
rm -f "$app/Data/SetUp.FIL"
printf '0,0\r\n' >"$app/Data/DataBase.FIL"
marker_program "$pick/game"
# Two one-pixel bitmaps; only the second is picked.
for picture in a.bmp pic.bmp; do
    printf 'BM\x3a\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x18\0' \
        >"$pick/$picture"
    printf '\0\0\0\0\x04\0\0\0\x13\x0b\0\0\x13\x0b\0\0\0\0\0\0\0\0\0\0\0\0\xff\0' \
        >>"$pick/$picture"
done
trap 'marker_programs_end "$pick/game"; e2e_end' EXIT

# Moves the pointer to (X, Y) in window WID and clicks button BUTTON COUNT times.
click_at() {
    local wid=$1 x=$2 y=$3 button=${4:-1} count=${5:-1}
    xdotool mousemove --window "$wid" "$x" "$y" click --repeat "$count" --delay 80 "$button"
}

# Prints the ids of PID's visible windows titled exactly TITLE. xdotool matches names ignoring
# case ("Tesselo" would find "TESSELO") and, without --all, takes a window that meets any one
# of the conditions; the exact title is compared here.
titled_windows() {
    local pid=$1 title=$2 id
    for id in $(xdotool search --all --onlyvisible --pid "$pid" --name "^$title\$" 2>/dev/null); do
        [ "$(xdotool getwindowname "$id")" = "$title" ] && echo "$id"
    done
}

# Waits at most SECONDS for PID's visible window titled exactly TITLE and prints its id.
titled_window_wait() {
    local pid=$1 title=$2 seconds=${3:-20} deadline id
    deadline=$((SECONDS + seconds))
    until id=$(titled_windows "$pid" "$title" | head -n 1) && [ -n "$id" ]; do
        ((SECONDS >= deadline)) && return 1
        sleep 0.05
    done
    echo "$id"
}

# Waits at most SECONDS until no visible window of PID is titled exactly TITLE.
window_gone_wait() {
    local pid=$1 title=$2 seconds=${3:-10} deadline
    deadline=$((SECONDS + seconds))
    while [ -n "$(titled_windows "$pid" "$title")" ]; do
        ((SECONDS >= deadline)) && return 1
        sleep 0.05
    done
}

# Waits at most SECONDS until PID shows more than COUNT windows.
windows_more_than_wait() {
    local pid=$1 count=$2 seconds=${3:-10} deadline
    deadline=$((SECONDS + seconds))
    until (($(xdotool search --all --onlyvisible --pid "$pid" '' 2>/dev/null | wc -l) > count)); do
        ((SECONDS >= deadline)) && return 1
        sleep 0.05
    done
}

# Picks a file in the chooser: clicks the first file in the list, presses the down arrow
# DOWNS times, then "O K". The file list is 3480, 360 twips from the corner, "O K" at 3480,
# 3960, 2175 x 375.
choose_file() {
    local downs=$1 chooser
    chooser=$(titled_window_wait "$PROGRAM_PID" FileManager) || fail "the chooser did not open"
    click_at "$chooser" 260 34
    for ((; downs > 0; downs--)); do
        xdotool key --clearmodifiers Down
    done
    click_at "$chooser" 304 277
    window_gone_wait "$PROGRAM_PID" FileManager || fail "the chooser did not close"
}

(cd "$pick" && QT_QPA_PLATFORM=xcb exec "$app/tesselo") >"$app.log" 2>&1 &
PROGRAM_PID=$!
wid=$(launcher_window_wait "$PROGRAM_PID") || fail "the launcher window did not appear"

# The background below slot 5's button opens the pop-up menu, a window of its own; its first
# item is "パス設定".
click_at "$wid" 20 470 3
windows_more_than_wait "$PROGRAM_PID" 1 || fail "the pop-up menu did not open"
xdotool key Down Return
editor=$(titled_window_wait "$PROGRAM_PID" SetUp) || fail "the editor did not open"

# Slot 1: name box at 240, 720 (3015 x 375 twips), program box at 240, 1200 (3015 x 615),
# picture path box at 3480, 1680 (975 x 270).
click_at "$editor" 116 60
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 'Game One'
click_at "$editor" 116 90 1 2
choose_file 0
click_at "$editor" 264 121 1 2
choose_file 1

# "更　新" at 240, 120 (1815 x 375 twips).
click_at "$editor" 76 20
box=$(titled_window_wait "$PROGRAM_PID" Tesselo) || fail "no \"更新完了。\" message"
xdotool windowfocus --sync "$box" key Return
window_gone_wait "$PROGRAM_PID" Tesselo || fail "the message box did not close on Enter"

# One record of three length-counted texts, zero filled to 500 bytes; then four empty ones.
expected=$WORK/expected.FIL
: >"$expected"
for text in 'Game One' "$pick/game" "$pick/pic.bmp"; do
    printf "\\x$(printf %02x ${#text})\\x00%s" "$text" >>"$expected"
done
truncate -s 2500 "$expected"
cmp -s "$expected" "$app/Data/SetUp.FIL" || {
    od -c "$app/Data/SetUp.FIL" | head -n 20 >&2
    fail "the slot file does not hold the new record"
}

# "キャンセル" at 2760, 120 (1695 x 375 twips) closes the editor.
click_at "$editor" 240 20
window_gone_wait "$PROGRAM_PID" SetUp || fail "the editor did not close"

run_button_click "$wid" 1
marker_wait "$pick/game" 1 || fail "slot 1's button did not start the picked program"
launcher_close_and_expect_clean_exit "$wid"
echo "PASS"
