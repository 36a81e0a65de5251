#include "saving/mdlSavedll.h"

#include "common/WholeFile.h"
#include "jpeg/Jpeg.h"
#include "png/Png.h"

#include <QDir>
#include <QFileInfo>
#include <new>

namespace mdlSavedll {
namespace {

// libdeflate levels: 6 gives zlib 6's bytes in a third of the time; from 10 on it parses
// near-optimally (a few percent smaller, several times slower), 12 most thoroughly.
constexpr int kFastLevel = 1;
constexpr int kStandardLevel = 6;
constexpr int kSmallLevel = 11;

// "Small" stays under about a second at 480 x 854. Level 12 costs two to five times
// level 10, affordable on small pictures only; where Up wins (smoothly enlarged
// pictures) the long repeats make every near-optimal level slow, and 10 already
// leaves them far smaller than the other filterings would.
int smallLevel(const pngpixels::Pixels& pixels, pngfilters::Strategy winner)
{
    constexpr std::size_t kSmallPictureBytes = 512 * 1024;
    if (pixels.rows.size() <= kSmallPictureBytes) {
        return 12;
    }
    return winner == pngfilters::Strategy::Up ? 10 : kSmallLevel;
}

// The deflate level and the filterings tried for each choice. The trials run at a
// lower level than the file (1 for "Standard", 6 for "Small"), which ranks the
// filterings as the file's level does at a fraction of its cost.
pngwriter::Settings pngSettings(PngChoice choice)
{
    using pngfilters::Strategy;
    switch (choice) {
        case PngChoice::Fast:
            return {kFastLevel, {Strategy::None, Strategy::Adaptive}, kFastLevel, {}};
        case PngChoice::Small:
            return {kSmallLevel,
                    {Strategy::None, Strategy::Up, Strategy::Adaptive, Strategy::Entropy},
                    kStandardLevel,
                    smallLevel};
        case PngChoice::Standard:
            break;
    }
    return {kStandardLevel, {Strategy::None, Strategy::Up, Strategy::Adaptive}, kFastLevel, {}};
}

// Why a write failed, in the user's words; Qt's own texts are English and often
// "Unknown error".
QString reasonFor(QFileDevice::FileError error)
{
    switch (error) {
        case QFileDevice::OpenError:
        case QFileDevice::PermissionsError:
            return QStringLiteral("このフォルダには書き込めません。");
        case QFileDevice::WriteError:
        case QFileDevice::ResourceError:
            return QStringLiteral("空き容量が足りないか、書き込みの途中で失敗しました。");
        default:
            return QStringLiteral("書き込みの途中で失敗しました。");
    }
}

// A device or a FIFO at the path would be replaced by a plain file: refused.
bool isReplaceable(const QString& path, QString& reason)
{
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isFile()) {
        reason = QStringLiteral("通常のファイルではありません。");
        return false;
    }
    return true;
}

// Writes `bytes` to a new file beside `path` (a name of its own for every writer,
// so two running copies never share it) and renames it over `path` only when every
// byte has reached the file (and, with Sync::ToDisk, the disk); the rename replaces the
// old file in one step, on Windows too. On failure the old file is untouched and
// `reason` says why. The work files are rewritten at every estimate and lose nothing
// when a crash takes them, so they do not wait for the disk.
bool replaceFile(const QString& path, const QByteArray& bytes, QString& reason,
                 wholefile::Sync sync = wholefile::Sync::ToDisk)
{
    if (!isReplaceable(path, reason)) {
        return false;
    }
    const QFileDevice::FileError error = wholefile::replace(path, bytes, sync);
    if (error != QFileDevice::NoError) {
        // Qt reports a read-only file as a failed write, like a full disk.
        const QFileInfo existing(path);
        reason = existing.exists() && !existing.isWritable()
                     ? QStringLiteral("読み取り専用のファイルです。")
                     : reasonFor(error);
        return false;
    }
    return true;
}

// An encode that runs out of memory, wherever it does, gives no file: the caller's
// failure path, never an exception.
template <typename Encode>
std::optional<QByteArray> nothingWithoutMemory(const Encode& encode)
{
    try {
        return encode();
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

}  // namespace

std::optional<QByteArray> encodeJpeg(const QImage& image, int quality, bool progressive,
                                     bool fullChroma, int quarters,
                                     const std::shared_ptr<jpegwriter::SharedTransforms>& shared)
{
    return nothingWithoutMemory([&] {
        return jpegwriter::PictureEncoder(shared).encode(image, quality,
                                                         {progressive, fullChroma, true, quarters});
    });
}

std::optional<QByteArray> encodePng(const QImage& image, PngChoice choice)
{
    return nothingWithoutMemory([&] { return pngwriter::encode(image, pngSettings(choice)); });
}

std::optional<QByteArray> encodeReducedPng(const QImage& image, PngChoice choice, qint64 limitBytes,
                                           const std::function<bool()>& stopped)
{
    return nothingWithoutMemory(
        [&] { return palettepng::encode(image, pngSettings(choice), limitBytes, stopped); });
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
    return replaceFile(path, bytes, reason, wholefile::Sync::Later);
}

}  // namespace mdlSavedll
