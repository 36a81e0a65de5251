#include "saving/LiveEstimates.h"

#include "jpeg/Jpeg.h"
#include "platform/LatestWork.h"
#include "saving/CompressionFiles.h"
#include "saving/FormatAdvice.h"
#include "saving/SizeText.h"
#include "saving/mdlSavedll.h"

#include <QCursor>
#include <QGuiApplication>
#include <map>
#include <tuple>
#include <utility>

// One fit at a time: the search and the answers it starts from, used by the fit's jobs
// one after the other. `probe` and `guess` are the running job's encoder.
struct LiveEstimates::FitWork
{
    JpegFit::Measure probe;
    JpegFit::Measure guess;
    JpegFit fit{[this](int quality, int quarters, bool fullChroma) {
                    return probe(quality, quarters, fullChroma);
                },
                [this](int quality, int quarters, bool fullChroma) {
                    return guess(quality, quarters, fullChroma);
                }};
};

LiveEstimates::LiveEstimates(SizeEstimator estimator, QObject* parent)
    : QObject(parent),
      m_estimator(std::move(estimator)),
      m_fit(std::make_shared<FitWork>()),
      m_transforms(std::make_shared<jpegwriter::SharedTransforms>()),
      m_jpegWork(std::make_unique<LatestWork>()),
      m_pngWork(std::make_unique<LatestWork>()),
      m_fitWork(std::make_unique<LatestWork>())
{
}

LiveEstimates::~LiveEstimates() = default;

LiveEstimates::Key LiveEstimates::jpegKey(const QImage& canvas, const CompressionSettings& settings)
{
    return {canvas.cacheKey(),
            sizetext::jpegQuality(settings.jpegLevel),
            settings.jpegProgressive,
            settings.jpegFullChroma,
            0,
            settings.jpegQuarters};
}

LiveEstimates::Key LiveEstimates::pngKey(const QImage& canvas, const CompressionSettings& settings)
{
    return {canvas.cacheKey(), settings.pngLevel, settings.pngReduceColours, false,
            settings.pngReduceColours ? settings.sizeLimitBytes : 0};
}

void LiveEstimates::requestJpeg(const QImage& canvas, const CompressionSettings& settings)
{
    const Key key = jpegKey(canvas, settings);
    m_jpegRequested = key;
    // The same file again (back on the page with nothing changed), or the one the fit
    // has just made: at once.
    for (const std::optional<Made>* made : {&m_jpeg, &m_fitFile}) {
        if (*made && (*made)->key == key) {
            deliverNow(*m_jpegWork, [this, made = **made] { deliverJpeg(made, {}); });
            return;
        }
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
    const Key key = pngKey(canvas, settings);
    m_pngRequested = key;
    if (m_png && m_png->key == key) {
        deliverNow(*m_pngWork, [this, made = *m_png] { deliverPng(made); });
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
    m_fitUnderWay = true;
    m_fitWork->request([this, fitWork = m_fit, canvas, canvasKey, settings, adviseOnPng,
                        transforms = m_transforms](const LatestWork::Stop& stop) {
        std::map<std::tuple<int, int, bool>, QByteArray> files;
        // The canvas transformed once for the search, or already for an estimate.
        jpegwriter::PictureEncoder encoder(transforms);
        fitWork->probe = [&](int quality, int quarters, bool fullChroma) -> std::optional<qint64> {
            if (stop.requested()) {
                return std::nullopt;  // overtaken: the search ends here
            }
            // A file sure to be over the limit is not written: only its size counts.
            const auto sized = encoder.encodeWithin(
                canvas, quality, {settings.jpegProgressive, fullChroma, true, quarters},
                settings.sizeLimitBytes);
            if (!sized) {
                return std::nullopt;
            }
            if (sized->file) {
                files[{quality, quarters, fullChroma}] = *sized->file;
            }
            return sized->bytes;
        };
        fitWork->guess = [&](int quality, int quarters, bool fullChroma) -> std::optional<qint64> {
            if (stop.requested()) {
                return std::nullopt;
            }
            return encoder.estimate(canvas, quality,
                                    {settings.jpegProgressive, fullChroma, true, quarters});
        };
        // A grey picture is written with one component: no chroma to search.
        const std::optional<JpegFit::Result> result =
            fitWork->fit.fit(settings.sizeLimitBytes,
                             canvas.allGray() ? JpegFit::Picture::Grey : JpegFit::Picture::Colour);
        fitWork->probe = nullptr;
        fitWork->guess = nullptr;
        if (!result || stop.requested()) {
            return LatestWork::Delivery();
        }
        std::optional<Made> made;
        QString advice;
        if (const auto file = files.find({result->quality, result->quarters, result->fullChroma});
            file != files.end()) {
            made = Made{{canvasKey, result->quality, settings.jpegProgressive, result->fullChroma,
                         0, result->quarters},
                        file->second};
            if (adviseOnPng) {
                advice = pngAdvice(canvas, settings, file->second, stop);
            }
        }
        if (stop.requested()) {
            return LatestWork::Delivery();
        }
        return LatestWork::Delivery([this, result = *result, made, advice, canvasKey] {
            m_fitUnderWay = false;
            m_fitFile = made;
            emit fitted(result, advice, canvasKey);
        });
    });
}

// Whether the reduced-colour PNG within the limit looks better than the fitted JPEG.
QString LiveEstimates::pngAdvice(const QImage& canvas, const CompressionSettings& settings,
                                 const QByteArray& jpeg, const LatestWork::Stop& stop)
{
    const auto png =
        mdlSavedll::encodeReducedPng(canvas, static_cast<mdlSavedll::PngChoice>(settings.pngLevel),
                                     settings.sizeLimitBytes, [&stop] { return stop.requested(); });
    if (!png || stop.requested()) {
        return {};
    }
    return formatadvice::adviceLine(canvas, jpeg, *png, settings.sizeLimitBytes, true);
}

void LiveEstimates::cancel()
{
    m_jpegWork->cancel();
    m_pngWork->cancel();
    m_fitWork->cancel();
    m_fitUnderWay = false;
    m_jpegRequested.reset();
    m_pngRequested.reset();
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
    m_jpeg = std::move(made);
    emit jpegEstimated(bytes, preview);
}

void LiveEstimates::deliverPng(Made made)
{
    m_pngRequested.reset();
    const std::optional<qint64> bytes = m_estimator.writePng(made.file);
    m_png = std::move(made);
    emit pngEstimated(bytes);
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
    const Key key = jpegKey(canvas, settings);
    makeCurrent(*m_jpegWork, m_jpeg, m_jpegRequested, key, [&] { requestJpeg(canvas, settings); });
    if (m_jpeg && m_jpeg->key == key) {
        return m_jpeg->file;
    }
    return compressionfiles::jpegFile(canvas, settings, m_transforms);
}

std::optional<QByteArray> LiveEstimates::currentPng(const QImage& canvas,
                                                    const CompressionSettings& settings)
{
    const Key key = pngKey(canvas, settings);
    makeCurrent(*m_pngWork, m_png, m_pngRequested, key, [&] { requestPng(canvas, settings); });
    if (m_png && m_png->key == key) {
        return m_png->file;
    }
    return compressionfiles::pngFile(canvas, settings);
}
