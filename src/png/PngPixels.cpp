#include "png/PngPixels.h"

#include <algorithm>
#include <array>

namespace pngpixels {
namespace {

constexpr int kMaxPaletteColours = 256;

// The distinct colours of a picture up to 257 of them, in an open-addressing table
// (a quarter full at most): cheap enough to run before every encode.
class ColourTable
{
public:
    // Adds a colour; false once the picture has more colours than a palette holds.
    bool add(QRgb rgb)
    {
        const std::uint32_t key = (rgb & 0xffffffu) | kUsed;
        std::size_t slot = hash(key);
        while (m_keys[slot] != 0) {
            if (m_keys[slot] == key) {
                return true;
            }
            slot = (slot + 1) % m_keys.size();
        }
        if (m_count == kMaxPaletteColours) {
            return false;
        }
        m_keys[slot] = key;
        ++m_count;
        return true;
    }

    std::vector<QRgb> colours() const
    {
        std::vector<QRgb> result;
        for (const std::uint32_t key : m_keys) {
            if (key != 0) {
                result.push_back(0xff000000u | (key & 0xffffffu));
            }
        }
        return result;
    }

    void setIndex(QRgb rgb, std::uint8_t index) { m_indices[find(rgb)] = index; }
    std::uint8_t indexOf(QRgb rgb) const { return m_indices[find(rgb)]; }

private:
    static constexpr std::uint32_t kUsed = 0x01000000u;

    std::size_t hash(std::uint32_t key) const { return (key * 2654435761u >> 16) % m_keys.size(); }
    std::size_t find(QRgb rgb) const
    {
        const std::uint32_t key = (rgb & 0xffffffu) | kUsed;
        std::size_t slot = hash(key);
        while (m_keys[slot] != key) {
            slot = (slot + 1) % m_keys.size();
        }
        return slot;
    }

    std::array<std::uint32_t, 1024> m_keys{};
    std::array<std::uint8_t, 1024> m_indices{};
    int m_count = 0;
};

int depthForCount(std::size_t colours)
{
    if (colours <= 2) {
        return 1;
    }
    if (colours <= 4) {
        return 2;
    }
    return colours <= 16 ? 4 : 8;
}

// The lowest grey depth whose levels (0..2^depth-1 scaled to 0..255) hold every grey.
int greyDepth(const std::array<bool, 256>& used)
{
    for (const int depth : {1, 2, 4}) {
        const int step = 255 / ((1 << depth) - 1);
        bool fits = true;
        for (int v = 0; v < 256 && fits; ++v) {
            fits = !used[static_cast<std::size_t>(v)] || v % step == 0;
        }
        if (fits) {
            return depth;
        }
    }
    return 8;
}

// Writes `value` (below 2^depth) as the sample at `x` of a row packed most
// significant bits first.
void putSample(std::uint8_t* row, int x, int depth, int value)
{
    if (depth == 8) {
        row[x] = static_cast<std::uint8_t>(value);
        return;
    }
    const int perByte = 8 / depth;
    const int shift = 8 - depth * (x % perByte + 1);
    row[x / perByte] = static_cast<std::uint8_t>(row[x / perByte] | (value << shift));
}

void allocate(Pixels& pixels, int bitsPerPixel)
{
    pixels.rowBytes =
        (static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(bitsPerPixel) + 7) / 8;
    pixels.filterDistance = static_cast<std::size_t>(std::max(1, bitsPerPixel / 8));
    pixels.rows.assign(pixels.rowBytes * static_cast<std::size_t>(pixels.height), 0);
}

std::uint8_t* rowOf(Pixels& pixels, int y)
{
    return pixels.rows.data() + pixels.rowBytes * static_cast<std::size_t>(y);
}

const QRgb* lineOf(const QImage& rgb32, int y)
{
    return reinterpret_cast<const QRgb*>(rgb32.constScanLine(y));
}

}  // namespace

Pixels analyse(const QImage& image)
{
    Pixels pixels;
    if (image.isNull()) {
        return pixels;
    }
    const QImage rgb32 = image.convertToFormat(QImage::Format_RGB32);
    pixels.width = rgb32.width();
    pixels.height = rgb32.height();

    bool grey = true;
    bool fewColours = true;
    std::array<bool, 256> greys{};
    ColourTable table;
    for (int y = 0; y < pixels.height && (grey || fewColours); ++y) {
        const QRgb* line = lineOf(rgb32, y);
        for (int x = 0; x < pixels.width; ++x) {
            const QRgb p = line[x];
            grey = grey && qRed(p) == qGreen(p) && qGreen(p) == qBlue(p);
            if (grey) {
                greys[static_cast<std::size_t>(qRed(p))] = true;
            }
            fewColours = fewColours && table.add(p);
        }
    }

    std::vector<QRgb> palette = fewColours ? table.colours() : std::vector<QRgb>{};
    const int paletteDepth = depthForCount(palette.size());
    const int greyBits = grey ? greyDepth(greys) : 8;
    if (grey && !(fewColours && paletteDepth < greyBits)) {
        pixels.colourType = Grey;
        pixels.bitDepth = greyBits;
        allocate(pixels, greyBits);
        const int step = 255 / ((1 << greyBits) - 1);
        for (int y = 0; y < pixels.height; ++y) {
            const QRgb* line = lineOf(rgb32, y);
            std::uint8_t* row = rowOf(pixels, y);
            for (int x = 0; x < pixels.width; ++x) {
                putSample(row, x, greyBits, qRed(line[x]) / step);
            }
        }
        return pixels;
    }
    if (fewColours) {
        // Similar colours get neighbouring indices, which the row filters can use.
        std::sort(palette.begin(), palette.end(), [](QRgb a, QRgb b) {
            return qGray(a) != qGray(b) ? qGray(a) < qGray(b) : a < b;
        });
        for (std::size_t i = 0; i < palette.size(); ++i) {
            table.setIndex(palette[i], static_cast<std::uint8_t>(i));
        }
        pixels.colourType = Palette;
        pixels.bitDepth = paletteDepth;
        pixels.palette = std::move(palette);
        allocate(pixels, paletteDepth);
        for (int y = 0; y < pixels.height; ++y) {
            const QRgb* line = lineOf(rgb32, y);
            std::uint8_t* row = rowOf(pixels, y);
            for (int x = 0; x < pixels.width; ++x) {
                putSample(row, x, paletteDepth, table.indexOf(line[x]));
            }
        }
        return pixels;
    }
    pixels.colourType = Rgb;
    pixels.bitDepth = 8;
    allocate(pixels, 24);
    for (int y = 0; y < pixels.height; ++y) {
        const QRgb* line = lineOf(rgb32, y);
        std::uint8_t* row = rowOf(pixels, y);
        for (int x = 0; x < pixels.width; ++x) {
            row[3 * x] = static_cast<std::uint8_t>(qRed(line[x]));
            row[3 * x + 1] = static_cast<std::uint8_t>(qGreen(line[x]));
            row[3 * x + 2] = static_cast<std::uint8_t>(qBlue(line[x]));
        }
    }
    return pixels;
}

}  // namespace pngpixels
