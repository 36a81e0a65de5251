#include "encode/mdlSavedll.h"

#include "encode/JpegWriter.h"
#include "encode/PngReader.h"
#include "encode/PngWriter.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <cstdio>

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
    QSaveFile file(path);
    const bool written =
        file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    if (!written && error != nullptr) {
        *error = QStringLiteral("ファイル「%1」に書き込めませんでした。%2")
                     .arg(QDir::toNativeSeparators(path), file.errorString());
    }
    return written;
}

bool writeWorkFile(const QString& path, const QByteArray& bytes)
{
    const QString part = path + QStringLiteral(".part");
    QFile file(part);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        file.remove();
        return false;
    }
    file.close();
    // rename(2) replaces the old file in one step.
    if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(path).constData()) !=
        0) {
        QFile::remove(part);
        return false;
    }
    return true;
}

}  // namespace mdlSavedll
