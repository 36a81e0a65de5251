#include "encode/PngFilters.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace pngfilters {
namespace {

enum Filter : std::uint8_t { kNone = 0, kSub = 1, kUp = 2, kAverage = 3, kPaeth = 4 };

std::uint8_t paethPredictor(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) {
        return static_cast<std::uint8_t>(a);
    }
    return static_cast<std::uint8_t>(pb <= pc ? b : c);
}

// Filters one row into `out` (rowBytes long). `previous` is the row above, all zero
// for the first row. One loop per filter, so that each runs without branches.
void filterRow(Filter filter, const std::uint8_t* row, const std::uint8_t* previous,
               std::size_t rowBytes, std::size_t distance, std::uint8_t* out)
{
    const std::size_t head = std::min(distance, rowBytes);
    switch (filter) {
        case kNone:
            std::copy_n(row, rowBytes, out);
            return;
        case kSub:
            std::copy_n(row, head, out);
            for (std::size_t i = head; i < rowBytes; ++i) {
                out[i] = static_cast<std::uint8_t>(row[i] - row[i - distance]);
            }
            return;
        case kUp:
            for (std::size_t i = 0; i < rowBytes; ++i) {
                out[i] = static_cast<std::uint8_t>(row[i] - previous[i]);
            }
            return;
        case kAverage:
            for (std::size_t i = 0; i < head; ++i) {
                out[i] = static_cast<std::uint8_t>(row[i] - previous[i] / 2);
            }
            for (std::size_t i = head; i < rowBytes; ++i) {
                out[i] = static_cast<std::uint8_t>(row[i] - (row[i - distance] + previous[i]) / 2);
            }
            return;
        case kPaeth:
            for (std::size_t i = 0; i < head; ++i) {
                out[i] = static_cast<std::uint8_t>(row[i] - previous[i]);
            }
            for (std::size_t i = head; i < rowBytes; ++i) {
                out[i] = static_cast<std::uint8_t>(row[i] - paethPredictor(row[i - distance],
                                                                           previous[i],
                                                                           previous[i - distance]));
            }
            return;
    }
}

// The usual estimate of how well a filtered row deflates: bytes read as signed, summed.
long sumOfMagnitudes(const std::uint8_t* bytes, std::size_t count)
{
    long sum = 0;
    for (std::size_t i = 0; i < count; ++i) {
        sum += bytes[i] < 128 ? bytes[i] : 256 - bytes[i];
    }
    return sum;
}

}  // namespace

std::vector<std::uint8_t> filterRows(const pngpixels::Pixels& pixels, Strategy strategy)
{
    const std::size_t rowBytes = pixels.rowBytes;
    const std::size_t height = static_cast<std::size_t>(pixels.height);
    std::vector<std::uint8_t> out((rowBytes + 1) * height);
    const std::vector<std::uint8_t> zeros(rowBytes, 0);
    std::vector<std::uint8_t> trial(rowBytes);
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* row = pixels.rows.data() + y * rowBytes;
        const std::uint8_t* previous = y == 0 ? zeros.data() : row - rowBytes;
        std::uint8_t* target = out.data() + y * (rowBytes + 1);
        Filter chosen = kNone;
        switch (strategy) {
            case Strategy::None:
                break;
            case Strategy::Sub:
                chosen = kSub;
                break;
            case Strategy::Up:
                chosen = kUp;
                break;
            case Strategy::Paeth:
                chosen = kPaeth;
                break;
            case Strategy::Adaptive: {
                long best = -1;
                for (const Filter filter : {kNone, kSub, kUp, kAverage, kPaeth}) {
                    filterRow(filter, row, previous, rowBytes, pixels.filterDistance, trial.data());
                    const long sum = sumOfMagnitudes(trial.data(), rowBytes);
                    if (best < 0 || sum < best) {
                        best = sum;
                        chosen = filter;
                    }
                }
                break;
            }
        }
        target[0] = chosen;
        filterRow(chosen, row, previous, rowBytes, pixels.filterDistance, target + 1);
    }
    return out;
}

}  // namespace pngfilters
