#include "print/Printer.h"

#ifdef NUTROVO_WITH_CUPS
#include "print/CupsPrinter.h"
#else
#include "print/QtPrinter.h"
#endif

namespace nutrovo::print {

std::unique_ptr<Printer> platformPrinter()
{
#ifdef NUTROVO_WITH_CUPS
    return cupsPrinter();
#else
    return qtPrinter();
#endif
}

} // namespace nutrovo::print
