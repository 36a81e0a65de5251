#include "encode/SizeEstimator.h"

#include "encode/CompressionFiles.h"
#include "encode/mdlSavedll.h"

#include <QFileInfo>

SizeEstimator::SizeEstimator(QString workFolder) : m_workFolder(std::move(workFolder))
{
}

QString SizeEstimator::jpegPath() const
{
    return m_workFolder.isEmpty() ? QString() : m_workFolder + QStringLiteral("temp.jpg");
}

QString SizeEstimator::pngPath() const
{
    return m_workFolder.isEmpty() ? QString() : m_workFolder + QStringLiteral("temp.png");
}

std::optional<qint64> SizeEstimator::EstimateJpegSize(const QImage& canvas,
                                                      const CompressionSettings& settings) const
{
    return writeAndMeasure(jpegPath(), compressionfiles::jpegFile(canvas, settings));
}

std::optional<qint64> SizeEstimator::EstimatePngSize(const QImage& canvas,
                                                     const CompressionSettings& settings) const
{
    return writeAndMeasure(pngPath(), compressionfiles::pngFile(canvas, settings));
}

std::optional<qint64> SizeEstimator::writeAndMeasure(const QString& path,
                                                     const std::optional<QByteArray>& bytes)
{
    if (path.isEmpty() || !bytes || !mdlSavedll::writeWorkFile(path, *bytes)) {
        return std::nullopt;
    }
    const QFileInfo written(path);
    return written.exists() ? std::optional<qint64>(written.size()) : std::nullopt;
}
