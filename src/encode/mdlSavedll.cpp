#include "encode/mdlSavedll.h"

#include "encode/JpegWriter.h"
#include "encode/PalettePng.h"
#include "encode/PngReader.h"
#include "encode/PngWriter.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <cstdio>

namespace mdlSavedll {
namespace {

// libdeflate levels: 6 gives zlib 6's bytes in a third of the time; from 10 on it parses
// near-optimally (a few percent smaller, several times slower); 12 takes seconds.
constexpr int kFastLevel = 1;
constexpr int kStandardLevel = 6;
constexpr int kSmallLevel = 10;

// The deflate level and the filterings tried for each choice. "Small" stays under
// about a second at 480 x 854.
pngwriter::Settings pngSettings(PngChoice choice)
{
    using pngfilters::Strategy;
    switch (choice) {
        case PngChoice::Fast:
            return {kFastLevel, {Strategy::None, Strategy::Adaptive}};
        case PngChoice::Small:
            return {kSmallLevel, {Strategy::None, Strategy::Adaptive}};
        case PngChoice::Standard:
            break;
    }
    return {kStandardLevel, {Strategy::None, Strategy::Adaptive}};
}

}  // namespace

std::optional<QByteArray> encodeJpeg(const QImage& image, int quality, bool progressive,
                                     bool fullChroma)
{
    return jpegwriter::encode(image, quality, {progressive, fullChroma});
}

std::optional<QByteArray> encodePng(const QImage& image, PngChoice choice)
{
    return pngwriter::encode(image, pngSettings(choice));
}

std::optional<QByteArray> encodeReducedPng(const QImage& image, PngChoice choice, qint64 limitBytes)
{
    return palettepng::encode(image, pngSettings(choice), limitBytes);
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
