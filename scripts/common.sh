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
