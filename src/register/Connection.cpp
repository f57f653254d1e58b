#include "register/Connection.h"

#include "files/PrivateFile.h"
#include "register/RegisterWorker.h"
#include "register/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>

#include <libpq-fe.h>

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <utility>

namespace nutrovo::reg {

namespace {

// How long a command waits for another copy of the program, or another
// room, to let go of what it holds.
constexpr int busyWaitMs = 5000;
// What a server may take before the command gives up: no wait in front of a
// client longer than ten seconds.
constexpr int serverStatementMs = 8000;
// A connection that can't be cut yet is bounded by libpq's own timeouts
// (libpq's shortest connect_timeout is 2 s).
QString serverLimits()
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(RegisterWorker::statementLimit()).count();
    return QStringLiteral("connect_timeout=%1 keepalives=1 keepalives_idle=4 keepalives_interval=2 "
                          "keepalives_count=2 tcp_user_timeout=%2")
        .arg(std::clamp<qint64>(seconds / 2, 2, 5))
        .arg(RegisterWorker::statementLimit().count());
}
// Held while the tables are made or changed, so that two rooms starting the
// first time don't both make them.
constexpr qint64 layoutLock = 0x4e7574726f766f; // "Nutrovo"

const QByteArray sqliteHeader("SQLite format 3\0", 16);

// Around one statement, for the watch that may cut it.
class Timed {
public:
    explicit Timed(StatementWatch *watch) : watch_(watch)
    {
        if (watch_ != nullptr)
            watch_->began();
    }
    ~Timed()
    {
        if (watch_ != nullptr)
            watch_->ended();
    }
    Timed(const Timed &) = delete;
    Timed &operator=(const Timed &) = delete;

private:
    StatementWatch *watch_;
};

// libpq's connection under the toolkit's driver (its type named by the
// struct's own name, as the toolkit normalises it).
PGconn *pgConnection(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    const char *type = handle.typeName();
    const bool isPgConn = type != nullptr && (qstrcmp(type, "pg_conn*") == 0 || qstrcmp(type, "PGconn*") == 0);
    return isPgConn ? *static_cast<PGconn *const *>(handle.data()) : nullptr;
}

QString connectionName()
{
    static std::atomic<int> made{0};
    return QStringLiteral("nutrovo-register-%1").arg(++made);
}

QString words(const QSqlError &error)
{
    const QString text = error.databaseText().isEmpty() ? error.driverText() : error.databaseText();
    return text.simplified();
}

// SQLite's primary result code (the driver reports the extended one).
int sqliteCode(const QSqlError &error) { return error.nativeErrorCode().toInt() & 0xff; }

Trouble sqliteTrouble(const QSqlError &error)
{
    switch (sqliteCode(error)) {
    case 5:  // SQLITE_BUSY
    case 6:  // SQLITE_LOCKED
        return Trouble::Busy;
    case 11: // SQLITE_CORRUPT
    case 26: // SQLITE_NOTADB
        return Trouble::Damaged;
    case 3:  // SQLITE_PERM
    case 8:  // SQLITE_READONLY
    case 10: // SQLITE_IOERR
    case 13: // SQLITE_FULL
    case 14: // SQLITE_CANTOPEN
        return Trouble::WriteFailed;
    default:
        return Trouble::Other;
    }
}

Trouble serverTrouble(const QSqlError &error)
{
    const QString state = error.nativeErrorCode();
    if (state.isEmpty() || state.startsWith(QLatin1String("08")) || state.startsWith(QLatin1String("57P")))
        return Trouble::Unreachable; // no answer from a server: it went away
    if (state == QLatin1String("55P03") || state == QLatin1String("57014") ||
        state == QLatin1String("40001") || state == QLatin1String("40P01"))
        return Trouble::Busy; // a lock or the statement's time ran out
    if (state == QLatin1String("42501") || state == QLatin1String("25006"))
        return Trouble::ReadOnly;
    if (state.startsWith(QLatin1String("53")))
        return Trouble::WriteFailed;
    return Trouble::Other;
}

bool asksForPassword(const QSqlError &error)
{
    const QString text = words(error);
    return text.contains(QLatin1String("no password supplied")) ||
           text.contains(QLatin1String("password authentication failed"));
}

QString thisComputersUser()
{
    if (const passwd *entry = getpwuid(geteuid()); entry != nullptr && entry->pw_name != nullptr)
        return QString::fromLocal8Bit(entry->pw_name);
    return QString::number(geteuid());
}

// The register's folder, the file and its log, narrowed to this user's if a
// restored copy came back wider: the register holds health data.
std::optional<QString> keptPrivate(const QString &path)
{
    for (const QString &one : {QFileInfo(path).path(), path, path + QStringLiteral("-wal"),
                               path + QStringLiteral("-shm")})
        if (auto why = files::narrowToOwner(one))
            return why;
    return std::nullopt;
}

// SQLite's own check of every page, on a read-only connection of its own:
// nothing when it passes.
std::optional<std::pair<Trouble, QString>> checkedFile(const QString &path)
{
    const QString name = connectionName();
    std::optional<std::pair<Trouble, QString>> found;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1;QSQLITE_OPEN_READONLY").arg(busyWaitMs));
        if (!db.open()) {
            found.emplace(sqliteTrouble(db.lastError()), words(db.lastError()));
        } else {
            QSqlQuery check(db);
            if (!check.exec(QStringLiteral("PRAGMA quick_check")) || !check.next())
                found.emplace(sqliteTrouble(check.lastError()), words(check.lastError()));
            else if (const QString verdict = check.value(0).toString(); verdict != QLatin1String("ok"))
                found.emplace(Trouble::Damaged, verdict);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return found;
}

} // namespace

// --- Query ------------------------------------------------------------------

Query::Query(const Connection &connection, QSqlQuery query, bool ran)
    : connection_(&connection), query_(std::move(query)), ran_(ran)
{
}

bool Query::next() { return ran_ && query_.next(); }

bool Query::one()
{
    if (!next()) {
        query_.finish();
        return false;
    }
    row_ = query_.record();
    query_.finish();
    return true;
}

QVariant Query::value(int column) const
{
    return query_.isActive() ? query_.value(column) : row_.value(column);
}

bool Query::runPrepared(const QVariantList &values)
{
    for (int i = 0; i < values.size(); ++i)
        query_.bindValue(i, values.at(i));
    const Timed timed(connection_->watch_);
    ran_ = query_.exec();
    return ran_;
}

Failure Query::failure() const
{
    const QSqlError error = query_.lastError();
    if (error.type() == QSqlError::NoError)
        return connection_->failure(Trouble::Other, QStringLiteral("no answer to a statement"));
    return connection_->failureOf(error);
}

// --- Connection ---------------------------------------------------------------

Connection::Connection(RegisterLocation location, StatementWatch *watch)
    : location_(std::move(location)), name_(connectionName()), watch_(watch)
{
}

Connection::~Connection()
{
    if (watch_ != nullptr && engine() == Engine::PostgreSQL)
        watch_->detach();
    database().close();
    QSqlDatabase::removeDatabase(name_);
}

QSqlDatabase Connection::database() const { return QSqlDatabase::database(name_, false); }

Result<std::unique_ptr<Connection>> Connection::open(const RegisterLocation &location,
                                                     const ServerSecrets &secrets,
                                                     RegisterStore::Purpose purpose,
                                                     StatementWatch *watch)
{
    const bool local = location.engine == Engine::SQLite;
    if (local && !QFileInfo::exists(location.filePath)) {
        if (purpose == RegisterStore::Purpose::Browse)
            return std::unique_ptr<Connection>(); // nothing saved yet: nothing made
        if (const auto why = files::createPrivately(location.filePath))
            return Failure{Trouble::WriteFailed, QStringLiteral("The register %1 can't be made: %2.")
                                                     .arg(location.shownName(), *why)};
    }
    if (local) {
        if (const auto why = keptPrivate(location.filePath))
            return Failure{Trouble::WriteFailed, QStringLiteral("The register %1 can't be kept private: %2.")
                                                     .arg(location.shownName(), *why)};
    }
    std::unique_ptr<Connection> connection(new Connection(location, local ? nullptr : watch));
    if (local) {
        if (auto bad = connection->checkFile())
            return *bad;
    }
    if (auto unopened = local ? connection->openSqlite(false) : connection->openServer(secrets))
        return *unopened;
    if (local)
        connection->checkFileMeanwhile();
    Result<int> version = connection->layoutVersion();
    if (!version.ok())
        return version.failure();
    if (version.value() == 0 && purpose == RegisterStore::Purpose::Browse)
        return std::unique_ptr<Connection>(); // an empty register: nothing to read
    if (auto notSetUp = connection->setUp(version.value()))
        return *notSetUp;
    return connection;
}

// Anything but an empty file or one that starts as an SQLite database is
// left alone before any engine touches it.
std::optional<Failure> Connection::checkFile() const
{
    QFile file(location_.filePath);
    if (!QFileInfo(location_.filePath).isFile())
        return failure(Trouble::Damaged, QStringLiteral("it is not a file"));
    if (!file.open(QIODevice::ReadOnly))
        return failure(Trouble::WriteFailed, file.errorString());
    const QByteArray start = file.read(sqliteHeader.size());
    if (file.size() > 0 && start != sqliteHeader)
        return failure(Trouble::Damaged, QStringLiteral("it does not start as a register does"));
    return std::nullopt;
}

std::optional<Failure> Connection::openSqlite(bool readOnly)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    if (!db.isValid())
        return failure(Trouble::Other, QStringLiteral("the toolkit's SQLite driver is missing "
                                                      "(Debian package libqt6sql6-sqlite)"));
    db.setDatabaseName(location_.filePath);
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyWaitMs);
    if (readOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    db.setConnectOptions(options);
    if (!db.open())
        return failureOf(db.lastError());
    user_ = thisComputersUser();
    if (const Query keys = run(QStringLiteral("PRAGMA foreign_keys = ON")); !keys.ran())
        return keys.failure();
    return std::nullopt;
}

std::optional<Failure> Connection::openServer(const ServerSecrets &secrets)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name_);
    if (!db.isValid())
        return failure(Trouble::Other, QStringLiteral("the toolkit's PostgreSQL driver is missing "
                                                      "(Debian package libqt6sql6-psql)"));
    const Result<ConnectionString> read = ConnectionString::read(location_.connection);
    if (!read.ok())
        return failure(Trouble::Unreachable, read.failure().message);
    if (const auto refused = read.value().applyTo(db, secrets, serverLimits()))
        return failure(Trouble::Unreachable, *refused);
    if (!db.open()) {
        const QSqlError error = db.lastError();
        return failure(asksForPassword(error) ? Trouble::NeedsPassword : Trouble::Unreachable, words(error));
    }
    if (watch_ != nullptr)
        watch_->attach(PQsocket(pgConnection(db)));
    const std::pair<const char *, int> limits[] = {{"statement_timeout", serverStatementMs},
                                                   {"lock_timeout", busyWaitMs},
                                                   {"idle_in_transaction_session_timeout", serverStatementMs}};
    for (const auto &[setting, ms] : limits) {
        const Query set = run(QStringLiteral("SELECT set_config(?, ?, false)"),
                              {QString::fromLatin1(setting), QString::number(ms)});
        if (!set.ran())
            return set.failure();
    }
    Query who = run(QStringLiteral("SELECT current_user"));
    if (!who.one())
        return who.failure();
    user_ = who.value(0).toString();
    return std::nullopt;
}

void Connection::checkFileMeanwhile()
{
    fileCheck_ = std::async(std::launch::async, checkedFile, location_.filePath).share();
}

std::optional<Failure> Connection::damage(bool waitForCheck) const
{
    if (!fileCheck_.valid())
        return std::nullopt; // a server: it keeps its own files whole
    if (!waitForCheck && fileCheck_.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return std::nullopt;
    const std::optional<std::pair<Trouble, QString>> &found = fileCheck_.get();
    return found ? std::optional(failure(found->first, found->second)) : std::nullopt;
}

Result<int> Connection::layoutVersion() const
{
    if (engine() == Engine::SQLite) {
        Query version = run(QStringLiteral("PRAGMA user_version"));
        if (!version.one())
            return version.failure();
        return version.value(0).toInt();
    }
    Query version = run(QStringLiteral("SELECT max(version) FROM nutrovo_schema"));
    if (!version.ran() && version.sql().lastError().nativeErrorCode() == QLatin1String("42P01"))
        return 0; // undefined table: a database the program has not set up yet
    if (!version.one())
        return version.failure();
    return version.value(0).toInt();
}

std::optional<Failure> Connection::setUp(int version)
{
    layout_ = version;
    if (version > schemaVersion)
        return keepToReading(version);
    if (engine() == Engine::SQLite) {
        for (const char *setting : {"PRAGMA synchronous = FULL", "PRAGMA secure_delete = ON"})
            if (const Query set = run(QLatin1String(setting)); !set.ran())
                return set.failure();
        if (auto unlogged = useWriteAheadLog(version < schemaVersion))
            return unlogged;
        if (version > 0 && version < schemaVersion)
            if (auto uncopied = backUpBeforeMigrating(version))
                return uncopied;
    }
    if (version < schemaVersion) {
        auto unmigrated = migrate();
        if (!unmigrated) {
            layout_ = schemaVersion;
        } else {
            if (unmigrated->trouble != Trouble::ReadOnly)
                return unmigrated;
            if (version == 0)
                return Failure{Trouble::ReadOnly,
                               QStringLiteral("The register's tables on the server (%1) are not set up for this "
                                              "version of the program, and the role %2 may not set them up (%3). "
                                              "The README's clinic set-up says how.")
                                   .arg(location_.shownName(), user_, unmigrated->message)};
            // Read as they are; a save would leave out what they lack.
            readOnlyReason_ = QStringLiteral("The register's tables on the server (%1) are of an older layout than "
                                             "this version of the program's, and the role %2 may not bring them up "
                                             "to it. It is only read: nothing is saved or deleted.")
                                  .arg(location_.shownName(), user_);
            return std::nullopt;
        }
    }
    return checkWriteRights();
}

// The file as it is, copied beside it by SQLite itself (a consistent copy,
// private like the register) before its layout changes. A copy that can't be
// made stops the change: nothing is written.
std::optional<Failure> Connection::backUpBeforeMigrating(int version) const
{
    const QFileInfo file(location_.filePath);
    QString copy;
    for (int attempt = 1; copy.isEmpty() || QFileInfo(copy).isFile(); ++attempt) // earlier copies are kept
        copy = file.dir().filePath(QStringLiteral("%1.layout%2%3.sqlite")
                                       .arg(file.completeBaseName())
                                       .arg(version)
                                       .arg(attempt == 1 ? QString() : QStringLiteral("-%1").arg(attempt)));
    const auto unmade = [&](const QString &why) {
        return failure(Trouble::WriteFailed,
                       QStringLiteral("its copy %1 can't be made before this version of the program changes its "
                                      "layout (%2); nothing was changed")
                           .arg(QDir::toNativeSeparators(copy), why));
    };
    if (const auto why = files::createPrivately(copy))
        return unmade(*why);
    if (const Query copied = run(QStringLiteral("VACUUM INTO ?"), {copy}); !copied.ran()) {
        QFile::remove(copy);
        return unmade(words(copied.sql().lastError()));
    }
    return std::nullopt;
}

// A register of a newer layout is only read, on a connection that can't write.
std::optional<Failure> Connection::keepToReading(int version)
{
    readOnlyReason_ = QStringLiteral("The register %1 was made by a newer version of the program (its layout "
                                     "%2, this program's %3). It is only read: nothing is saved or deleted in it.")
                          .arg(location_.shownName())
                          .arg(version)
                          .arg(schemaVersion);
    if (engine() == Engine::SQLite) {
        database().close();
        QSqlDatabase::removeDatabase(name_);
        return openSqlite(true);
    }
    const Query readOnly = run(QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY"));
    return readOnly.ran() ? std::nullopt : std::optional(readOnly.failure());
}

// Write-ahead logging with a full sync per commit: a save is on the disk when
// it is reported, and readers never wait for it. Changing the mode, or the
// layout, writes: only once the file has passed its check. A file that can't
// be written keeps its mode, and is still read.
std::optional<Failure> Connection::useWriteAheadLog(bool layoutChanges) const
{
    Query mode = run(QStringLiteral("PRAGMA journal_mode"));
    const bool logged = mode.one() && mode.value(0).toString() == QLatin1String("wal");
    if (logged && !layoutChanges)
        return std::nullopt;
    if (auto damaged = damage(true))
        return damaged;
    if (!logged)
        run(QStringLiteral("PRAGMA journal_mode = WAL"));
    return std::nullopt;
}

// Brings the tables up to this program's layout in one transaction. Another
// copy may be doing the same: the version is read again once the register
// is held.
std::optional<Failure> Connection::migrate()
{
    Transaction transaction(*this);
    if (!transaction.begun())
        return transaction.failure();
    if (engine() == Engine::PostgreSQL) {
        if (const Query held = run(QStringLiteral("SELECT pg_advisory_xact_lock(?)"), {layoutLock}); !held.ran())
            return held.failure();
        if (const Query made = run(QStringLiteral("CREATE TABLE IF NOT EXISTS nutrovo_schema (version INTEGER NOT NULL)"));
            !made.ran())
            return made.failure();
    }
    Result<int> version = layoutVersion();
    if (!version.ok())
        return version.failure();
    for (int next = version.value() + 1; next <= schemaVersion; ++next) {
        for (const QString &statement : migrationTo(next, engine()))
            if (const Query step = run(statement); !step.ran())
                return step.failure();
    }
    const Query stamp = engine() == Engine::SQLite
                            // A pragma takes no bound value; this is the program's own constant.
                            ? run(QStringLiteral("PRAGMA user_version = ") + QString::number(schemaVersion))
                            : run(QStringLiteral("DELETE FROM nutrovo_schema"));
    if (!stamp.ran())
        return stamp.failure();
    if (engine() == Engine::PostgreSQL) {
        if (const Query add = run(QStringLiteral("INSERT INTO nutrovo_schema (version) VALUES (?)"), {schemaVersion});
            !add.ran())
            return add.failure();
    }
    return transaction.commit();
}

// A role that may only read the tables reads; saving and deleting say why not.
std::optional<Failure> Connection::checkWriteRights()
{
    if (engine() == Engine::SQLite)
        return std::nullopt; // the file's own permissions answer when it is written
    Query rights = run(QStringLiteral(
        "SELECT has_table_privilege('clients', 'INSERT') AND has_table_privilege('clients', 'UPDATE')"
        " AND has_table_privilege('clients', 'DELETE') AND has_table_privilege('visits', 'INSERT')"
        " AND has_table_privilege('visits', 'UPDATE') AND has_table_privilege('visits', 'DELETE')"));
    if (!rights.one())
        return rights.failure();
    if (!rights.value(0).toBool())
        readOnlyReason_ = QStringLiteral("The role %1 may read the register on the server but not change it: "
                                         "nothing is saved or deleted.")
                              .arg(user_);
    return std::nullopt;
}

Query Connection::run(const QString &statement, const QVariantList &values) const
{
    QSqlQuery query(database());
    query.setForwardOnly(true);
    bool ran = false;
    const Timed timed(watch_);
    if (values.isEmpty()) {
        ran = query.exec(statement);
    } else if (query.prepare(statement)) {
        for (int i = 0; i < values.size(); ++i)
            query.bindValue(i, values.at(i));
        ran = query.exec();
    }
    return Query(*this, std::move(query), ran);
}

Query Connection::prepare(const QString &statement) const
{
    QSqlQuery query(database());
    query.setForwardOnly(true);
    static_cast<void>(query.prepare(statement)); // one that can't be prepared fails when it runs
    return Query(*this, std::move(query), false);
}

QString Connection::lockingRows(const QString &select) const
{
    return engine() == Engine::PostgreSQL ? select + QStringLiteral(" FOR UPDATE") : select;
}

void Connection::forgetDeleted()
{
    if (engine() != Engine::SQLite)
        return; // the server's own files are its own
    // One row: busy (1 when a reader kept it from finishing), frames in the
    // log, frames written back; a finished one leaves an empty log.
    Query checkpoint = run(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    deletedStillLogged_ = !checkpoint.one() || checkpoint.value(0).toInt() != 0;
}

Failure Connection::failureOf(const QSqlError &error) const
{
    if (watch_ != nullptr && watch_->wasCut())
        return failure(Trouble::Unreachable,
                       QStringLiteral("it did not answer within %1 seconds, and the program stopped waiting")
                           .arg(static_cast<double>(RegisterWorker::statementLimit().count()) / 1000));
    if (underWay_ != nullptr)
        underWay_->rollBack();
    return failure(engine() == Engine::SQLite ? sqliteTrouble(error) : serverTrouble(error), words(error));
}

Failure Connection::failure(Trouble trouble, const QString &what) const
{
    const QString where = location_.shownName();
    const bool local = engine() == Engine::SQLite;
    switch (trouble) {
    case Trouble::Busy:
        return {trouble, local ? QStringLiteral("The register %1 is in use by another copy of the program and was "
                                                "still in use after %2 seconds.")
                                     .arg(where)
                                     .arg(busyWaitMs / 1000)
                               : QStringLiteral("Another room held the same records on the register server for "
                                                "too long (%1).")
                                     .arg(what)};
    case Trouble::Damaged:
        return {trouble, QStringLiteral("The register %1 is damaged or is not a register (%2). It was left as it "
                                        "was; the calculator works on without the register.")
                             .arg(where, what)};
    case Trouble::WriteFailed:
        return {trouble, QStringLiteral("The register %1 can't be written: %2.").arg(where, what)};
    case Trouble::Unreachable:
    case Trouble::NeedsPassword:
        return {trouble, QStringLiteral("The register server (%1) can't be reached. It says: %2").arg(where, what)};
    case Trouble::ReadOnly:
        return {trouble, QStringLiteral("The register %1 may not be changed by %2: %3.").arg(where, user_, what)};
    default:
        return {trouble, QStringLiteral("The register %1 answered: %2.").arg(where, what)};
    }
}

// --- Transaction --------------------------------------------------------------

namespace {

// SQLite takes the write lock at once, so a busy register is waited for
// before anything is read, not failed on halfway.
QString beginning(const Connection &connection)
{
    return connection.engine() == Engine::SQLite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN");
}

} // namespace

Transaction::Transaction(Connection &connection)
    : connection_(connection), begun_(connection.run(beginning(connection)))
{
    if (begun())
        connection_.underWay_ = this;
}

Transaction::~Transaction() { rollBack(); }

std::optional<Failure> Transaction::commit()
{
    const Query committed = connection_.run(QStringLiteral("COMMIT"));
    if (!committed.ran())
        return committed.failure(); // rolled back
    done_ = true;
    connection_.underWay_ = nullptr;
    return std::nullopt;
}

void Transaction::rollBack()
{
    if (!begun() || done_)
        return;
    done_ = true;
    connection_.underWay_ = nullptr;
    connection_.run(QStringLiteral("ROLLBACK"));
}

} // namespace nutrovo::reg
