#!/usr/bin/env bash
# Configures, builds and runs a project that includes the planner with
# add_subdirectory. Usage: consumer-test.sh SOURCE_DIR WORK_DIR
set -euo pipefail
source_dir=$1
work=$2
rm -rf "$work"
cmake -S "$(dirname "$0")" -B "$work" -DNUTROVO_SOURCE_DIR="$source_dir" >/dev/null
cmake --build "$work" --target consumer --parallel "$(nproc)" >/dev/null
QT_QPA_PLATFORM=offscreen "$work/consumer"
