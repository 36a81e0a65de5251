#pragma once

#include "jpeg/Trellis.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Rate–distortion choice of the DC levels of one component. Each block's DC is coded
// as the difference from the previous block's in the scan, so the choice is made
// along the whole chain at once: of the two levels either side of each coefficient,
// the sequence that costs least in squared error (in steps) + λ × the bits of the
// differences, found by dynamic programming over the chain.
namespace dctrellis {

struct Link
{
    float scaled = 0;               // the DC coefficient over its step
    double lambda = 0;              // the block's price of a bit
    std::int16_t* level = nullptr;  // where the chosen level goes
};

// Chooses the levels of `chain`, in the order the scan codes the blocks, with the DC
// code lengths `dc` (size categories 0..11). The first block's difference is from 0.
void quantise(const std::vector<Link>& chain, const trellis::Lengths& dc);

}  // namespace dctrellis
