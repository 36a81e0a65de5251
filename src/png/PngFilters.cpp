#include "png/PngFilters.h"

#include "png/RowFilters.h"

#include <cmath>
#include <cstring>

namespace pngfilters {
namespace {

using rowfilters::Filter;
using rowfilters::kFilterCount;

// The filter whose bytes in the row have the least entropy: the one whose byte counts
// n_v give the largest sum of n_v log2 n_v (the row length being the same for all).
class EntropyChooser
{
public:
    explicit EntropyChooser(std::size_t rowBytes) : m_weights(rowBytes + 1, 0.0)
    {
        for (std::size_t n = 2; n <= rowBytes; ++n) {
            const double count = static_cast<double>(n);
            m_weights[n] = count * std::log2(count);
        }
    }

    Filter choose(const rowfilters::RowFilters& filters, std::size_t rowBytes)
    {
        Filter best = rowfilters::kNone;
        double bestScore = -1.0;
        for (std::size_t f = 0; f < kFilterCount; ++f) {
            const double score = entropyScore(filters.filtered(static_cast<Filter>(f)), rowBytes);
            if (score > bestScore) {
                bestScore = score;
                best = static_cast<Filter>(f);
            }
        }
        return best;
    }

private:
    // Four tables counted in turn, so that a run of one byte value does not wait on
    // the same counter at every step.
    double entropyScore(const std::uint8_t* bytes, std::size_t rowBytes)
    {
        for (auto& counts : m_counts) {
            counts.fill(0);
        }
        std::size_t i = 0;
        for (; i + 4 <= rowBytes; i += 4) {
            ++m_counts[0][bytes[i]];
            ++m_counts[1][bytes[i + 1]];
            ++m_counts[2][bytes[i + 2]];
            ++m_counts[3][bytes[i + 3]];
        }
        for (; i < rowBytes; ++i) {
            ++m_counts[0][bytes[i]];
        }
        double sum = 0.0;
        for (std::size_t v = 0; v < 256; ++v) {
            sum += m_weights[m_counts[0][v] + m_counts[1][v] + m_counts[2][v] + m_counts[3][v]];
        }
        return sum;
    }

    std::vector<double> m_weights;  // n log2 n for every possible count
    std::array<std::array<std::uint32_t, 256>, 4> m_counts{};
};

void filterUp(const std::uint8_t* row, const std::uint8_t* above, std::size_t rowBytes,
              std::uint8_t* out)
{
    for (std::size_t i = 0; i < rowBytes; ++i) {
        out[i] = static_cast<std::uint8_t>(row[i] - above[i]);
    }
}

}  // namespace

std::vector<std::uint8_t> filterRows(const pngpixels::Pixels& pixels, Strategy strategy)
{
    return filterRows(pixels, strategy, 0, static_cast<std::size_t>(pixels.height));
}

std::vector<std::uint8_t> filterRows(const pngpixels::Pixels& pixels, Strategy strategy,
                                     std::size_t first, std::size_t count)
{
    const std::size_t rowBytes = pixels.rowBytes;
    const std::size_t start = first;
    const std::size_t height = first + count;
    std::vector<std::uint8_t> out((rowBytes + 1) * count);
    const auto rowAt = [&pixels, rowBytes](std::size_t y) {
        return pixels.rows.data() + y * rowBytes;
    };
    const auto targetAt = [&out, rowBytes, start](std::size_t y) {
        return out.data() + (y - start) * (rowBytes + 1);
    };
    if (strategy == Strategy::None || strategy == Strategy::Up) {
        for (std::size_t y = start; y < height; ++y) {
            std::uint8_t* target = targetAt(y);
            // The first row has no row above: Up would equal None there.
            if (strategy == Strategy::None || y == 0) {
                target[0] = rowfilters::kNone;
                std::memcpy(target + 1, rowAt(y), rowBytes);
            } else {
                target[0] = rowfilters::kUp;
                filterUp(rowAt(y), rowAt(y - 1), rowBytes, target + 1);
            }
        }
        return out;
    }
    rowfilters::RowFilters filters(rowBytes, pixels.filterDistance);
    EntropyChooser entropy(strategy == Strategy::Entropy ? rowBytes : 0);
    if (start > 0) {
        filters.setAbove(rowAt(start - 1));
    }
    for (std::size_t y = start; y < height; ++y) {
        filters.next(rowAt(y));
        const Filter chosen =
            strategy == Strategy::Entropy ? entropy.choose(filters, rowBytes) : filters.cheapest();
        std::uint8_t* target = targetAt(y);
        target[0] = chosen;
        std::memcpy(target + 1, filters.filtered(chosen), rowBytes);
    }
    return out;
}

}  // namespace pngfilters
