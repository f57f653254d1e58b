#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless.
set -euo pipefail
source "$(dirname "$0")/common.sh"

TEST_PACKAGES=(xvfb xauth)

ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
build_into "$NUTROVO_ROOT/build"
cd "$NUTROVO_ROOT/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)"
