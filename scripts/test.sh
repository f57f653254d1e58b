#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless: the ctest
# suite (offscreen, plus the parts that need a real X server or print spooler,
# which the suite starts and stops itself), then each stage in scripts/test.d.
# Last, it checks that /etc and the installed packages are as they were once
# the packages it needs were in place.
set -euo pipefail
source "$(dirname "$0")/common.sh"

# Each stage lists the Debian packages it needs in a .packages file beside it.
TEST_PACKAGES=(xvfb xauth imagemagick)
shopt -s nullglob
for list in "$NUTROVO_ROOT"/scripts/test.d/*.packages; do
    mapfile -t extra < <(grep -v '^\s*#' "$list" | tr -s ' \t' '\n' | grep -v '^$')
    TEST_PACKAGES+=("${extra[@]}")
done

ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
ensure_postgresql_server "$NUTROVO_ROOT/build/postgresql-server"

state=$(mktemp -d)
machine_state >"$state/before"
timings=()
check_machine_unchanged() {
    local status=$?
    machine_state >"$state/after"
    if ! diff "$state/before" "$state/after" >"$state/diff"; then
        echo "FAIL the test command changed the machine outside the checkout:" >&2
        head -n 40 "$state/diff" >&2
        status=1
    else
        echo "ok   /etc and the installed packages are as before the suite"
    fi
    rm -rf "$state"
    printf '%s\n' "${timings[@]}"
    [ "$status" -eq 0 ] && echo "test command: passed in $SECONDS s" ||
        echo "test command: FAILED after $SECONDS s" >&2
    exit "$status"
}
trap check_machine_unchanged EXIT
trap 'exit 130' INT TERM

started=$SECONDS
build_into "$NUTROVO_ROOT/build"
timings+=("time: build $((SECONDS - started)) s")
started=$SECONDS
run_ctest "$NUTROVO_ROOT/build"
timings+=("time: suite $((SECONDS - started)) s")

for stage in "$NUTROVO_ROOT"/scripts/test.d/*.sh; do
    name=$(basename "$stage" .sh)
    echo "== $name"
    started=$SECONDS
    bash "$stage"
    timings+=("time: $name $((SECONDS - started)) s")
done
