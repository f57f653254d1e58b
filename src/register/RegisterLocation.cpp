#include "register/RegisterLocation.h"

#include "files/PrivateFile.h"
#include "register/ConnectionString.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace nutrovo::reg {

namespace {

// ~/.config/nutrovo/nutrovo.conf, falling back to /etc/xdg/nutrovo/nutrovo.conf.
QSettings programSettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("nutrovo"),
                     QStringLiteral("nutrovo"));
}

} // namespace

QString RegisterLocation::shownName() const
{
    return engine == Engine::SQLite ? QDir::toNativeSeparators(filePath) : withoutPassword(connection);
}

RegisterLocation RegisterLocation::localFile()
{
    return {Engine::SQLite, localRegisterPath(), {}};
}

RegisterLocation RegisterLocation::server(const QString &connection)
{
    return {Engine::PostgreSQL, {}, connection.trimmed()};
}

RegisterLocation RegisterLocation::fromSettings()
{
    QSettings settings = programSettings();
    const QString connection = settings.value(QLatin1String(connectionSetting)).toString().trimmed();
    // A password an earlier version wrote into the user's own settings goes;
    // the server asks for it, and the clinic's default is not ours to change.
    const Result<ConnectionString> read = ConnectionString::read(connection);
    if (!read.ok())
        return server(connection); // refused, in libpq's words, when used
    const QString kept = read.value().withoutSecrets();
    if (kept != connection &&
        QSettings(settings.fileName(), QSettings::NativeFormat).contains(QLatin1String(connectionSetting)))
        saveConnectionSetting(kept);
    return connection.isEmpty() ? localFile() : server(kept);
}

void saveConnectionSetting(const QString &connection)
{
    QSettings settings = programSettings();
    // Made 0600 before the first write, which then keeps the file's mode.
    if (!QFileInfo::exists(settings.fileName()))
        static_cast<void>(files::createPrivately(settings.fileName()));
    settings.setValue(QLatin1String(connectionSetting), connection.trimmed());
    settings.sync();
    static_cast<void>(files::narrowToOwner(settings.fileName()));
}

QString localRegisterPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/nutrovo/register.sqlite");
}

QString withoutPassword(const QString &connection)
{
    const Result<ConnectionString> read = ConnectionString::read(connection);
    // One libpq can't read is never passed on, and may hold anything.
    return read.ok() ? read.value().withoutSecrets() : QStringLiteral("(a connection string libpq can't read)");
}

} // namespace nutrovo::reg
