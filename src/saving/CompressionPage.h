#pragma once

#include "jpeg/Jpeg.h"
#include "saving/CompressionControls.h"
#include "saving/CompressionSettings.h"
#include "saving/SizeEstimator.h"

#include <QByteArray>
#include <optional>

#include <QWidget>
#include <functional>

class QLabel;
class LiveEstimates;
class RealtimeSwitch;

// The pages "JPEG保存オプション" and "PNG保存オプション": the compression controls,
// their coupling, and the live size of the canvas as a file with these settings. The
// sizes and the fit are worked out off the interface thread; while a size is on its
// way the last one stays, greyed.
class CompressionPage : public QWidget
{
    Q_OBJECT

public:
    using CanvasSource = std::function<const QImage&()>;

    CompressionPage(SizeEstimator estimator, CanvasSource canvas, QWidget* parent = nullptr);

    const CompressionSettings& settings() const { return m_settings; }

    // The model's limit, in kilobytes as shown (sizes that reach it are shown red)
    // and in bytes (what fitting and colour reduction aim at).
    void setSizeLimit(const QString& limitKB, qint64 limitBytes);

    // Whether the chosen carrier takes PNG files: then a fit also says when the
    // reduced-colour PNG within the limit would look better.
    void setCarrierTakesPng(bool takesPng) { m_takesPng = takesPng; }

    // From now on quality and PNG changes re-estimate (set once a capture is on the canvas).
    void switchEstimatesOn();

    void EstimateJpegSize();
    void EstimatePngSize();
    // Drops the estimates and the fit under way (the canvas is about to change, or the
    // page is gone); the sizes shown stay as they are.
    void cancelEstimates();
    // The canvas has changed under the page (undo, restore): while the page is shown,
    // what was under way for the old canvas is dropped and both sizes are asked again.
    void canvasChanged();
    // Completes the estimates under way here and shows them.
    void finishEstimates();
    // A size field waits for its next figure.
    bool estimating() const;

    // The file of the current settings, the one whose size is shown (its estimate is
    // finished first when it is not current, under the busy pointer). A fit under way
    // is finished and applied first: its answer is what the JPEG file is made with.
    std::optional<QByteArray> currentJpegFile();
    std::optional<QByteArray> currentPngFile();

signals:
    void saveJpegRequested();
    void savePngRequested();
    // A new temp.jpg has been written.
    void jpegEstimated(const QString& path);
    // A size field shows a new figure (or none, when no work file could be written).
    void sizeShown();
    // A message for the user's message box.
    void informationRequested(const QString& text);
    // No work folder can be written, so no size can be shown: `message` tells the
    // user why. Sent once per work folder object, that is once per run.
    void workFolderUnavailable(const QString& message);

protected:
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void onPresetChosen(int index);
    void onQualityTextChanged(const QString& text);
    void onSliderMoved(int position);
    void onPngChosen(int index);
    void onReduceSwitched(bool on);
    void fitToLimit();
    void applyFit(const JpegFit::Result& result, qint64 canvas);
    void showAdvice(const QString& advice, const JpegFit::Result& fitted, qint64 canvas);
    void onJpegEstimated(const std::optional<qint64>& bytes, const QImage& preview);
    void setPending(QLabel* field);
    void showSize(QLabel* field, const std::optional<qint64>& bytes);
    void reportMissingWorkFolder();

    CanvasSource m_canvas;
    CompressionSettings m_settings;
    QString m_limitKB;
    bool m_applyingFit = false;
    bool m_takesPng = false;
    // The estimates dropped while the window was hidden, to be made again when it returns.
    bool m_resumeJpeg = false;
    bool m_resumePng = false;
    LiveEstimates* m_estimates = nullptr;

    CompressionControls m_c;
    RealtimeSwitch* m_realtime = nullptr;
};
