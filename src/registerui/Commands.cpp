// The register's commands as the window's actions run them: Save Visit,
// Clients and Visits, Register. This file is the library's entry point.
#include "register/RegisterStore.h"
#include "registerui/Messages.h"
#include "registerui/RegisterCommands.h"
#include "registerui/RegisterDialog.h"
#include "registerui/RegisterSettingsDialog.h"

#include <QDateTime>
#include <QInputDialog>
#include <QLineEdit>
#include <QPointer>
#include <QWidget>

#include <memory>

namespace nutrovo::registerui {

namespace {

// How often a server that asks for a password is asked again.
constexpr int passwordTries = 3;

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
    reg::RegisterStore &store();
    template <typename T, typename Run>
    reg::Result<T> askingForPassword(QWidget *over, reg::RegisterStore &register_, Run run);
    void tellOnceIfReadOnly(QWidget *over);
    void openVisit(qint64 visitId);
    QString useIfItWorks(QWidget *over, const reg::RegisterLocation &chosen, const reg::ServerSecrets &typed);
    QString copyLocalRegister(QWidget *over);

    Consultation &consultation_;
    std::unique_ptr<reg::RegisterStore> store_;
    QPointer<RegisterDialog> dialog_;
    bool toldReadOnly_ = false;
};

// The register the settings name, opened on first use.
reg::RegisterStore &Commands::store()
{
    if (!store_)
        store_ = std::make_unique<reg::RegisterStore>(reg::RegisterLocation::fromSettings());
    return *store_;
}

// A server that asks for a password is asked for it here; it is kept for
// this session only, in memory.
template <typename T, typename Run>
reg::Result<T> Commands::askingForPassword(QWidget *over, reg::RegisterStore &register_, Run run)
{
    reg::Result<T> result = run();
    for (int tries = 0; tries < passwordTries && !result.ok() &&
                        result.failure().trouble == reg::Trouble::NeedsPassword;
         ++tries) {
        bool given = false;
        const QString password = QInputDialog::getText(
            over, QStringLiteral("Register password"),
            QStringLiteral("The register server (%1) asks for a password:").arg(register_.location().shownName()),
            QLineEdit::Password, QString(), &given);
        if (!given)
            break;
        register_.setPassword(password);
        result = run();
    }
    return result;
}

void Commands::tellOnceIfReadOnly(QWidget *over)
{
    const std::optional<QString> reason = store().readOnlyReason();
    if (reason && !toldReadOnly_)
        tell(over, *reason);
    toldReadOnly_ = toldReadOnly_ || reason.has_value();
}

void Commands::saveVisit()
{
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
    const reg::Result<reg::SaveReport> saved =
        askingForPassword<reg::SaveReport>(&window(), store(), [&] { return store().save(visit, now.date()); });
    if (!saved.ok()) {
        tell(&window(), QStringLiteral("The visit of %1 was not saved. %2 The window is as it was.")
                            .arg(name, saved.failure().message));
        return;
    }
    notify(window(), saved.value().replaced
                         ? QStringLiteral("Visit of %1 saved for %2, in place of the one saved earlier that day.")
                               .arg(name, saved.value().day)
                         : QStringLiteral("Visit of %1 saved for %2.").arg(name, saved.value().day));
}

void Commands::openRegister()
{
    if (dialog_ && dialog_->isVisible()) {
        dialog_->raise();
        dialog_->activateWindow();
        return;
    }
    const reg::Result<bool> opened =
        askingForPassword<bool>(&window(), store(), [&] { return store().open(reg::RegisterStore::Purpose::Browse); });
    if (!opened.ok()) {
        tell(&window(), opened.failure().message);
        return;
    }
    tellOnceIfReadOnly(&window());
    auto *dialog = new RegisterDialog(window(), store(), [this](qint64 visitId) { openVisit(visitId); });
    dialog_ = dialog;
    // Out of the window once closed, so that it no longer counts among the
    // window's controls; deleted once its own closing is done, or with the
    // window if that comes first.
    QObject::connect(dialog, &QDialog::finished, dialog, [this, dialog] {
        dialog->setParent(nullptr, dialog->windowFlags());
        dialog->deleteLater();
        QObject::connect(&window(), &QObject::destroyed, dialog, [dialog] { delete dialog; });
    });
    if (!dialog->listClients()) {
        delete dialog;
        return;
    }
    dialog->pickClientNamed(QString::fromStdString(consultation_.shown().clientName));
    dialog->open();
}

// The visit as it is in the register now (another room may have changed it
// since the list was read), checked before anything reaches the window.
void Commands::openVisit(qint64 visitId)
{
    QWidget *over = dialog_ ? static_cast<QWidget *>(dialog_.data()) : &window();
    const reg::Result<reg::StoredVisit> read =
        askingForPassword<reg::StoredVisit>(over, store(), [&] { return store().visit(visitId); });
    if (!read.ok()) {
        tell(over, read.failure().message);
        return;
    }
    if (dialog_)
        dialog_->accept();
    const reg::StoredVisit &stored = read.value();
    consultation_.pick(stored.clientName, stored.visit.picks);
    const std::vector<Output> differing = visits::differingFields(stored.visit.texts, consultation_.shown().texts);
    if (!differing.empty())
        tell(&window(), QStringLiteral("The visit of %1 on %2 was saved by version %3 of the program, whose "
                                       "figures differ from today's in: %4. The window shows today's figures.")
                            .arg(stored.clientName, stored.day, QString::fromStdString(stored.visit.programVersion),
                                 fieldsNamed(differing)));
}

void Commands::chooseRegister()
{
    RegisterSettingsDialog settings(
        window(), store().location(),
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
    auto candidate = std::make_unique<reg::RegisterStore>(chosen);
    const bool same = chosen.connection == store().location().connection;
    candidate->setSecrets(typed.any() || !same ? typed : store().secrets());
    if (chosen.engine == reg::Engine::PostgreSQL) {
        const reg::Result<bool> opened = askingForPassword<bool>(
            over, *candidate, [&] { return candidate->open(reg::RegisterStore::Purpose::Write); });
        if (!opened.ok())
            return opened.failure().message;
    }
    reg::saveConnectionSetting(chosen.engine == reg::Engine::PostgreSQL ? chosen.connection : QString());
    delete dialog_.data();
    store_ = std::move(candidate);
    toldReadOnly_ = false;
    tellOnceIfReadOnly(over);
    return {};
}

QString Commands::copyLocalRegister(QWidget *over)
{
    if (store().location().engine != reg::Engine::PostgreSQL)
        return QStringLiteral("The register in use is this computer's file: choose a server first.");
    reg::RegisterStore local(reg::RegisterLocation::localFile());
    const reg::Result<reg::CopyReport> copied =
        askingForPassword<reg::CopyReport>(over, store(), [&] { return store().copyFrom(local); });
    if (!copied.ok())
        return QStringLiteral("Nothing was copied. ") + copied.failure().message;
    const reg::CopyReport &report = copied.value();
    return QStringLiteral("Copied %1 visits of this computer's register to the server, with %2 clients new to it; "
                          "%3 visits were there already and were kept as they were.")
        .arg(report.visitsCopied)
        .arg(report.clientsAdded)
        .arg(report.visitsAlreadyThere);
}

} // namespace

} // namespace nutrovo::registerui

extern "C" Q_DECL_EXPORT nutrovo::registerui::RegisterCommands *
nutrovo_make_register_commands(nutrovo::registerui::Consultation &consultation)
{
    return new nutrovo::registerui::Commands(consultation);
}
