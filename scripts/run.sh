#!/usr/bin/env bash
# Installs what is missing, builds, and opens the window.
set -euo pipefail
source "$(dirname "$0")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}"
build_into "$NUTROVO_ROOT/build"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    cat >&2 <<'MSG'
Nutrovo is built, but this machine has no display to open its window on
(neither DISPLAY nor WAYLAND_DISPLAY is set).

Run it from a desktop session, or under a virtual X server:
    apt-get install -y --no-install-recommends xvfb
    Xvfb :99 -screen 0 1024x768x24 &
    DISPLAY=:99 scripts/run.sh
MSG
    exit 2
fi
exec "$NUTROVO_ROOT/build/nutrovo"
