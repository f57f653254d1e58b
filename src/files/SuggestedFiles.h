// Where and under what name the program suggests saving what it writes
// about a client.
#pragma once

#include <QString>

namespace nutrovo::files {

// The client's name, safe in a file name on any file system, or `fallback`
// when nothing of it is left.
QString clientFilePart(const QString &clientName, const QString &fallback);

// The user's documents folder, else the home folder.
QString documentsFolder();

} // namespace nutrovo::files
