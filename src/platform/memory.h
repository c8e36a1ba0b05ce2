// Every heap block the library takes comes from here. Failing to get one
// is an ordinary null result, never an exception, and a test can make the
// Nth request fail to see that each caller copes.
#pragma once

#include <cstddef>

namespace brant {

// A block of `size` bytes (at least one), or null.
void* AllocateBlock(std::size_t size);

// A zeroed block of `count` × `size` bytes (at least one), or null; null
// also when the product overflows.
void* AllocateZeroedBlock(std::size_t count, std::size_t size);

// Gives a block back; null is ignored.
void ReleaseBlock(void* block);

// Test seam: the `n`th request from now (counting from 1) fails; 0 makes
// none fail. Process-wide. Returns the count it replaces: how many requests
// were still to come up to the one set to fail, 0 once that one came (or
// when none was set), so that a sweep knows when a run no longer reaches it.
long FailAllocation(long n);

}  // namespace brant
