#include "jpeg/DcTrellis.h"

#include "common/Numbers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace dctrellis {
namespace {

constexpr int kMaxDcLevel = 2047;

// The bits of a DC difference: its size category's code and the category's extra bits.
double differenceBits(int difference, const trellis::Lengths& dc)
{
    const int size = trellis::sizeCategory(difference);
    return dc[static_cast<std::size_t>(size)] + size;
}

}  // namespace

void quantise(const std::vector<Link>& chain, const trellis::Lengths& dc)
{
    if (chain.empty()) {
        return;
    }
    // Two candidates a block: the levels below and above the coefficient.
    struct Step
    {
        std::array<int, 2> level{};
        std::array<std::uint8_t, 2> from{};
    };
    std::vector<Step> steps(chain.size());
    std::array<double, 2> cost{};
    std::array<int, 2> previous{0, 0};
    for (std::size_t i = 0; i < chain.size(); ++i) {
        const Link& link = chain[i];
        const int below =
            std::clamp(numbers::floorToInt(link.scaled), -kMaxDcLevel, kMaxDcLevel - 1);
        Step& step = steps[i];
        std::array<double, 2> next{};
        for (std::size_t c = 0; c < 2; ++c) {
            const int level = below + static_cast<int>(c);
            const double error = static_cast<double>(link.scaled) - level;
            double best = std::numeric_limits<double>::infinity();
            std::uint8_t bestFrom = 0;
            for (std::size_t p = 0; p < (i == 0 ? 1U : 2U); ++p) {
                const double total =
                    cost[p] + link.lambda * differenceBits(level - previous[p], dc);
                if (total < best) {
                    best = total;
                    bestFrom = static_cast<std::uint8_t>(p);
                }
            }
            step.level[c] = level;
            step.from[c] = bestFrom;
            next[c] = best + error * error;
        }
        cost = next;
        previous = step.level;
    }
    std::size_t at = cost[1] < cost[0] ? 1 : 0;
    for (std::size_t i = chain.size(); i-- > 0;) {
        *chain[i].level = static_cast<std::int16_t>(steps[i].level[at]);
        at = steps[i].from[at];
    }
}

}  // namespace dctrellis
