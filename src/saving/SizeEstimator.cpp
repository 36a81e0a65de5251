#include "saving/SizeEstimator.h"

#include "platform/WorkFolder.h"
#include "saving/CompressionFiles.h"
#include "saving/mdlSavedll.h"

namespace {

constexpr QLatin1StringView kJpegName("temp.jpg");
constexpr QLatin1StringView kPngName("temp.png");

QString inFolder(const QString& folder, QLatin1StringView name)
{
    return folder.isEmpty() ? QString() : folder + name;
}

}  // namespace

SizeEstimator::SizeEstimator(WorkFolder& folder) : m_folder(folder)
{
}

QString SizeEstimator::jpegPath() const
{
    return inFolder(m_folder.path(), kJpegName);
}

QString SizeEstimator::pngPath() const
{
    return inFolder(m_folder.path(), kPngName);
}

std::optional<qint64> SizeEstimator::EstimateJpegSize(const QImage& canvas,
                                                      const CompressionSettings& settings)
{
    return writeAndMeasure(kJpegName, compressionfiles::jpegFile(canvas, settings));
}

std::optional<qint64> SizeEstimator::EstimatePngSize(const QImage& canvas,
                                                     const CompressionSettings& settings)
{
    return writeAndMeasure(kPngName, compressionfiles::pngFile(canvas, settings));
}

std::optional<qint64> SizeEstimator::writeJpeg(const std::optional<QByteArray>& bytes)
{
    return writeAndMeasure(kJpegName, bytes);
}

std::optional<qint64> SizeEstimator::writePng(const std::optional<QByteArray>& bytes)
{
    return writeAndMeasure(kPngName, bytes);
}

bool SizeEstimator::noWorkFolder() const
{
    return m_folder.path().isEmpty();
}

std::optional<qint64> SizeEstimator::writeAndMeasure(QLatin1StringView name,
                                                     const std::optional<QByteArray>& bytes)
{
    if (!bytes) {
        return std::nullopt;
    }
    // A folder that cannot take the file gives way to the next one that can; when
    // all have failed before, each estimate looks again from the first.
    QString folder = m_folder.path().isEmpty() ? m_folder.startOver() : m_folder.path();
    for (; !folder.isEmpty(); folder = m_folder.moveOn()) {
        const QString path = folder + name;
        if (mdlSavedll::writeWorkFile(path, *bytes)) {
            return bytes->size();  // every byte reached the file
        }
    }
    return std::nullopt;
}
