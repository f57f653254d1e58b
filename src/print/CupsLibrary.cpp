#include "print/CupsLibrary.h"

#include <QLibrary>

#include <optional>

namespace nutrovo::print {

namespace {

std::optional<CupsLibrary> load()
{
    // Never unloaded: the spooler's connection may outlive any one print.
    QLibrary library(QStringLiteral("cups"), 2);
    if (!library.load())
        return std::nullopt;
    CupsLibrary cups;
    bool complete = true;
#define NUTROVO_CUPS_RESOLVE(name)                                                              \
    cups.name = reinterpret_cast<decltype(cups.name)>(library.resolve(#name));                 \
    complete = complete && cups.name != nullptr;
    NUTROVO_CUPS_FUNCTIONS(NUTROVO_CUPS_RESOLVE)
#undef NUTROVO_CUPS_RESOLVE
    if (!complete)
        return std::nullopt;
    return cups;
}

} // namespace

const CupsLibrary *cupsLibrary()
{
    static const std::optional<CupsLibrary> cups = load();
    return cups ? &*cups : nullptr;
}

} // namespace nutrovo::print
