#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless: the ctest
# suite (offscreen, plus the parts that need a real X server or print spooler,
# which the suite starts and stops itself), then each stage in scripts/test.d.
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
build_into "$NUTROVO_ROOT/build"
(cd "$NUTROVO_ROOT/build" && ctest --output-on-failure --parallel "$(nproc)")

for stage in "$NUTROVO_ROOT"/scripts/test.d/*.sh; do
    echo "== $(basename "$stage" .sh)"
    bash "$stage"
done
