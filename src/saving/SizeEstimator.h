#pragma once

#include <QImage>
#include <QLatin1StringView>
#include <QString>
#include <optional>

struct CompressionSettings;
class WorkFolder;

// Encodes the canvas into the work files temp.jpg and temp.png and reads their
// length: the size a saved file would have with the same settings.
class SizeEstimator
{
public:
    // The folder outlives the estimator; it is shared by every main window of a run.
    explicit SizeEstimator(WorkFolder& folder);

    // The work files in the folder in use; empty when there is none.
    QString jpegPath() const;
    QString pngPath() const;

    // The length of the work file just written, or nothing when it could not be
    // written completely in any work folder (then the old file is left as it was).
    std::optional<qint64> EstimateJpegSize(const QImage& canvas,
                                           const CompressionSettings& settings);
    std::optional<qint64> EstimatePngSize(const QImage& canvas,
                                          const CompressionSettings& settings);

    // Writes an estimate made elsewhere into its work file: its length, or nothing as above
    // (also when there are no bytes, the encode having failed).
    std::optional<qint64> writeJpeg(const std::optional<QByteArray>& bytes);
    std::optional<qint64> writePng(const std::optional<QByteArray>& bytes);

    // True when the last estimate failed because no work folder can be written.
    bool noWorkFolder() const;
    WorkFolder& folder() { return m_folder; }

private:
    std::optional<qint64> writeAndMeasure(QLatin1StringView name,
                                          const std::optional<QByteArray>& bytes);

    WorkFolder& m_folder;
};
