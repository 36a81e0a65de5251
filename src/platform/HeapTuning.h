#pragma once

// How the C library's heap treats the large blocks the picture work frees.
namespace heaptuning {

// Keeps freed blocks of up to tens of megabytes in the heap for the next allocation.
// A fit or an estimate at the phone's sizes takes and frees a few megabytes per
// encode (the DCT blocks, the levels, libjpeg's coefficient arrays). By default glibc
// hands such blocks back to the system at once, and the next encode takes fresh pages
// from the kernel, each one faulted in and cleared. Called once, before any thread
// starts; does nothing on other C libraries.
void keepFreedMemory();

}  // namespace heaptuning
