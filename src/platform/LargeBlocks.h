#pragma once

namespace largeBlocks {

// Has every large block of memory come from the system on its own and go back to it when
// freed. By default the allocator moves that bound up to the size of the largest block freed
// so far, and then keeps the large buffers of one big copy (its read, the history's encoding)
// in its heaps long after they were freed.
void returnToSystemWhenFreed();

}  // namespace largeBlocks
