# shellcheck shell=bash disable=SC2154 # dir, marker and fixture are the fixture's
# The state folder of a private server that the tests start and stop (the
# print spooler, the PostgreSQL server). start marks it with the PID and start
# time of the process that runs the fixture (ctest, for the suite), so that a
# later start can tell a folder that a killed run left behind from one in use.
#
# The fixture sets, before sourcing: dir (STATE_DIR, absolute, no trailing
# slash), marker (STATE_DIR/<its marker's name>) and fixture (its name, for
# messages); and defines fail MESSAGE and stop_server_of STATE_DIR.

readonly marker_name=${marker##*/}

# PID and start time: a PID alone may have been reused since.
owner_stamp() {
    local pid=$1 fields
    fields=$(cat "/proc/$pid/stat" 2>/dev/null) || return 1
    fields=${fields##*) }
    # shellcheck disable=SC2086 # split into fields on purpose
    set -- $fields
    echo "$pid ${20}"
}

owner_alive() {
    local recorded pid
    recorded=$(cat "$1/$marker_name" 2>/dev/null) || return 1
    pid=${recorded%% *}
    [ -n "$pid" ] && [ "$(owner_stamp "$pid" || true)" = "$recorded" ]
}

# A folder this fixture made: a real folder of the caller's, with its marker.
is_ours() {
    [ -d "$1" ] && [ ! -L "$1" ] && [ "$(stat -c %u "$1")" -eq "$(id -u)" ] && [ -f "$1/$marker_name" ]
}

# Marked folders beside STATE_DIR whose owner is gone: stop their server, remove them.
sweep_left_behind() {
    local family=${dir%-*} other
    [ "$family" != "$dir" ] && [ "$(dirname "$family")" = "$(dirname "$dir")" ] || return 0
    for other in "$family"-*; do
        [ "$other" != "$dir" ] && is_ours "$other" && ! owner_alive "$other" || continue
        echo "$fixture: removing $other, left by a run that was killed"
        stop_server_of "$other"
        rm -rf "$other"
    done
}

# Makes STATE_DIR (or takes an empty one, or one of ours whose run was killed)
# and marks it as the calling process's.
claim_state_dir() {
    if [ -e "$dir" ] || [ -L "$dir" ]; then
        if is_ours "$dir"; then
            owner_alive "$dir" && fail "$dir is in use by another run (owner $(cat "$marker"))"
            echo "$fixture: taking over $dir, left by a run that was killed"
            stop_server_of "$dir"
            find "$dir" -mindepth 1 -delete
        else
            [ -d "$dir" ] && [ ! -L "$dir" ] && [ "$(stat -c %u "$dir")" -eq "$(id -u)" ] &&
                [ -z "$(ls -A "$dir")" ] ||
                fail "$dir exists and is not an empty folder of $(id -un)'s or one this fixture made"
        fi
    else
        mkdir "$dir"
    fi
    chmod 0755 "$dir"
    owner_stamp "$PPID" >"$marker"
}

# The server's user must reach everything below STATE_DIR, so every folder
# above it must be open for others to pass through (a 0700 home is not).
check_reachable() {
    local user=$1 up=$dir
    while [ "$up" != / ] && [ -n "$up" ]; do
        up=$(dirname "$up")
        [ $((0$(stat -c %a "$up") & 1)) -eq 1 ] ||
            fail "$up is closed to others (mode $(stat -c %a "$up")), so $user cannot reach $dir; put STATE_DIR under /tmp"
    done
}
