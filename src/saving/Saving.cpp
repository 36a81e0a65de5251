#include "saving/Saving.h"

#include "platform/Dialogs.h"
#include "saving/mdlSavedll.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <optional>

namespace saving {
namespace {

QString write(QWidget* parent, Dialogs& dialogs, const QString& path,
              const std::optional<QByteArray>& bytes)
{
    QString error;
    if (!bytes) {
        error = QStringLiteral("ファイル「%1」に書き込めませんでした。画像を変換できませんでした。")
                    .arg(QDir::toNativeSeparators(path));
    } else if (mdlSavedll::writeFile(path, *bytes, &error)) {
        return path;
    }
    dialogs.information(parent, error);
    return {};
}

}  // namespace

QString SaveJpeg(QWidget* parent, Dialogs& dialogs, const FileSource& file)
{
    const QString path = dialogs.saveFileName(parent, QStringLiteral("JPEG (*.jpg)"));
    if (path.isEmpty()) {
        return {};
    }
    return write(parent, dialogs, path, file());
}

QString SavePng(QWidget* parent, Dialogs& dialogs, const FileSource& file)
{
    const QString path = dialogs.saveFileName(parent, QStringLiteral("PNG (*.png)"));
    if (path.isEmpty()) {
        return {};
    }
    return write(parent, dialogs, path, file());
}

QString SaveBmp(QWidget* parent, Dialogs& dialogs, const QImage& canvas)
{
    const QString path = dialogs.saveFileName(parent, QStringLiteral("BMP (*.bmp)"));
    if (path.isEmpty()) {
        return {};
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const bool encoded = canvas.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP");
    return write(parent, dialogs, path, encoded ? std::optional<QByteArray>(bytes) : std::nullopt);
}

}  // namespace saving
