#!/usr/bin/env bash
# A private print spooler for the print tests: its own cupsd, configured and
# spooling under STATE_DIR and listening on STATE_DIR/cups.sock only, so that
# neither a spooler the machine already runs nor its queues are touched. Its
# one queue, "PDF", is a cups-pdf printer and the server's default; cups-pdf
# writes what it receives into STATE_DIR/out.
#
#   cups-fixture.sh start STATE_DIR     start the spooler with its queue
#   cups-fixture.sh stop STATE_DIR      stop it (by PID) and undo the changes
#
# What the tests use to break and mend the spooler between cases:
#   stop-daemon STATE_DIR               stop cupsd, keep its configuration
#   no-default STATE_DIR                queue present, but no default destination
#   no-printer STATE_DIR                no queue at all
#   refuse-jobs STATE_DIR               the queue refuses the caller's jobs
#   refuse-documents STATE_DIR          restart cupsd refusing request bodies
#                                       over 1 KB: jobs are created, documents refused
#   restore STATE_DIR                   running, queue enabled, accepting, on A4, default
#
# Clients reach it with CUPS_SERVER=STATE_DIR/cups.sock. Needs root: cups-pdf
# reads its output folder only from /etc/cups/cups-pdf.conf, which start
# changes and stop puts back.
set -euo pipefail

readonly usage="usage: $0 start|stop|stop-daemon|no-default|no-printer|refuse-documents|restore STATE_DIR"
action=${1:?$usage}
dir=${2:?$usage}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

readonly queue=PDF
readonly ppd=lsb/usr/cups-pdf/CUPS-PDF_opt.ppd
readonly cups_pdf_conf=/etc/cups/cups-pdf.conf
readonly saved_conf=$dir/cups-pdf.conf.saved
readonly pid_file=$dir/cupsd.pid
readonly socket=$dir/cups.sock
export CUPS_SERVER=$socket
# The administration commands must not pick up a caller's own choice of printer.
unset LPDEST PRINTER

fail() {
    echo "cups-fixture: $*" >&2
    exit 1
}

require_root() {
    [ "$(id -u)" -eq 0 ] || fail "must run as root (it edits $cups_pdf_conf and starts cupsd)"
    command -v cupsd >/dev/null || fail "cupsd is missing; install the packages in scripts/test.d/print.packages"
    [ -r "$cups_pdf_conf" ] || fail "$cups_pdf_conf is missing; install printer-driver-cups-pdf"
    # A Unix socket path must fit in sun_path (108 bytes with its terminator).
    [ ${#socket} -lt 100 ] || fail "the socket path $socket is too long; use a shorter build folder"
}

write_server_config() {
    local limit=${1:-}
    mkdir -p "$dir"/{etc,cache,state,spool,log,out}
    cat >"$dir/cups-files.conf" <<EOF
ServerRoot $dir/etc
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

# Sends cups-pdf's output (and its log) into the state folder, keeping the
# original to put back.
redirect_cups_pdf() {
    [ -e "$saved_conf" ] || cp -p "$cups_pdf_conf" "$saved_conf"
    {
        sed -E '/^[[:space:]]*(Out|AnonDirName|Log)[[:space:]]/d' "$saved_conf"
        printf 'Out %s\nAnonDirName %s\nLog %s\n' "$dir/out" "$dir/out" "$dir/log"
    } >"$cups_pdf_conf.nutrovo-tmp"
    chmod --reference="$saved_conf" "$cups_pdf_conf.nutrovo-tmp"
    mv "$cups_pdf_conf.nutrovo-tmp" "$cups_pdf_conf"
}

restore_cups_pdf() {
    if [ -e "$saved_conf" ]; then
        cp -p "$saved_conf" "$cups_pdf_conf"
        rm -f "$saved_conf"
    fi
}

daemon_pid() {
    local pid
    [ -s "$pid_file" ] || return 1
    pid=$(cat "$pid_file")
    # Only ever the cupsd this script started: a reused PID is left alone.
    [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = cupsd ] || return 1
    echo "$pid"
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
        [ $waited -lt 200 ] || fail "cupsd did not answer within 10 s"
        sleep 0.05
        waited=$((waited + 1))
    done
}

stop_daemon() {
    local pid waited=0
    if pid=$(daemon_pid); then
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
    rm -f "$pid_file" "$socket"
}

# The PDF goes through PostScript on its way to cups-pdf. Ghostscript, the
# usual converter, keeps how the text looks but not which characters it is
# (pdftotext reads symbols); poppler's cairo converter keeps both.
add_queue() {
    lpadmin -p "$queue" -E -v cups-pdf:/ -m "$ppd" -o pdftops-renderer-default=pdftocairo
}

queue_exists() {
    lpstat -v "$queue" >/dev/null 2>&1
}

restart_with_limit() {
    stop_daemon
    write_server_config "${1:-}"
    start_daemon
}

case $action in
start)
    require_root
    stop_daemon # whatever an interrupted run left behind
    rm -rf "$dir"/{etc,cache,state,spool,log,out}
    write_server_config
    redirect_cups_pdf
    start_daemon
    add_queue
    lpadmin -d "$queue"
    ;;
stop)
    stop_daemon
    restore_cups_pdf
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
*)
    fail "$usage"
    ;;
esac
