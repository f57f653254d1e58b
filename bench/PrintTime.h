// Printing measured on the real window: from the click on "Print Form" to
// the spooler's acceptance of the job (the handler returns only then), with a
// private CUPS spooler whose one queue is a cups-pdf printer.
#pragma once

#include <string>
#include <vector>

namespace nutrovo::bench {

struct PrintTimes {
    std::vector<double> milliseconds; // one per print
    int failureMessages = 0;          // "can't be printed" boxes seen
    int pagesWritten = 0;             // PDFs the queue produced
    std::string failure;              // why nothing could be measured
};

// Needs a QApplication and root (the spooler fixture edits cups-pdf's
// configuration while it runs). `fixtureScript` is tests/print/cups-fixture.sh.
PrintTimes measurePrint(int prints, const std::string &fixtureScript);

} // namespace nutrovo::bench
