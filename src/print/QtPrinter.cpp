#include "print/QtPrinter.h"

#include "print/PrintPage.h"

#include <QDateTime>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>

namespace nutrovo::print {

namespace {

class QtPrinter final : public Printer {
public:
    PrintOutcome print(QWidget &window) noexcept override
    {
        return trapped([&]() -> PrintOutcome {
            const QPrinterInfo destination = QPrinterInfo::defaultPrinter();
            if (destination.isNull())
                return {QStringLiteral("there is no default printer")};
            // On the printer's own default paper.
            QPrinter printer(destination, QPrinter::HighResolution);
            printer.setDocName(window.windowTitle());
            printer.setCreator(window.windowTitle());
            if (!paintWindowPage(printer, window,
                                 {PageDate::Made::Printed, QDateTime::currentDateTime()}))
                return {QStringLiteral("the page could not be handed to the printer")};
            return {};
        });
    }

    QSizeF paperMillimetres() noexcept override
    {
        const QPrinterInfo destination = QPrinterInfo::defaultPrinter();
        if (destination.isNull())
            return {};
        return destination.defaultPageSize().size(QPageSize::Millimeter);
    }
};

} // namespace

std::unique_ptr<Printer> qtPrinter() { return std::make_unique<QtPrinter>(); }

} // namespace nutrovo::print
