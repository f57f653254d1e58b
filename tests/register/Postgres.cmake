# A private PostgreSQL server for the register's tests (see pg-fixture.sh):
# ctest starts it before the first test that needs it and stops it after the
# last, whichever tests are picked, and never runs two of them at once (a test
# may stop and start the server under the others).
#
# Its state lives under /tmp, not in the build folder: the server runs as
# nobody, which cannot enter a 0700 home, and the socket path must stay short
# wherever the checkout is. The name is fixed per build folder, so the
# clients' environment is known here, and two checkouts never share one.
string(SHA256 NUTROVO_PG_KEY "${CMAKE_CURRENT_BINARY_DIR}")
string(SUBSTRING "${NUTROVO_PG_KEY}" 0 16 NUTROVO_PG_KEY)
set(NUTROVO_PG_DIR /tmp/nutrovo-pg-${NUTROVO_PG_KEY})
set(NUTROVO_PG_SCRIPT ${CMAKE_CURRENT_SOURCE_DIR}/register/pg-fixture.sh)

add_test(NAME register_server_start
    COMMAND bash ${NUTROVO_PG_SCRIPT} start ${NUTROVO_PG_DIR})
add_test(NAME register_server_stop
    COMMAND bash ${NUTROVO_PG_SCRIPT} stop ${NUTROVO_PG_DIR})
set_tests_properties(register_server_start PROPERTIES
    FIXTURES_SETUP postgres RESOURCE_LOCK postgres LABELS register TIMEOUT 60)
set_tests_properties(register_server_stop PROPERTIES
    FIXTURES_CLEANUP postgres RESOURCE_LOCK postgres LABELS register TIMEOUT 60)

# What a test of the register needs to reach the server. The port is picked
# when the server starts, so a connection string comes from the service file
# ("service=nutrovo_app", nutrovo_owner, nutrovo_pw, nutrovo_tls) or from
# "pg-fixture.sh connection". The password is the one pg-fixture.sh sets.
set(NUTROVO_POSTGRES_ENVIRONMENT
    NUTROVO_PG_DIR=${NUTROVO_PG_DIR}
    NUTROVO_PG_SCRIPT=${NUTROVO_PG_SCRIPT}
    NUTROVO_PG_PASSWORD=nutrovo-test
    PGSERVICEFILE=${NUTROVO_PG_DIR}/pg_service.conf)

function(nutrovo_needs_postgres test)
    set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED postgres RESOURCE_LOCK postgres)
endfunction()
