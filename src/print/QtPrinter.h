// Printing through the toolkit's own print path to the default printer: builds
// wherever Qt does, but learns only whether the page could be handed over.
#pragma once

#include "print/Printer.h"

namespace nutrovo::print {

std::unique_ptr<Printer> qtPrinter();

} // namespace nutrovo::print
