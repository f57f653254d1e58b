#include "RegisterCost.h"

#include "Clock.h"
#include "print/Printer.h"
#include "register/RegisterStore.h"
#include "window/PlannerForm.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>

#include <array>
#include <cstdio>
#include <memory>
#include <random>

namespace nutrovo::bench {

namespace {

constexpr int consultationCount = 200; // distinct consultations the visits repeat
constexpr int visitsPerBatch = 5000;   // written per transaction while making the register
constexpr int daysBetweenVisits = 35;
constexpr int paintWaitMs = 10000;

double millisecondsSince(long long startNs)
{
    return static_cast<double>(monotonicNanoseconds() - startNs) / 1e6;
}

// 10,000 distinct names from 25 given names and 400 family names.
QString clientName(int client)
{
    static const std::array given = {"Anna",  "Ben",   "Chloe", "David", "Elif",  "Farid", "Grace",
                                     "Hugo",  "Ines",  "Jonas", "Kemal", "Lena",  "Marta", "Noah",
                                     "Olga",  "Pavel", "Quinn", "Rosa",  "Sami",  "Tomas", "Ulla",
                                     "Vera",  "Wim",   "Xenia", "Yusuf"};
    static const std::array syllables = {"ber", "dal", "fen", "gor", "hal", "kin", "lom",
                                         "mar", "nor", "pel", "ros", "sen", "tal", "vin",
                                         "wes", "zar", "bru", "cal", "dor", "eng"};
    const auto first = static_cast<std::size_t>(client % 25);
    const auto family = static_cast<std::size_t>(client / 25);
    QString surname = QLatin1String(syllables.at(family % 20)) + QLatin1String(syllables.at(family / 20 % 20)) +
                      QStringLiteral("holm");
    surname[0] = surname[0].toUpper();
    return QLatin1String(given.at(first)) + u' ' + surname;
}

template <typename T> T *child(const QObject &parent, const QString &name)
{
    auto *found = parent.findChild<T *>(name);
    if (found == nullptr)
        qFatal("no control named %s", qPrintable(name));
    return found;
}

// Consultations as the window shows them: random picks, every field's text.
std::vector<visits::Visit> sampleConsultations()
{
    PlannerForm form(std::unique_ptr<print::Printer>{});
    std::mt19937 random(7); // NOLINT(bugprone-random-generator-seed): the same visits every run
    std::vector<visits::Visit> made;
    for (int i = 0; i < consultationCount; ++i) {
        visits::Visit visit;
        for (std::size_t p = 0; p < pickerCount; ++p) {
            auto *combo = child<QComboBox>(form, QString::fromLatin1(pickerTable.at(p).objectName.data()));
            const int row = std::uniform_int_distribution<int>(0, combo->count() - 1)(random);
            combo->setCurrentIndex(row);
            visit.picks.rows.at(p) = row;
        }
        visit.picks.sex = i % 2;
        child<QRadioButton>(form, QStringLiteral("sex(%1)").arg(visit.picks.sex))->click();
        for (std::size_t g = 0; g < visits::servingsGroupCount; ++g) {
            const int button = std::uniform_int_distribution<int>(0, 15)(random);
            child<QRadioButton>(form, QStringLiteral("Option%1(%2)").arg(g + 1).arg(button))->click();
            visit.picks.servings.at(g) = button;
        }
        for (std::size_t f = 0; f < outputCount; ++f)
            visit.texts.at(f) =
                child<QLineEdit>(form, QString::fromLatin1(outputNames.at(f).data(),
                                                           qsizetype(outputNames.at(f).size())))
                    ->text()
                    .toStdString();
        visit.programVersion = "1.0.0";
        visit.savedBy = "bench";
        made.push_back(visit);
    }
    return made;
}

std::optional<std::string> makeLocalRegister(const RegisterScale &scale, const QString &path)
{
    reg::RegisterStore store(reg::RegisterLocation{reg::Engine::SQLite, path, {}});
    const std::vector<visits::Visit> consultations = sampleConsultations();
    const QDate today = QDate::currentDate();
    const int total = scale.clients * scale.visitsPerClient;
    QList<reg::DatedVisit> batch;
    for (int n = 0; n < total; ++n) {
        const int client = n % scale.clients;
        const int visit = n / scale.clients;
        // Clients start over ten years; each comes back every five weeks.
        const QDate first = today.addDays(-3650 + client * 3000 / scale.clients);
        reg::DatedVisit dated{first.addDays(qint64(visit) * daysBetweenVisits).toString(Qt::ISODate),
                              consultations.at(std::size_t(n % consultationCount)), {}};
        dated.visit.clientName = clientName(client).toStdString();
        dated.visit.savedAt = dated.day.toStdString() + "T10:00:00+00:00";
        batch.append(std::move(dated));
        if (batch.size() == visitsPerBatch || n + 1 == total) {
            const reg::Result<reg::CopyReport> added = store.addVisits(batch);
            if (!added.ok())
                return added.failure().message.toStdString();
            batch.clear();
        }
    }
    return std::nullopt;
}

// The file of an earlier run when it holds the scale asked for.
bool holdsScale(const QString &path, const RegisterScale &scale)
{
    if (!QFileInfo::exists(path))
        return false;
    reg::RegisterStore store(reg::RegisterLocation{reg::Engine::SQLite, path, {}});
    const reg::Result<QList<reg::ClientRow>> clients = store.findClients(QString());
    return clients.ok() && clients.value().size() == scale.clients;
}

// Paints of a widget, counted: the dialog is shown when its list has painted.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget &widget) { widget.installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

bool waitForPaint(const PaintCounter &counter)
{
    QElapsedTimer waited;
    waited.start();
    while (counter.paints == 0 && waited.elapsed() < paintWaitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return counter.paints > 0;
}

// One round: a fresh window (and so a fresh connection, checked as at every
// first use), the dialog opened, the search typed, clients shown, a save.
std::optional<std::string> measureRound(RegisterCosts &costs, const QString &client, int round)
{
    PlannerForm form(std::unique_ptr<print::Printer>{});
    child<QLineEdit>(form, QStringLiteral("Text2"))->setText(client);
    const long long opening = monotonicNanoseconds();
    child<QAction>(form, QStringLiteral("openRegisterAction"))->trigger();
    auto *dialog = form.findChild<QDialog *>(QStringLiteral("registerDialog"));
    if (dialog == nullptr)
        return std::string("the dialog did not open");
    auto *clients = child<QAbstractItemView>(*dialog, QStringLiteral("clientList"));
    const PaintCounter painted(*clients->viewport());
    if (!waitForPaint(painted))
        return std::string("the client list was never painted");
    (round == 0 ? costs.firstOpenMs : costs.openMs.emplace_back()) = millisecondsSince(opening);

    auto *search = child<QLineEdit>(*dialog, QStringLiteral("clientSearch"));
    for (int typed = 1; typed <= 4; ++typed) {
        const long long keystroke = monotonicNanoseconds();
        search->setText(client.left(typed));
        clients->viewport()->repaint();
        costs.keystrokeMs.push_back(millisecondsSince(keystroke));
    }
    search->clear();
    auto *visitList = child<QAbstractItemView>(*dialog, QStringLiteral("visitList"));
    auto *chart = child<QWidget>(*dialog, QStringLiteral("trendChart"));
    for (int pick = 1; pick <= 3; ++pick) {
        const long long showing = monotonicNanoseconds();
        clients->setCurrentIndex(clients->model()->index(pick * 997 % clients->model()->rowCount(), 0));
        visitList->viewport()->repaint();
        chart->repaint();
        costs.showClientMs.push_back(millisecondsSince(showing));
    }
    dialog->reject();
    QCoreApplication::processEvents();

    // The first save waits for what is left of the file's check; the next is
    // a save as the rest of the session has them.
    auto *save = child<QAction>(form, QStringLiteral("saveVisitAction"));
    save->trigger();
    const long long saving = monotonicNanoseconds();
    save->trigger();
    costs.saveMs.push_back(millisecondsSince(saving));

    PlannerForm fresh(std::unique_ptr<print::Printer>{});
    child<QLineEdit>(fresh, QStringLiteral("Text2"))->setText(client);
    const long long firstSaving = monotonicNanoseconds();
    child<QAction>(fresh, QStringLiteral("saveVisitAction"))->trigger();
    costs.firstSaveMs.push_back(millisecondsSince(firstSaving));
    return std::nullopt;
}

QtMessageHandler passOn = nullptr;

// These rows run on the offscreen platform, which notes at every dialog shown
// that it has no window manager to size or raise it: nothing of the program's.
// Every other message goes through.
void dropOffscreenNotices(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.startsWith(u"This plugin does not support"))
        return;
    if (passOn != nullptr)
        passOn(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

std::optional<std::string> measureRounds(RegisterCosts &costs, const RegisterScale &scale)
{
    passOn = qInstallMessageHandler(dropOffscreenNotices);
    std::optional<std::string> failure;
    for (int round = 0; round <= scale.rounds && !failure; ++round)
        failure = measureRound(costs, clientName(round * 389 % scale.clients), round);
    qInstallMessageHandler(passOn);
    return failure;
}

// The generated file, made once and kept in the build folder; each run
// works on a copy, so that runs start alike.
std::optional<std::string> preparedCopy(const RegisterScale &scale, const std::string &cacheFolder,
                                        const QString &copyPath, RegisterCosts &costs)
{
    const QString cached = QString::fromStdString(cacheFolder) +
                           QStringLiteral("/register-%1x%2.sqlite").arg(scale.clients).arg(scale.visitsPerClient);
    costs.reused = holdsScale(cached, scale);
    if (!costs.reused) {
        QFile::remove(cached);
        const long long making = monotonicNanoseconds();
        if (auto failure = makeLocalRegister(scale, cached))
            return failure;
        costs.madeSeconds = millisecondsSince(making) / 1000;
    }
    QDir().mkpath(QFileInfo(copyPath).path());
    if (!QFile::copy(cached, copyPath))
        return "can't copy " + cached.toStdString();
    return std::nullopt;
}

// The benchmark's own settings and data folders, as the tests have: one for
// the whole run, removed at its end. The settings' folder is read once per
// process, so a second one would leave the first written again after its removal.
struct PrivateHome {
    QTemporaryDir folder;
    PrivateHome()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.filePath(QStringLiteral("config"))));
        qputenv("XDG_DATA_HOME", QFile::encodeName(folder.filePath(QStringLiteral("data"))));
    }
};

const PrivateHome &privateHome()
{
    static const PrivateHome home;
    return home;
}

// What the server fixture printed, or nothing when it failed.
std::optional<QString> fixture(const std::string &script, const QStringList &arguments)
{
    QProcess run;
    run.start(QStringLiteral("bash"), QStringList{QString::fromStdString(script)} + arguments);
    if (!run.waitForFinished(120000) || run.exitStatus() != QProcess::NormalExit || run.exitCode() != 0)
        return std::nullopt;
    return QString::fromLocal8Bit(run.readAllStandardOutput()).trimmed();
}

} // namespace

RegisterCosts measureLocalRegister(const RegisterScale &scale, const std::string &cacheFolder)
{
    RegisterCosts costs;
    costs.engine = "local file";
    privateHome();
    reg::saveConnectionSetting(QString());
    const QString path = reg::localRegisterPath();
    if (auto failure = preparedCopy(scale, cacheFolder, path, costs)) {
        costs.failure = *failure;
        return costs;
    }
    if (auto failure = measureRounds(costs, scale))
        costs.failure = *failure;
    costs.fileMiB = static_cast<double>(QFileInfo(path).size() + QFileInfo(path + QStringLiteral("-wal")).size()) /
                    (1024.0 * 1024.0);
    return costs;
}

RegisterCosts measureServerRegister(const RegisterScale &scale, const std::string &cacheFolder,
                                    const std::string &fixtureScript)
{
    RegisterCosts costs;
    costs.engine = "server, this machine";
    const QString state = QStringLiteral("/tmp/nutrovo-pg-bench-%1").arg(QCoreApplication::applicationPid());
    if (!fixture(fixtureScript, {QStringLiteral("start"), state})) {
        costs.failure = "the private PostgreSQL server did not start (run as root)";
        return costs;
    }
    const auto connection = [&](const char *role) {
        return fixture(fixtureScript, {QStringLiteral("connection"), state, QLatin1String(role)}).value_or(QString());
    };
    const QString local = privateHome().folder.filePath(QStringLiteral("local.sqlite"));
    if (auto failure = preparedCopy(scale, cacheFolder, local, costs)) {
        costs.failure = *failure;
    } else {
        reg::RegisterStore source(reg::RegisterLocation{reg::Engine::SQLite, local, {}});
        reg::RegisterStore server(reg::RegisterLocation::server(connection("nutrovo_owner")));
        const long long copying = monotonicNanoseconds();
        const reg::Result<reg::CopyReport> copied = server.copyFrom(source);
        costs.madeSeconds = millisecondsSince(copying) / 1000;
        costs.reused = false;
        if (!copied.ok()) {
            costs.failure = copied.failure().message.toStdString();
        } else {
            reg::saveConnectionSetting(connection("nutrovo_app"));
            if (auto roundFailed = measureRounds(costs, scale))
                costs.failure = *roundFailed;
        }
    }
    fixture(fixtureScript, {QStringLiteral("stop"), state});
    return costs;
}

} // namespace nutrovo::bench
