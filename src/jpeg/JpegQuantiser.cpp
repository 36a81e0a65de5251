#include "jpeg/JpegQuantiser.h"

#include "common/Numbers.h"
#include "common/PoolJobs.h"
#include "jpeg/DcTrellis.h"
#include "jpeg/Trellis.h"

#include <algorithm>

#include <jpeglib.h>

namespace jpegquantiser {
namespace {

// The base table at quality 50, natural order, for luma and chroma alike: N. Robidoux's
// table after Klein, Silverstein and Carney (1992), published with ImageMagick for
// pictures with 2 × 2 chroma subsampling; flatter than the example tables of the
// JPEG standard, it keeps more of the high frequencies that edges of text need.
constexpr std::array<int, 64> kBase = {
    16, 16, 16, 18,  25,  37,  56,  85,  16, 17, 20,  27,  34,  40,  53,  75,
    16, 20, 24, 31,  43,  62,  91,  135, 18, 27, 31,  40,  53,  74,  106, 156,
    25, 34, 43, 53,  69,  94,  131, 189, 37, 40, 62,  74,  94,  124, 169, 238,
    56, 53, 91, 106, 131, 169, 226, 311, 85, 75, 135, 156, 189, 238, 311, 418};

// The table of `quality`, `quarters` quarters of the way to that of quality + 1: libjpeg's
// scaling of the quality, in quarter percents, taken that far toward the next one's.
Table scaled(const std::array<int, 64>& base, int quality, int quarters)
{
    const int next = std::min(quality + 1, 100);
    const long quarterPercent = static_cast<long>(jpeg_quality_scaling(quality)) * (4 - quarters) +
                                static_cast<long>(jpeg_quality_scaling(next)) * quarters;
    Table table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        const long step = numbers::divTrunc(base[i] * quarterPercent + 200, 400);
        table[i] = static_cast<std::uint16_t>(std::clamp(step, 1L, 255L));
    }
    return table;
}

// Blocks in the bands the passes share with idle threads of the pool.
constexpr int kBandBlocks = 512;

}  // namespace

Symbols& Symbols::operator+=(const Symbols& other)
{
    for (std::size_t kind = 0; kind < 2; ++kind) {
        for (std::size_t symbol = 0; symbol < 256; ++symbol) {
            ac[kind][symbol] += other.ac[kind][symbol];
            dc[kind][symbol] += other.dc[kind][symbol];
        }
    }
    return *this;
}

Symbols roundedSymbols(const jpegblocks::Picture& picture, const Tables& tables)
{
    Symbols symbols;
    for (std::size_t c = 0; c < picture.components.size(); ++c) {
        const Table& table = c == 0 ? tables.luma : tables.chroma;
        const std::size_t kind = c == 0 ? 0 : 1;
        const auto& blocks = picture.components[c].blocks;
        const int count = static_cast<int>(blocks.size());
        // Each band counts its own symbols; the sums are the same whatever thread did what.
        std::vector<Symbols> bands(
            static_cast<std::size_t>((count + kBandBlocks - 1) / kBandBlocks));
        pooljobs::forEachBand(count, kBandBlocks, [&](int first, int end) {
            Symbols& band = bands[static_cast<std::size_t>(first / kBandBlocks)];
            const trellis::Lengths none{};
            Levels levels{};
            int previous = 0;
            if (first > 0) {
                trellis::quantise(blocks[static_cast<std::size_t>(first - 1)].data(), table.data(),
                                  none, 0.0, levels.data());
                previous = levels[0];
            }
            for (int b = first; b < end; ++b) {
                trellis::quantise(blocks[static_cast<std::size_t>(b)].data(), table.data(), none,
                                  0.0, levels.data());
                trellis::countAc(levels.data(), band.ac[kind]);
                ++band.dc[kind]
                         [static_cast<std::size_t>(trellis::sizeCategory(levels[0] - previous))];
                previous = levels[0];
            }
        });
        for (const Symbols& band : bands) {
            symbols += band;
        }
    }
    return symbols;
}

std::int64_t codedBytes(const Symbols& symbols)
{
    return codedBytes(symbols, codeLengths(symbols));
}

CodeLengths codeLengths(const Symbols& symbols)
{
    CodeLengths lengths;
    for (std::size_t kind = 0; kind < 2; ++kind) {
        lengths.ac[kind] = trellis::huffmanLengths(symbols.ac[kind]);
        lengths.dc[kind] = trellis::huffmanLengths(symbols.dc[kind]);
    }
    return lengths;
}

std::int64_t codedBytes(const Symbols& symbols, const CodeLengths& lengths)
{
    std::int64_t bits = 0;
    for (std::size_t kind = 0; kind < 2; ++kind) {
        const trellis::Lengths& ac = lengths.ac[kind];
        const trellis::Lengths& dc = lengths.dc[kind];
        for (std::size_t symbol = 0; symbol < 256; ++symbol) {
            const std::int64_t amplitude = static_cast<std::int64_t>(symbol & 15);
            bits += symbols.ac[kind][symbol] * (ac[symbol] + amplitude);
            bits += symbols.dc[kind][symbol] * (dc[symbol] + static_cast<std::int64_t>(symbol));
        }
    }
    return numbers::divTrunc(bits + 7, 8);
}

namespace {

// Calls visit(index) for each block of `component` that holds the picture, in the order
// the scan codes them: one component alone row by row; interleaved components MCU by
// MCU, each MCU's blocks of a component row by row. An interleaved scan also codes the
// MCUs' blocks beyond the picture, but libjpeg codes them as dummies (no AC levels, the
// DC of the block before), whatever they hold; `dummies` counts them.
template <typename Visit>
void inScanOrder(const jpegblocks::Component& component, bool interleaved, const Visit& visit,
                 std::int64_t* dummies = nullptr)
{
    const auto index = [&component](int row, int column) {
        return static_cast<std::size_t>(row * component.blocksPerRow + column);
    };
    if (!interleaved) {
        for (int row = 0; row < component.heightInBlocks; ++row) {
            for (int column = 0; column < component.widthInBlocks; ++column) {
                visit(index(row, column));
            }
        }
        return;
    }
    const int h = component.hSampling;
    const int v = component.vSampling;
    for (int mcuRow = 0; mcuRow < component.blockRows / v; ++mcuRow) {
        for (int mcuColumn = 0; mcuColumn < component.blocksPerRow / h; ++mcuColumn) {
            for (int y = 0; y < v; ++y) {
                for (int x = 0; x < h; ++x) {
                    const int row = mcuRow * v + y;
                    const int column = mcuColumn * h + x;
                    if (row < component.heightInBlocks && column < component.widthInBlocks) {
                        visit(index(row, column));
                    }
                }
            }
        }
    }
    if (dummies != nullptr) {
        *dummies = static_cast<std::int64_t>(component.blockRows) * component.blocksPerRow -
                   static_cast<std::int64_t>(component.heightInBlocks) * component.widthInBlocks;
    }
}

// The DC levels of component `c` chosen along the chain the scan codes them in.
void chooseDc(const jpegblocks::Picture& picture, std::size_t c, double lambda,
              const Symbols& counts, Quantised& quantised)
{
    const bool interleaved = picture.components.size() > 1;
    const jpegblocks::Component& component = picture.components[c];
    const Table& table = c == 0 ? quantised.tables.luma : quantised.tables.chroma;
    std::vector<Levels>& levels = quantised.components[c];
    std::vector<dctrellis::Link> chain;
    chain.reserve(component.blocks.size());
    inScanOrder(component, interleaved, [&](std::size_t at) {
        chain.push_back({component.blocks[at][0] / static_cast<float>(table[0]),
                         lambda * component.lambdaScale[at], &levels[at][0]});
    });
    dctrellis::quantise(chain, trellis::planningLengths(counts.dc[c == 0 ? 0 : 1]));
}

// The levels of every block. Planned with `counts` (the trellis), each component's chain
// of DC levels is a job beside the bands of AC levels: the chains write only the DC
// levels, the bands only the AC ones, and neither reads what the other writes. Without
// counts, every level is rounded.
void pass(const jpegblocks::Picture& picture, double lambda, const Symbols* counts,
          Quantised& quantised)
{
    const trellis::Lengths none{};
    const trellis::AcBits luma(counts ? trellis::planningLengths(counts->ac[0]) : none);
    const trellis::AcBits chroma(counts ? trellis::planningLengths(counts->ac[1]) : none);
    struct Job
    {
        std::size_t component;
        int first;  // a band of blocks, or -1: the component's DC chain
        int end;
    };
    std::vector<Job> jobs;
    for (std::size_t c = 0; c < picture.components.size(); ++c) {
        quantised.components[c].resize(picture.components[c].blocks.size());
        if (counts != nullptr) {
            jobs.push_back({c, -1, -1});  // the longest jobs first
        }
    }
    for (std::size_t c = 0; c < picture.components.size(); ++c) {
        const int count = static_cast<int>(picture.components[c].blocks.size());
        for (int first = 0; first < count; first += kBandBlocks) {
            jobs.push_back({c, first, std::min(count, first + kBandBlocks)});
        }
    }
    pooljobs::forEach(static_cast<int>(jobs.size()), [&](int index) {
        const Job& job = jobs[static_cast<std::size_t>(index)];
        if (job.first < 0) {
            chooseDc(picture, job.component, lambda, *counts, quantised);
            return;
        }
        const Table& table = job.component == 0 ? quantised.tables.luma : quantised.tables.chroma;
        const trellis::AcBits& bits = job.component == 0 ? luma : chroma;
        const jpegblocks::Component& component = picture.components[job.component];
        std::vector<Levels>& levels = quantised.components[job.component];
        for (auto b = static_cast<std::size_t>(job.first); b < static_cast<std::size_t>(job.end);
             ++b) {
            if (counts != nullptr) {
                trellis::quantiseAc(component.blocks[b].data(), table.data(), bits,
                                    lambda * component.lambdaScale[b], levels[b].data());
            } else {
                trellis::quantise(component.blocks[b].data(), table.data(), bits, 0.0,
                                  levels[b].data());
            }
        }
    });
}

}  // namespace

Tables tablesFor(int quality, int quarters)
{
    const int clamped = std::clamp(quality, 1, 100);
    const int beyond = clamped == 100 ? 0 : std::clamp(quarters, 0, kQuarters - 1);
    return {scaled(kBase, clamped, beyond), scaled(kBase, clamped, beyond)};
}

double lambdaFor(int quality)
{
    // Measured on screens, drawings and photos at the phone's sizes: from quality 10 up
    // one price (the steps already scale the distortion); below it the price rises to
    // quality 1, whose file is the smallest the encoder makes.
    constexpr double kPrice = 0.03;
    constexpr double kSmallestPrice = 0.085;
    constexpr int kRisingBelow = 10;
    const int below = std::clamp(kRisingBelow - quality, 0, kRisingBelow - 1);
    return kPrice + (kSmallestPrice - kPrice) * below / (kRisingBelow - 1);
}

void quantise(const jpegblocks::Picture& picture, const Tables& tables, double lambda,
              Quantised& into, const Symbols* rounded)
{
    into.tables = tables;
    into.components.resize(picture.components.size());
    into.rounded = {};
    if (lambda <= 0) {
        pass(picture, 0.0, nullptr, into);
        return;
    }
    into.rounded = rounded ? *rounded : roundedSymbols(picture, into.tables);
    pass(picture, lambda, &into.rounded, into);
}

Symbols scanSymbols(const jpegblocks::Picture& picture, const Quantised& quantised)
{
    const bool interleaved = picture.components.size() > 1;
    std::vector<Symbols> each(picture.components.size());
    pooljobs::forEach(static_cast<int>(picture.components.size()), [&](int c) {
        const auto component = static_cast<std::size_t>(c);
        const std::size_t kind = component == 0 ? 0 : 1;
        const std::vector<Levels>& levels = quantised.components[component];
        Symbols& symbols = each[component];
        int previous = 0;
        std::int64_t dummies = 0;
        inScanOrder(
            picture.components[component], interleaved,
            [&](std::size_t at) {
                trellis::countAc(levels[at].data(), symbols.ac[kind]);
                const int difference = levels[at][0] - previous;
                ++symbols.dc[kind][static_cast<std::size_t>(trellis::sizeCategory(difference))];
                previous = levels[at][0];
            },
            &dummies);
        symbols.ac[kind][0x00] += dummies;  // end of block at once
        symbols.dc[kind][0] += dummies;     // the same DC as the block before
    });
    Symbols all;
    for (const Symbols& symbols : each) {
        all += symbols;
    }
    return all;
}

Quantised quantise(const jpegblocks::Picture& picture, const Tables& tables, double lambda)
{
    Quantised quantised;
    quantise(picture, tables, lambda, quantised);
    return quantised;
}

}  // namespace jpegquantiser
