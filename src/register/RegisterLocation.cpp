#include "register/RegisterLocation.h"

#include "files/PrivateFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
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
    const QString connection =
        programSettings().value(QLatin1String(connectionSetting)).toString().trimmed();
    return connection.isEmpty() ? localFile() : server(connection);
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
    // keyword = 'quoted \' value' or keyword = bare-value
    static const QRegularExpression password(
        QStringLiteral(R"((\bpassword\s*=\s*)('(?:[^'\\]|\\.)*'|\S*))"),
        QRegularExpression::CaseInsensitiveOption);
    QString shown = connection;
    shown.replace(password, QStringLiteral("\\1***"));
    return shown;
}

} // namespace nutrovo::reg
