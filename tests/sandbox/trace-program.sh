#!/usr/bin/env bash
# Runs the real program under strace in a desktop-like session (X server,
# session bus, accessibility bus on), makes a few picks with the mouse, ends
# it, and hands the trace to the checker, which fails on any network use or
# file written outside its short list. Run inside an X and a D-Bus session:
#   with-xvfb.sh dbus-run-session -- trace-program.sh PROGRAM CHECKER
set -euo pipefail

program=${1:?usage: trace-program.sh PROGRAM CHECKER}
checker=${2:?usage: trace-program.sh PROGRAM CHECKER}
python=/usr/bin/python3 # Debian's, as the other scripted tests use
readonly title="Nutrovo - Meal Planner"

for need in strace xdotool dbus-send import convert compare identify "$python"; do
    command -v "$need" >/dev/null || {
        echo "sandbox: $need is missing (apt-get install -y --no-install-recommends strace xdotool dbus imagemagick python3)" >&2
        exit 1
    }
done
[ -n "${DISPLAY:-}" ] || { echo "sandbox: no DISPLAY; run under with-xvfb.sh" >&2; exit 1; }
[ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] || { echo "sandbox: no session bus; run under dbus-run-session" >&2; exit 1; }

work=$(mktemp -d)
tracer=""
cleanup() {
    if [ -n "$tracer" ]; then
        kill "$tracer" 2>/dev/null || true
        wait "$tracer" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# A desktop session has its own runtime folder; without one the toolkit
# creates a fallback under /tmp, which no user's desktop does.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# Leaks are checked by the sanitizer suite; the leak checker's own tracing
# cannot run while strace traces the process.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

# Which sockets the program may reach, found from the session itself.
a11y_bus=$(dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus \
    org.a11y.Bus.GetAddress | tr -d ' ')

QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    strace -f -qq -s 256 -o "$work/trace" \
    -e trace=%file,socket,connect,bind,listen,sendto,sendmsg,socketpair -e signal=none \
    -- "$program" &
tracer=$!

window=""
for _ in $(seq 150); do
    window=$(xdotool search --name "^$title\$" 2>/dev/null | head -n 1) && [ -n "$window" ] && break
    kill -0 "$tracer" 2>/dev/null || { echo "sandbox: the program ended before its window showed" >&2; exit 1; }
    sleep 0.2
done
[ -n "$window" ] || { echo "sandbox: no window \"$title\" within 30 s" >&2; exit 1; }

# The window's picture with a box around a point blanked out, so that only
# what changed elsewhere counts: the hover, press and focus marks of the
# control under the pointer do not.
picture_without() {
    local x=$1 y=$2 out=$3
    import -display "$DISPLAY" -window "$window" "$work/shot.png" 2>/dev/null &&
        convert "$work/shot.png" -fill black \
            -draw "rectangle $((x - 40)),$((y - 20)) $((x + 40)),$((y + 20))" "$out"
}

# Clicks on a window that has not painted yet are lost: wait for its first
# frame (a flat colour until then; the form has hundreds).
colours=0
for _ in $(seq 150); do
    import -display "$DISPLAY" -window "$window" "$work/shot.png" 2>/dev/null &&
        colours=$(identify -format '%k' "$work/shot.png" 2>/dev/null || echo 0)
    [ "${colours:-0}" -ge 16 ] && break
    sleep 0.2
done
[ "${colours:-0}" -ge 16 ] || { echo "sandbox: the window shows no painted frame within 30 s" >&2; exit 1; }

# Picks with the mouse, in the designed window's pixels: servings buttons of
# the protein and starches rows, the female button, then Reset Form. Each must
# change a field away from the spot clicked, or it missed its control and the
# trace would show less of the program than it should. The designed window
# (664 pixels high) sits at the bottom, under the menu bar.
eval "$(xdotool getwindowgeometry --shell "$window")"
top=$((HEIGHT - 664))
[ "$top" -ge 0 ] && [ "$top" -lt 100 ] || { echo "sandbox: the window is $HEIGHT pixels high" >&2; exit 1; }
for spot in "292 124" "340 156" "68 332" "688 508"; do
    read -r x y <<<"$spot"
    y=$((y + top))
    xdotool mousemove --window "$window" "$x" "$y"
    sleep 0.3
    picture_without "$x" "$y" "$work/before.png" || { echo "sandbox: cannot read the window" >&2; exit 1; }
    xdotool click 1
    changed=0
    for _ in $(seq 50); do
        sleep 0.2
        picture_without "$x" "$y" "$work/after.png" || continue
        changed=$(compare -metric AE "$work/before.png" "$work/after.png" null: 2>&1 || true)
        [ "${changed%%.*}" -gt 0 ] 2>/dev/null && break
    done
    [ "${changed%%.*}" -gt 0 ] 2>/dev/null ||
        { echo "sandbox: the click at $x,$y changed nothing in the window: it missed its control" >&2; exit 1; }
    echo "sandbox: the click at $x,$y changed $changed pixels elsewhere in the window"
done

program_pid=$(pgrep -P "$tracer" | head -n 1)
[ -n "$program_pid" ] || { echo "sandbox: the program ended during the picks" >&2; exit 1; }
kill "$program_pid"
wait "$tracer" || true
tracer=""

"$python" "$checker" "$work/trace" \
    --x-display "$DISPLAY" \
    --bus "$DBUS_SESSION_BUS_ADDRESS" \
    --bus "$a11y_bus" \
    --spooler "${CUPS_SERVER:-/run/cups/cups.sock}"
