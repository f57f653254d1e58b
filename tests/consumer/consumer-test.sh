#!/usr/bin/env bash
# Configures, builds and runs a project that includes the planner with
# add_subdirectory, in the configuration other platforms use: the toolkit's
# printer instead of CUPS. Neither the consumer nor the program may need
# libcups. Usage: consumer-test.sh SOURCE_DIR WORK_DIR
set -euo pipefail
source_dir=$1
work=$2
rm -rf "$work"
# One translation unit per batch of sources: the test builds everything once
# more, and reading the toolkit's headers once per batch is most of the time.
cmake -S "$(dirname "$0")" -B "$work" -DNUTROVO_SOURCE_DIR="$source_dir" \
    -DNUTROVO_WITH_CUPS=OFF -DCMAKE_UNITY_BUILD=ON >/dev/null
cmake --build "$work" --target consumer nutrovo --parallel "$(nproc)" >/dev/null
for binary in "$work/consumer" "$work/nutrovo/nutrovo"; do
    [[ -x $binary ]] || { echo "not built: $binary"; exit 1; }
    if ldd "$binary" | grep -i libcups; then
        echo "$binary needs libcups"
        exit 1
    fi
done
QT_QPA_PLATFORM=offscreen "$work/consumer"
