#!/usr/bin/env bash
# The private server's roles and sign-in as the register's tests rely on them:
# what nutrovo_app, nutrovo_owner and nutrovo_pw may do, and how each gets in.
set -uo pipefail
: "${NUTROVO_PG_DIR:?run by ctest, with the postgres fixture}"
fixture=(bash "$NUTROVO_PG_SCRIPT")
table=fixture_roles_check
failures=0

# expect CASE PATTERN CONNINFO SQL: psql's output, errors included, must match PATTERN.
expect() {
    local case=$1 pattern=$2 output
    output=$(psql -X -q -At -w -v ON_ERROR_STOP=1 "$3" -c "$4" 2>&1)
    if [[ $output =~ $pattern ]]; then
        echo "ok   $case"
    else
        echo "FAIL $case: wanted /$pattern/, got: $output"
        failures=$((failures + 1))
    fi
}

trap '"${fixture[@]}" psql "$NUTROVO_PG_DIR" "SET client_min_messages = warning; DROP TABLE IF EXISTS $table" >/dev/null' EXIT
unset PGPASSWORD
tcp="host=localhost port=$(cat "$NUTROVO_PG_DIR/port") dbname=nutrovo"

expect "the server syncs what it writes" '^on$' "service=nutrovo_owner" "SHOW fsync"
expect "the app's role cannot create tables" 'permission denied for schema public' \
    "service=nutrovo_app" "CREATE TABLE $table (id int)"
expect "the owner creates them" '^created$' "service=nutrovo_owner" \
    "CREATE TABLE $table (id serial PRIMARY KEY, name text); SELECT 'created'"
expect "the app's role writes and reads the owner's tables, sequences too" '^1\|Ada$' \
    "service=nutrovo_app" "INSERT INTO $table (name) VALUES ('Ada') RETURNING id, name"
expect "the app's role cannot drop them" 'must be owner of table' \
    "service=nutrovo_app" "DROP TABLE $table"
expect "nutrovo_pw is asked for its password on the socket" 'no password supplied' \
    "service=nutrovo_pw" "SELECT 1"
expect "a wrong password is refused" 'password authentication failed' \
    "service=nutrovo_pw password=wrong" "SELECT 1"
expect "its password lets it in, with the app's rights" '^1$' \
    "service=nutrovo_pw password=$NUTROVO_PG_PASSWORD" "SELECT count(*) FROM $table"
expect "TCP takes TLS with a certificate for localhost" '^t$' \
    "service=nutrovo_tls password=$NUTROVO_PG_PASSWORD" \
    "SELECT ssl FROM pg_stat_ssl WHERE pid = pg_backend_pid()"
expect "TCP refuses a connection without TLS" 'no pg_hba.conf entry' \
    "$tcp user=nutrovo_owner password=$NUTROVO_PG_PASSWORD sslmode=disable" "SELECT 1"
expect "the fixture's connection string reaches the app's role" '^nutrovo_app$' \
    "$("${fixture[@]}" connection "$NUTROVO_PG_DIR")" "SELECT current_user"
[ "$failures" -eq 0 ]
