#pragma once

#include "jpeg/Jpeg.h"
#include "platform/LatestWork.h"
#include "saving/CompressionSettings.h"
#include "saving/FitJob.h"
#include "saving/KeptFiles.h"
#include "saving/SizeEstimator.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <memory>
#include <optional>
#include <utility>

namespace jpegwriter {
class SharedTransforms;
}

// The size estimates and the fit to the limit, worked out off the interface thread on
// the picture's own (shared) copy; the newest request of each kind wins. A result
// arrives on the owner's thread, where it writes its work file (temp.jpg, temp.png),
// so only the newest result ever reaches the files. A file made before for the same
// picture and settings is delivered again at once.
class LiveEstimates : public QObject
{
    Q_OBJECT

public:
    LiveEstimates(SizeEstimator estimator, QObject* parent = nullptr);
    ~LiveEstimates() override;

    SizeEstimator& estimator() { return m_estimator; }

    // The JPEG result then carries the decoded file as well, for the real-time preview.
    void setPreviewWanted(bool wanted) { m_previewWanted = wanted; }

    void requestJpeg(const QImage& canvas, const CompressionSettings& settings);
    void requestPng(const QImage& canvas, const CompressionSettings& settings);
    // With `adviseOnPng`, after its answer the fit also says whether the reduced-colour
    // PNG within the limit would look better than the fitted JPEG (the carrier takes PNG).
    void requestFit(const QImage& canvas, const CompressionSettings& settings, bool adviseOnPng);
    // Makes the reduced-colour PNG of `settings` ahead, after the other work, and keeps
    // it: ticking the reduction then shows its size at once.
    void requestReductionAhead(const QImage& canvas, const CompressionSettings& settings);
    // Drops every request; nothing arrives from them.
    void cancel();
    void cancelFit();
    // Waits for the fit under way, if any, and delivers its answer here.
    void finishFit();
    // Completes both estimates here (waiting for work under way) and delivers them.
    void finish();

    // The file the settings make of the canvas, as the estimate wrote it to its work
    // file: the estimate's own bytes when they are current, else once the estimate of
    // exactly these settings has been finished here. Nothing when it cannot be encoded.
    std::optional<QByteArray> currentJpeg(const QImage& canvas,
                                          const CompressionSettings& settings);
    std::optional<QByteArray> currentPng(const QImage& canvas, const CompressionSettings& settings);

signals:
    // The length of the work file just written (nothing when none could be written),
    // and for JPEG the decoded file when the preview was wanted.
    void jpegEstimated(std::optional<qint64> bytes, const QImage& preview);
    void pngEstimated(std::optional<qint64> bytes);
    // The fit's answer for the canvas whose cache key is `canvas`; its file has been
    // kept, so the estimate of that quality is shown at once.
    void fitted(const JpegFit::Result& result, qint64 canvas);
    // After the fit's answer, where the carrier takes PNG: the line to show beside the
    // fitted size (empty: none), for that answer on the canvas whose cache key is `canvas`.
    void advised(const QString& advice, const JpegFit::Result& result, qint64 canvas);
    // A file made ahead has been kept.
    void madeAhead();

private:
    using Key = KeptFiles::Key;
    using Made = KeptFiles::Made;

    void deliverJpeg(Made made, const QImage& preview);
    void deliverPng(Made made);
    // Starts the work waiting to be done ahead once the page's estimates are done.
    void startAhead();
    using Advice = fitjob::Advice;
    void requestAdvice(const Advice& advice);
    void deliverNow(LatestWork& work, LatestWork::Delivery delivery);
    // Finishes the estimate of `key` here unless its file is the one made last.
    void makeCurrent(LatestWork& work, const std::optional<Made>& made,
                     const std::optional<Key>& requested, const Key& key,
                     const std::function<void()>& request);

    SizeEstimator m_estimator;
    bool m_previewWanted = false;
    std::optional<Made> m_jpeg;  // the last JPEG delivered
    std::optional<Made> m_png;
    std::optional<Key> m_jpegRequested;  // the newest request
    std::optional<Key> m_pngRequested;
    KeptFiles m_kept;
    std::optional<Key> m_aheadRequested;  // the reduction under way ahead
    std::optional<std::pair<QImage, CompressionSettings>> m_aheadWaiting;
    std::optional<Advice> m_adviceWaiting;  // for the reduction under way ahead
    std::shared_ptr<fitjob::Search> m_fit;
    bool m_fitUnderWay = false;  // a fit was asked for and has not answered nor been dropped
    // The canvas transformed once for the JPEG estimates and the fit alike.
    std::shared_ptr<jpegwriter::SharedTransforms> m_transforms;
    // Last, so they go first: no result arrives once the rest is gone.
    std::unique_ptr<LatestWork> m_jpegWork;
    std::unique_ptr<LatestWork> m_pngWork;
    std::unique_ptr<LatestWork> m_fitWork;
    std::unique_ptr<LatestWork> m_aheadWork;
    std::unique_ptr<LatestWork> m_adviceWork;
};
