// The register's commands as the window's actions run them: Save Visit,
// Clients and Visits, Register. This file is the library's entry point.
#include "register/RegisterWorker.h"
#include "registerui/Messages.h"
#include "registerui/RegisterCommands.h"
#include "registerui/RegisterDialog.h"
#include "registerui/RegisterSettingsDialog.h"

#include <QDateTime>
#include <QEventLoop>
#include <QInputDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace nutrovo::registerui {

namespace {

// How often a server that asks for a password is asked again.
constexpr int passwordTries = 3;
// How long Clients and Visits waits for its first list before it returns,
// the dialog already shown: a register that answers at once is listed by
// then, one that does not goes on in the background.
constexpr int firstListWaitMs = 500;

// 2026-03-09T14:05:00+01:00: the local time with its offset, never "Z".
QString isoWithOffset(const QDateTime &at)
{
    const int offset = at.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return at.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + (offset < 0 ? u'-' : u'+') +
           QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString fieldsNamed(const std::vector<Output> &fields)
{
    QStringList names;
    for (Output field : fields) {
        const std::string_view spoken = outputSpokenNames.at(static_cast<std::size_t>(field));
        names.append(QString::fromUtf8(spoken.data(), static_cast<qsizetype>(spoken.size())));
    }
    return names.join(QStringLiteral("; "));
}

// Counts a command waiting for its answer. The window takes input
// meanwhile; another register command started then is not run.
class Waiting {
public:
    explicit Waiting(int &count) : count_(count) { ++count_; }
    ~Waiting() { --count_; }
    Waiting(const Waiting &) = delete;
    Waiting &operator=(const Waiting &) = delete;

private:
    int &count_;
};

// The password the server asks for, or nothing when the user declines.
std::optional<QString> askForPassword(QWidget *over, const reg::RegisterLocation &location)
{
    bool given = false;
    const QString password = QInputDialog::getText(
        over, QStringLiteral("Register password"),
        QStringLiteral("The register server (%1) asks for a password:").arg(location.shownName()),
        QLineEdit::Password, QString(), &given);
    return given ? std::optional(password) : std::nullopt;
}

bool asksForPassword(const reg::Failure &failure) { return failure.trouble == reg::Trouble::NeedsPassword; }

class Commands final : public RegisterCommands {
public:
    explicit Commands(Consultation &consultation) : consultation_(consultation) {}
    ~Commands() override { delete dialog_.data(); }
    Commands(const Commands &) = delete;
    Commands &operator=(const Commands &) = delete;

    void saveVisit() override;
    void openRegister() override;
    void chooseRegister() override;

private:
    QWidget &window() { return consultation_.window(); }
    reg::RegisterWorker &worker();
    template <typename T, typename Work>
    reg::Result<T> askingForPassword(QWidget *over, reg::RegisterWorker &register_, const Work &work);
    void connectAndList(const QPointer<RegisterDialog> &dialog, const QString &clientName, int triesLeft,
                        const std::function<void()> &answered);
    void tellOnceIfReadOnly(QWidget *over);
    void openVisit(qint64 visitId);
    QString useIfItWorks(QWidget *over, const reg::RegisterLocation &chosen, const reg::ServerSecrets &typed);
    QString copyLocalRegister(QWidget *over);

    Consultation &consultation_;
    std::unique_ptr<reg::RegisterWorker> worker_;
    QPointer<RegisterDialog> dialog_;
    bool toldReadOnly_ = false;
    int waiting_ = 0;
};

// The register the settings name, opened on first use.
reg::RegisterWorker &Commands::worker()
{
    if (!worker_)
        worker_ = std::make_unique<reg::RegisterWorker>(reg::RegisterLocation::fromSettings());
    return *worker_;
}

// Runs the command on the register's thread and waits for its answer, the
// window working on. A server that asks for a password is asked for it
// here; it is kept for this session only, in memory.
template <typename T, typename Work>
reg::Result<T> Commands::askingForPassword(QWidget *over, reg::RegisterWorker &register_, const Work &work)
{
    const Waiting waiting(waiting_);
    reg::Result<T> result = register_.wait<T>(work);
    for (int tries = 0; tries < passwordTries && !result.ok() && asksForPassword(result.failure()); ++tries) {
        const std::optional<QString> password = askForPassword(over, register_.location());
        if (!password)
            break;
        register_.setPassword(*password);
        result = register_.wait<T>(work);
    }
    return result;
}

void Commands::tellOnceIfReadOnly(QWidget *over)
{
    const std::optional<QString> reason = worker().readOnlyReason();
    if (reason && !toldReadOnly_)
        tell(over, *reason);
    toldReadOnly_ = toldReadOnly_ || reason.has_value();
}

void Commands::saveVisit()
{
    if (waiting_ > 0)
        return;
    // The window as it is now: what the user changes while the save is under
    // way is not part of it.
    visits::Visit visit = consultation_.shown();
    const QString name = QString::fromStdString(visit.clientName).trimmed();
    if (name.isEmpty()) {
        tell(&window(), QStringLiteral("Type the client's name after \"Dietary consult for\" first: each visit is "
                                       "saved under the client's name."));
        consultation_.askForClientName();
        return;
    }
    const QDateTime now = QDateTime::currentDateTime();
    visit.savedAt = isoWithOffset(now).toStdString();
    visit.programVersion = NUTROVO_VERSION;
    const QDate day = now.date();
    const reg::Result<reg::SaveReport> saved = askingForPassword<reg::SaveReport>(
        &window(), worker(), [visit, day](reg::RegisterStore &store) { return store.save(visit, day); });
    if (!saved.ok()) {
        tell(&window(), QStringLiteral("The visit of %1 was not saved. %2 The window is as it was.")
                            .arg(name, saved.failure().message));
        return;
    }
    consultation_.saved(visit);
    notify(window(), saved.value().replaced
                         ? QStringLiteral("Visit of %1 saved for %2, in place of the one saved earlier that day.")
                               .arg(name, saved.value().day)
                         : QStringLiteral("Visit of %1 saved for %2.").arg(name, saved.value().day));
}

// The dialog opens at once, saying that it is connecting; its list follows
// when the register answers.
void Commands::openRegister()
{
    if (dialog_ && dialog_->isVisible()) {
        dialog_->raise();
        dialog_->activateWindow();
        return;
    }
    if (waiting_ > 0)
        return;
    auto *dialog = new RegisterDialog(window(), worker(), [this](qint64 visitId) { openVisit(visitId); });
    dialog_ = dialog;
    // Out of the window once closed, so that it no longer counts among the
    // window's controls; deleted once its own closing is done, or with the
    // window if that comes first.
    QObject::connect(dialog, &QDialog::finished, dialog, [this, dialog] {
        dialog->setParent(nullptr, dialog->windowFlags());
        dialog->deleteLater();
        QObject::connect(&window(), &QObject::destroyed, dialog, [dialog] { delete dialog; });
    });
    dialog->open();
    auto answered = std::make_shared<bool>(false);
    QEventLoop firstList;
    QPointer<QEventLoop> waitingForList(&firstList);
    connectAndList(dialog, QString::fromStdString(consultation_.shown().clientName), passwordTries,
                   [answered, waitingForList] {
                       *answered = true;
                       if (waitingForList)
                           waitingForList->quit();
                   });
    QTimer::singleShot(firstListWaitMs, &firstList, &QEventLoop::quit);
    if (!*answered)
        firstList.exec();
}

// Opens the register for reading, asking for a password if the server wants
// one, then lists the clients and picks the one in the window. A register
// that can't be read is told, and the dialog closes.
void Commands::connectAndList(const QPointer<RegisterDialog> &dialog, const QString &clientName, int triesLeft,
                              const std::function<void()> &answered)
{
    dialog->showWaiting(QStringLiteral("Connecting to the register…"));
    worker().run<bool>(
        dialog, [](reg::RegisterStore &store) { return store.open(reg::RegisterStore::Purpose::Browse); },
        [this, dialog, clientName, triesLeft, answered](const reg::Result<bool> &opened) {
            if (!dialog)
                return;
            if (!opened.ok() && asksForPassword(opened.failure()) && triesLeft > 0) {
                if (const std::optional<QString> password = askForPassword(dialog, worker().location())) {
                    worker().setPassword(*password);
                    connectAndList(dialog, clientName, triesLeft - 1, answered);
                    return;
                }
            }
            if (!opened.ok()) {
                dialog->reject();
                tell(&window(), opened.failure().message);
                answered();
                return;
            }
            tellOnceIfReadOnly(dialog);
            dialog->listClients([dialog, clientName, answered](bool listed) {
                if (dialog && listed)
                    dialog->pickClientNamed(clientName);
                else if (dialog)
                    dialog->reject();
                answered();
            });
        });
}

// The visit as it is in the register now (another room may have changed it
// since the list was read), checked before anything reaches the window.
void Commands::openVisit(qint64 visitId)
{
    if (waiting_ > 0)
        return;
    QWidget *over = dialog_ ? static_cast<QWidget *>(dialog_.data()) : &window();
    const reg::Result<reg::StoredVisit> read = askingForPassword<reg::StoredVisit>(
        over, worker(), [visitId](reg::RegisterStore &store) { return store.visit(visitId); });
    if (!read.ok()) {
        tell(over, read.failure().message);
        return;
    }
    // Asked while the dialog is still open: No leaves it and the window as they were.
    if (!consultation_.mayReplaceNote())
        return;
    if (dialog_)
        dialog_->accept();
    const reg::StoredVisit &stored = read.value();
    visits::Visit opened = stored.visit;
    opened.clientName = stored.clientName.toStdString(); // the client's latest spelling
    consultation_.pick(opened);
    const std::vector<Output> differing = visits::differingFields(stored.visit.texts, consultation_.shown().texts);
    if (!differing.empty())
        tell(&window(), QStringLiteral("The visit of %1 on %2 was saved by version %3 of the program, whose "
                                       "figures differ from today's in: %4. The window shows today's figures.")
                            .arg(stored.clientName, stored.day, QString::fromStdString(stored.visit.programVersion),
                                 fieldsNamed(differing)));
}

void Commands::chooseRegister()
{
    if (waiting_ > 0)
        return;
    RegisterSettingsDialog settings(
        window(), worker().location(),
        {[this](QWidget *over, const reg::RegisterLocation &chosen, const reg::ServerSecrets &typed) {
             return useIfItWorks(over, chosen, typed);
         },
         [this](QWidget *over) { return copyLocalRegister(over); }});
    settings.exec();
}

// A server is connected to (and set up, the first time) before it is kept;
// the local file is made only by the first save, as always.
QString Commands::useIfItWorks(QWidget *over, const reg::RegisterLocation &chosen, const reg::ServerSecrets &typed)
{
    const bool same = chosen.connection == worker().location().connection;
    auto candidate = std::make_unique<reg::RegisterWorker>(chosen, typed.any() || !same ? typed : worker().secrets());
    if (chosen.engine == reg::Engine::PostgreSQL) {
        const reg::Result<bool> opened = askingForPassword<bool>(
            over, *candidate, [](reg::RegisterStore &store) { return store.open(reg::RegisterStore::Purpose::Write); });
        if (!opened.ok())
            return opened.failure().message;
    }
    reg::saveConnectionSetting(chosen.engine == reg::Engine::PostgreSQL ? chosen.connection : QString());
    delete dialog_.data();
    worker_ = std::move(candidate);
    toldReadOnly_ = false;
    tellOnceIfReadOnly(over);
    return {};
}

QString Commands::copyLocalRegister(QWidget *over)
{
    if (worker().location().engine != reg::Engine::PostgreSQL)
        return QStringLiteral("The register in use is this computer's file: choose a server first.");
    const reg::Result<reg::CopyReport> copied =
        askingForPassword<reg::CopyReport>(over, worker(), [](reg::RegisterStore &server) {
            reg::RegisterStore local(reg::RegisterLocation::localFile());
            return server.copyFrom(local);
        });
    if (!copied.ok())
        return QStringLiteral("Nothing was copied. ") + copied.failure().message;
    const reg::CopyReport &report = copied.value();
    const QString failing = report.failingCheck.isEmpty()
                                ? QString()
                                : QStringLiteral(" Not copied, as the values this computer's register holds for them "
                                                 "fail the program's check: %1.")
                                      .arg(report.failingCheck.join(QStringLiteral("; ")));
    return QStringLiteral("Copied %1 visits of this computer's register to the server, with %2 clients new to it; "
                          "%3 visits were there already and were kept as they were.%4")
        .arg(report.visitsCopied)
        .arg(report.clientsAdded)
        .arg(report.visitsAlreadyThere)
        .arg(failing);
}

} // namespace

} // namespace nutrovo::registerui

extern "C" Q_DECL_EXPORT nutrovo::registerui::RegisterCommands *
nutrovo_make_register_commands(nutrovo::registerui::Consultation &consultation)
{
    return new nutrovo::registerui::Commands(consultation);
}
