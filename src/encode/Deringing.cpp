#include "encode/Deringing.h"

#include <algorithm>

namespace deringing {
namespace {

constexpr float kTop = 127.0f;
constexpr float kBottom = -128.0f;
constexpr float kOvershoot = 48.0f;  // how far beyond the range a sample may go
constexpr int kSweeps = 8;

// The block with two samples more on every side, mirrored from its edges.
struct Padded
{
    float at[12][12]{};

    explicit Padded(const float* samples)
    {
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                at[y + 2][x + 2] = samples[y * 8 + x];
            }
        }
        mirror();
    }

    void mirror()
    {
        for (int y = 2; y < 10; ++y) {
            at[y][1] = at[y][2];
            at[y][0] = at[y][3];
            at[y][10] = at[y][9];
            at[y][11] = at[y][8];
        }
        for (int x = 0; x < 12; ++x) {
            at[1][x] = at[2][x];
            at[0][x] = at[3][x];
            at[10][x] = at[9][x];
            at[11][x] = at[8][x];
        }
    }
};

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
    // Sweeps of the biharmonic stencil over the free samples, each kept on its side of
    // the range and within the overshoot; the mirror is renewed after each sweep.
    Padded padded(samples);
    for (int sweep = 0; sweep < kSweeps; ++sweep) {
        for (int y = 2; y < 10; ++y) {
            const float* above2 = padded.at[y - 2];
            const float* above = padded.at[y - 1];
            float* row = padded.at[y];
            const float* below = padded.at[y + 1];
            const float* below2 = padded.at[y + 2];
            for (int x = 2; x < 10; ++x) {
                const int side = freedom[(y - 2) * 8 + x - 2];
                if (side == 0) {
                    continue;
                }
                const float near = row[x - 1] + row[x + 1] + above[x] + below[x];
                const float diagonal = above[x - 1] + above[x + 1] + below[x - 1] + below[x + 1];
                const float far = row[x - 2] + row[x + 2] + above2[x] + below2[x];
                const float smooth = (8.0f * near - 2.0f * diagonal - far) / 20.0f;
                row[x] = side > 0 ? std::clamp(smooth, kTop, kTop + kOvershoot)
                                  : std::clamp(smooth, kBottom - kOvershoot, kBottom);
            }
        }
        padded.mirror();
    }
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            samples[y * 8 + x] = padded.at[y + 2][x + 2];
        }
    }
}

}  // namespace deringing
