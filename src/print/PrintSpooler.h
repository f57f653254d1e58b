// The system's print spooler (CUPS), reached through libcups on a connection
// of our own with short time limits, so that a missing or stuck spooler ends a
// print with a failure instead of freezing the window.
#pragma once

#include "print/Printer.h"

#include <QByteArray>
#include <QSizeF>
#include <QString>
#include <memory>

namespace nutrovo::print {

struct CupsLibrary;

// The default destination, once it has been found ready to take a job.
struct Destination {
    QString name;
    QSizeF mediaMillimetres; // its default paper; empty when it names none that is known
};

struct DestinationCheck {
    Destination destination;
    QString failure; // empty when the destination is ready
    bool ready() const { return failure.isEmpty(); }
};

class Spooler {
public:
    explicit Spooler(const CupsLibrary &cups);
    ~Spooler();
    Spooler(const Spooler &) = delete;
    Spooler &operator=(const Spooler &) = delete;

    // Looks up the default destination and refuses one that is stopped or
    // not accepting jobs: the spooler would take a job for it and keep it,
    // and the page would silently not come out.
    DestinationCheck checkDefaultDestination();

    // Sends one PDF document as one job; accepted only when the spooler has
    // given the job an id and confirmed the whole document.
    PrintOutcome submitPdf(const Destination &destination, const QString &title,
                           const QByteArray &pdf);

private:
    struct Connection;
    std::unique_ptr<Connection> connection_;
};

} // namespace nutrovo::print
