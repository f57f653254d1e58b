#!/usr/bin/env bash
# Starts the program on the accessibility bus and reads it back through
# AT-SPI as a screen reader would. Runs inside an X session and a D-Bus
# session of its own (see CMakeLists.txt):
#   with-xvfb.sh dbus-run-session -- atspi-session.sh PROGRAM CHECKER
set -euo pipefail

program=${1:?usage: atspi-session.sh PROGRAM CHECKER}
checker=${2:?usage: atspi-session.sh PROGRAM CHECKER}
# Debian's interpreter: the one with the gi and pyatspi modules, whatever
# else PATH offers.
python=/usr/bin/python3

for need in "$python" dbus-run-session xdotool; do
    command -v "$need" >/dev/null || {
        echo "atspi: $need is missing (apt-get install -y --no-install-recommends python3 python3-pyatspi dbus at-spi2-core xdotool)" >&2
        exit 1
    }
done
"$python" -c 'import pyatspi' 2>/dev/null || {
    echo "atspi: $python cannot import pyatspi (apt-get install -y --no-install-recommends python3-pyatspi)" >&2
    exit 1
}
[ -n "${DISPLAY:-}" ] || { echo "atspi: no DISPLAY; run under with-xvfb.sh" >&2; exit 1; }
[ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] || { echo "atspi: no session bus; run under dbus-run-session" >&2; exit 1; }

# The register and settings the checker saves visits into, its own.
home=$(mktemp -d)
export XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config"

# The offscreen platform never joins the accessibility bus; a real X server does.
QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" &
app=$!
stop_program() {
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
    rm -rf "$home"
}
trap stop_program EXIT

"$python" -u "$checker" "$app"
kill -0 "$app" 2>/dev/null || { echo "atspi: the program ended during the checks" >&2; exit 1; }
