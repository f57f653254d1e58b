#!/usr/bin/env bash
# The whole ctest suite once more, built with AddressSanitizer and
# UndefinedBehaviorSanitizer: the first invalid access, leak, overflow or
# other undefined behaviour ends the test that met it with a stack trace.
set -euo pipefail
source "$(dirname "$0")/../common.sh"

BUILD_DIR="$NUTROVO_ROOT/build-asan"

# Also in force while building: the build runs a program of its own (the icon renderer).
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
# The sanitizers' option parser splits on blanks and colons outside quotes;
# a path holding a double quote cannot be quoted, so it gets a copy that can.
suppressions="$NUTROVO_ROOT/tests/sanitizers/lsan.supp"
case $suppressions in
*'"'*)
    copy=$(mktemp)
    trap 'rm -f "$copy"' EXIT
    cp "$suppressions" "$copy"
    suppressions=$copy
    ;;
esac
export LSAN_OPTIONS="suppressions=\"$suppressions\":print_suppressions=0"

started=$SECONDS
# Assertions on (Debug), lightly optimised: unoptimised code runs the
# exhaustive tests many times slower under the sanitizers. Line tables are
# all a stack trace needs.
# The benchmarks are left out: no test runs them.
build_into "$BUILD_DIR" -DNUTROVO_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
    "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1" -DNUTROVO_BUILD_BENCH=OFF
built=$SECONDS
# Tests labelled "build" configure and build the sources afresh in a folder of
# their own, without the sanitizers: they run no code of this build, and the
# main suite has just run them.
run_ctest "$BUILD_DIR" --label-exclude build
echo "sanitizers: built in $((built - started)) s, suite ran in $((SECONDS - built)) s"
