// The seam between the window and whatever puts its page on paper. The build
// picks the platform's printer; tests hand the window one of their own.
#pragma once

#include <QSizeF>
#include <QString>

#include <exception>
#include <memory>

class QWidget;

namespace nutrovo::print {

struct PrintOutcome {
    QString failure; // why nothing was printed; empty when the page went out
    int jobId = 0;   // the spooler's id for the job, where the printer learns one
    bool printed() const { return failure.isEmpty(); }
};

class Printer {
public:
    virtual ~Printer() = default;
    // Puts an image of the window, as it is displayed, on the default printer
    // with no dialog. Every failure comes back as an outcome; nothing here
    // ends the program or changes the window.
    virtual PrintOutcome print(QWidget &window) noexcept = 0;
    // The paper the default printer would print on, when one is ready and
    // names it; empty otherwise. A page saved to a file takes it.
    virtual QSizeF paperMillimetres() noexcept { return {}; }
};

// The printer this build was configured with (NUTROVO_WITH_CUPS).
std::unique_ptr<Printer> platformPrinter();

// Runs one print, turning anything thrown into a failed outcome.
template <typename Print> PrintOutcome trapped(Print &&print) noexcept
{
    try {
        return print();
    } catch (const std::exception &e) {
        return {QString::fromUtf8(e.what())};
    } catch (...) {
        return {QStringLiteral("unknown error")};
    }
}

} // namespace nutrovo::print
