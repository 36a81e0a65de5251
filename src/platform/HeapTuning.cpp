#include "platform/HeapTuning.h"

#include <cstdlib>  // defines __GLIBC__ where the C library is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace heaptuning {

void keepFreedMemory()
{
#if defined(__GLIBC__)
    // Blocks below 32 MiB (the largest threshold glibc takes) come from the heap rather
    // than from a mapping of their own, and up to 64 MiB free at the heap's top stay
    // there. A picture larger than that (a whole 4K screen) is still mapped and returned.
    constexpr int kMapFrom = 32 << 20;
    constexpr int kTrimAbove = 64 << 20;
    mallopt(M_MMAP_THRESHOLD, kMapFrom);
    mallopt(M_TRIM_THRESHOLD, kTrimAbove);
#endif
}

}  // namespace heaptuning
