// A register of the test's own, on either engine: a private data folder (the
// local file goes there), the settings naming the register, and a connection
// of the test's own to look inside and to break things, as the tables' owner.
// The server is the suite's private PostgreSQL cluster (tests/register).
#pragma once

#include "register/RegisterLocation.h"
#include "register/RegisterStore.h"
#include "register/Schema.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace nutrovo::test {

enum class Engine { SQLite, Server };

inline QList<Engine> engines() { return {Engine::SQLite, Engine::Server}; }

inline QString engineName(Engine engine) { return engine == Engine::SQLite ? "sqlite" : "server"; }

inline QString requiredEnvironment(const char *name)
{
    const QString value = qEnvironmentVariable(name);
    if (value.isEmpty())
        qFatal("%s is not set; run this test through ctest", name);
    return value;
}

// Runs the server fixture's command (stop-server, start-server, connection ROLE).
inline QString serverFixture(const QStringList &arguments)
{
    QProcess fixture;
    fixture.start(QStringLiteral("bash"), QStringList{requiredEnvironment("NUTROVO_PG_SCRIPT"), arguments.first(),
                                                      requiredEnvironment("NUTROVO_PG_DIR")} +
                                              arguments.mid(1));
    if (!fixture.waitForFinished(60000) || fixture.exitCode() != 0)
        qWarning("pg-fixture.sh %s failed: %s", qPrintable(arguments.join(u' ')),
                 qPrintable(fixture.readAllStandardError()));
    return QString::fromLocal8Bit(fixture.readAllStandardOutput()).trimmed();
}

inline QString serverConnection(const QString &role) { return serverFixture({"connection", role}); }

class TestRegister {
public:
    explicit TestRegister(Engine engine, const QString &role = QStringLiteral("nutrovo_app")) : engine_(engine)
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(home_.filePath("data")));
        reg::saveConnectionSetting(engine == Engine::Server ? serverConnection(role) : QString());
        if (engine == Engine::Server) {
            setUpServer();
            clearServer();
        }
    }
    ~TestRegister() { closeOwnConnection(); }
    TestRegister(const TestRegister &) = delete;
    TestRegister &operator=(const TestRegister &) = delete;

    QString folder() const { return home_.filePath("data/nutrovo"); }
    QString filePath() const { return folder() + "/register.sqlite"; }

    // The test's own statement; its failure fails the test. BEGIN and its
    // like can't be prepared, so only statements with values are.
    QSqlQuery sql(const QString &statement, const QVariantList &values = {})
    {
        QSqlQuery query(own());
        bool ran = values.isEmpty() ? query.exec(statement) : query.prepare(statement);
        for (qsizetype i = 0; i < values.size(); ++i)
            query.bindValue(int(i), values.at(i));
        if (ran && !values.isEmpty())
            ran = query.exec();
        if (!ran)
            QTest::qFail(qPrintable(statement + ": " + query.lastError().text()), __FILE__, __LINE__);
        return query;
    }

    QVariant value(const QString &statement, const QVariantList &values = {})
    {
        QSqlQuery query = sql(statement, values);
        return query.next() ? query.value(0) : QVariant();
    }

    // Lets go of the file: its last connection writes the log back into it.
    void closeOwnConnection()
    {
        if (QSqlDatabase::contains(connectionName))
            QSqlDatabase::database(connectionName, false).close();
        QSqlDatabase::removeDatabase(connectionName);
    }

private:
    static constexpr char connectionName[] = "test-own";

    QSqlDatabase own()
    {
        if (QSqlDatabase::contains(connectionName))
            return QSqlDatabase::database(connectionName);
        QSqlDatabase db =
            QSqlDatabase::addDatabase(engine_ == Engine::SQLite ? "QSQLITE" : "QPSQL", connectionName);
        if (engine_ == Engine::SQLite)
            db.setDatabaseName(filePath());
        else
            db.setConnectOptions(serverConnection("nutrovo_owner"));
        if (!db.open())
            qWarning("the test's own connection: %s", qPrintable(db.lastError().text()));
        return db;
    }

    // The tables made once, by their owner, as a clinic's set-up does; the
    // program then works as a role that may only read and write rows.
    static void setUpServer()
    {
        reg::RegisterStore owner(reg::RegisterLocation::server(serverConnection("nutrovo_owner")));
        if (const reg::Result<bool> made = owner.open(reg::RegisterStore::Purpose::Write); !made.ok())
            qWarning("the server's tables: %s", qPrintable(made.failure().message));
    }

    // Each test starts from an empty register on the shared server.
    void clearServer()
    {
        if (value("SELECT count(*) FROM pg_tables WHERE tablename = 'visits'").toInt() > 0) {
            sql("DELETE FROM visits");
            sql("DELETE FROM clients");
            sql("UPDATE nutrovo_schema SET version = ?", {reg::schemaVersion});
        }
    }

    Engine engine_;
    QTemporaryDir home_;
};

// Takes away root's power to ignore file permissions, for the thread's life
// of this object: read-only folders are read-only for the test too.
class WithoutRootsFilePowers {
public:
    WithoutRootsFilePowers()
    {
        if (geteuid() != 0 || syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        for (int power : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            lowered[0].effective &= ~(1u << power);
        dropped_ = syscall(SYS_capset, &header_, lowered) == 0;
    }
    ~WithoutRootsFilePowers()
    {
        if (dropped_)
            syscall(SYS_capset, &header_, saved_);
    }
    WithoutRootsFilePowers(const WithoutRootsFilePowers &) = delete;
    WithoutRootsFilePowers &operator=(const WithoutRootsFilePowers &) = delete;

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool dropped_ = false;
};

} // namespace nutrovo::test
