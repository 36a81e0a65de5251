#include "encode/SizeEstimator.h"

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

std::optional<qint64> SizeEstimator::EstimateJpegSize(const QImage& canvas, int quality,
                                                      bool progressive) const
{
    return writeAndMeasure(jpegPath(), mdlSavedll::encodeJpeg(canvas, quality, progressive));
}

std::optional<qint64> SizeEstimator::EstimatePngSize(const QImage& canvas, int pngChoice) const
{
    return writeAndMeasure(
        pngPath(), mdlSavedll::encodePng(canvas, static_cast<mdlSavedll::PngChoice>(pngChoice)));
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
