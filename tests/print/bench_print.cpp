// Times printing the real window: from the click on "Print Form" to the
// spooler's acceptance of the job (the click returns only then), over a
// number of prints, and how long the parts take on their own.
//
//   CUPS_SERVER=<socket> bench_print [prints]
//
// e.g. with the tests' own spooler, from the build folder:
//   bash ../tests/print/cups-fixture.sh start tests/spooler
//   CUPS_SERVER=$PWD/tests/spooler/cups.sock QT_QPA_PLATFORM=offscreen tests/bench_print 20
//   bash ../tests/print/cups-fixture.sh stop tests/spooler
//
// Against a spooler that is down it times how fast a print fails instead
// (each failure's message box is closed at once).

#include "consult/FormPrinter.h"
#include "consult/PlannerForm.h"
#include "consult/PrintPage.h"
#include "consult/PrintSpooler.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double milliseconds(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void report(const char *what, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    const std::size_t n = times.size();
    const double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    std::printf("%-36s n=%zu  median %7.1f ms  min %7.1f  max %7.1f\n", what, n, median,
                times.front(), times.back());
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    bool given = false;
    const int asked = QApplication::arguments().value(1).toInt(&given);
    const int prints = given ? std::max(1, asked) : 20;

    nutrovo::PlannerForm form;
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    auto *printButton = form.findChild<QPushButton *>(QStringLiteral("printbutton"));

    int messages = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            ++messages;
            box->accept();
        }
    });
    closer.start(1);

    std::vector<double> clicks, checks, pages;
    for (int i = 0; i < prints; ++i) {
        clicks.push_back(milliseconds([&] {
            QTest::mouseClick(printButton, Qt::LeftButton, {}, printButton->rect().center());
        }));
        checks.push_back(milliseconds([] { nutrovo::print::Spooler().checkDefaultDestination(); }));
        pages.push_back(milliseconds(
            [&] { nutrovo::print::windowPagePdf(form, {}, QDateTime::currentDateTime()); }));
    }
    const QByteArray pdf = nutrovo::print::windowPagePdf(form, {}, QDateTime::currentDateTime());
    const nutrovo::print::PrintOutcome last = nutrovo::print::printWindow(form);

    report("click to job accepted (or refused)", clicks);
    report("  default printer check", checks);
    report("  window image and PDF page", pages);
    std::printf("PDF page: %lld bytes; failure messages: %d of %d prints; last: %s\n",
                static_cast<long long>(pdf.size()), messages, prints,
                last.printed() ? qPrintable(QStringLiteral("job %1").arg(last.jobId))
                               : qPrintable(last.failure));
    return 0;
}
