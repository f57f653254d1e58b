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
# The static-analysis stage, while it runs beside the suites.
analysis=
stop_analysis() {
    [ -z "$analysis" ] || kill -- -"$analysis" 2>/dev/null || true
}
check_machine_unchanged() {
    local status=$?
    stop_analysis
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

# Static analysis reads the main build and nothing else, so it runs beside
# the suites, at the lowest priority: on the cores that their waits (on X
# servers, the spooler, the database) leave idle, without taking any from
# them. It is waited for at the end; a failure elsewhere stops it. It gets a
# process group of its own to be stopped by, but stays in this session: the
# kernel shares the processor fairly between sessions whatever their
# priority, so a session of its own would take half of it from the suites.
analysis_stage=$NUTROVO_ROOT/scripts/test.d/20-static-analysis.sh
set -m
NUTROVO_MAIN_BUILT=1 nice -n 19 bash "$analysis_stage" >"$state/analysis.log" 2>&1 &
analysis=$!
set +m
analysis_started=$SECONDS

started=$SECONDS
run_ctest "$NUTROVO_ROOT/build"
timings+=("time: suite $((SECONDS - started)) s")

for stage in "$NUTROVO_ROOT"/scripts/test.d/*.sh; do
    [ "$stage" != "$analysis_stage" ] || continue
    name=$(basename "$stage" .sh)
    echo "== $name"
    started=$SECONDS
    bash "$stage"
    timings+=("time: $name $((SECONDS - started)) s")
done

echo "== $(basename "$analysis_stage" .sh) (beside the suites)"
analysis_status=0
wait "$analysis" || analysis_status=$?
analysis=
cat "$state/analysis.log"
timings+=("time: $(basename "$analysis_stage" .sh) $((SECONDS - analysis_started)) s, beside the suites")
[ "$analysis_status" -eq 0 ] || exit "$analysis_status"
