#include "encode/Deringing.h"

#include <algorithm>

namespace deringing {
namespace {

constexpr float kTop = 127.0f;
constexpr float kBottom = -128.0f;
constexpr float kOvershoot = 48.0f;  // how far beyond the range a sample may go
constexpr int kSweeps = 12;

// The sample at (x, y) with the block mirrored beyond its edges.
float at(const float* samples, int x, int y)
{
    const auto mirror = [](int i) { return i < 0 ? -1 - i : (i > 7 ? 15 - i : i); };
    return samples[mirror(y) * 8 + mirror(x)];
}

}  // namespace

void block(float* samples)
{
    // 1: free above the top, -1: free below the bottom, 0: fixed.
    int freedom[64];
    int free = 0;
    for (int i = 0; i < 64; ++i) {
        freedom[i] = samples[i] >= kTop ? 1 : (samples[i] <= kBottom ? -1 : 0);
        free += freedom[i] != 0 ? 1 : 0;
    }
    if (free == 0 || free == 64) {
        return;
    }
    // Gauss–Seidel sweeps of the biharmonic stencil over the free samples, each kept
    // on its side of the range and within the overshoot.
    for (int sweep = 0; sweep < kSweeps; ++sweep) {
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                const int i = y * 8 + x;
                if (freedom[i] == 0) {
                    continue;
                }
                const float near = at(samples, x - 1, y) + at(samples, x + 1, y) +
                                   at(samples, x, y - 1) + at(samples, x, y + 1);
                const float diagonal = at(samples, x - 1, y - 1) + at(samples, x + 1, y - 1) +
                                       at(samples, x - 1, y + 1) + at(samples, x + 1, y + 1);
                const float far = at(samples, x - 2, y) + at(samples, x + 2, y) +
                                  at(samples, x, y - 2) + at(samples, x, y + 2);
                const float smooth = (8.0f * near - 2.0f * diagonal - far) / 20.0f;
                samples[i] = freedom[i] > 0 ? std::clamp(smooth, kTop, kTop + kOvershoot)
                                            : std::clamp(smooth, kBottom - kOvershoot, kBottom);
            }
        }
    }
}

}  // namespace deringing
