// Printing the window: an image of it, as it is displayed, goes to the
// system's default printer with no dialog. Every way this can fail is caught
// and reported as a failure; nothing here ends the program or changes the
// window.
#pragma once

#include <QString>

class QWidget;

namespace nutrovo::print {

struct PrintOutcome {
    int jobId = 0;   // the spooler's id for the job, once accepted
    QString failure; // why nothing was printed; empty on success
    bool printed() const { return failure.isEmpty() && jobId > 0; }
};

// Checks that the default printer is ready, makes the page and hands it to
// the spooler; printed only when the spooler has accepted the whole job.
PrintOutcome printWindow(QWidget &window) noexcept;

// The one message for a print that failed, whatever the cause: modal, OK
// only, no icon, under the application's title.
void tellPrintFailed(QWidget *parent);

} // namespace nutrovo::print
