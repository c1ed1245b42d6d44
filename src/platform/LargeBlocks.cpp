#include "platform/LargeBlocks.h"

#include <malloc.h>

namespace largeBlocks {

namespace {
// Large enough that ordinary allocations never pay for a system call.
constexpr int kLargeBlockBytes = 1 << 20;
}  // namespace

void returnToSystemWhenFreed() {
    // Setting it also fixes it: it no longer follows the blocks freed.
    mallopt(M_MMAP_THRESHOLD, kLargeBlockBytes);
}

}  // namespace largeBlocks
