#include "jpeg/JpegBlocks.h"

#include "common/PoolJobs.h"
#include "jpeg/Deringing.h"
#include "jpeg/Trellis.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace jpegblocks {
namespace {

// The orthonormal 8-point DCT-II: basis[u][x] = c(u) / 2 · cos((2x + 1) u π / 16).
struct Basis
{
    float at[8][8]{};
    float byX[8][8]{};  // transposed: byX[x][u]

    Basis()
    {
        for (int u = 0; u < 8; ++u) {
            const double scale = u == 0 ? std::sqrt(0.125) : 0.5;
            for (int x = 0; x < 8; ++x) {
                at[u][x] =
                    static_cast<float>(scale * std::cos((2 * x + 1) * u * std::numbers::pi / 16));
                byX[x][u] = at[u][x];
            }
        }
    }
};

// The samples of one component, level-shifted (sample - 128), over whole MCUs.
struct Plane
{
    int width = 0;  // of the samples that come from the picture
    int height = 0;
    int paddedWidth = 0;
    int paddedHeight = 0;
    std::unique_ptr<float[]> samples;  // every one written before it is read

    float& at(int x, int y) { return samples[static_cast<std::size_t>(y * paddedWidth + x)]; }

    // The picture's last column and row repeated into the padding.
    void padEdges()
    {
        for (int y = 0; y < height; ++y) {
            for (int x = width; x < paddedWidth; ++x) {
                at(x, y) = at(width - 1, y);
            }
        }
        for (int y = height; y < paddedHeight; ++y) {
            std::copy_n(&at(0, height - 1), paddedWidth, &at(0, y));
        }
    }
};

Plane plane(int width, int height, int mcuBlocksX, int mcuBlocksY, int mcusX, int mcusY)
{
    Plane plane;
    plane.width = width;
    plane.height = height;
    plane.paddedWidth = mcusX * mcuBlocksX * 8;
    plane.paddedHeight = mcusY * mcuBlocksY * 8;
    plane.samples = std::make_unique_for_overwrite<float[]>(
        static_cast<std::size_t>(plane.paddedWidth * plane.paddedHeight));
    return plane;
}

// The samples of the block at (bx, by), row by row.
void samplesOf(const Plane& plane, int bx, int by, float* samples)
{
    for (int y = 0; y < 8; ++y) {
        const float* line =
            &plane.samples[static_cast<std::size_t>((by * 8 + y) * plane.paddedWidth + bx * 8)];
        std::copy_n(line, 8, samples + y * 8);
    }
}

void forwardDct(const Basis& basis, const float* samples, Block& out)
{
    // Each sum runs over x (then y) in order, eight of them side by side: a row of sums
    // stays in two vector registers where the processor has SSE (the same arithmetic).
#if defined(__SSE2__) || defined(_M_X64)
    __m128 rows[8][2];  // the rows transformed: rows[y] holds u = 0..7
    for (int y = 0; y < 8; ++y) {
        const float* line = samples + y * 8;
        __m128 low = _mm_setzero_ps();
        __m128 high = _mm_setzero_ps();
        for (int x = 0; x < 8; ++x) {
            const __m128 sample = _mm_set1_ps(line[x]);
            low = _mm_add_ps(low, _mm_mul_ps(_mm_loadu_ps(basis.byX[x]), sample));
            high = _mm_add_ps(high, _mm_mul_ps(_mm_loadu_ps(basis.byX[x] + 4), sample));
        }
        rows[y][0] = low;
        rows[y][1] = high;
    }
    for (int v = 0; v < 8; ++v) {
        __m128 low = _mm_setzero_ps();
        __m128 high = _mm_setzero_ps();
        for (int y = 0; y < 8; ++y) {
            const __m128 weight = _mm_set1_ps(basis.at[v][y]);
            low = _mm_add_ps(low, _mm_mul_ps(weight, rows[y][0]));
            high = _mm_add_ps(high, _mm_mul_ps(weight, rows[y][1]));
        }
        _mm_storeu_ps(&out[static_cast<std::size_t>(v * 8)], low);
        _mm_storeu_ps(&out[static_cast<std::size_t>(v * 8 + 4)], high);
    }
#else
    float rows[8][8];  // the rows transformed: rows[y][u]
    for (int y = 0; y < 8; ++y) {
        const float* line = samples + y * 8;
        float sum[8]{};
        for (int x = 0; x < 8; ++x) {
            for (int u = 0; u < 8; ++u) {
                sum[u] += basis.byX[x][u] * line[x];
            }
        }
        std::copy_n(sum, 8, rows[y]);
    }
    for (int v = 0; v < 8; ++v) {
        float sum[8]{};
        for (int y = 0; y < 8; ++y) {
            for (int u = 0; u < 8; ++u) {
                sum[u] += basis.at[v][y] * rows[y][u];
            }
        }
        std::copy_n(sum, 8, &out[static_cast<std::size_t>(v * 8)]);
    }
#endif
}

// JFIF's Y (level-shifted), Cb and Cr of a row of pixels; no Y where `luma` is null.
// Four pixels at a time where the processor has SSE2, in the same arithmetic.
void convertRow(const QRgb* line, int width, float* luma, float* cb, float* cr)
{
    int x = 0;
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i byte = _mm_set1_epi32(0xff);
    for (; x + 4 <= width; x += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + x));
        const __m128 r = _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(pixels, 16), byte));
        const __m128 g = _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(pixels, 8), byte));
        const __m128 b = _mm_cvtepi32_ps(_mm_and_si128(pixels, byte));
        if (luma != nullptr) {
            const __m128 y = _mm_add_ps(
                _mm_add_ps(_mm_mul_ps(_mm_set1_ps(0.299f), r), _mm_mul_ps(_mm_set1_ps(0.587f), g)),
                _mm_mul_ps(_mm_set1_ps(0.114f), b));
            _mm_storeu_ps(luma + x, _mm_sub_ps(y, _mm_set1_ps(128.0f)));
        }
        _mm_storeu_ps(cb + x, _mm_add_ps(_mm_sub_ps(_mm_mul_ps(_mm_set1_ps(-0.168736f), r),
                                                    _mm_mul_ps(_mm_set1_ps(0.331264f), g)),
                                         _mm_mul_ps(_mm_set1_ps(0.5f), b)));
        _mm_storeu_ps(cr + x, _mm_sub_ps(_mm_sub_ps(_mm_mul_ps(_mm_set1_ps(0.5f), r),
                                                    _mm_mul_ps(_mm_set1_ps(0.418688f), g)),
                                         _mm_mul_ps(_mm_set1_ps(0.081312f), b)));
    }
#endif
    for (; x < width; ++x) {
        const float r = static_cast<float>(qRed(line[x]));
        const float g = static_cast<float>(qGreen(line[x]));
        const float b = static_cast<float>(qBlue(line[x]));
        if (luma != nullptr) {
            luma[x] = 0.299f * r + 0.587f * g + 0.114f * b - 128.0f;
        }
        cb[x] = -0.168736f * r - 0.331264f * g + 0.5f * b;
        cr[x] = 0.5f * r - 0.418688f * g - 0.081312f * b;
    }
}

// The layout of a component's blocks over `plane`, without the blocks.
Component layout(const Plane& plane, int hSampling, int vSampling)
{
    Component component;
    component.hSampling = hSampling;
    component.vSampling = vSampling;
    component.widthInBlocks = (plane.width + 7) / 8;
    component.heightInBlocks = (plane.height + 7) / 8;
    component.blocksPerRow = plane.paddedWidth / 8;
    component.blockRows = plane.paddedHeight / 8;
    component.blocks.resize(static_cast<std::size_t>(component.blocksPerRow * component.blockRows));
    component.lambdaScale.resize(component.blocks.size());
    return component;
}

// `dering`: for luma, whose samples at the ends of the range are exact pixels.
Component component(const Basis& basis, const Plane& plane, int hSampling, int vSampling,
                    bool dering)
{
    Component component = layout(plane, hSampling, vSampling);
    // Rows of blocks in bands, shared with idle threads of the pool.
    constexpr int kBandRows = 8;
    pooljobs::forEachBand(component.blockRows, kBandRows, [&](int first, int end) {
        const auto finish = [&](const float* samples, std::size_t at) {
            forwardDct(basis, samples, component.blocks[at]);
            component.lambdaScale[at] = trellis::lambdaScale(component.blocks[at].data());
        };
        // Blocks to dering wait until there are enough to do side by side.
        float waiting[deringing::kSideBySide][64];
        float* waitingSamples[deringing::kSideBySide];
        std::size_t waitingAt[deringing::kSideBySide];
        int waitingCount = 0;
        const auto deringWaiting = [&]() {
            deringing::blocks(waitingSamples, waitingCount);
            for (int w = 0; w < waitingCount; ++w) {
                finish(waiting[w], waitingAt[w]);
            }
            waitingCount = 0;
        };
        for (int by = first; by < end; ++by) {
            for (int bx = 0; bx < component.blocksPerRow; ++bx) {
                const auto at = static_cast<std::size_t>(by * component.blocksPerRow + bx);
                float* samples = waiting[waitingCount];
                samplesOf(plane, bx, by, samples);
                if (!dering || !deringing::needed(samples)) {
                    finish(samples, at);
                    continue;
                }
                waitingSamples[waitingCount] = samples;
                waitingAt[waitingCount++] = at;
                if (waitingCount == deringing::kSideBySide) {
                    deringWaiting();
                }
            }
        }
        if (waitingCount > 0) {
            deringWaiting();
        }
    });
    return component;
}

// The luma blocks of 4:4:4 from those of 4:2:0 of the same picture: both planes repeat
// the picture's last row and column into their padding, so every block of the smaller
// 4:4:4 layout holds the same samples in both.
Component lumaFrom(const Component& subsampled, const Plane& plane)
{
    Component component = layout(plane, 1, 1);
    for (int by = 0; by < component.blockRows; ++by) {
        const auto from = static_cast<std::size_t>(by * subsampled.blocksPerRow);
        const auto to = static_cast<std::size_t>(by * component.blocksPerRow);
        const auto count = static_cast<std::size_t>(component.blocksPerRow);
        std::copy_n(subsampled.blocks.begin() + static_cast<std::ptrdiff_t>(from), count,
                    component.blocks.begin() + static_cast<std::ptrdiff_t>(to));
        std::copy_n(subsampled.lambdaScale.begin() + static_cast<std::ptrdiff_t>(from), count,
                    component.lambdaScale.begin() + static_cast<std::ptrdiff_t>(to));
    }
    return component;
}

}  // namespace

Picture transform(const QImage& image, bool fullChroma, const Component* sameLuma)
{
    static_assert(sizeof(QRgb) == 4);
    Picture picture;
    picture.width = image.width();
    picture.height = image.height();
    picture.grey = image.format() == QImage::Format_Grayscale8;
    const Basis basis;
    const int width = picture.width;
    const int height = picture.height;
    if (picture.grey) {
        Plane grey = plane(width, height, 1, 1, (width + 7) / 8, (height + 7) / 8);
        for (int y = 0; y < height; ++y) {
            const uchar* line = image.constScanLine(y);
            for (int x = 0; x < width; ++x) {
                grey.at(x, y) = static_cast<float>(line[x]) - 128.0f;
            }
        }
        grey.padEdges();
        picture.components.push_back(component(basis, grey, 1, 1, true));
        return picture;
    }
    const int lumaBlocks = fullChroma ? 1 : 2;  // per MCU, each way
    const int mcusX = (width + lumaBlocks * 8 - 1) / (lumaBlocks * 8);
    const int mcusY = (height + lumaBlocks * 8 - 1) / (lumaBlocks * 8);
    Plane luma = plane(width, height, lumaBlocks, lumaBlocks, mcusX, mcusY);
    // Given the 4:2:0 luma, the plane only lays out the blocks: its samples stay unread.
    const bool lumaKnown = fullChroma && sameLuma != nullptr;
    // JFIF's YCbCr at every pixel, in bands of rows shared with the pool; chroma is
    // summed and averaged below when it is subsampled.
    Plane cbFull = plane(width, height, lumaBlocks, lumaBlocks, mcusX, mcusY);
    Plane crFull = plane(width, height, lumaBlocks, lumaBlocks, mcusX, mcusY);
    constexpr int kBandPixelRows = 64;
    pooljobs::forEachBand(height, kBandPixelRows, [&](int first, int end) {
        for (int y = first; y < end; ++y) {
            convertRow(reinterpret_cast<const QRgb*>(image.constScanLine(y)), width,
                       lumaKnown ? nullptr : &luma.at(0, y), &cbFull.at(0, y), &crFull.at(0, y));
        }
    });
    if (!lumaKnown) {
        luma.padEdges();
    }
    cbFull.padEdges();
    crFull.padEdges();
    Plane cb;
    Plane cr;
    if (fullChroma) {
        cb = std::move(cbFull);
        cr = std::move(crFull);
    } else {
        cb = plane((width + 1) / 2, (height + 1) / 2, 1, 1, mcusX, mcusY);
        cr = plane((width + 1) / 2, (height + 1) / 2, 1, 1, mcusX, mcusY);
        pooljobs::forEachBand(cb.paddedHeight, kBandPixelRows, [&](int first, int end) {
            for (int y = first; y < end; ++y) {
                for (int x = 0; x < cb.paddedWidth; ++x) {
                    float sumB = 0;
                    float sumR = 0;
                    for (int dy = 0; dy < 2; ++dy) {
                        for (int dx = 0; dx < 2; ++dx) {
                            sumB += cbFull.at(2 * x + dx, 2 * y + dy);
                            sumR += crFull.at(2 * x + dx, 2 * y + dy);
                        }
                    }
                    cb.at(x, y) = sumB * 0.25f;
                    cr.at(x, y) = sumR * 0.25f;
                }
            }
        });
    }
    if (lumaKnown) {
        picture.components.push_back(lumaFrom(*sameLuma, luma));
    } else {
        picture.components.push_back(component(basis, luma, lumaBlocks, lumaBlocks, true));
    }
    picture.components.push_back(component(basis, cb, 1, 1, false));
    picture.components.push_back(component(basis, cr, 1, 1, false));
    return picture;
}

}  // namespace jpegblocks
