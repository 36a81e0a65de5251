#include "jpeg/JpegWriter.h"

#include "jpeg/JpegBlocks.h"
#include "jpeg/JpegFile.h"
#include "jpeg/JpegQuantiser.h"

#include <algorithm>
#include <limits>
#include <memory>

namespace jpegwriter {
namespace {

// The samples libjpeg reads: 8-bit grey when every pixel is grey, else RGB32.
QImage encoderInput(const QImage& image)
{
    const QImage rgb32 = image.format() == QImage::Format_RGB32
                             ? image
                             : image.convertToFormat(QImage::Format_RGB32);
    if (rgb32.isNull() || !rgb32.allGray()) {
        return rgb32;
    }
    QImage grey(rgb32.width(), rgb32.height(), QImage::Format_Grayscale8);
    for (int y = 0; y < rgb32.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb32.constScanLine(y));
        uchar* out = grey.scanLine(y);
        for (int x = 0; x < rgb32.width(); ++x) {
            out[x] = static_cast<uchar>(qRed(line[x]));
        }
    }
    return grey;
}

}  // namespace

std::optional<QByteArray> encode(const QImage& image, int quality, const Options& options)
{
    return PictureEncoder().encode(image, quality, options);
}

const jpegblocks::Picture* PictureEncoder::blocks(const QImage& image, bool fullChroma)
{
    if (image.isNull()) {
        return nullptr;
    }
    if (image.cacheKey() != m_key || image.size() != m_size) {
        m_blocks.clear();
        m_rounded.clear();
        m_source = QImage();
        m_key = image.cacheKey();
        m_size = image.size();
    }
    const auto known = [this](bool full) -> SharedTransforms::Picture {
        const auto own = m_blocks.find(full);
        if (own != m_blocks.end()) {
            return own->second;
        }
        SharedTransforms::Picture found = m_shared ? m_shared->find(m_key, m_size, full) : nullptr;
        if (found) {
            m_blocks[full] = found;
        }
        return found;
    };
    if (const SharedTransforms::Picture picture = known(fullChroma)) {
        return picture.get();
    }
    if (m_source.isNull()) {
        m_source = encoderInput(image);
        if (m_source.isNull()) {
            return nullptr;
        }
    }
    const SharedTransforms::Picture subsampled = fullChroma ? known(false) : nullptr;
    const jpegblocks::Component* sameLuma =
        subsampled && !subsampled->grey ? &subsampled->components.front() : nullptr;
    auto picture = std::make_shared<const jpegblocks::Picture>(
        jpegblocks::transform(m_source, fullChroma, sameLuma));
    m_blocks[fullChroma] = picture;
    if (m_shared) {
        m_shared->keep(m_key, m_size, fullChroma, picture);
    }
    return picture.get();
}

const jpegquantiser::Symbols& PictureEncoder::rounded(const jpegblocks::Picture& picture,
                                                      int quality, const Options& options)
{
    const std::tuple key{quality, options.quarters, options.fullChroma};
    auto known = m_rounded.find(key);
    if (known == m_rounded.end()) {
        known = m_rounded
                    .emplace(key, jpegquantiser::roundedSymbols(
                                      picture, jpegquantiser::tablesFor(quality, options.quarters)))
                    .first;
    }
    return known->second;
}

std::optional<QByteArray> PictureEncoder::encode(const QImage& image, int quality,
                                                 const Options& options)
{
    const std::optional<Sized> sized =
        encodeWithin(image, quality, options, std::numeric_limits<qint64>::max());
    return sized ? sized->file : std::nullopt;
}

std::optional<PictureEncoder::Sized> PictureEncoder::encodeWithin(const QImage& image, int quality,
                                                                  const Options& options,
                                                                  qint64 limitBytes)
{
    const jpegblocks::Picture* picture = blocks(image, options.fullChroma);
    if (picture == nullptr) {
        return std::nullopt;
    }
    const int clamped = std::clamp(quality, 1, 100);
    const jpegquantiser::Tables tables = jpegquantiser::tablesFor(clamped, options.quarters);
    if (options.trellis) {
        jpegquantiser::quantise(*picture, tables, jpegquantiser::lambdaFor(clamped), *m_levels,
                                &rounded(*picture, clamped, options));
    } else {
        jpegquantiser::quantise(*picture, tables, 0.0, *m_levels);
    }
    return jpegfile::write(*picture, *m_levels, options.progressive, limitBytes);
}

std::optional<qint64> PictureEncoder::estimate(const QImage& image, int quality,
                                               const Options& options)
{
    const jpegblocks::Picture* picture = blocks(image, options.fullChroma);
    if (picture == nullptr) {
        return std::nullopt;
    }
    return jpegquantiser::codedBytes(rounded(*picture, std::clamp(quality, 1, 100), options));
}

PictureEncoder::PictureEncoder() : PictureEncoder(nullptr)
{
}

PictureEncoder::PictureEncoder(std::shared_ptr<SharedTransforms> shared)
    : m_shared(std::move(shared)), m_levels(std::make_unique<jpegquantiser::Quantised>())
{
}
PictureEncoder::~PictureEncoder() = default;

}  // namespace jpegwriter
