#include "platform/WholeFile.h"

#include <QSaveFile>

namespace wholefile {

QFileDevice::FileError replace(const QString& path, const QByteArray& bytes,
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
    // Qt keeps small writes in its buffer, and commit() puts a file whose buffer could
    // not be written in place all the same: the flush is what tells.
    const bool complete =
        file.write(bytes) == bytes.size() && file.flush() && file.error() == QFileDevice::NoError;
    if (!complete) {
        const QFileDevice::FileError error =
            file.error() != QFileDevice::NoError ? file.error() : QFileDevice::WriteError;
        file.cancelWriting();
        return error;
    }
    if (!file.commit()) {
        return file.error() != QFileDevice::NoError ? file.error() : QFileDevice::RenameError;
    }
    return QFileDevice::NoError;
}

}  // namespace wholefile
