#include "jpeg/Trellis.h"

#include <algorithm>

// The code lengths of a JPEG scan's optimal Huffman tables: at most 16 bits, none all
// ones.
namespace trellis {
namespace {

constexpr int kMaxCodeLength = 16;

// Code sizes of the unlimited optimal code over the symbols with a count, plus one
// reserved symbol (index 256) of count 1 that keeps every real code from being all
// ones; the two least frequent trees are merged until one is left.
struct Sizes
{
    int of[257]{};
};

Sizes unlimitedSizes(const Counts& counts)
{
    std::int64_t weight[257]{};
    std::copy(counts.begin(), counts.end(), weight);
    weight[256] = 1;
    Sizes sizes;
    int* size = sizes.of;
    int next[257];  // the chain of symbols in each tree
    std::fill(next, next + 257, -1);
    int live[257];  // the roots of the trees, in increasing order
    int liveCount = 0;
    for (int i = 0; i <= 256; ++i) {
        if (weight[i] > 0) {
            live[liveCount++] = i;
        }
    }
    for (;;) {
        int first = -1;
        int second = -1;
        int secondAt = -1;
        int firstAt = -1;
        for (int at = 0; at < liveCount; ++at) {
            const int i = live[at];
            if (first < 0 || weight[i] <= weight[first]) {
                second = first;
                secondAt = firstAt;
                first = i;
                firstAt = at;
            } else if (second < 0 || weight[i] <= weight[second]) {
                second = i;
                secondAt = at;
            }
        }
        if (second < 0) {
            return sizes;
        }
        weight[first] += weight[second];
        weight[second] = 0;
        std::copy(live + secondAt + 1, live + liveCount, live + secondAt);
        --liveCount;
        for (int i = first;; i = next[i]) {
            ++size[i];
            if (next[i] < 0) {
                next[i] = second;
                break;
            }
        }
        for (int i = second; i >= 0; i = next[i]) {
            ++size[i];
        }
    }
}

}  // namespace

Lengths huffmanLengths(const Counts& counts)
{
    const Sizes sizes = unlimitedSizes(counts);
    const int* size = sizes.of;
    int codesOfLength[258]{};
    for (int i = 0; i <= 256; ++i) {
        if (size[i] > 0) {
            ++codesOfLength[size[i]];
        }
    }
    // Over-long codes move up in pairs: two of length i become one of i - 1 and
    // one under a code of length j < i - 1 that becomes two of j + 1.
    for (int i = 257; i > kMaxCodeLength; --i) {
        while (codesOfLength[i] > 0) {
            int j = i - 2;
            while (codesOfLength[j] == 0) {
                --j;
            }
            codesOfLength[i] -= 2;
            ++codesOfLength[i - 1];
            codesOfLength[j + 1] += 2;
            --codesOfLength[j];
        }
    }
    // The reserved symbol gives up one of the longest codes.
    int longest = kMaxCodeLength;
    while (longest > 0 && codesOfLength[longest] == 0) {
        --longest;
    }
    --codesOfLength[longest];
    // The real symbols take the lengths in order of their unlimited sizes.
    int order[256];
    int symbols = 0;
    for (int i = 0; i < 256; ++i) {
        if (size[i] > 0) {
            order[symbols++] = i;
        }
    }
    std::stable_sort(order, order + symbols, [size](int a, int b) { return size[a] < size[b]; });
    Lengths lengths{};
    int length = 1;
    for (int at = 0; at < symbols; ++at) {
        while (codesOfLength[length] == 0) {
            ++length;
        }
        --codesOfLength[length];
        lengths[static_cast<std::size_t>(order[at])] = static_cast<std::uint8_t>(length);
    }
    return lengths;
}

Lengths planningLengths(const Counts& counts)
{
    Lengths lengths = huffmanLengths(counts);
    const std::uint8_t longest = *std::max_element(lengths.begin(), lengths.end());
    const auto unseen = static_cast<std::uint8_t>(std::min(longest + 1, kMaxCodeLength + 1));
    for (std::uint8_t& length : lengths) {
        if (length == 0) {
            length = unseen;
        }
    }
    return lengths;
}

}  // namespace trellis
