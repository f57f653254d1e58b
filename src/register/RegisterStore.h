// The register: every saved visit of every client, in a local SQLite file or
// on a clinic's PostgreSQL server, behind one interface. Each command opens
// what it needs, binds every value, and runs as one transaction; a failure
// leaves the register as it was and is told in words the user can act on.
#pragma once

#include "register/RegisterLocation.h"
#include "visits/Visit.h"

#include <QDate>
#include <QList>
#include <QStringList>
#include <QString>
#include <QtGlobal>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace nutrovo::reg {

enum class Trouble {
    Damaged,      // not a register, or one that fails its check: left alone
    Busy,         // held by another copy of the program beyond the wait
    WriteFailed,  // disk full, read-only folder or file, permissions
    Unreachable,  // the server is down, refuses, or the connection broke
    NeedsPassword,
    NotFound,     // the visit or client is gone (deleted in another room)
    BadVisit,     // a visit read back that fails its check
    ReadOnly,     // made by a newer program, or no right to write
    Other,
};

struct Failure {
    Trouble trouble = Trouble::Other;
    QString message; // a whole sentence for the user
};

// A value, or why there is none.
template <typename T> class Result {
public:
    // Either converts on return, as std::optional does.
    // cppcheck-suppress noExplicitConstructor
    Result(T value) : value_(std::move(value)) {} // NOLINT(google-explicit-constructor)
    // cppcheck-suppress noExplicitConstructor
    Result(Failure failure) : failure_(std::move(failure)) {} // NOLINT(google-explicit-constructor)

    bool ok() const { return value_.has_value(); }
    // Asked for only once ok() said there is one.
    const T &value() const { return *value_; } // NOLINT(bugprone-unchecked-optional-access)
    T &value() { return *value_; }             // NOLINT(bugprone-unchecked-optional-access)
    const Failure &failure() const { return failure_; }

private:
    std::optional<T> value_;
    Failure failure_;
};

struct Done {};

struct ClientRow {
    qint64 id = 0;
    QString name;      // the latest spelling
    QString key;       // as clientKey makes it
    QString lastVisit; // YYYY-MM-DD
};

// The figures a visit list shows, as the window showed them.
enum class VisitFigure { Weight, Bmi, BmiClass, HarrisBenedict, Owen, Mifflin, Who, Another };
inline constexpr std::size_t visitFigureCount = 8;
// The display field each figure comes from, in VisitFigure's order.
inline constexpr std::array<Output, visitFigureCount> visitFigureFields = {
    Output::showWeight, Output::bmi,       Output::bmiClass,   Output::hbrdacal,
    Output::owenrdacal, Output::mifrdacal, Output::whordacal, Output::lastrdacal};

struct VisitRow {
    qint64 id = 0;
    QString day; // YYYY-MM-DD
    QString savedBy;
    QString dietitian; // as the header named it; empty before one was set
    QString note;
    std::array<QString, visitFigureCount> figures; // empty: a field the visit was saved without
    // Picked, for reading the BMI of a visit saved without its reading.
    int sexButton = 0;
    int ageYears = 0;
};

struct StoredVisit {
    qint64 id = 0;
    QString day;
    QString clientName; // the client's latest spelling
    visits::Visit visit;
};

struct SaveReport {
    bool replaced = false; // a visit of the same day was there before
    QString day;
};

struct CopyReport {
    int clientsAdded = 0;
    int visitsCopied = 0;
    int visitsAlreadyThere = 0; // same client, same day: the target's is kept
    QStringList failingCheck;   // visits left out: whose, which day, and why
};

// A client's visits that pass the read-back check, and those that don't, named.
struct CheckedVisits {
    QList<StoredVisit> visits;
    QStringList failingCheck;
};

// A visit of a given day, for copying registers and generating test data.
struct DatedVisit {
    QString day;
    visits::Visit visit;
    QString client; // the client's name to file it under; the name as typed when empty
};

class Connection;
class StatementWatch;

// What a connection string may hold that is never written nor shown.
struct ServerSecrets {
    QString password;
    QString sslPassword;

    bool any() const { return !password.isEmpty() || !sslPassword.isEmpty(); }
};

class RegisterStore {
public:
    // How far opening may go: browsing never creates the local file.
    enum class Purpose { Browse, Write };

    explicit RegisterStore(RegisterLocation location);
    ~RegisterStore();
    RegisterStore(const RegisterStore &) = delete;
    RegisterStore &operator=(const RegisterStore &) = delete;

    const RegisterLocation &location() const { return location_; }

    // Opens and checks the register (and, for writing, creates or updates
    // its tables). Empty: nothing to read yet (no local file).
    Result<bool> open(Purpose purpose);
    bool isOpen() const;
    // Made by a newer program, or the role may only read: saving and
    // deleting are refused. The reason is a sentence for the user.
    std::optional<QString> readOnlyReason() const;
    // Drops the connection: the next command opens afresh.
    void close();

    // The password for a server that asks for one; kept in memory only.
    void setPassword(const QString &password);
    // Those a connection string held, taken out of it; in memory only.
    void setSecrets(const ServerSecrets &secrets) { secrets_ = secrets; }
    const ServerSecrets &secrets() const { return secrets_; }
    // Told of every server statement, so that another thread can cut one
    // that runs too long.
    void watchStatements(std::shared_ptr<StatementWatch> watch) { watch_ = std::move(watch); }

    Result<SaveReport> save(const visits::Visit &visit, const QDate &day);
    // Clients whose name contains the text, regardless of case.
    Result<QList<ClientRow>> findClients(const QString &part);
    // Newest first.
    Result<QList<VisitRow>> visitsOf(qint64 clientId);
    // As it is now in the register, checked.
    Result<StoredVisit> visit(qint64 visitId);
    // Oldest first, every stored field: for export. Only visits that pass
    // the check are given; the others are named.
    Result<CheckedVisits> allVisitsOf(qint64 clientId);
    // Removes the visit, and its client with the client's last visit.
    Result<Done> deleteVisit(qint64 visitId);

    // Adds visits in one transaction; a client's visit of a day already
    // there is kept. Only the clients of these visits are locked and changed.
    Result<CopyReport> addVisits(const QList<DatedVisit> &dated);
    // Every client and visit of another register that passes the check, in
    // one transaction; those that fail it are named in the report.
    Result<CopyReport> copyFrom(RegisterStore &source);

    // The client key: outer blanks removed, case folded, composed.
    static QString clientKey(const QString &name);

private:
    template <typename T, typename Run> Result<T> command(Purpose purpose, Run run);
    std::optional<Failure> addVisitsIn(const Connection &db, const QList<DatedVisit> &dated,
                                       CopyReport &report);
    Result<QList<DatedVisit>> visitsAfter(qint64 id, int count, QStringList &failingCheck);

    RegisterLocation location_;
    std::unique_ptr<Connection> connection_;
    ServerSecrets secrets_;
    std::shared_ptr<StatementWatch> watch_;
    qint64 lastReadId_ = 0;
};

} // namespace nutrovo::reg
