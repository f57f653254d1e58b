#!/usr/bin/env bash
# Installs what the benchmarks need, builds into build-bench and runs them.
# Arguments go to the benchmark program: --runs N, --picks N, --prints N,
# --seed N, --only startup|picks|print|register. Run as root: the print figure starts
# a private print spooler, as the print tests do.
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

# A virtual X server for the start-up figures, a spooler with a PDF queue for
# printing, and for the register a PostgreSQL server (see ensure_postgresql_server).
BENCH_PACKAGES=(xvfb xauth cups cups-client printer-driver-cups-pdf openssl)

ensure_packages "${BUILD_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"
ensure_postgresql_server "$NUTROVO_ROOT/build-bench/postgresql-server" >&2
# The build's progress goes to standard error: standard output is the report.
build_into "$NUTROVO_ROOT/build-bench" >&2
exec "$NUTROVO_ROOT/build-bench/bench/nutrovo_bench" "$@"
