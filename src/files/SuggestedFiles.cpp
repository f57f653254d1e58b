#include "files/SuggestedFiles.h"

#include <QFileInfo>
#include <QDir>
#include <QStandardPaths>

namespace nutrovo::files {

namespace {

// Leaves room for what follows the name and for the folder's path.
constexpr qsizetype longestClientPart = 100;

} // namespace

QString clientFilePart(const QString &clientName, const QString &fallback)
{
    // Characters that some file system or record system refuses in a name.
    static const QString refused = QStringLiteral("/\\:*?\"<>|");
    QString name = clientName;
    for (QChar &c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || refused.contains(c))
            c = u'_';
    name = name.left(longestClientPart).trimmed();
    // A leading dot would hide the file.
    while (name.startsWith(u'.'))
        name[0] = u'_';
    return name.isEmpty() ? fallback : name;
}

QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

} // namespace nutrovo::files
