# A private print spooler for the print tests (see cups-fixture.sh): ctest
# starts it before the first test that needs it and stops it after the last,
# whichever tests are picked, and never runs two of them at once.
#
# Its state lives under /tmp, not in the build folder: the spooler's filters
# run as lp, which cannot enter a 0700 home, and the socket path must stay
# short wherever the checkout is. The name is fixed per build folder, so the
# clients' environment is known here, and two checkouts never share one.
string(SHA256 NUTROVO_SPOOLER_KEY "${CMAKE_CURRENT_BINARY_DIR}")
string(SUBSTRING "${NUTROVO_SPOOLER_KEY}" 0 16 NUTROVO_SPOOLER_KEY)
set(NUTROVO_SPOOLER_DIR /tmp/nutrovo-spooler-${NUTROVO_SPOOLER_KEY})
set(NUTROVO_SPOOLER_SCRIPT ${CMAKE_CURRENT_SOURCE_DIR}/print/cups-fixture.sh)

add_test(NAME print_spooler_start
    COMMAND bash ${NUTROVO_SPOOLER_SCRIPT} start ${NUTROVO_SPOOLER_DIR})
add_test(NAME print_spooler_stop
    COMMAND bash ${NUTROVO_SPOOLER_SCRIPT} stop ${NUTROVO_SPOOLER_DIR})
set_tests_properties(print_spooler_start PROPERTIES
    FIXTURES_SETUP spooler RESOURCE_LOCK spooler LABELS print TIMEOUT 60)
set_tests_properties(print_spooler_stop PROPERTIES
    FIXTURES_CLEANUP spooler RESOURCE_LOCK spooler LABELS print TIMEOUT 60)

# What a test that prints needs to find the spooler and its output.
set(NUTROVO_SPOOLER_ENVIRONMENT
    CUPS_SERVER=${NUTROVO_SPOOLER_DIR}/cups.sock
    NUTROVO_SPOOLER_DIR=${NUTROVO_SPOOLER_DIR}
    NUTROVO_SPOOLER_SCRIPT=${NUTROVO_SPOOLER_SCRIPT})

function(nutrovo_needs_spooler test)
    set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED spooler RESOURCE_LOCK spooler)
endfunction()
