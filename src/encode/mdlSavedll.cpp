#include "encode/mdlSavedll.h"

#include "encode/JpegWriter.h"
#include "encode/PngReader.h"
#include "encode/PngWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace mdlSavedll {
namespace {

int zlibLevel(PngChoice choice)
{
    switch (choice) {
        case PngChoice::Fast:
            return 1;
        case PngChoice::Small:
            return 9;
        case PngChoice::Standard:
            break;
    }
    return 6;
}

// Writes `bytes` to a new file beside `path` (a name of its own for every writer,
// so two running copies never share it) and renames it over `path` only when every
// byte has reached the file; the rename replaces the old file in one step, on
// Windows too. On failure the old file is untouched and `reason` says why.
bool replaceFile(const QString& path, const QByteArray& bytes, QString& reason)
{
    // A device or a FIFO at the path would be replaced by a plain file.
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isFile()) {
        reason = QStringLiteral("通常のファイルではありません。");
        return false;
    }
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        reason = file.errorString();
        return false;
    }
    // Qt keeps small writes in its buffer; the flush shows whether they reached the
    // file, which commit() would not report.
    const bool complete =
        file.write(bytes) == bytes.size() && file.flush() && file.error() == QFileDevice::NoError;
    if (!complete) {
        reason = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        reason = file.errorString();
        return false;
    }
    return true;
}

}  // namespace

std::optional<QByteArray> encodeJpeg(const QImage& image, int quality, bool progressive)
{
    return jpegwriter::encode(image, quality, progressive);
}

std::optional<QByteArray> encodePng(const QImage& image, PngChoice choice)
{
    return pngwriter::encode(image, zlibLevel(choice));
}

QImage decodePng(const QByteArray& bytes)
{
    return pngreader::decode(bytes);
}

bool writeFile(const QString& path, const QByteArray& bytes, QString* error)
{
    QString reason;
    const bool written = replaceFile(path, bytes, reason);
    if (!written && error != nullptr) {
        *error = QStringLiteral("ファイル「%1」に書き込めませんでした。%2")
                     .arg(QDir::toNativeSeparators(path), reason);
    }
    return written;
}

bool writeWorkFile(const QString& path, const QByteArray& bytes)
{
    QString reason;
    return replaceFile(path, bytes, reason);
}

}  // namespace mdlSavedll
