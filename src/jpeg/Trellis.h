#pragma once

#include <array>
#include <bit>
#include <cstdint>

// Rate–distortion quantisation of one 8 × 8 block of DCT coefficients for a baseline
// JPEG scan: of the levels near each coefficient's rounded value (and zero), the
// choice that costs least in distortion + λ × bits, the bits counted with the code
// lengths of the Huffman tables the scan will use. Solved exactly over the run-length
// code by dynamic programming along the zigzag order.
namespace trellis {

// How often each symbol of a Huffman table occurs: DC size categories 0..11, or AC
// run/size bytes 0x00..0xff.
using Counts = std::array<std::int64_t, 256>;

// Code lengths in bits for each symbol, 0 for a symbol without a code.
using Lengths = std::array<std::uint8_t, 256>;

// The code lengths of the optimal Huffman code for `counts` limited to 16 bits, with
// no symbol given a code of all ones (what a JPEG Huffman table holds).
Lengths huffmanLengths(const Counts& counts);

// Lengths to plan with: those of `counts`, every symbol without a code priced as
// the longest code plus one.
Lengths planningLengths(const Counts& counts);

// The natural (row-major) index of each zigzag position.
inline constexpr std::array<int, 64> kNaturalOfZigzag = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// The bits of the AC codes of `ac`, as the trellis looks them up: for each size 1..10
// and each run of zeros before it, the symbol's code with the codes for sixteen zeros
// that a long run needs.
struct AcBits
{
    std::uint8_t ofRun[11][64]{};  // [size][run]
    std::uint8_t endOfBlock = 0;

    explicit AcBits(const Lengths& ac);
};

// The levels for the 63 AC coefficients of `coefficients` (natural order) under the
// quantisation `steps` (natural order): distortion is the squared error in units of
// each step, λ its price of one bit. λ = 0 gives plain rounding. The DC level is
// rounding. Levels are written to `levels` in natural order.
void quantise(const float* coefficients, const std::uint16_t* steps, const Lengths& ac,
              double lambda, std::int16_t* levels);
// The same with the codes' bits laid out once for many blocks.
void quantise(const float* coefficients, const std::uint16_t* steps, const AcBits& ac,
              double lambda, std::int16_t* levels);
// The same for the AC levels alone: `levels[0]` is neither read nor written, so that a
// DC level chosen elsewhere may be written there at the same time.
void quantiseAc(const float* coefficients, const std::uint16_t* steps, const AcBits& ac,
                double lambda, std::int16_t* levels);

// The factor on the price of a bit for one block (natural order): 1 for a flat block,
// more for a busy one (edges, texture), which hides more error.
double lambdaScale(const float* coefficients);

// Bits needed for the magnitude of a level (its JPEG size category).
inline int sizeCategory(int level)
{
    return static_cast<int>(std::bit_width(static_cast<unsigned>(level < 0 ? -level : level)));
}

// Adds the AC symbols of a block (natural order) to `counts`.
void countAc(const std::int16_t* levels, Counts& counts);

}  // namespace trellis
