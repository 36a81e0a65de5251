#pragma once

#include <QImage>
#include <QString>
#include <optional>

struct CompressionSettings;

// Encodes the canvas into the work files temp.jpg and temp.png and reads their
// length: the size a saved file would have with the same settings.
class SizeEstimator
{
public:
    // `workFolder` ends with "/"; empty when there is no work folder.
    explicit SizeEstimator(QString workFolder);

    QString jpegPath() const;
    QString pngPath() const;

    // The length of the work file just written, or nothing when it could not be written.
    std::optional<qint64> EstimateJpegSize(const QImage& canvas,
                                           const CompressionSettings& settings) const;
    std::optional<qint64> EstimatePngSize(const QImage& canvas,
                                          const CompressionSettings& settings) const;

private:
    static std::optional<qint64> writeAndMeasure(const QString& path,
                                                 const std::optional<QByteArray>& bytes);

    QString m_workFolder;
};
