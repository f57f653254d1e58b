#!/usr/bin/env bash
# A private print spooler for the print tests: its own cupsd, configured,
# spooling and listening (STATE_DIR/cups.sock) under STATE_DIR only, so that
# neither a spooler the machine already runs, nor its queues, nor anything
# under /etc is touched. Its one queue, "PDF", is the server's default: the
# cups-pdf printer description (page sizes, PostScript input) with a backend of
# this spooler's own, which turns each job into a PDF as cups-pdf does (the
# same Ghostscript call) but writes it into STATE_DIR/out. cups-pdf itself
# reads its output folder from /etc only, so it is not used.
#
#   cups-fixture.sh start STATE_DIR     start the spooler with its queue
#   cups-fixture.sh stop STATE_DIR      stop it (by PID) and remove STATE_DIR
#
# What the tests use to break and mend the spooler between cases:
#   stop-daemon STATE_DIR               stop cupsd, keep its configuration
#   no-default STATE_DIR                queue present, but no default destination
#   no-printer STATE_DIR                no queue at all
#   refuse-jobs STATE_DIR               the queue refuses the caller's jobs
#   refuse-documents STATE_DIR          restart cupsd refusing request bodies
#                                       over 1 KB: jobs are created, documents refused
#   restore STATE_DIR                   running, queue enabled, accepting, on A4, default
#   errors STATE_DIR                    the spooler's error lines and queue state
#
# STATE_DIR must be short (the socket path must fit a Unix socket address)
# and reachable by the spooler's filter user, lp: the filters and the backend
# run as lp. start makes it (or takes an empty one), marks it as this
# fixture's own and sweeps marked folders of the same family that a killed
# run left behind. Clients reach it with CUPS_SERVER=STATE_DIR/cups.sock.
set -euo pipefail

readonly usage="usage: $0 start|stop|stop-daemon|no-default|no-printer|refuse-jobs|refuse-documents|restore|errors STATE_DIR"
action=${1:?$usage}
dir=${2:?$usage}
case $dir in /*) ;; *) dir=$PWD/$dir ;; esac
dir=${dir%/}

readonly queue=PDF
readonly ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
readonly backend=nutrovo-pdf
readonly filter_user=lp
# shellcheck disable=SC2034 # both read by state-dir.sh
readonly marker=$dir/.nutrovo-spooler fixture=cups-fixture
readonly pid_file=$dir/cupsd.pid
readonly socket=$dir/cups.sock
export CUPS_SERVER=$socket
# The administration commands must not pick up a caller's own choice of printer.
unset LPDEST PRINTER

fail() {
    echo "cups-fixture: $*" >&2
    exit 1
}

# shellcheck source=../support/state-dir.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/state-dir.sh"

require_tools() {
    [ "$(id -u)" -eq 0 ] || fail "must run as root (it starts cupsd)"
    local tool
    for tool in cupsd lpadmin gs; do
        command -v "$tool" >/dev/null ||
            fail "$tool is missing; install the packages in scripts/test.d/print.packages"
    done
    [ -r "$ppd" ] || fail "$ppd is missing; install printer-driver-cups-pdf"
    # sun_path holds 108 bytes with its terminator.
    [ ${#socket} -lt 100 ] || fail "the socket path $socket is too long; use a shorter STATE_DIR"
}

# Only ever a cupsd that this script started: a reused PID is left alone.
daemon_pid_of() {
    local pid
    [ -s "$1/cupsd.pid" ] || return 1
    pid=$(cat "$1/cupsd.pid")
    [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = cupsd ] || return 1
    echo "$pid"
}

daemon_pid() {
    daemon_pid_of "$dir"
}

stop_server_of() {
    local state=$1 pid waited=0
    if pid=$(daemon_pid_of "$state"); then
        kill -TERM "$pid"
        while kill -0 "$pid" 2>/dev/null; do
            if [ $waited -ge 100 ]; then
                kill -KILL "$pid" 2>/dev/null || true
                break
            fi
            sleep 0.05
            waited=$((waited + 1))
        done
    fi
    rm -f "$state/cupsd.pid" "$state/cups.sock"
}

stop_daemon() {
    stop_server_of "$dir"
}

write_server_config() {
    local limit=${1:-}
    cat >"$dir/cups-files.conf" <<EOF
ServerRoot $dir/etc
ServerBin $dir/serverbin
StateDir $dir/state
CacheDir $dir/cache
RequestRoot $dir/spool
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
SystemGroup root
EOF
    cat >"$dir/cupsd.conf" <<EOF
LogLevel info
Listen $socket
Browsing No
WebInterface No
DefaultAuthType Basic
${limit:+LimitRequestBody $limit}
<Location />
  Order allow,deny
  Allow localhost
</Location>
EOF
}

# The spooler's programs are the system's, but for the one backend: its own.
write_server_bin() {
    local part
    mkdir -p "$dir/serverbin/backend"
    for part in cgi-bin daemon driver filter monitor notifier; do
        ln -s "/usr/lib/cups/$part" "$dir/serverbin/$part"
    done
    write_backend >"$dir/serverbin/backend/$backend"
    # Not writable but by root, or cupsd refuses to run it; run as lp.
    chmod 0755 "$dir/serverbin/backend/$backend"
}

# A CUPS backend: no arguments lists the device; otherwise the job (a file or
# standard input, PostScript from the queue's filters) becomes one PDF. It
# appears under its final name only once complete.
write_backend() {
    printf '#!/bin/bash\nset -uo pipefail\nout=%q\n' "$dir/out"
    cat <<'EOF'
if [ $# -eq 0 ]; then
    echo 'direct nutrovo-pdf "Unknown" "PDF files of the test spooler"'
    exit 0
fi
job=$1
input=${6:--}
partial=$(mktemp "$out/.job-$job.XXXXXX") || { echo "ERROR: cannot write into $out" >&2; exit 1; }
if gs -q -dCompatibilityLevel=1.4 -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pdfwrite \
    -sOutputFile="$partial" -dAutoRotatePages=/PageByPage -dAutoFilterColorImages=false \
    -dColorImageFilter=/FlateEncode -dPDFSETTINGS=/prepress -c -f "$input" 2>"$partial.log"; then
    mv "$partial" "$out/job-$job.pdf"
    rm -f "$partial.log"
    exit 0
fi
sed 's/^/ERROR: gs: /' "$partial.log" >&2
rm -f "$partial" "$partial.log"
exit 1
EOF
}

scheduler_running() {
    lpstat -r 2>/dev/null | grep -q 'is running'
}

start_daemon() {
    daemon_pid >/dev/null && return 0
    # Its own session, and no inherited output, so that ctest does not wait on it.
    setsid cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" \
        </dev/null >"$dir/log/cupsd.out" 2>&1 &
    echo $! >"$pid_file"
    local waited=0
    until scheduler_running; do
        if ! daemon_pid >/dev/null; then
            cat "$dir/log/cupsd.out" "$dir/log/error_log" >&2 2>/dev/null || true
            fail "cupsd exited while starting"
        fi
        [ $waited -lt 600 ] || fail "cupsd did not answer within 30 s"
        sleep 0.05
        waited=$((waited + 1))
    done
}

# The PDF goes through PostScript on its way to the backend. Ghostscript, the
# usual converter, keeps how the text looks but not which characters it is
# (pdftotext reads symbols); poppler's cairo converter keeps both.
add_queue() {
    lpadmin -p "$queue" -E -v "$backend:/" -P "$ppd" -o pdftops-renderer-default=pdftocairo
}

queue_exists() {
    lpstat -v "$queue" >/dev/null 2>&1
}

restart_with_limit() {
    stop_daemon
    write_server_config "${1:-}"
    start_daemon
}

# What the spooler itself said went wrong, for a test's failure message.
report_errors() {
    echo "queue: $(lpstat -p "$queue" 2>&1 | tr '\n' ' ')"
    echo "jobs: $(lpstat -o 2>&1 | tr '\n' ' ')"
    grep -hE '^E ' "$dir/log/error_log" 2>/dev/null | tail -n 20 || true
    tail -n 5 "$dir/log/cupsd.out" 2>/dev/null || true
}

case $action in
start)
    require_tools
    sweep_left_behind
    claim_state_dir
    check_reachable "$filter_user (the spooler's filters)"
    mkdir -p "$dir"/{etc,cache,state,spool,log,out}
    chown "$filter_user:$filter_user" "$dir/out"
    write_server_config
    write_server_bin
    start_daemon
    add_queue
    lpadmin -d "$queue"
    ;;
stop)
    stop_daemon
    ! is_ours "$dir" || rm -rf "$dir"
    ;;
stop-daemon)
    stop_daemon
    ;;
no-default)
    # A default, once set, can only go with its queue: remove and re-add it.
    lpadmin -x "$queue"
    add_queue
    ;;
no-printer)
    lpadmin -x "$queue"
    ;;
refuse-jobs)
    lpadmin -p "$queue" -u "deny:$(id -un)"
    ;;
refuse-documents)
    restart_with_limit 1024
    ;;
restore)
    if grep -q '^LimitRequestBody' "$dir/cupsd.conf"; then
        restart_with_limit
    else
        start_daemon
    fi
    queue_exists || add_queue
    # First: a queue that refuses the user's jobs refuses their commands too.
    lpadmin -p "$queue" -u allow:all
    cupsenable "$queue"
    cupsaccept "$queue"
    lpadmin -p "$queue" -o PageSize=A4
    lpadmin -d "$queue"
    ;;
errors)
    report_errors
    ;;
*)
    fail "$usage"
    ;;
esac
