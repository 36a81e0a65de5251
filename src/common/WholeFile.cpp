#include "common/WholeFile.h"

#include <QSaveFile>
#include <QTemporaryFile>
#include <cstdio>

namespace wholefile {
namespace {

// Writes all of `bytes`. Qt keeps small writes in its buffer, and QSaveFile::commit()
// puts a file whose buffer could not be written in place all the same: the flush is
// what tells. NoError, or what failed.
QFileDevice::FileError writeAll(QFileDevice& file, const QByteArray& bytes)
{
    if (file.write(bytes) == bytes.size() && file.flush() && file.error() == QFileDevice::NoError) {
        return QFileDevice::NoError;
    }
    return file.error() != QFileDevice::NoError ? file.error() : QFileDevice::WriteError;
}

QFileDevice::FileError replaceSynced(const QString& path, const QByteArray& bytes,
                                     std::optional<QFileDevice::Permissions> permissions)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.error() != QFileDevice::NoError ? file.error() : QFileDevice::OpenError;
    }
    if (permissions && !file.setPermissions(*permissions)) {
        file.cancelWriting();
        return QFileDevice::PermissionsError;
    }
    if (const QFileDevice::FileError error = writeAll(file, bytes); error != QFileDevice::NoError) {
        file.cancelWriting();
        return error;
    }
    if (!file.commit()) {
        return file.error() != QFileDevice::NoError ? file.error() : QFileDevice::RenameError;
    }
    return QFileDevice::NoError;
}

QFileDevice::FileError replaceUnsynced(const QString& path, const QByteArray& bytes,
                                       std::optional<QFileDevice::Permissions> permissions)
{
    QTemporaryFile part(path + QStringLiteral(".XXXXXX"));
    if (!part.open()) {
        return part.error() != QFileDevice::NoError ? part.error() : QFileDevice::OpenError;
    }
    if (permissions && !part.setPermissions(*permissions)) {
        return QFileDevice::PermissionsError;  // the part file goes with `part`
    }
    QFileDevice::FileError error = writeAll(part, bytes);
    part.close();
    if (error == QFileDevice::NoError) {
        error = part.error();
    }
    if (error != QFileDevice::NoError) {
        return error;
    }
#ifdef Q_OS_WIN
    QFile::remove(path);  // rename() does not replace a file there
#endif
    if (std::rename(QFile::encodeName(part.fileName()).constData(),
                    QFile::encodeName(path).constData()) != 0) {
        return QFileDevice::RenameError;
    }
    part.setAutoRemove(false);
    return QFileDevice::NoError;
}

}  // namespace

QFileDevice::FileError replace(const QString& path, const QByteArray& bytes, Sync sync,
                               std::optional<QFileDevice::Permissions> permissions)
{
    return sync == Sync::ToDisk ? replaceSynced(path, bytes, permissions)
                                : replaceUnsynced(path, bytes, permissions);
}

}  // namespace wholefile
