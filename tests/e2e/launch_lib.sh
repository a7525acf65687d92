# Helpers for the launch scenarios (bash; source after lib.sh).

# Writes APP/Data/SetUp.FIL with slot 1 starting PROGRAM (no picture) and slots 2 to 5 empty.
# The texts are ASCII, so their code page 932 bytes are the bytes themselves.
slot_file_with_program() {
    local app=$1 program=$2 file record i
    file=$app/Data/SetUp.FIL
    : >"$file"
    for i in 1 2 3 4 5; do
        record=$(mktemp)
        if [ "$i" = 1 ]; then
            printf '\x05\x00Slot1' >"$record"
            printf "\\x$(printf %02x ${#program})\\x00%s" "$program" >>"$record"
        else
            printf '\x00\x00' >"$record"
        fi
        printf '\x00\x00' >>"$record" # no picture
        truncate -s 500 "$record"
        cat "$record" >>"$file"
        rm -f "$record"
    done
}

# Makes an executable PATH that, once started, appends its process id to PATH.ran and then
# runs on for a minute. Its name may contain spaces.
marker_program() {
    local path=$1
    printf '#!/bin/sh\necho $$ >>"$0.ran"\nexec sleep 60\n' >"$path"
    chmod +x "$path"
}

# Waits at most SECONDS for PATH.ran to hold COUNT lines.
marker_wait() {
    local path=$1 count=$2 seconds=${3:-10} deadline
    deadline=$((SECONDS + seconds))
    until [ -f "$path.ran" ] && [ "$(wc -l <"$path.ran")" -ge "$count" ]; do
        ((SECONDS >= deadline)) && return 1
        sleep 0.05
    done
}

# Clicks slot I's "Program RUN" button in the launcher window WID (240, 1320 + 1320 (I - 1),
# 3015 x 375 twips; 15 twips to a pixel).
run_button_click() {
    local wid=$1 i=$2
    xdotool mousemove --window "$wid" $(((240 + 3015 / 2) / 15)) \
        $(((1320 + 1320 * (i - 1) + 375 / 2) / 15)) click 1
}

# Ends the marker programs recorded in PATH.ran, by their process ids.
marker_programs_end() {
    local path=$1 pid
    [ -f "$path.ran" ] || return 0
    while read -r pid; do
        kill "$pid" 2>/dev/null
    done <"$path.ran"
}
