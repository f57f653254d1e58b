# Shared by the run and test commands: package installation and the build.
# shellcheck shell=bash

NUTROVO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# What building and running the window needs from Debian; the register adds
# Qt SQL's drivers for its file and a clinic's server, and Qt Charts (whose
# build files want the OpenGL module's). LLVM's linker links faster.
BUILD_PACKAGES=(g++ cmake make lld qt6-base-dev qt6-svg-dev qt6-qpa-plugins libcups2-dev
    fonts-liberation fonts-comic-neue fonts-dejavu-core fonts-symbola
    libqt6sql6-sqlite libqt6sql6-psql qt6-charts-dev libqt6opengl6-dev libpq-dev)

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

# Installing Debian's PostgreSQL server package makes and starts a cluster of
# the system's own. Where no server is installed, the register's tests take
# the server's programs unpacked from that package into the given folder
# (exported as NUTROVO_PG_PACKAGE_ROOT for tests/register/pg-fixture.sh), and
# only what it needs to run (its libraries, the client, time zones) is
# installed.
ensure_postgresql_server() {
    local root=$1 package
    local -a needs
    export NUTROVO_PG_PACKAGE_ROOT=$root
    if compgen -G '/usr/lib/postgresql/*/bin/postgres' >/dev/null ||
        compgen -G "$root/usr/lib/postgresql/*/bin/postgres" >/dev/null; then
        return 0
    fi
    [ -n "$(find /var/lib/apt/lists -maxdepth 1 -name '*_Packages*' -print -quit)" ] || apt-get update -qq
    package=$(apt-cache depends postgresql | sed -n 's/^  Depends: \(postgresql-[0-9][0-9.]*\)$/\1/p' | head -n 1)
    [ -n "$package" ] || { echo "no PostgreSQL server package in apt's lists" >&2; return 1; }
    mapfile -t needs < <(apt-cache depends "$package" | sed -n 's/^ *|\{0,1\}Depends: \([^<][^ ]*\)$/\1/p' |
        grep -vxE 'postgresql-common|ssl-cert|debconf.*|locales|locales-all')
    ensure_packages "${needs[@]}" || return 1
    echo "Unpacking $package into $root (not installed: it would start a cluster of the system's own) ..."
    unpack_package "$package" "$root"
}

# Downloads a Debian package and unpacks its files into the given folder
# (made with its parents; a fresh checkout has no build folder yet), without
# installing it. A half-unpacked folder is never left under that name.
unpack_package() {
    local package=$1 root=$2 work status=0
    work=$(mktemp -d)
    { (cd "$work" && apt-get download -qq "$package" 2>/dev/null) &&
        rm -rf "$root" "$root.partial" && mkdir -p "$root.partial" &&
        dpkg-deb -x "$work"/*.deb "$root.partial" && mv "$root.partial" "$root"; } || status=$?
    rm -rf "$work" "$root.partial"
    [ "$status" -eq 0 ] || echo "could not unpack $package into $root" >&2
    return "$status"
}

# Configures and builds into the given folder; extra arguments go to cmake.
# Sources are compiled in batches (a unity build): the toolkit's headers are
# read once per batch, not once per file, which halves the build. Each file
# still compiles on its own in the static-analysis stage.
build_into() {
    local dir=$1
    shift
    cmake -S "$NUTROVO_ROOT" -B "$dir" -DCMAKE_UNITY_BUILD=ON "$@" >/dev/null &&
        cmake --build "$dir" --parallel "$(nproc)"
}

# Runs ctest in the given build folder; extra arguments go to ctest. A failure
# names each failed test and, for a seeded one, the seed that replays it.
run_ctest() {
    local dir=$1 status=0
    shift
    # One test more than there are cores: many spend much of their time
    # waiting on their X server, print spooler or database server.
    (cd "$dir" && ctest --output-on-failure --parallel "$(($(nproc) + 1))" "$@") || status=$?
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
