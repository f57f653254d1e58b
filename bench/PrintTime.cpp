#include "PrintTime.h"

#include "Clock.h"
#include "consult/PlannerForm.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>
#include <cstdlib>

namespace nutrovo::bench {

namespace {

constexpr int pageWaitMs = 30000;

bool runFixture(const std::string &script, const char *action, const QString &stateDir)
{
    const std::string command =
        "bash '" + script + "' " + action + " '" + stateDir.toStdString() + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// The private spooler for as long as the object lives.
class Spooler {
public:
    Spooler(const std::string &script, const QString &stateDir) : script_(script), dir_(stateDir)
    {
        running_ = runFixture(script_, "start", dir_);
    }
    ~Spooler()
    {
        runFixture(script_, "stop", dir_);
        QDir(dir_).removeRecursively();
    }
    Spooler(const Spooler &) = delete;
    Spooler &operator=(const Spooler &) = delete;

    bool running() const { return running_; }
    QString socket() const { return dir_ + QStringLiteral("/cups.sock"); }
    int pagesWritten() const
    {
        return int(QDir(dir_ + QStringLiteral("/out"))
                       .entryList({QStringLiteral("*.pdf")}, QDir::Files)
                       .size());
    }

private:
    std::string script_;
    QString dir_;
    bool running_ = false;
};

QString newStateDir()
{
    // Short: the spooler's socket path must fit in a Unix socket address.
    char pattern[] = "/tmp/nutrovo-bench-XXXXXX";
    const char *made = mkdtemp(pattern);
    return made ? QString::fromLocal8Bit(made) : QString();
}

void waitForPages(const Spooler &spooler, int pages)
{
    QElapsedTimer waited;
    waited.start();
    while (spooler.pagesWritten() < pages && waited.elapsed() < pageWaitMs)
        QApplication::processEvents(QEventLoop::AllEvents, 100);
}

} // namespace

PrintTimes measurePrint(int prints, const std::string &fixtureScript)
{
    PrintTimes times;
    const QString dir = newStateDir();
    const Spooler spooler(fixtureScript, dir);
    if (dir.isEmpty() || !spooler.running()) {
        times.failure = "the private spooler did not start (it needs root, cupsd and cups-pdf)";
        return times;
    }
    qputenv("CUPS_SERVER", spooler.socket().toLocal8Bit());

    PlannerForm form;
    form.show();
    QApplication::processEvents();
    auto *button = form.findChild<QAbstractButton *>(QStringLiteral("printbutton"));
    // A failure message would hold the click until closed: closed at once, counted.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            ++times.failureMessages;
            box->accept();
        }
    });
    closer.start(1);

    button->click(); // the first print loads the print path; not counted
    for (int i = 0; i < prints; ++i) {
        QApplication::processEvents();
        const long long start = monotonicNanoseconds();
        button->click();
        times.milliseconds.push_back(static_cast<double>(monotonicNanoseconds() - start) / 1e6);
    }
    waitForPages(spooler, prints + 1);
    times.pagesWritten = spooler.pagesWritten();
    return times;
}

} // namespace nutrovo::bench
