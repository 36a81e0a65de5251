#pragma once

#include "jpeg/JpegFile.h"
#include "jpeg/JpegQuantiser.h"
#include "jpeg/SharedTransforms.h"

#include <QByteArray>
#include <QImage>
#include <map>
#include <memory>
#include <optional>
#include <tuple>

// A JPEG encode: the DCT and the quantisation (each block's levels chosen by rate and
// distortion), then the file written by libjpeg-turbo from the levels (JpegFile).
// A picture whose pixels are all grey is written as one grey component (smaller,
// same look); others as YCbCr, 4:2:0 unless asked otherwise.
namespace jpegwriter {

struct Options
{
    bool progressive = false;
    bool fullChroma = false;  // 4:4:4: colour at every pixel, for high qualities
    bool trellis = true;      // levels by rate and distortion; false: rounded
    // 0..3: the tables that many quarters of the way to those of the next quality,
    // for a fit to land nearer its limit (a quality the user types has none).
    int quarters = 0;
};

// The JPEG file of `image` (read as 24-bit RGB) at `quality`, clamped to 1..100.
// Every call builds and destroys its own compress object. Nothing on failure.
std::optional<QByteArray> encode(const QImage& image, int quality, const Options& options);

// Encodes like `encode`, keeping the transform of the last picture, so that a search
// over qualities (the fit) transforms its picture once. A picture counts as the last
// one while its cache key and size are the same (any change to a QImage changes its
// key). With `shared`, transforms are taken from and left there too. One instance
// serves one thread.
class PictureEncoder
{
public:
    PictureEncoder();
    explicit PictureEncoder(std::shared_ptr<SharedTransforms> shared);
    ~PictureEncoder();

    std::optional<QByteArray> encode(const QImage& image, int quality, const Options& options);

    // An encode for a search that only needs to know whether the file fits: `file` is
    // the file, unless the file is sure to be larger than `limitBytes` (its headers and
    // its entropy-coded bits before any stuffed byte come to more). Then no file is
    // written, and `bytes` is the size it would likely have, more than the limit;
    // otherwise the file's length. A progressive file is always written. Nothing on
    // failure.
    using Sized = jpegfile::Sized;
    std::optional<Sized> encodeWithin(const QImage& image, int quality, const Options& options,
                                      qint64 limitBytes);

    // A quick guess at the size of the file `encode` makes, a tenth of its work or
    // less: it grows with the quality as the file does, in a ratio to it that changes
    // slowly with the quality (for a search to calibrate). Nothing on failure.
    std::optional<qint64> estimate(const QImage& image, int quality, const Options& options);

private:
    const jpegblocks::Picture* blocks(const QImage& image, bool fullChroma);
    // The symbols of the rounded levels at `quality` 1..100, counted once for the
    // estimate and the encode alike.
    const jpegquantiser::Symbols& rounded(const jpegblocks::Picture& picture, int quality,
                                          const Options& options);

    std::shared_ptr<SharedTransforms> m_shared;
    qint64 m_key = 0;
    QSize m_size;
    QImage m_source;  // the samples as the transform reads them, once one is needed
    std::map<bool, SharedTransforms::Picture> m_blocks;  // by full chroma
    // rounded()'s symbols by quality, quarters and full chroma.
    std::map<std::tuple<int, int, bool>, jpegquantiser::Symbols> m_rounded;
    std::unique_ptr<jpegquantiser::Quantised> m_levels;  // the last encode's, memory reused
};

}  // namespace jpegwriter
