#pragma once

#include <QString>
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

// The folder for the work files (temp.jpg, temp.png), ending with "/": temp/ in the
// program folder when that folder is writable, else temp/ in the user's cache
// folder. Created when missing; empty when it cannot be created.
QString workFolder();

}  // namespace apppaths
