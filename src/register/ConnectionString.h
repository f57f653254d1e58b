// A libpq connection string (key=value words or a postgresql:// URI), read by
// libpq's own parser. Its secrets (a password, a key's password) are kept
// apart: in memory for the session, never in what is stored or shown.
#pragma once

#include "register/RegisterStore.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

class QSqlDatabase;

namespace nutrovo::reg {

class ConnectionString {
public:
    // The string as libpq reads it; a failure says why in libpq's words,
    // with nothing of the string quoted back.
    static Result<ConnectionString> read(const QString &typed);

    // The string as typed, less its secrets: what is stored and shown.
    const QString &withoutSecrets() const { return withoutSecrets_; }
    const ServerSecrets &secrets() const { return secrets_; }

    // Hands every option to the toolkit's driver, with these secrets and
    // the program's name for the server's list of sessions; `limits` come
    // last, so that they hold whatever the string says. Nothing when it can
    // be passed, else why not.
    std::optional<QString> applyTo(QSqlDatabase &database, const ServerSecrets &secrets,
                                   const QString &limits) const;

private:
    QList<std::pair<QByteArray, QString>> options_; // as parsed, secrets left out
    QString withoutSecrets_;
    ServerSecrets secrets_;
};

} // namespace nutrovo::reg
