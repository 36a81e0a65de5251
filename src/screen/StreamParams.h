#pragma once

struct spa_pod;
struct spa_pod_builder;

// What the screen's stream asks of its sender, as PipeWire's parameter objects built
// in `builder`'s memory.
namespace streamparams {

// Shared memory only: the buffers are read by the processor. Every buffer goes back
// within the callback that got it, so the sender never waits for one (a sender that
// drives the stream and finds none free stops sending); a few spare ones let it fill
// the next while this side copies.
inline constexpr int kBuffers = 4;

// The formats the program reads: the screen's usual 32-bit layouts, any size.
const spa_pod* format(spa_pod_builder& builder);

// The buffers: kBuffers or more of shared memory when `enough`; else shared memory of
// any count (for a sender that cannot give that many).
const spa_pod* buffers(spa_pod_builder& builder, bool enough);

}  // namespace streamparams
