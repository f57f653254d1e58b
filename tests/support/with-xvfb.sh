#!/usr/bin/env bash
# Runs a command on a private X server of its own, then stops that server.
# Usage: with-xvfb.sh COMMAND [ARGS...]
set -euo pipefail

if ! command -v Xvfb >/dev/null; then
    echo "with-xvfb: Xvfb is missing (apt-get install -y --no-install-recommends xvfb)" >&2
    exit 1
fi

work=$(mktemp -d)
# -displayfd picks a free display number and reports it once the server listens.
# -noreset: by default the server resets when its last client leaves, and a
# client connecting during the reset is refused (the accessibility bus
# launcher connects and leaves just before the program starts).
Xvfb -displayfd 5 -screen 0 2400x1800x24 -nolisten tcp -noreset 5>"$work/display" >"$work/log" 2>&1 &
server=$!
cleanup() {
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

for _ in $(seq 600); do
    [ -s "$work/display" ] && break
    kill -0 "$server" 2>/dev/null || { cat "$work/log" >&2; exit 1; }
    sleep 0.05
done
[ -s "$work/display" ] || { echo "with-xvfb: the X server did not start" >&2; exit 1; }

# The session's runtime folder (the accessibility bus puts its socket there,
# else under the home folder): short, whatever the checkout's path, and gone
# with the server.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export DISPLAY=":$(head -n 1 "$work/display")"
export QT_QPA_PLATFORM=xcb
"$@"
