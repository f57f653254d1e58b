// Printing through the system's spooler (CUPS), talked to directly so that a
// stopped queue, a queue refusing jobs or a refused document is seen and
// reported. libcups is opened on the first print, not at start-up.
#pragma once

#include "print/Printer.h"

namespace nutrovo::print {

std::unique_ptr<Printer> cupsPrinter();

} // namespace nutrovo::print
