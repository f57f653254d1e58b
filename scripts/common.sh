# Shared by the run and test commands: package installation and the build.
# shellcheck shell=bash

NUTROVO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# What building and running the window needs from Debian.
BUILD_PACKAGES=(g++ cmake make qt6-base-dev qt6-svg-dev qt6-qpa-plugins libcups2-dev
    fonts-liberation fonts-comic-neue fonts-dejavu-core)

# Installs whichever of the given Debian packages are missing. Package lists
# are fetched only when something has to be installed.
ensure_packages() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "These Debian packages are missing: ${missing[*]}" >&2
        echo "Install them as root: apt-get install -y --no-install-recommends ${missing[*]}" >&2
        return 1
    fi
    echo "Installing ${missing[*]} ..."
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq &&
        apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Configures and builds into the given folder; extra arguments go to cmake.
build_into() {
    local dir=$1
    shift
    cmake -S "$NUTROVO_ROOT" -B "$dir" "$@" >/dev/null &&
        cmake --build "$dir" --parallel "$(nproc)"
}

# Runs ctest in the given build folder; extra arguments go to ctest. A failure
# names each failed test and, for a seeded one, the seed that replays it.
run_ctest() {
    local dir=$1 status=0
    shift
    (cd "$dir" && ctest --output-on-failure --parallel "$(nproc)" "$@") || status=$?
    if [ "$status" -ne 0 ]; then
        echo "ctest in $dir failed (exit status $status)." >&2
        if [ -s "$dir/Testing/Temporary/LastTestsFailed.log" ]; then
            sed 's/^[0-9]*:/  failed: /' "$dir/Testing/Temporary/LastTestsFailed.log" >&2
        fi
        grep -hoE 'replay with NUTROVO_SEED=[0-9]+ NUTROVO_EVENTS=[0-9]+' \
            "$dir/Testing/Temporary/LastTest.log" 2>/dev/null | sed 's/^/  random events: /' >&2 || true
    fi
    return "$status"
}

# What the test command must leave as it found it: every file under /etc
# (type, mode, owner, link target, contents) and the installed packages.
machine_state() {
    find /etc -xdev -printf '%y %m %u:%g %p -> %l\n' | LC_ALL=C sort
    find /etc -xdev -type f -print0 | LC_ALL=C sort -z | xargs -0 -r sha256sum
    dpkg-query -W -f='${db:Status-Abbrev} ${Package}:${Architecture} ${Version}\n' | LC_ALL=C sort
}
