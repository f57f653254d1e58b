// Files about a client are readable by this user alone, whatever the umask:
// 0600, in folders of 0700.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace nutrovo::files {

// Written whole through a temporary file that is made 0600 before anything
// goes into it, or not at all; an existing file is kept on failure. Nothing
// when it worked, else why not.
std::optional<QString> writePrivately(const QString &path, const QByteArray &bytes);

// An empty file made 0600, and every folder made on the way 0700.
std::optional<QString> createPrivately(const QString &path);

// A file (0600) or folder (0700) found with a wider mode, as a restored copy
// may have, narrowed; one that does not exist is left so.
std::optional<QString> narrowToOwner(const QString &path);

} // namespace nutrovo::files
