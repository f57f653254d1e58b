#include "PrintTime.h"

#include "Clock.h"
#include "window/PlannerForm.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace nutrovo::bench {

namespace {

constexpr int pageWaitMs = 30000;

// Runs the spooler fixture script, quietly, and says whether it succeeded.
bool runFixture(const std::string &script, const char *action, const QString &stateDir)
{
    std::string bash = "bash";
    std::string scriptArg = script;
    std::string actionArg = action;
    std::string dirArg = stateDir.toStdString();
    char *argv[] = {bash.data(), scriptArg.data(), actionArg.data(), dirArg.data(), nullptr};
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, "bash", &quiet, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&quiet);
    int status = 0;
    return error == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// The private spooler for as long as the object lives.
class Spooler {
public:
    Spooler(std::string script, QString stateDir)
        : script_(std::move(script)), dir_(std::move(stateDir)),
          running_(runFixture(script_, "start", dir_))
    {
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
