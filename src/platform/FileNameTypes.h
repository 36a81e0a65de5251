#pragma once

#include <QFileIconProvider>
#include <QMimeDatabase>

// The icons and type names of the files a file dialog lists, worked out from their
// names alone. Qt's own provider reads the first bytes of every file it lists to name
// its type, and a file whose read never returns (/proc/kmsg, a device) would stop the
// window answering as soon as the dialog showed its folder.
class FileNameTypes final : public QFileIconProvider
{
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;

private:
    QMimeDatabase m_mimeTypes;
};
