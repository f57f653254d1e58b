// Which register the program uses: the local file, unless the settings name a
// PostgreSQL server by a libpq connection string.
#pragma once

#include <QString>

namespace nutrovo::reg {

enum class Engine { SQLite, PostgreSQL };

struct RegisterLocation {
    Engine engine = Engine::SQLite;
    QString filePath;   // the local file
    QString connection; // libpq's keyword=value string or URI, without its secrets

    // The file's path, or the connection string with any password hidden.
    QString shownName() const;

    static RegisterLocation localFile();
    static RegisterLocation server(const QString &connection);
    // From the setting register/connection (the user's, else the clinic's
    // default); empty or absent means the local file.
    static RegisterLocation fromSettings();
};

// The settings key and where it is written: the user's own settings file.
inline constexpr char connectionSetting[] = "register/connection";
void saveConnectionSetting(const QString &connection);

// $XDG_DATA_HOME/nutrovo/register.sqlite, or under ~/.local/share.
QString localRegisterPath();

// A libpq connection string less its passwords, as stored and shown.
QString withoutPassword(const QString &connection);

} // namespace nutrovo::reg
