#include "print/CupsPrinter.h"

#include "print/CupsLibrary.h"
#include "print/PrintPage.h"
#include "print/PrintSpooler.h"

#include <QDateTime>
#include <QWidget>

namespace nutrovo::print {

namespace {

PrintOutcome printOrFail(const CupsLibrary &cups, QWidget &window)
{
    Spooler spooler(cups);
    // Checked before anything is made: a stopped queue or one refusing jobs
    // would otherwise swallow the page without a word.
    const DestinationCheck check = spooler.checkDefaultDestination();
    if (!check.ready())
        return {check.failure};

    const QByteArray pdf = windowPagePdf(window, check.destination.mediaMillimetres,
                                         {PageDate::Made::Printed, QDateTime::currentDateTime()});
    if (pdf.isEmpty())
        return {QStringLiteral("the page could not be made")};
    return spooler.submitPdf(check.destination, window.windowTitle(), pdf);
}

class CupsPrinter final : public Printer {
public:
    PrintOutcome print(QWidget &window) noexcept override
    {
        return trapped([&]() -> PrintOutcome {
            const CupsLibrary *cups = cupsLibrary();
            if (cups == nullptr)
                return {QStringLiteral("the print spooler's library (libcups.so.2) can't be loaded")};
            return printOrFail(*cups, window);
        });
    }

    QSizeF paperMillimetres() noexcept override
    {
        try {
            const CupsLibrary *cups = cupsLibrary();
            if (cups == nullptr)
                return {};
            Spooler spooler(*cups);
            const DestinationCheck check = spooler.checkDefaultDestination();
            return check.ready() ? check.destination.mediaMillimetres : QSizeF();
        } catch (...) {
            return {};
        }
    }
};

} // namespace

std::unique_ptr<Printer> cupsPrinter() { return std::make_unique<CupsPrinter>(); }

} // namespace nutrovo::print
