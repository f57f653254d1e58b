#!/usr/bin/env bash
# The install steps of scripts/common.sh that run only on a machine that lacks
# something (here, every machine has it all), run here on stand-ins: apt-get
# is a shell function that serves packages this test builds, and records each
# call.
set -euo pipefail
source "$(dirname "$0")/../../scripts/common.sh"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
check() {
    local what=$1
    shift
    if "$@"; then echo "ok   $what"; else echo "FAIL $what" >&2; failures=$((failures + 1)); fi
}

# A server package of one program, as apt-get download would leave it.
make_server_deb() {
    local tree=$scratch/tree
    mkdir -p "$tree/DEBIAN" "$tree/usr/lib/postgresql/99/bin"
    printf 'Package: postgresql-99\nVersion: 1\nArchitecture: all\nMaintainer: test <test@localhost>\nDescription: stand-in\n' \
        >"$tree/DEBIAN/control"
    printf '#!/bin/sh\necho stand-in\n' >"$tree/usr/lib/postgresql/99/bin/postgres"
    chmod 0755 "$tree/usr/lib/postgresql/99/bin/postgres"
    dpkg-deb --build --root-owner-group "$tree" "$scratch/postgresql-99_1_all.deb" >/dev/null
}
make_server_deb

apt-get() {
    echo "apt-get $*" >>"$scratch/apt-calls"
    case $1 in
    download) [ "$3" = postgresql-99 ] && cp "$scratch/postgresql-99_1_all.deb" . ;;
    update) : ;;
    install) [ "$*" = "install -y -qq --no-install-recommends nutrovo-absent-1 nutrovo-absent-2" ] ;;
    *) return 1 ;;
    esac
}

# A fresh checkout: neither the build folder nor its parent exists yet.
root="$scratch/a checkout/build/postgresql-server"
check "the server unpacks into a folder whose parents do not exist yet" \
    unpack_package postgresql-99 "$root"
check "its program is there, executable" test -x "$root/usr/lib/postgresql/99/bin/postgres"
check "a second unpacking replaces the first" unpack_package postgresql-99 "$root"

missing="$scratch/other/postgresql-server"
export scratch
export -f unpack_package apt-get
check "a package that can't be downloaded fails, with a message" \
    bash -c '! "$@" 2>"$0/stderr" && grep -q "could not unpack postgresql-98" "$0/stderr"' \
    "$scratch" unpack_package postgresql-98 "$missing"
check "and leaves no folder behind" test ! -e "$missing"

# Every package here is installed: nothing is fetched, not even the lists.
: >"$scratch/apt-calls"
check "installed packages fetch nothing" ensure_packages bash coreutils
check "not even apt's lists" test ! -s "$scratch/apt-calls"

# A fresh machine: the lists are fetched once, then only the missing packages
# installed; without root, nothing is tried and the message names them.
: >"$scratch/apt-calls"
check "missing packages: the lists, then exactly those installed" \
    ensure_packages bash nutrovo-absent-1 coreutils nutrovo-absent-2
check "in that order" diff <(printf 'apt-get update -qq\napt-get install -y -qq --no-install-recommends nutrovo-absent-1 nutrovo-absent-2\n') \
    "$scratch/apt-calls"
: >"$scratch/apt-calls"
id() { if [ "$*" = -u ]; then echo 1000; else command id "$@"; fi; }
export -f id ensure_packages
check "without root: a failure that says what to install" \
    bash -c '! ensure_packages nutrovo-absent-1 2>"$0/stderr" && grep -q "apt-get install -y --no-install-recommends nutrovo-absent-1" "$0/stderr"' "$scratch"
check "and nothing fetched" test ! -s "$scratch/apt-calls"

[ "$failures" -eq 0 ] || { echo "$failures failed" >&2; exit 1; }
echo "all passed"
