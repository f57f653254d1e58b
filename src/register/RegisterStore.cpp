#include "register/RegisterStore.h"

#include "register/Connection.h"
#include "register/Schema.h"

#include "pickers/Pickers.h"

#include <QSqlQuery>
#include <QSqlRecord>

#include <limits>

namespace nutrovo::reg {

namespace {

// Columns of a visit read back, after the visit's id and its client's name.
constexpr int firstVisitColumn = 2;
constexpr int factCount = 6;

QString joined(const QStringList &columns, const QString &prefix = {})
{
    QStringList named;
    for (const QString &column : columns)
        named.append(prefix + column);
    return named.join(QStringLiteral(", "));
}

QString placeholders(qsizetype count)
{
    QStringList marks;
    for (qsizetype i = 0; i < count; ++i)
        marks.append(QStringLiteral("?"));
    return marks.join(QStringLiteral(", "));
}

// The statements below are put together from this file's own column list and
// fixed clauses only; every value goes in bound, through a "?".
// The columns of the register's own layout; NULL for those it lacks.
QString readableColumns(const QStringList &columns, int layout, const QString &prefix = {})
{
    QStringList readable;
    for (const QString &column : columns)
        readable.append(readableColumn(column, layout, prefix));
    return readable.join(QStringLiteral(", "));
}

QString selectVisits(const Connection &db, const QString &where)
{
    return QStringLiteral("SELECT v.id, c.name, ") + readableColumns(visitColumns(), db.layout(), QStringLiteral("v.")) +
           QStringLiteral(" FROM visits v JOIN clients c ON c.id = v.client_id WHERE ") + where;
}

// Rows of `width` values each, as many as `rows`.
QString valueRows(qsizetype rows, qsizetype width)
{
    const QString row = u'(' + placeholders(width) + u')';
    QStringList all;
    for (qsizetype i = 0; i < rows; ++i)
        all.append(row);
    return all.join(QStringLiteral(", "));
}

QString insertVisits(qsizetype rows, const QString &onConflict)
{
    return QStringLiteral("INSERT INTO visits (client_id, ") + joined(visitColumns()) + QStringLiteral(") VALUES ") +
           valueRows(rows, visitColumns().size() + 1) + QStringLiteral(" ON CONFLICT (client_id, visit_day) ") +
           onConflict;
}

QString insertVisit(const QString &onConflict) { return insertVisits(1, onConflict); }

// Bound values in one statement: well within both engines' limits (SQLite
// 32766, PostgreSQL 65535).
constexpr qsizetype valuesPerStatement = 30000;

qsizetype visitsPerInsert() { return valuesPerStatement / (visitColumns().size() + 1); }

// The client's latest visit, after a visit of `day` was added.
const QString laterVisit = QStringLiteral(
    "UPDATE clients SET last_visit = ? WHERE id = ? AND (last_visit IS NULL OR last_visit < ?)");
// After visits went or came: the latest of the client's visits.
const QString latestVisitLeft =
    QStringLiteral("UPDATE clients SET last_visit = (SELECT max(v.visit_day) FROM visits v WHERE v.client_id = "
                   "clients.id)");

// The same for the clients of these ids only.
std::optional<Failure> updateLatestVisits(const Connection &db, const QList<qint64> &clientIds)
{
    for (qsizetype first = 0; first < clientIds.size(); first += valuesPerStatement) {
        const QList<qint64> part = clientIds.mid(first, valuesPerStatement);
        QVariantList ids;
        for (qint64 id : part)
            ids.append(id);
        const Query latest =
            db.run(latestVisitLeft + QStringLiteral(" WHERE id IN (") + placeholders(ids.size()) + u')', ids);
        if (!latest.ran())
            return latest.failure();
    }
    return std::nullopt;
}


QString updateVisit()
{
    QStringList assignments;
    for (const QString &column : visitColumns())
        assignments.append(column + QStringLiteral(" = ?"));
    return QStringLiteral("UPDATE visits SET ") + assignments.join(QStringLiteral(", ")) + QStringLiteral(" WHERE id = ?");
}

// A whole number that fits an int, or nothing: a value of another type
// or out of range is not a pick.
std::optional<int> wholeNumber(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || number != static_cast<double>(static_cast<long long>(number)) ||
        number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(number);
}

struct ReadBack {
    StoredVisit stored;
    QStringList problems;
};

// The columns of visitColumns' order, from `first` on, into a visit; what
// can't be one is named in problems.
ReadBack readVisit(const QSqlQuery &query)
{
    ReadBack read;
    read.stored.id = query.value(0).toLongLong();
    read.stored.clientName = query.value(1).toString();
    visits::Visit &visit = read.stored.visit;
    int column = firstVisitColumn;
    const auto text = [&]() -> std::string {
        const QVariant value = query.value(column);
        if (value.isNull() && layoutAdding(visitColumns().at(column - firstVisitColumn)) == 1)
            read.problems.append(visitHeadings().at(column - firstVisitColumn) + QStringLiteral(" missing"));
        ++column;
        return value.toString().toStdString();
    };
    const auto number = [&](bool noneAllowed) {
        const QVariant value = query.value(column);
        const std::optional<int> whole = wholeNumber(value);
        if (!whole && !(noneAllowed && value.isNull()))
            read.problems.append(visitHeadings().at(column - firstVisitColumn) + QStringLiteral(" is not a pick"));
        ++column;
        return whole.value_or(noneAllowed ? visits::noButton : -1);
    };
    read.stored.day = QString::fromStdString(text());
    visit.savedAt = text();
    visit.clientName = text();
    visit.programVersion = text();
    visit.savedBy = text();
    visit.dietitianName = text();
    visit.picks.sex = number(false);
    for (int &row : visit.picks.rows)
        row = number(false);
    for (int &button : visit.picks.servings)
        button = number(true);
    for (std::string &field : visit.texts)
        field = text();
    visit.note = text();
    if (!QDate::fromString(read.stored.day, Qt::ISODate).isValid())
        read.problems.append(QStringLiteral("the date %1 is not a day").arg(read.stored.day));
    for (const std::string &problem : visits::problemsOf(visit))
        read.problems.append(QString::fromStdString(problem));
    return read;
}

static_assert(factCount == 6, "the visit's facts: day, time, name, version, saved by, dietitian");

// "Ada Lovelace, 2026-03-09: agecombo is not a pick"
QString failingCheck(const ReadBack &read)
{
    return QStringLiteral("%1, %2: %3")
        .arg(read.stored.clientName, read.stored.day, read.problems.join(QStringLiteral("; ")));
}

} // namespace

RegisterStore::RegisterStore(RegisterLocation location) : location_(std::move(location)) {}

RegisterStore::~RegisterStore() = default;

bool RegisterStore::isOpen() const { return connection_ != nullptr; }

std::optional<QString> RegisterStore::readOnlyReason() const
{
    return connection_ ? connection_->readOnlyReason() : std::nullopt;
}

void RegisterStore::close() { connection_.reset(); }

void RegisterStore::setPassword(const QString &password) { secrets_.password = password; }

Result<bool> RegisterStore::open(Purpose purpose)
{
    if (connection_)
        return true;
    Result<std::unique_ptr<Connection>> opened = Connection::open(location_, secrets_, purpose, watch_.get());
    if (!opened.ok())
        return opened.failure();
    if (!opened.value())
        return false; // nothing saved yet
    connection_ = std::move(opened.value());
    return true;
}

QString RegisterStore::clientKey(const QString &name)
{
    return name.trimmed().normalized(QString::NormalizationForm_C).toCaseFolded();
}

// Every command: open for its purpose, run, and on a failure drop the
// connection, so that the next command starts afresh (a server back up, a
// disk with room again).
template <typename T, typename Run>
Result<T> RegisterStore::command(Purpose purpose, Run run)
{
    Result<bool> opened = open(purpose);
    if (!opened.ok())
        return opened.failure();
    if (!opened.value())
        return T{}; // nothing saved yet: nothing to find
    if (auto damaged = connection_->damage(purpose == Purpose::Write)) {
        connection_.reset();
        return *damaged;
    }
    if (purpose == Purpose::Write)
        if (const auto reason = connection_->readOnlyReason())
            return Failure{Trouble::ReadOnly, *reason};
    if (connection_->deletedStillLogged())
        connection_->forgetDeleted();
    Result<T> result = run(*connection_);
    if (!result.ok() && result.failure().trouble != Trouble::NotFound &&
        result.failure().trouble != Trouble::BadVisit)
        connection_.reset();
    return result;
}

Result<SaveReport> RegisterStore::save(const visits::Visit &visit, const QDate &day)
{
    // The window takes no longer note; this keeps any other caller to it too.
    if (visit.note.size() > visits::noteLimitBytes)
        return Failure{Trouble::BadVisit, QStringLiteral("A note holds at most %1 KiB.").arg(visits::noteLimitBytes / 1024)};
    return command<SaveReport>(Purpose::Write, [&](Connection &db) -> Result<SaveReport> {
        visits::Visit saved = visit;
        saved.savedBy = db.user().toStdString();
        const QString name = QString::fromStdString(visit.clientName).trimmed();
        saved.clientName = name.toStdString();
        const QString isoDay = day.toString(Qt::ISODate);
        Transaction transaction(db);
        if (!transaction.begun())
            return transaction.failure();
        Query client = db.run(
            QStringLiteral("INSERT INTO clients (name_key, name) VALUES (?, ?) "
                           "ON CONFLICT (name_key) DO UPDATE SET name = excluded.name RETURNING id"),
            {clientKey(name), name});
        if (!client.one())
            return client.failure();
        const qint64 clientId = client.value(0).toLongLong();
        const QVariantList values = QVariantList{clientId} + visitValues(isoDay, saved);
        SaveReport report{false, isoDay};
        Query inserted = db.run(insertVisit(QStringLiteral("DO NOTHING RETURNING id")), values);
        if (!inserted.ran())
            return inserted.failure();
        if (!inserted.one()) { // that day's visit is there: replace it
            Query existing = db.run(db.lockingRows(QStringLiteral(
                                        "SELECT id FROM visits WHERE client_id = ? AND visit_day = ?")),
                                    {clientId, isoDay});
            if (!existing.one())
                return existing.failure();
            Query replaced = db.run(updateVisit(), visitValues(isoDay, saved) + QVariantList{existing.value(0)});
            if (!replaced.ran())
                return replaced.failure();
            report.replaced = true;
        }
        if (const Query latest = db.run(laterVisit, {isoDay, clientId, isoDay}); !latest.ran())
            return latest.failure();
        if (auto failure = transaction.commit())
            return *failure;
        return report;
    });
}

Result<QList<ClientRow>> RegisterStore::findClients(const QString &part)
{
    return command<QList<ClientRow>>(Purpose::Browse, [&](const Connection &db) -> Result<QList<ClientRow>> {
        QString pattern = clientKey(part);
        pattern.replace(u'\\', QStringLiteral("\\\\"));
        pattern.replace(u'%', QStringLiteral("\\%"));
        pattern.replace(u'_', QStringLiteral("\\_"));
        Query query = db.run(QStringLiteral("SELECT id, name, name_key, last_visit FROM clients "
                                            "WHERE name_key LIKE ? ESCAPE '\\' ORDER BY name_key, id"),
                             {u'%' + pattern + u'%'});
        if (!query.ran())
            return query.failure();
        QList<ClientRow> clients;
        while (query.next())
            clients.append({query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString(),
                            query.value(3).toString()});
        return clients;
    });
}

Result<QList<VisitRow>> RegisterStore::visitsOf(qint64 clientId)
{
    return command<QList<VisitRow>>(Purpose::Browse, [&](const Connection &db) -> Result<QList<VisitRow>> {
        QStringList figures;
        for (Output field : visitFigureFields)
            figures.append(columnOf(field));
        Query query = db.run(QStringLiteral("SELECT id, visit_day, saved_by, sex, agecombo, %1 FROM visits "
                                            "WHERE client_id = ? ORDER BY visit_day DESC")
                                 .arg(readableColumns(figures + QStringList{QStringLiteral("dietitian"),
                                                                            QStringLiteral("note")},
                                                      db.layout())),
                             {clientId});
        if (!query.ran())
            return query.failure();
        QList<VisitRow> rows;
        while (query.next()) {
            VisitRow row;
            row.id = query.value(0).toLongLong();
            row.day = query.value(1).toString();
            row.savedBy = query.value(2).toString();
            row.sexButton = query.value(3).toInt();
            row.ageYears = pickers::ageYearsFromRow(static_cast<std::int16_t>(query.value(4).toInt()));
            for (std::size_t i = 0; i < visitFigureCount; ++i)
                row.figures.at(i) = query.value(static_cast<int>(i) + 5).toString();
            row.dietitian = query.value(static_cast<int>(visitFigureCount) + 5).toString();
            row.note = query.value(static_cast<int>(visitFigureCount) + 6).toString();
            rows.append(row);
        }
        return rows;
    });
}

Result<StoredVisit> RegisterStore::visit(qint64 visitId)
{
    return command<StoredVisit>(Purpose::Browse, [&](const Connection &db) -> Result<StoredVisit> {
        Query query = db.run(selectVisits(db, QStringLiteral("v.id = ?")), {visitId});
        if (!query.ran())
            return query.failure();
        if (!query.next())
            return Failure{Trouble::NotFound, QStringLiteral("The visit is no longer in the register: it "
                                                             "was deleted since the list was shown.")};
        ReadBack read = readVisit(query.sql());
        if (!read.problems.isEmpty())
            return Failure{Trouble::BadVisit,
                           QStringLiteral("The visit of %1 on %2 can't be opened: the register holds values "
                                          "this program can't show (%3).")
                               .arg(read.stored.clientName, read.stored.day, read.problems.join(QStringLiteral("; ")))};
        return read.stored;
    });
}

Result<CheckedVisits> RegisterStore::allVisitsOf(qint64 clientId)
{
    return command<CheckedVisits>(Purpose::Browse, [&](const Connection &db) -> Result<CheckedVisits> {
        Query query = db.run(selectVisits(db, QStringLiteral("v.client_id = ? ORDER BY v.visit_day")), {clientId});
        if (!query.ran())
            return query.failure();
        CheckedVisits checked;
        while (query.next()) {
            ReadBack read = readVisit(query.sql());
            if (read.problems.isEmpty())
                checked.visits.append(std::move(read.stored));
            else
                checked.failingCheck.append(failingCheck(read));
        }
        return checked;
    });
}

Result<Done> RegisterStore::deleteVisit(qint64 visitId)
{
    return command<Done>(Purpose::Write, [&](Connection &db) -> Result<Done> {
        Transaction transaction(db);
        if (!transaction.begun())
            return transaction.failure();
        // The client's row first, so that a visit saved in another room at
        // the same moment either comes first or finds the client gone.
        Query client = db.run(db.lockingRows(QStringLiteral(
                                  "SELECT id FROM clients WHERE id = (SELECT client_id FROM visits WHERE id = ?)")),
                              {visitId});
        if (!client.ran())
            return client.failure();
        if (!client.one())
            return Failure{Trouble::NotFound, QStringLiteral("The visit is no longer in the register: it "
                                                             "was deleted since the list was shown.")};
        const QVariant clientId = client.value(0);
        Query deleted = db.run(QStringLiteral("DELETE FROM visits WHERE id = ?"), {visitId});
        if (!deleted.ran())
            return deleted.failure();
        Query lastVisit = db.run(QStringLiteral("DELETE FROM clients WHERE id = ? AND NOT EXISTS "
                                                "(SELECT 1 FROM visits WHERE client_id = ?)"),
                                 {clientId, clientId});
        if (!lastVisit.ran())
            return lastVisit.failure();
        if (const Query latest = db.run(latestVisitLeft + QStringLiteral(" WHERE id = ?"), {clientId}); !latest.ran())
            return latest.failure();
        if (auto failure = transaction.commit())
            return *failure;
        db.forgetDeleted();
        return Done{};
    });
}

Result<CopyReport> RegisterStore::addVisits(const QList<DatedVisit> &dated)
{
    return command<CopyReport>(Purpose::Write, [&](Connection &db) -> Result<CopyReport> {
        Transaction transaction(db);
        if (!transaction.begun())
            return transaction.failure();
        CopyReport report;
        for (qsizetype first = 0; first < dated.size(); first += visitsPerInsert())
            if (auto failure = addVisitsIn(db, dated.mid(first, visitsPerInsert()), report))
                return *failure;
        if (auto failure = transaction.commit())
            return *failure;
        return report;
    });
}

// One batch, each statement binding many rows. The target keeps its own
// spelling of a client it has, and its own visit of a day it has; the
// clients it has are locked against other rooms' deletions until the end.
std::optional<Failure> RegisterStore::addVisitsIn(const Connection &db, const QList<DatedVisit> &dated,
                                                  CopyReport &report)
{
    if (dated.isEmpty())
        return std::nullopt;
    QHash<QString, QString> names; // by key: the clients of this batch
    QList<QString> keys;
    for (const DatedVisit &one : dated) {
        const QString name =
            (one.client.isEmpty() ? QString::fromStdString(one.visit.clientName) : one.client).trimmed();
        const QString key = clientKey(name);
        if (!names.contains(key)) {
            keys.append(key);
            names.insert(key, name);
        }
    }
    QHash<QString, qint64> clientIds;
    QVariantList pairs;
    for (const QString &key : keys)
        pairs << key << names.value(key);
    Query added = db.run(QStringLiteral("INSERT INTO clients (name_key, name) VALUES ") + valueRows(keys.size(), 2) +
                             QStringLiteral(" ON CONFLICT (name_key) DO NOTHING RETURNING id, name_key"),
                         pairs);
    if (!added.ran())
        return added.failure();
    while (added.next()) {
        clientIds.insert(added.value(1).toString(), added.value(0).toLongLong());
        ++report.clientsAdded;
    }
    QVariantList known;
    for (const QString &key : keys)
        if (!clientIds.contains(key))
            known.append(key);
    if (!known.isEmpty()) {
        Query found = db.run(db.lockingRows(QStringLiteral("SELECT id, name_key FROM clients WHERE name_key IN (") +
                                            placeholders(known.size()) + u')'),
                             known);
        if (!found.ran())
            return found.failure();
        while (found.next())
            clientIds.insert(found.value(1).toString(), found.value(0).toLongLong());
    }
    QVariantList values;
    for (const DatedVisit &one : dated) {
        const QString name =
            (one.client.isEmpty() ? QString::fromStdString(one.visit.clientName) : one.client).trimmed();
        values << clientIds.value(clientKey(name));
        values += visitValues(one.day, one.visit);
    }
    Query inserted = db.run(insertVisits(dated.size(), QStringLiteral("DO NOTHING RETURNING id")), values);
    if (!inserted.ran())
        return inserted.failure();
    int copied = 0;
    while (inserted.next())
        ++copied;
    report.visitsCopied += copied;
    report.visitsAlreadyThere += static_cast<int>(dated.size()) - copied;
    return updateLatestVisits(db, clientIds.values());
}

Result<CopyReport> RegisterStore::copyFrom(RegisterStore &source)
{
    return command<CopyReport>(Purpose::Write, [&](Connection &db) -> Result<CopyReport> {
        Transaction transaction(db);
        if (!transaction.begun())
            return transaction.failure();
        CopyReport report;
        qint64 after = 0;
        for (;;) {
            source.lastReadId_ = after;
            Result<QList<DatedVisit>> read =
                source.visitsAfter(after, static_cast<int>(visitsPerInsert()), report.failingCheck);
            if (!read.ok())
                return read.failure();
            if (source.lastReadId_ == after)
                break;
            if (!read.value().isEmpty())
                if (auto failure = addVisitsIn(db, read.value(), report))
                    return *failure;
            after = source.lastReadId_;
        }
        if (auto failure = transaction.commit())
            return *failure;
        return report;
    });
}

// The next visits by id, each under its client's latest spelling; one that
// fails the check is named instead.
Result<QList<DatedVisit>> RegisterStore::visitsAfter(qint64 id, int count, QStringList &failing)
{
    return command<QList<DatedVisit>>(Purpose::Browse, [&](const Connection &db) -> Result<QList<DatedVisit>> {
        Query query = db.run(selectVisits(db, QStringLiteral("v.id > ? ORDER BY v.id LIMIT ?")), {id, count});
        if (!query.ran())
            return query.failure();
        QList<DatedVisit> read;
        while (query.next()) {
            ReadBack one = readVisit(query.sql());
            lastReadId_ = one.stored.id;
            if (one.problems.isEmpty())
                read.append({one.stored.day, one.stored.visit, one.stored.clientName});
            else
                failing.append(failingCheck(one));
        }
        return read;
    });
}

} // namespace nutrovo::reg
