#include "jpeg/Deringing.h"

#include <algorithm>
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// A sample's freedom: 1 free above the top, -1 free below the bottom, 0 fixed.
int freedomOf(float sample)
{
    return sample >= kTop ? 1 : (sample <= kBottom ? -1 : 0);
}

#if defined(__SSE2__)
// Four blocks, one in each lane, with two samples more on every side, mirrored.
struct PaddedFour
{
    alignas(16) float at[12][12][4]{};

    __m128 get(int y, int x) const { return _mm_load_ps(at[y][x]); }
    void set(int y, int x, __m128 value) { _mm_store_ps(at[y][x], value); }

    void mirror()
    {
        for (int y = 2; y < 10; ++y) {
            set(y, 1, get(y, 2));
            set(y, 0, get(y, 3));
            set(y, 10, get(y, 9));
            set(y, 11, get(y, 8));
        }
        for (int x = 0; x < 12; ++x) {
            set(1, x, get(2, x));
            set(0, x, get(3, x));
            set(10, x, get(9, x));
            set(11, x, get(8, x));
        }
    }
};

// block() for four blocks, lane by lane: the same sums of the same terms in the same
// order, every sample of the four visited in row order and kept where it is fixed.
void fourBlocks(float* const* samples, int count)
{
    PaddedFour padded;
    alignas(16) float lowest[64][4];
    alignas(16) float highest[64][4];
    alignas(16) float freeLanes[64][4];  // all ones where the sample is free
    bool anyFree[64]{};
    for (int lane = 0; lane < 4; ++lane) {
        const float* from = samples[lane < count ? lane : 0];
        for (int i = 0; i < 64; ++i) {
            padded.at[i / 8 + 2][i % 8 + 2][lane] = from[i];
            const int freedom = lane < count ? freedomOf(from[i]) : 0;
            lowest[i][lane] = freedom > 0 ? kTop : kBottom - kOvershoot;
            highest[i][lane] = freedom > 0 ? kTop + kOvershoot : kBottom;
            freeLanes[i][lane] = std::bit_cast<float>(freedom != 0 ? ~0U : 0U);
            anyFree[i] = anyFree[i] || freedom != 0;
        }
    }
    padded.mirror();
    const __m128 keep = _mm_set1_ps(1.0f - kRelaxation);
    const __m128 relaxation = _mm_set1_ps(kRelaxation);
    const __m128 nearWeight = _mm_set1_ps(0.4f);
    const __m128 diagonalWeight = _mm_set1_ps(0.1f);
    const __m128 farWeight = _mm_set1_ps(0.05f);
    const __m128 leftWeight = _mm_set1_ps(0.4f * kRelaxation);
    for (int sweep = 0; sweep < kSweeps; ++sweep) {
        for (int i = 0; i < 64; ++i) {
            if (!anyFree[i]) {
                continue;
            }
            const int y = i / 8 + 2;
            const int x = i % 8 + 2;
            const __m128 near = _mm_add_ps(_mm_add_ps(padded.get(y, x + 1), padded.get(y - 1, x)),
                                           padded.get(y + 1, x));
            const __m128 diagonal = _mm_add_ps(
                _mm_add_ps(_mm_add_ps(padded.get(y - 1, x - 1), padded.get(y - 1, x + 1)),
                           padded.get(y + 1, x - 1)),
                padded.get(y + 1, x + 1));
            const __m128 far =
                _mm_add_ps(_mm_add_ps(_mm_add_ps(padded.get(y, x - 2), padded.get(y, x + 2)),
                                      padded.get(y - 2, x)),
                           padded.get(y + 2, x));
            const __m128 old = padded.get(y, x);
            const __m128 stencil = _mm_sub_ps(
                _mm_sub_ps(_mm_mul_ps(nearWeight, near), _mm_mul_ps(diagonalWeight, diagonal)),
                _mm_mul_ps(farWeight, far));
            const __m128 rest = _mm_add_ps(_mm_mul_ps(keep, old), _mm_mul_ps(relaxation, stencil));
            const __m128 moved = _mm_add_ps(rest, _mm_mul_ps(leftWeight, padded.get(y, x - 1)));
            const __m128 held =
                _mm_min_ps(_mm_max_ps(moved, _mm_load_ps(lowest[i])), _mm_load_ps(highest[i]));
            const __m128 lanes = _mm_load_ps(freeLanes[i]);
            padded.set(y, x, _mm_or_ps(_mm_and_ps(lanes, held), _mm_andnot_ps(lanes, old)));
        }
        padded.mirror();
    }
    for (int lane = 0; lane < count; ++lane) {
        for (int i = 0; i < 64; ++i) {
            samples[lane][i] = padded.at[i / 8 + 2][i % 8 + 2][lane];
        }
    }
}
#endif

}  // namespace

bool needed(const float* samples)
{
    int free = 0;
    for (int i = 0; i < 64; ++i) {
        free += freedomOf(samples[i]) != 0 ? 1 : 0;
    }
    return free > 0 && free < 64;
}

void blocks(float* const* samples, int count)
{
#if defined(__SSE2__)
    fourBlocks(samples, count);
#else
    for (int b = 0; b < count; ++b) {
        block(samples[b]);
    }
#endif
}

void block(float* samples)
{
    // 1: free above the top, -1: free below the bottom, 0: fixed.
    int freedom[64];
    int free = 0;
    for (int i = 0; i < 64; ++i) {
        freedom[i] = freedomOf(samples[i]);
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
