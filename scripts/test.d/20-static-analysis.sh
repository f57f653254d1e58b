#!/usr/bin/env bash
# clang-tidy (.clang-tidy) and cppcheck on the project's own code: every
# source file the main build compiles under src/, tests/, bench/ and
# packaging/, with the headers they include. Any finding fails the stage,
# except those listed in scripts/static-analysis/known-findings.txt.
set -euo pipefail
source "$(dirname "$0")/../common.sh"

# The main build, as scripts/test.sh makes it; another folder may be named.
BUILD_DIR="${NUTROVO_BUILD_DIR:-$NUTROVO_ROOT/build}"
CONFIG_DIR="$NUTROVO_ROOT/scripts/static-analysis"
CLANG_TIDY=clang-tidy-22
JOBS=$(nproc)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for tool in "$CLANG_TIDY" cppcheck /usr/bin/python3; do
    command -v "$tool" >/dev/null || {
        echo "static-analysis: $tool is missing; install scripts/test.d/static-analysis.packages" >&2
        exit 1
    }
done

started=$SECONDS
# The compilation database, and the moc files that tests include, come from
# the main build; scripts/test.sh has just made it, so this is quick.
build_into "$BUILD_DIR" >"$work/build.log" 2>&1 || {
    cat "$work/build.log" >&2
    echo "static-analysis: the build in $BUILD_DIR failed" >&2
    exit 1
}

# Each source file once (some are compiled into two targets), generated ones
# left out. The build compiles sources in batches; each file is analysed on
# its own, with its batch's command. clang-tidy reads the compiler's commands
# without its precompiled headers (it can't read the compiler's), so it
# parses the headers themselves.
mkdir -p "$work/db"
/usr/bin/python3 - "$BUILD_DIR/compile_commands.json" "$NUTROVO_ROOT" "$work/db/compile_commands.json" \
    >"$work/files" <<'PY'
import json, os, re, shlex, sys
root = os.path.realpath(sys.argv[2])
own = tuple(os.path.join(root, d) + os.sep for d in ("src", "tests", "bench", "packaging"))
batched = re.compile(r'^#include "(.*)"$', re.M)

def without_precompiled(arguments):
    kept = []
    for argument in arguments:
        if kept and kept[-1] == "-include" and argument.endswith("cmake_pch.hxx"):
            kept.pop()
        elif argument != "-Winvalid-pch":
            kept.append(argument)
    return kept

def sources_of(entry):
    path = os.path.join(entry["directory"], entry["file"])
    if "/Unity/unity_" not in path:
        return [path]
    return batched.findall(open(path, encoding="utf-8").read())

entries, seen = [], set()
for entry in json.load(open(sys.argv[1])):
    arguments = without_precompiled(shlex.split(entry["command"]))
    batch = os.path.join(entry["directory"], entry["file"])
    for source in sources_of(entry):
        entries.append({"directory": entry["directory"], "file": source,
                        "arguments": [source if a == entry["file"] or a == batch else a for a in arguments]})
        path = os.path.realpath(source)
        if path.startswith(own) and path not in seen:
            seen.add(path)
            print(path)
json.dump(entries, open(sys.argv[3], "w"), indent=1)
PY
grep -E "/(src|packaging)/" "$work/files" >"$work/product" || true
grep -vE "/(src|packaging)/" "$work/files" >"$work/checks" || true
echo "static-analysis: $(wc -l <"$work/files") files"
[ -s "$work/files" ] || { echo "static-analysis: no source file found in $BUILD_DIR/compile_commands.json" >&2; exit 1; }

# clang-tidy, one file per process, as many at once as there are cores. Test
# and benchmark code skips the path-sensitive analyser: QtTest's macros make
# it several times slower there, for findings the tests themselves catch.
# Each file's report and exit status are kept apart, so that a file clang-tidy
# could not analyse is told from one with findings.
mkdir -p "$work/tidy"
tidy_one() {
    local report=$1 file=$2 status=0
    printf '%s\n' "$file" >"$report.file"
    "$CLANG_TIDY" -p "$ANALYSIS_DB" --quiet ${TIDY_CHECKS:+"--checks=$TIDY_CHECKS"} "$file" \
        >"$report.log" 2>&1 || status=$?
    echo "$status" >"$report.status"
}
export -f tidy_one
ANALYSIS_DB="$work/db"
export CLANG_TIDY ANALYSIS_DB
# Each file goes through as one argument, NUL-separated: blanks in paths stay put.
tidy() {
    local list=$1 group=$2
    [ -s "$list" ] || return 0
    awk -v report="$work/tidy/$group" '{ printf "%s-%d%c%s%c", report, NR, 0, $0, 0 }' "$list" |
        xargs -0 -n 2 -P "$JOBS" bash -c 'tidy_one "$1" "$2"' tidy
}
TIDY_CHECKS="" tidy "$work/product" product
TIDY_CHECKS="-clang-analyzer-*" tidy "$work/checks" checks
tidied=$SECONDS

# A file was analysed when clang-tidy ended cleanly, or ended with findings
# of its checks and no compiler error. Anything else (it could not parse the
# file, found no flags for it, or never ran) fails the stage.
analysed=0
unanalysed=0
for file_record in "$work"/tidy/*.file; do
    report=${file_record%.file}
    status=$(cat "$report.status" 2>/dev/null || echo "none: it never finished")
    if [ "$status" = 0 ] ||
        { grep -Eq ': (warning|error): .*\[[a-z][^]]*\]$' "$report.log" &&
            ! grep -Eq 'clang-diagnostic-error|Error while processing|Found compiler error|Running without flags' \
                "$report.log"; }; then
        analysed=$((analysed + 1))
    else
        unanalysed=$((unanalysed + 1))
        echo "static-analysis: clang-tidy could not analyse $(cat "$report.file") (exit status $status):" >&2
        sed 's/^/    /' "$report.log" | head -n 30 >&2
    fi
done
listed=$(wc -l <"$work/files")
cat "$work"/tidy/*.log >"$work/tidy.log" 2>/dev/null || true
echo "static-analysis: clang-tidy analysed $analysed of $listed files"

# A finding is "path:line:col: warning|error: text [check]"; a header's
# findings repeat for every file that includes it.
grep -E '^/[^:]+:[0-9]+:[0-9]+: (warning|error): .*\[[^]]+\]$' "$work/tidy.log" |
    sed -E 's/,-warnings-as-errors\]$/]/' | sort -u >"$work/findings" || true

known=0
new=0
while IFS= read -r finding; do
    path=${finding%%:*}
    relative=${path#"$NUTROVO_ROOT"/}
    check=$(sed -E 's/.*\[([^]]+)\]$/\1/' <<<"$finding")
    if grep -Eq "^${relative//./\\.}[[:space:]]+${check//./\\.}([[:space:]]|$)" \
        "$CONFIG_DIR/known-findings.txt"; then
        known=$((known + 1))
        echo "known $finding"
    else
        new=$((new + 1))
        echo "$finding" >&2
    fi
done <"$work/findings"

# A listed finding that no longer occurs has been fixed: its line can go.
# (sed, not grep: an empty list is no failure.)
sed -E '/^[[:space:]]*(#|$)/d' "$CONFIG_DIR/known-findings.txt" | while read -r relative check; do
    grep -Fq "$NUTROVO_ROOT/$relative:" "$work/findings" &&
        grep -F "$NUTROVO_ROOT/$relative:" "$work/findings" | grep -Fq "[$check]" ||
        echo "static-analysis: $relative $check is fixed; remove it from known-findings.txt"
done

# cppcheck names each file as it starts on it; every listed file must be named.
mkdir -p "$BUILD_DIR/cppcheck"
cppcheck_status=0
cppcheck --enable=warning,style,performance,portability --std=c++20 --language=c++ \
    --library=qt -I "$NUTROVO_ROOT/src" -I "$NUTROVO_ROOT/tests/support" \
    --inline-suppr --suppressions-list="$CONFIG_DIR/cppcheck-suppressions.txt" \
    --cppcheck-build-dir="$BUILD_DIR/cppcheck" -j "$JOBS" --error-exitcode=1 \
    --template='{file}:{line}:{column}: {severity}: {message} [{id}]' \
    --file-list="$work/files" >"$work/cppcheck.out" || cppcheck_status=$?
sed -n 's/^Checking \(.*\) \.\.\.$/\1/p' "$work/cppcheck.out" | sort -u >"$work/cppchecked"
cppchecked=$(comm -12 <(sort "$work/files") "$work/cppchecked" | wc -l)
echo "static-analysis: cppcheck checked $cppchecked of $listed files"
comm -23 <(sort "$work/files") "$work/cppchecked" | sed 's/^/static-analysis: cppcheck did not check /' >&2

echo "static-analysis: clang-tidy $((tidied - started)) s, cppcheck $((SECONDS - tidied)) s;" \
    "$new new finding(s), $known known"
if [ "$analysed" -ne "$listed" ] || [ "$cppchecked" -ne "$listed" ]; then
    echo "static-analysis: not every listed file was analysed; see above" >&2
    exit 1
fi
if [ "$new" -gt 0 ] || [ "$cppcheck_status" -ne 0 ]; then
    echo "static-analysis: fix the findings above (or, for a deliberate exception, NOLINT or" \
        "cppcheck-suppress on the line, with the reason)" >&2
    exit 1
fi
