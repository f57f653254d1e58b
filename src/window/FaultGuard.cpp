#include "window/FaultGuard.h"

#include "window/QtText.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>

namespace nutrovo::ui {

namespace {

FaultReporter &currentReporter()
{
    static FaultReporter reporter = reportFaultAndExit;
    return reporter;
}

} // namespace

FaultReporter setFaultReporter(FaultReporter reporter)
{
    FaultReporter previous = std::move(currentReporter());
    currentReporter() = reporter ? std::move(reporter) : FaultReporter(reportFaultAndExit);
    return previous;
}

void reportFault(const std::string &what)
{
    // Copied: a reporter may replace itself while it runs.
    const FaultReporter reporter = currentReporter();
    reporter(what);
}

void reportFaultAndExit(const std::string &what)
{
    const QString message = QStringLiteral("Run-time error: %1.\n\nThe calculation was stopped "
                                           "and the program will close; no result of it is shown.")
                                .arg(QString::fromStdString(what));
    std::fprintf(stderr, "nutrovo: run-time error: %s\n", what.c_str());
    if (qobject_cast<QApplication *>(QCoreApplication::instance())) {
        QMessageBox::critical(nullptr, windowTitle(), message);
    }
    std::fflush(nullptr);
    // Not exit(): unwinding Qt's globals from inside an event handler is not safe.
    std::_Exit(EXIT_FAILURE);
}

void tellPrintFailed(QWidget *parent)
{
    QMessageBox box(QMessageBox::NoIcon, windowTitle(),
                    QStringLiteral("The form can't be printed."), QMessageBox::Ok, parent);
    box.exec();
}

} // namespace nutrovo::ui
