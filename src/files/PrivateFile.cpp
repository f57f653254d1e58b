#include "files/PrivateFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace nutrovo::files {

namespace {

constexpr auto fileMode = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr auto folderMode = fileMode | QFileDevice::ExeOwner;

QString shown(const QString &path) { return QDir::toNativeSeparators(path); }

} // namespace

std::optional<QString> writePrivately(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // The temporary file takes the umask's mode, or an existing file's.
    if (!file.setPermissions(fileMode))
        return QStringLiteral("its permissions can't be set to the owner's only");
    if (file.write(bytes) != bytes.size())
        return file.errorString(); // the temporary file goes with the object
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

std::optional<QString> createPrivately(const QString &path)
{
    QStringList made;
    for (QDir up = QFileInfo(path).dir(); !up.exists(); up.setPath(QFileInfo(up.path()).path()))
        made.prepend(up.path());
    for (const QString &folder : made) {
        if (!QDir().mkdir(folder) && !QFileInfo(folder).isDir())
            return QStringLiteral("the folder %1 can't be made").arg(shown(folder));
        QFile::setPermissions(folder, folderMode);
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, fileMode))
        return file.errorString();
    // Opened with the mode less the umask: made exact through the open file.
    if (!file.setPermissions(fileMode))
        return QStringLiteral("its permissions can't be set to the owner's only");
    return std::nullopt;
}

std::optional<QString> narrowToOwner(const QString &path)
{
    const QFileInfo found(path);
    if (!found.exists())
        return std::nullopt;
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;
    if ((found.permissions() & others) == 0)
        return std::nullopt;
    if (!QFile::setPermissions(path, found.isDir() ? folderMode : fileMode))
        return QStringLiteral("%1 is readable by others and can't be made private").arg(shown(path));
    return std::nullopt;
}

} // namespace nutrovo::files
