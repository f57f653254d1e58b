// The libcups functions the spooler uses, looked up when the first print
// needs them. The program does not link libcups: start-up does not pay for it
// and its TLS, Kerberos and service-discovery libraries, and a system without
// it fails a print instead of refusing to start.
#pragma once

#include <cups/cups.h>
#include <cups/pwg.h>

namespace nutrovo::print {

// clang-format off
#define NUTROVO_CUPS_FUNCTIONS(X) \
    X(cupsCancelJob2) X(cupsCopyDestInfo) X(cupsCreateJob) X(cupsEncryption) \
    X(cupsFindDestDefault) X(cupsFinishDocument) X(cupsFreeDestInfo) X(cupsFreeDests) \
    X(cupsGetNamedDest) X(cupsGetOption) X(cupsLastErrorString) X(cupsServer) \
    X(cupsStartDocument) X(cupsWriteRequestData) \
    X(httpClose) X(httpConnect2) X(httpSetTimeout) \
    X(ippFindAttribute) X(ippGetCollection) X(ippGetInteger) X(ippGetString) X(ippPort) \
    X(pwgMediaForLegacy) X(pwgMediaForPPD) X(pwgMediaForPWG)
// clang-format on

// Each member has the type of the declaration in the library's own headers.
struct CupsLibrary {
// NOLINTNEXTLINE(bugprone-macro-parentheses): names a member, not an expression
#define NUTROVO_CUPS_POINTER(name) decltype(&::name) name = nullptr;
    NUTROVO_CUPS_FUNCTIONS(NUTROVO_CUPS_POINTER)
#undef NUTROVO_CUPS_POINTER
};

// The library, opened once; null when it or one of its functions is missing.
const CupsLibrary *cupsLibrary();

} // namespace nutrovo::print
