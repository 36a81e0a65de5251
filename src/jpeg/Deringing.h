#pragma once

// Less ringing around text on white (or black): in an 8 × 8 block of level-shifted
// samples (-128..127), the samples at the top of the range may be given any value
// above it and those at the bottom any value below, since a decoder clamps them back
// to the same pixel. They are set where the block is smoothest (the biharmonic
// continuation of the other samples, mirrored at the block's edges, within a limit),
// so an edge continues as a gentle overshoot instead of a step: fewer high
// frequencies to code, and less ringing once they are quantised away.
namespace deringing {

// Reshapes `block` (row-major) in place; a block with no sample at either end of the
// range, or with all of them there, is left as it is.
void block(float* samples);

// Whether block() would reshape `samples`: some of them at an end of the range, not all.
bool needed(const float* samples);

// Up to four blocks at once that need it: each reshaped exactly as block() would, side
// by side where the processor has SSE2.
inline constexpr int kSideBySide = 4;
void blocks(float* const* samples, int count);

}  // namespace deringing
