#include "encode/Deringing.h"

#include <algorithm>

namespace deringing {
namespace {

constexpr float kTop = 127.0f;
constexpr float kBottom = -128.0f;
constexpr float kOvershoot = 24.0f;  // how far beyond the range a sample may go
constexpr int kSweeps = 12;
// Over-relaxation: each sweep moves a sample 1.9 times as far as the stencil asks; beside
// text on white that comes near the smoothest continuation in a dozen sweeps, where plain
// sweeps need several times as many (measured: smoother overshoot, better text at every
// rate; a larger overshoot makes the smallest files larger).
constexpr float kRelaxation = 1.9f;

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
    // Over-relaxed sweeps of the biharmonic stencil over the free samples in row order,
    // each kept on its side of the range and within the overshoot; the mirror is renewed
    // after each sweep.
    Padded padded(samples);
    int at[64];        // the free samples' places in the padded block
    float lowest[64];  // and the values each may take
    float highest[64];
    int count = 0;
    for (int i = 0; i < 64; ++i) {
        if (freedom[i] != 0) {
            lowest[count] = freedom[i] > 0 ? kTop : kBottom - kOvershoot;
            highest[count] = freedom[i] > 0 ? kTop + kOvershoot : kBottom;
            at[count++] = (i / 8 + 2) * 12 + i % 8 + 2;
        }
    }
    float* const cells = &padded.at[0][0];
    for (int sweep = 0; sweep < kSweeps; ++sweep) {
        float written = 0;  // the sample written last, at `writtenAt`
        int writtenAt = -1;
        for (int n = 0; n < count; ++n) {
            // The stencil is (8 near - 2 diagonal - far) / 20. The left neighbour, when
            // it was written just before, comes from a register and is added last, so that
            // one sample need not wait for the one before any longer than that.
            float* const cell = cells + at[n];
            const float near = cell[1] + cell[-12] + cell[12];
            const float diagonal = cell[-13] + cell[-11] + cell[11] + cell[13];
            const float far = cell[-2] + cell[2] + cell[-24] + cell[24];
            const float rest = (1.0f - kRelaxation) * *cell +
                               kRelaxation * (0.4f * near - 0.1f * diagonal - 0.05f * far);
            const float left = writtenAt == at[n] - 1 ? written : cell[-1];
            written = std::min(std::max(rest + 0.4f * kRelaxation * left, lowest[n]), highest[n]);
            writtenAt = at[n];
            *cell = written;
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
