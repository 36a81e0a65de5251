#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

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

QString workFolder()
{
    const QString program = programFolder();
    const QString base =
        isWritableFolder(program)
            ? program
            : withTrailingSlash(QStandardPaths::writableLocation(QStandardPaths::CacheLocation));
    const QString folder = base + QStringLiteral("temp/");
    return QDir().mkpath(folder) ? folder : QString();
}

}  // namespace apppaths
