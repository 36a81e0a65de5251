#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace apppaths {
namespace {

QString withTrailingSlash(QString folder)
{
    if (!folder.endsWith(u'/')) {
        folder.append(u'/');
    }
    return folder;
}

}  // namespace

QString programFolder()
{
    // Needs the application object; without one Qt answers an empty path.
    return withTrailingSlash(QCoreApplication::applicationDirPath());
}

QString resolve(QStringView relative)
{
    QString path = programFolder();
    path.append(relative);
    return path.replace(u'\\', u'/');
}

bool isWritableFolder(const QString& folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

QString userConfigFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(folder);
    return withTrailingSlash(folder);
}

bool makeWritableFolder(const QString& folder)
{
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        return false;
    }
    QTemporaryFile probe(withTrailingSlash(folder) + QStringLiteral("probe-XXXXXX"));
    return probe.open();
}

QStringList workFolderCandidates()
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QStringList folders{programFolder() + QStringLiteral("temp/")};
    if (!cache.isEmpty()) {
        folders.append(withTrailingSlash(cache) + QStringLiteral("temp/"));
    }
    return folders;
}

}  // namespace apppaths
