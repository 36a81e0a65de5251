#pragma once

#include "jpeg/JpegBlocks.h"
#include "jpeg/Trellis.h"

#include <array>
#include <cstdint>
#include <vector>

// The quantised levels of a picture's DCT blocks at a JPEG quality: the tables of
// the quality (8-bit entries), and for every block the levels that trade distortion
// against the bits of the Huffman codes the file will have, planned with the codes of
// the previous pass.
namespace jpegquantiser {

using Table = std::array<std::uint16_t, 64>;  // natural order, 1..255
using Levels = std::array<std::int16_t, 64>;  // natural order

struct Tables
{
    Table luma{};
    Table chroma{};
};

// Steps a quality is cut into, for a fit that lands nearer its limit than whole
// qualities allow.
inline constexpr int kQuarters = 4;

// The quantisation tables of `quality` 1..100, or `quarters` 0..3 quarters of the way
// from them to those of quality + 1 (none beyond 100).
Tables tablesFor(int quality, int quarters = 0);

// The price of a bit in squared quantisation steps at `quality` 1..100.
double lambdaFor(int quality);

// The symbols of a picture's levels: how often each occurs.
struct Symbols
{
    trellis::Counts ac[2]{};  // luma, chroma
    trellis::Counts dc[2]{};  // size categories of the differences

    Symbols& operator+=(const Symbols& other);
};

// The symbols of the rounded levels under `tables`: the first plan prices its bits with
// their codes, and they give a quick guess at the size of the file. The DC differences
// are taken along the rows of blocks, not in the file's order.
Symbols roundedSymbols(const jpegblocks::Picture& picture, const Tables& tables);

// Bytes of the entropy-coded data of `symbols`, each table optimal for its symbols.
// Of the rounded levels, it grows with the quality as the file does; the trellis's
// levels take less.
std::int64_t codedBytes(const Symbols& symbols);

// The code lengths of the optimal Huffman table of each kind of `symbols`.
struct CodeLengths
{
    trellis::Lengths ac[2]{};  // luma, chroma
    trellis::Lengths dc[2]{};
};
CodeLengths codeLengths(const Symbols& symbols);

// Bytes of the entropy-coded data of `symbols` coded with `lengths`.
std::int64_t codedBytes(const Symbols& symbols, const CodeLengths& lengths);

struct Quantised
{
    Tables tables;
    std::vector<std::vector<Levels>> components;  // laid out as the picture's blocks
    Symbols rounded;                              // roundedSymbols(), when lambda > 0
};

// The levels of every block of `picture` under `tables`; `lambda` 0 rounds.
Quantised quantise(const jpegblocks::Picture& picture, const Tables& tables, double lambda);

// The same into `into`, whose memory is used again (a search's encodes need no new
// pages of memory for their levels). `rounded`, when given, is roundedSymbols() of the
// same picture and tables, counted before.
void quantise(const jpegblocks::Picture& picture, const Tables& tables, double lambda,
              Quantised& into, const Symbols* rounded = nullptr);

// The symbols of `quantised`'s levels as a baseline scan codes them: the AC symbols of
// every coded block, and the size categories of the DC differences in the scan's order.
Symbols scanSymbols(const jpegblocks::Picture& picture, const Quantised& quantised);

}  // namespace jpegquantiser
