#include "platform/FileNameTypes.h"

#include <QFileInfo>
#include <QMimeType>

QIcon FileNameTypes::icon(const QFileInfo& info) const
{
    if (info.isRoot()) {
        return icon(Drive);
    }
    return icon(info.isDir() ? Folder : File);
}

QString FileNameTypes::type(const QFileInfo& info) const
{
    if (!info.isFile()) {
        return QFileIconProvider::type(info);  // folders and drives: nothing is read
    }
    const QMimeType mimeType = m_mimeTypes.mimeTypeForFile(info, QMimeDatabase::MatchExtension);
    return mimeType.comment().isEmpty() ? mimeType.name() : mimeType.comment();
}
