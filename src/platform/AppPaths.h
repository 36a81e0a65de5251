#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// Where the program's own files are: everything is addressed from the folder
// that holds the executable, never from the process's working folder.
namespace apppaths {

// The folder of the executable, always ending with "/".
QString programFolder();

// A path relative to the program folder ("dll\docomo.csv" or "dll/docomo.csv").
QString resolve(QStringView relative);

// True when files can be created in the folder.
bool isWritableFolder(const QString& folder);

// The user's configuration folder for this program, ending with "/".
QString userConfigFolder();

// Creates the folder when missing and tells whether a file can be created in it
// (tried, not read from its permissions).
bool makeWritableFolder(const QString& folder);

// The folders for the work files (temp.jpg, temp.png), in order of preference,
// each ending with "/": temp/ in the program folder, then temp/ in the user's
// cache folder.
QStringList workFolderCandidates();

}  // namespace apppaths
