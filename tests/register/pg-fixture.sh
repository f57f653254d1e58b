#!/usr/bin/env bash
# A private PostgreSQL server for the register's tests and the benchmark: a
# cluster of its own (initdb) in STATE_DIR/data, run by nobody when started by
# root (else by the caller), on a socket in STATE_DIR/socket and, for TLS, on
# a free loopback port. The machine's clusters, port 5432 and /etc are left alone.
#
#   pg-fixture.sh start|stop STATE_DIR        make the cluster, roles and database and
#                                             start it | stop it and remove STATE_DIR
#   pg-fixture.sh stop-server|start-server STATE_DIR   stop it, keeping the cluster | start it again
#   pg-fixture.sh pause-server|resume-server STATE_DIR  SIGSTOP every process of it, as a hung
#                                             server | SIGCONT them
#   pg-fixture.sh psql STATE_DIR SQL          SQL as the superuser on nutrovo, rows unaligned
#   pg-fixture.sh connection STATE_DIR [ROLE [DATABASE]]   a connection string over the socket
#
# Roles: nutrovo_admin, superuser, socket only; nutrovo_owner owns the
# database nutrovo and makes the program's tables; nutrovo_app may only read
# and write rows there (nutrovo_owner's default privileges); nutrovo_pw is a
# member of nutrovo_app that must give its password on the socket too (the
# others are trusted there); nutrovo_reader may only read. All but the admin
# have the password "nutrovo-test"; TCP takes TLS with a password only.
#
# STATE_DIR also holds port, ca.crt (the server's throw-away certificate,
# which signs itself), pg_service.conf (nutrovo_app, nutrovo_owner and
# nutrovo_pw on the socket, nutrovo_tls over TLS) and server.log. It must be
# short (a socket path) without blanks or quotes, and reachable by the
# server's user; start marks it as the fixture's and sweeps its family's
# folders that a killed run left behind.
set -euo pipefail

readonly usage="usage: $0 start|stop|stop-server|start-server|pause-server|resume-server|psql|connection STATE_DIR"
action=${1:?$usage}
dir=${2:?$usage}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
case $dir in /*) ;; *) dir=$PWD/$dir ;; esac
dir=${dir%/}
# The server's processes are told by their working folder, which the kernel
# reports without symbolic links.
dir=$(realpath -m "$(dirname "$dir")")/$(basename "$dir")
# Every path below is absolute; the server's user may not be able to enter the caller's folder.
cd /

# shellcheck disable=SC2034 # both read by state-dir.sh
readonly marker=$dir/.nutrovo-postgres fixture=pg-fixture
readonly data=$dir/data
readonly socket_dir=$dir/socket
readonly pid_file=$dir/server.pid
readonly port_file=$dir/port
readonly log=$dir/server.log
readonly superuser=nutrovo_admin
readonly password=nutrovo-test
# Below the kernel's range for outgoing connections, away from 5432.
readonly first_port=20000 port_count=12000
# What a caller's environment could add to the connections this script makes.
while read -r name; do unset "$name"; done < <(compgen -e | grep '^PG' || true)

fail() {
    echo "pg-fixture: $*" >&2
    exit 1
}

# shellcheck source=../support/state-dir.sh
source "$here/../support/state-dir.sh"

# The newest of: the server Debian's packages installed, and the one unpacked
# from Debian's server package where none is installed (scripts/common.sh:
# installing it would make and start a cluster of the system's own), which
# start copies into STATE_DIR for the server's user to reach. psql and
# pg_isready come from the client package, installed either way.
newest() {
    { find "$@" -mindepth 3 -maxdepth 3 -path "*/bin/$program" 2>/dev/null || true; } | sort -V | tail -n 1
}
program=postgres bin=$(newest "$dir/server/usr/lib/postgresql" /usr/lib/postgresql)
bin=${bin%/postgres}
program=psql client_bin=$(newest /usr/lib/postgresql)
client_bin=${client_bin%/psql}

# The server's own programs run as its user, with nothing from the caller's
# environment. Root hands them to nobody, who cannot read the system cluster's
# files either.
if [ "$(id -u)" -eq 0 ]; then
    server_user=nobody
    as_server=(setpriv --reuid="$(id -u nobody)" --regid="$(id -g nobody)" --clear-groups)
else
    server_user=$(id -un)
    as_server=()
fi
as_server+=(env -i PATH=/usr/bin:/bin LC_ALL=C.UTF-8)
readonly server_user as_server

# The unpacked server, which scripts/common.sh makes ready only where the
# system has none.
copy_unpacked_server() {
    local unpacked=${NUTROVO_PG_PACKAGE_ROOT:-}
    [ -n "$unpacked" ] && [ -d "$unpacked/usr/lib/postgresql" ] || return 0
    mkdir -p "$dir/server/usr/lib" "$dir/server/usr/share"
    cp -a "$unpacked/usr/lib/postgresql" "$dir/server/usr/lib/"
    cp -a "$unpacked/usr/share/postgresql" "$dir/server/usr/share/"
    program=postgres bin=$(newest "$dir/server/usr/lib/postgresql")
    bin=${bin%/postgres}
}

require_tools() {
    [ -n "$bin" ] && [ -x "$bin/postgres" ] && [ -x "$client_bin/psql" ] ||
        fail "no PostgreSQL server and client under /usr/lib/postgresql or NUTROVO_PG_PACKAGE_ROOT; run scripts/test.sh, which makes them ready"
    command -v openssl >/dev/null || fail "openssl is missing; install the packages in scripts/test.d/register.packages"
    # It goes into connection strings unquoted.
    case $dir in *[[:space:]\'\\]*) fail "STATE_DIR may hold no blank, quote or backslash" ;; esac
    # sun_path holds 108 bytes with its terminator; the name is .s.PGSQL.<port>.lock.
    [ $((${#socket_dir} + 20)) -lt 108 ] || fail "the socket path under $socket_dir is too long; use a shorter STATE_DIR"
}

# Processes of the server in STATE_DIR: postgres with its data folder as working folder.
server_processes_of() {
    local data_dir=$1/data proc comm
    for proc in /proc/[0-9]*; do
        # read, not cat: one process less for each of the machine's processes
        read -r comm 2>/dev/null <"$proc/comm" || continue
        [ "$comm" = postgres ] && [ "$(readlink "$proc/cwd" 2>/dev/null)" = "$data_dir" ] &&
            echo "${proc#/proc/}"
    done
    return 0
}

# Only ever a postgres that this script started: a reused PID is left alone.
server_pid_of() {
    local pid
    [ -s "$1/server.pid" ] || return 1
    pid=$(cat "$1/server.pid")
    [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = postgres ] &&
        [ "$(readlink "/proc/$pid/cwd" 2>/dev/null)" = "$1/data" ] || return 1
    echo "$pid"
}

# Not ended, nor ended and waiting for its parent to collect it, which for a
# server started by an earlier run is init, in its own time.
process_running() {
    local stat
    read -r stat 2>/dev/null <"/proc/$1/stat" || return 1
    stat=${stat##*) }
    [ "${stat%% *}" != Z ]
}

# Waits up to STEPS × 50 ms for the process to end.
wait_for_exit() {
    local pid=$1 steps=$2
    while process_running "$pid"; do
        [ "$steps" -gt 0 ] || return 1
        sleep 0.05
        steps=$((steps - 1))
    done
}

# A server killed outright leaves its interlock segment of shared memory;
# remove it if it is still the one the server recorded and nothing uses it.
remove_shared_memory_of() {
    local key id
    read -r key id < <(sed -n 7p "$1/data/postmaster.pid" 2>/dev/null) || return 0
    [ -n "${id:-}" ] || return 0
    ipcs -m | awk -v key="$(printf '0x%08x' "$key")" -v id="$id" \
        '$1 == key && $2 == id && $6 == 0 { found = 1 } END { exit !found }' &&
        ipcrm -m "$id" 2>/dev/null || true
}

# Stops the server in STATE_DIR by the PID it recorded. "fast" (the second
# argument) ends the sessions and writes a checkpoint, so that the next start
# needs no recovery; otherwise, for a cluster about to be removed, an
# immediate shutdown spares syncing files only to delete them. A server that
# does not stop in time is stopped at once, then killed.
stop_server_of() {
    local state=$1 mode=${2:-immediate} pid leftover
    if pid=$(server_pid_of "$state"); then
        if [ "$mode" = fast ]; then
            kill -INT "$pid"
            wait_for_exit "$pid" 200 ||
                echo "pg-fixture: the server did not stop within 10 s; stopping it at once" >&2
        fi
        if server_pid_of "$state" >/dev/null; then
            kill -QUIT "$pid" 2>/dev/null || true
            if ! wait_for_exit "$pid" 100; then
                echo "pg-fixture: the server did not stop within 5 s; killing it" >&2
                server_log_tail "$state"
                kill -KILL "$pid" 2>/dev/null || true
            fi
        fi
    fi
    leftover=$(server_processes_of "$state")
    if [ -n "$leftover" ]; then
        # shellcheck disable=SC2086 # one PID a line
        kill -KILL $leftover 2>/dev/null || true
        for pid in $leftover; do wait_for_exit "$pid" 100 || true; done
    fi
    remove_shared_memory_of "$state"
    [ -z "$(server_processes_of "$state")" ] || fail "the server in $state did not stop"
    rm -f "$state/server.pid"
}

# What the server in STATE_DIR (by default this one) said, for a failure message.
server_log_tail() {
    tail -n 20 "${1:-$dir}/server.log" >&2 2>/dev/null || true
}

# A port that nothing on the machine listens on or connects from.
free_port() {
    local port tries
    for tries in $(seq 100); do
        port=$((first_port + (RANDOM * 32768 + RANDOM) % port_count))
        grep -qi "$(printf ':%04X ' "$port")" /proc/net/tcp /proc/net/tcp6 2>/dev/null || {
            echo "$port"
            return 0
        }
    done
    fail "found no free port in $tries tries"
}

# A throw-away certificate for localhost that signs itself: the clients take
# it as their root (ca.crt), and verify-full checks the name against it as
# against a clinic's CA.
write_certificates() {
    openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 -subj "/CN=localhost" \
        -addext subjectAltName=DNS:localhost,IP:127.0.0.1 -keyout "$data/server.key" -out "$data/server.crt" \
        2>"$dir/openssl.log" || { cat "$dir/openssl.log" >&2; fail "openssl could not make the certificate"; }
    install -m 0644 "$data/server.crt" "$dir/ca.crt"
    chmod 0600 "$data/server.key"
    chown "$server_user:" "$data/server.key" "$data/server.crt"
}

init_cluster() {
    mkdir -m 0700 "$data" "$socket_dir"
    chown "$server_user:" "$data" "$socket_dir"
    # --no-sync: the cluster lives for one run; the server itself syncs as usual.
    "${as_server[@]}" "$bin/initdb" -D "$data" -U "$superuser" -E UTF8 --locale=C.UTF-8 \
        --auth-local=trust --auth-host=reject --no-sync >"$dir/initdb.log" 2>&1 ||
        { cat "$dir/initdb.log" >&2; fail "initdb failed"; }
    cat >>"$data/postgresql.conf" <<EOF

# The test fixture's server: a socket of its own, TLS on loopback only.
listen_addresses = '127.0.0.1'
unix_socket_directories = '$socket_dir'
ssl = on
ssl_cert_file = 'server.crt'
ssl_key_file = 'server.key'
cluster_name = 'nutrovo-test'
# Dynamic shared memory in the data folder, so that none outlives STATE_DIR.
dynamic_shared_memory_type = mmap
log_line_prefix = '%m [%p] %q%u@%d '
EOF
    cat >"$data/pg_hba.conf" <<EOF
# TYPE  DATABASE  USER        ADDRESS       METHOD
local   all       nutrovo_pw                scram-sha-256
local   all       all                       trust
hostssl all       all         127.0.0.1/32  scram-sha-256
EOF
}

port() {
    cat "$port_file" 2>/dev/null || fail "$dir has no server (no $port_file); start it first"
}

wait_until_ready() {
    local pid=$1 waited=0
    until "$client_bin/pg_isready" -q -h "$socket_dir" -p "$(port)" -U "$superuser" -d postgres; do
        if ! process_running "$pid"; then
            server_log_tail
            fail "the server exited while starting"
        fi
        if [ $waited -ge 600 ]; then
            server_log_tail
            fail "the server did not accept connections within 30 s"
        fi
        sleep 0.05
        waited=$((waited + 1))
    done
}

start_server() {
    local pid
    if pid=$(server_pid_of "$dir"); then
        wait_until_ready "$pid"
        return 0
    fi
    [ -d "$data" ] || fail "$dir has no cluster; run start first"
    # Its own session, and no inherited output, so that ctest does not wait on it.
    setsid "${as_server[@]}" "$bin/postgres" -D "$data" -p "$(port)" </dev/null >>"$log" 2>&1 &
    echo $! >"$pid_file"
    wait_until_ready "$!"
}

# The first start picks the port; another program may take it first, so a
# server that could not listen is tried again on another.
start_server_on_free_port() {
    local tries logged
    for tries in 1 2 3 4 5; do
        free_port >"$port_file"
        logged=$(stat -c %s "$log" 2>/dev/null || echo 0)
        (start_server) && return 0
        tail -c +$((logged + 1)) "$log" | grep -q 'could not create any TCP/IP sockets' || exit 1
        echo "pg-fixture: port $(port) was taken; trying another"
    done
    fail "could not listen on a free port in $tries tries"
}

create_roles_and_databases() {
    local role
    {
        for role in nutrovo_owner nutrovo_app nutrovo_pw nutrovo_reader; do
            echo "CREATE ROLE $role LOGIN PASSWORD '$password';"
        done
        echo "GRANT nutrovo_app TO nutrovo_pw;"
        echo "CREATE DATABASE nutrovo OWNER nutrovo_owner;"
        echo "\\connect nutrovo"
        echo "ALTER DEFAULT PRIVILEGES FOR ROLE nutrovo_owner IN SCHEMA public
            GRANT SELECT, INSERT, UPDATE, DELETE ON TABLES TO nutrovo_app;"
        echo "ALTER DEFAULT PRIVILEGES FOR ROLE nutrovo_owner IN SCHEMA public
            GRANT USAGE, SELECT ON SEQUENCES TO nutrovo_app;"
        echo "ALTER DEFAULT PRIVILEGES FOR ROLE nutrovo_owner IN SCHEMA public
            GRANT SELECT ON TABLES TO nutrovo_reader;"
    } | run_psql postgres >/dev/null
}

run_psql() {
    local database=$1
    shift
    "$client_bin/psql" -X -q -At -v ON_ERROR_STOP=1 "$(socket_connection "$superuser" "$database")" "$@"
}

socket_connection() {
    echo "host=$socket_dir port=$(port) dbname=${2:-nutrovo} user=${1:-nutrovo_app}"
}

write_service_file() {
    local role
    {
        for role in nutrovo_app nutrovo_owner nutrovo_pw; do
            printf '[%s]\nhost=%s\nport=%s\ndbname=nutrovo\nuser=%s\n\n' "$role" "$socket_dir" "$(port)" "$role"
        done
        printf '[nutrovo_tls]\nhost=localhost\nport=%s\ndbname=nutrovo\nuser=nutrovo_app\nsslmode=verify-full\nsslrootcert=%s\n' \
            "$(port)" "$dir/ca.crt"
    } >"$dir/pg_service.conf"
}

case $action in
start)
    sweep_left_behind
    claim_state_dir
    copy_unpacked_server
    require_tools
    [ "$server_user" = "$(id -un)" ] || check_reachable "$server_user (the server's user)"
    init_cluster
    write_certificates
    start_server_on_free_port
    create_roles_and_databases
    write_service_file
    ;;
stop)
    stop_server_of "$dir"
    ! is_ours "$dir" || rm -rf "$dir"
    ;;
stop-server)
    stop_server_of "$dir" fast
    ;;
start-server)
    start_server
    ;;
pause-server | resume-server)
    signal=STOP
    [ "$action" = pause-server ] || signal=CONT
    for pid in $(server_processes_of "$dir"); do kill -"$signal" "$pid"; done
    ;;
psql)
    run_psql nutrovo -c "${3:?$usage SQL}"
    ;;
connection)
    socket_connection "${3:-}" "${4:-}"
    ;;
*)
    fail "$usage"
    ;;
esac
