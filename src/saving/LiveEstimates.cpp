#include "saving/LiveEstimates.h"

#include "jpeg/Jpeg.h"
#include "platform/LatestWork.h"
#include "saving/CompressionFiles.h"
#include "saving/FitJob.h"
#include "saving/SizeText.h"

#include <QCursor>
#include <QGuiApplication>
#include <map>
#include <tuple>
#include <utility>

LiveEstimates::LiveEstimates(SizeEstimator estimator, QObject* parent)
    : QObject(parent),
      m_estimator(std::move(estimator)),
      m_fit(std::make_shared<fitjob::Search>()),
      m_transforms(std::make_shared<jpegwriter::SharedTransforms>()),
      m_jpegWork(std::make_unique<LatestWork>()),
      m_pngWork(std::make_unique<LatestWork>()),
      m_fitWork(std::make_unique<LatestWork>()),
      m_aheadWork(std::make_unique<LatestWork>()),
      m_adviceWork(std::make_unique<LatestWork>())
{
}

LiveEstimates::~LiveEstimates() = default;

void LiveEstimates::requestJpeg(const QImage& canvas, const CompressionSettings& settings)
{
    const Key key = KeptFiles::jpegKey(canvas, settings);
    m_kept.setCanvas(key.canvas);
    m_jpegRequested = key;
    // A file made before (back on the page with nothing changed, a level chosen again,
    // the fit's answer): at once.
    if (const Made* made = m_kept.find(key)) {
        deliverNow(*m_jpegWork, [this, made = *made] { deliverJpeg(made, {}); });
        return;
    }
    const bool preview = m_previewWanted;
    m_jpegWork->request([this, key, canvas, settings, preview,
                         transforms = m_transforms](const LatestWork::Stop& stop) {
        if (stop.requested()) {
            return LatestWork::Delivery();
        }
        Made made{key, compressionfiles::jpegFile(canvas, settings, transforms)};
        QImage decoded;
        if (made.file && preview && !stop.requested()) {
            decoded = QImage::fromData(*made.file);
        }
        return LatestWork::Delivery(
            [this, made = std::move(made), decoded] { deliverJpeg(made, decoded); });
    });
}

void LiveEstimates::requestPng(const QImage& canvas, const CompressionSettings& settings)
{
    const Key key = KeptFiles::pngKey(canvas, settings);
    m_kept.setCanvas(key.canvas);
    m_pngRequested = key;
    if (const Made* made = m_kept.find(key)) {
        deliverNow(*m_pngWork, [this, made = *made] { deliverPng(made); });
        return;
    }
    if (m_aheadRequested == key) {
        m_pngWork->cancel();  // the reduction under way ahead is delivered instead
        return;
    }
    m_pngWork->request([this, key, canvas, settings](const LatestWork::Stop& stop) {
        if (stop.requested()) {
            return LatestWork::Delivery();
        }
        Made made{
            key, compressionfiles::pngFile(canvas, settings, [&stop] { return stop.requested(); })};
        if (stop.requested()) {
            return LatestWork::Delivery();  // a reduction cut short is not the file
        }
        return LatestWork::Delivery([this, made = std::move(made)] { deliverPng(made); });
    });
}

void LiveEstimates::requestFit(const QImage& canvas, const CompressionSettings& settings,
                               bool adviseOnPng)
{
    const qint64 canvasKey = canvas.cacheKey();
    m_kept.setCanvas(canvasKey);
    m_fitUnderWay = true;
    m_adviceWork->cancel();
    m_adviceWaiting.reset();
    m_fitWork->request([this, fit = m_fit, canvas, canvasKey, settings, adviseOnPng,
                        transforms = m_transforms](const LatestWork::Stop& stop) {
        std::optional<fitjob::Answer> answer =
            fitjob::run(*fit, canvas, settings, transforms, stop);
        if (!answer || stop.requested()) {
            return LatestWork::Delivery();
        }
        return LatestWork::Delivery(
            [this, answer = std::move(*answer), canvas, canvasKey, settings, adviseOnPng] {
                m_fitUnderWay = false;
                if (answer.file) {
                    m_kept.keep(*answer.file);
                }
                emit fitted(answer.result, canvasKey);
                if (adviseOnPng && answer.file && answer.file->file) {
                    CompressionSettings reduced = settings;
                    reduced.pngReduceColours = true;
                    requestAdvice({canvas, reduced, *answer.file->file, answer.result});
                }
            });
    });
}

void LiveEstimates::requestAdvice(const Advice& advice)
{
    const Key key = KeptFiles::pngKey(advice.canvas, advice.reduced);
    const Made* kept = m_kept.find(key);
    if (!kept && m_aheadRequested == key) {
        m_adviceWaiting = advice;  // weighs the reduction under way ahead once it is made
        return;
    }
    m_adviceWork->request([this, advice, kept = kept ? std::optional(*kept) : std::nullopt](
                              const LatestWork::Stop& stop) {
        auto [line, png] = fitjob::advise(advice, kept, stop);
        if (stop.requested()) {
            return LatestWork::Delivery();
        }
        return LatestWork::Delivery([this, line, png, advice] {
            if (png) {
                m_kept.keep(*png);
            }
            emit advised(line, advice.result, advice.canvas.cacheKey());
        });
    });
}

void LiveEstimates::requestReductionAhead(const QImage& canvas, const CompressionSettings& settings)
{
    CompressionSettings reduced = settings;
    reduced.pngReduceColours = true;
    m_aheadWaiting = std::pair{canvas, reduced};
    startAhead();
}

void LiveEstimates::startAhead()
{
    // After the page's own estimates: they are what the user looks at now.
    if (!m_aheadWaiting || m_jpegRequested || m_pngRequested) {
        return;
    }
    // One reduction at a time for a canvas: the one under way is worth its file, and the
    // newest waits for it.
    if (m_aheadRequested && m_aheadRequested->canvas == m_aheadWaiting->first.cacheKey()) {
        return;
    }
    const auto [canvas, reduced] = *std::exchange(m_aheadWaiting, std::nullopt);
    const Key key = KeptFiles::pngKey(canvas, reduced);
    if (key.canvas != m_kept.canvas() || m_kept.find(key) || m_aheadRequested == key) {
        return;
    }
    m_aheadRequested = key;
    m_aheadWork->request([this, key, canvas, reduced](const LatestWork::Stop& stop) {
        if (stop.requested()) {
            return LatestWork::Delivery();
        }
        Made made{key,
                  compressionfiles::pngFile(canvas, reduced, [&stop] { return stop.requested(); })};
        if (stop.requested()) {
            return LatestWork::Delivery();
        }
        return LatestWork::Delivery([this, made = std::move(made)] {
            m_aheadRequested.reset();
            m_kept.keep(made);
            if (m_pngRequested == made.key) {
                deliverPng(made);
            }
            emit madeAhead();
            if (m_adviceWaiting) {
                requestAdvice(*std::exchange(m_adviceWaiting, std::nullopt));
            }
            startAhead();
        });
    });
}

void LiveEstimates::cancel()
{
    m_jpegWork->cancel();
    m_pngWork->cancel();
    m_fitWork->cancel();
    m_aheadWork->cancel();
    m_aheadWaiting.reset();
    m_adviceWork->cancel();
    m_adviceWaiting.reset();
    m_fitUnderWay = false;
    m_jpegRequested.reset();
    m_pngRequested.reset();
    m_aheadRequested.reset();
}

void LiveEstimates::deliverNow(LatestWork& work, LatestWork::Delivery delivery)
{
    // Through the runner all the same, so that it overtakes whatever is under way.
    work.request([delivery = std::move(delivery)](const LatestWork::Stop&) { return delivery; });
    work.finish();
}

void LiveEstimates::cancelFit()
{
    m_fitWork->cancel();
    m_adviceWork->cancel();
    m_adviceWaiting.reset();
    m_fitUnderWay = false;
}

void LiveEstimates::finishFit()
{
    if (!std::exchange(m_fitUnderWay, false)) {
        return;
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_fitWork->finish();
    QGuiApplication::restoreOverrideCursor();
}

void LiveEstimates::finish()
{
    m_jpegWork->finish();
    m_pngWork->finish();
}

void LiveEstimates::deliverJpeg(Made made, const QImage& preview)
{
    m_jpegRequested.reset();
    const std::optional<qint64> bytes = m_estimator.writeJpeg(made.file);
    m_kept.keep(made);
    m_jpeg = std::move(made);
    emit jpegEstimated(bytes, preview);
    startAhead();
}

void LiveEstimates::deliverPng(Made made)
{
    m_pngRequested.reset();
    const std::optional<qint64> bytes = m_estimator.writePng(made.file);
    m_kept.keep(made);
    m_png = std::move(made);
    emit pngEstimated(bytes);
    startAhead();
}

void LiveEstimates::makeCurrent(LatestWork& work, const std::optional<Made>& made,
                                const std::optional<Key>& requested, const Key& key,
                                const std::function<void()>& request)
{
    if (made && made->key == key && !requested) {
        return;
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    if (requested != key) {
        request();
    }
    work.finish();
    QGuiApplication::restoreOverrideCursor();
}

std::optional<QByteArray> LiveEstimates::currentJpeg(const QImage& canvas,
                                                     const CompressionSettings& settings)
{
    const Key key = KeptFiles::jpegKey(canvas, settings);
    makeCurrent(*m_jpegWork, m_jpeg, m_jpegRequested, key, [&] { requestJpeg(canvas, settings); });
    if (m_jpeg && m_jpeg->key == key) {
        return m_jpeg->file;
    }
    return compressionfiles::jpegFile(canvas, settings, m_transforms);
}

std::optional<QByteArray> LiveEstimates::currentPng(const QImage& canvas,
                                                    const CompressionSettings& settings)
{
    const Key key = KeptFiles::pngKey(canvas, settings);
    if (m_aheadRequested == key) {
        // The file is under way ahead: it is the one.
        if (m_pngRequested != key) {
            requestPng(canvas, settings);
        }
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        m_aheadWork->finish();
        QGuiApplication::restoreOverrideCursor();
    }
    makeCurrent(*m_pngWork, m_png, m_pngRequested, key, [&] { requestPng(canvas, settings); });
    if (m_png && m_png->key == key) {
        return m_png->file;
    }
    return compressionfiles::pngFile(canvas, settings);
}
