#include "print/FormPrinter.h"

#include "print/PrintPage.h"
#include "print/PrintSpooler.h"
#include "window/QtText.h"

#include <QDateTime>
#include <QMessageBox>
#include <exception>

namespace nutrovo::print {

namespace {

PrintOutcome printOrFail(QWidget &window)
{
    Spooler spooler;
    // Checked before anything is made: a stopped queue or one refusing jobs
    // would otherwise swallow the page without a word.
    const DestinationCheck check = spooler.checkDefaultDestination();
    if (!check.ready())
        return {0, check.failure};

    const QByteArray pdf =
        windowPagePdf(window, check.destination.mediaMillimetres, QDateTime::currentDateTime());
    if (pdf.isEmpty())
        return {0, QStringLiteral("the page could not be made")};

    const Submission submission = spooler.submitPdf(check.destination, ui::windowTitle(), pdf);
    return {submission.jobId, submission.failure};
}

} // namespace

PrintOutcome printWindow(QWidget &window) noexcept
{
    try {
        return printOrFail(window);
    } catch (const std::exception &e) {
        return {0, QString::fromUtf8(e.what())};
    } catch (...) {
        return {0, QStringLiteral("unknown error")};
    }
}

void tellPrintFailed(QWidget *parent)
{
    QMessageBox box(QMessageBox::NoIcon, ui::windowTitle(),
                    QStringLiteral("The form can't be printed."), QMessageBox::Ok, parent);
    box.exec();
}

} // namespace nutrovo::print
