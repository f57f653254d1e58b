// One open register: the toolkit's database connection, checked and set up
// for its engine, and the statements run on it. Every value is bound; a
// failure is classified and told with the engine's own words.
#pragma once

#include "register/ConnectionString.h"
#include "register/RegisterStore.h"
#include "register/StatementWatch.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariantList>

#include <future>
#include <memory>
#include <optional>

namespace nutrovo::reg {

class Connection;
class Transaction;

// A statement run on a connection.
class Query {
public:
    Query(const Connection &connection, QSqlQuery query, bool ran);

    bool ran() const { return ran_; }
    // The next row of a result read to its end.
    bool next();
    // The one row of a result, which is then closed (an open statement would
    // keep its transaction from committing).
    bool one();
    QVariant value(int column) const;
    const QSqlQuery &sql() const { return query_; }
    // Runs the prepared statement again with these values.
    bool runPrepared(const QVariantList &values);
    Failure failure() const;

private:
    const Connection *connection_;
    QSqlQuery query_;
    QSqlRecord row_; // the one row, once the statement is closed
    bool ran_ = false;
};

class Connection {
public:
    // The register checked and, for writing, created or brought up to this
    // program's layout. Null: there is nothing to read yet.
    static Result<std::unique_ptr<Connection>> open(const RegisterLocation &location,
                                                    const ServerSecrets &secrets,
                                                    RegisterStore::Purpose purpose,
                                                    StatementWatch *watch = nullptr);
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    Engine engine() const { return location_.engine; }
    // Who saves: the server's role, or this computer's user.
    const QString &user() const { return user_; }
    const std::optional<QString> &readOnlyReason() const { return readOnlyReason_; }
    // The register's layout as this session reads it: this program's, or an
    // older one that this role may not bring up to it.
    int layout() const { return layout_; }

    Query run(const QString &statement, const QVariantList &values = {}) const;
    Query prepare(const QString &statement) const;
    // A select that also locks the rows it reads against other rooms'
    // changes until the transaction ends (SQLite has one writer at a time).
    QString lockingRows(const QString &select) const;
    // Deleted pages leave the write-ahead log too: it is checkpointed and
    // emptied. A reader elsewhere (another copy of the program) can keep
    // the checkpoint from finishing; then it is tried again by the next
    // command, until it does.
    void forgetDeleted();
    bool deletedStillLogged() const { return deletedStillLogged_; }

    // The local file's check, run beside the first command of a session so
    // that browsing need not wait for it: a write waits for its verdict, and
    // once it has found damage every command is refused with it.
    std::optional<Failure> damage(bool waitForCheck) const;

    // A statement's failure; the transaction under way, if any, is rolled
    // back at once, while its statements still exist.
    Failure failureOf(const QSqlError &error) const;
    Failure failure(Trouble trouble, const QString &what) const;

private:
    friend class Query;
    friend class Transaction;

    Connection(RegisterLocation location, StatementWatch *watch);

    std::optional<Failure> openSqlite(bool readOnly);
    void checkFileMeanwhile();
    std::optional<Failure> openServer(const ServerSecrets &secrets);
    Result<int> layoutVersion() const;
    std::optional<Failure> checkFile() const;
    std::optional<Failure> setUp(int version);
    std::optional<Failure> keepToReading(int version);
    std::optional<Failure> useWriteAheadLog(bool layoutChanges) const;
    std::optional<Failure> migrate();
    std::optional<Failure> backUpBeforeMigrating(int version) const;
    std::optional<Failure> checkWriteRights();
    QSqlDatabase database() const;

    RegisterLocation location_;
    QString name_; // of the toolkit's connection
    QString user_;
    std::optional<QString> readOnlyReason_;
    int layout_ = 0;
    Transaction *underWay_ = nullptr; // rolled back when a statement fails
    StatementWatch *watch_ = nullptr;  // of the server's statements
    bool deletedStillLogged_ = false;
    // What the file's check found: nothing, or the trouble and its words.
    std::shared_future<std::optional<std::pair<Trouble, QString>>> fileCheck_;
};

// BEGIN ... COMMIT, rolled back unless committed.
class Transaction {
public:
    explicit Transaction(Connection &connection);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    bool begun() const { return begun_.ran(); }
    Failure failure() const { return begun_.failure(); }
    std::optional<Failure> commit();
    void rollBack();

private:
    Connection &connection_;
    Query begun_;
    bool done_ = false;
};

} // namespace nutrovo::reg
