#include "platform/memory.h"

#include <atomic>
#include <cstdlib>

namespace brant {
namespace {

// Counts down to the request that is to fail; 0: none is.
std::atomic<long> requestsUntilFailure{0};

bool Refused() {
  long left = requestsUntilFailure.load(std::memory_order_relaxed);
  if (left == 0) return false;
  requestsUntilFailure.store(left - 1, std::memory_order_relaxed);
  return left == 1;
}

}  // namespace

void* AllocateBlock(std::size_t size) {
  if (Refused()) return nullptr;
  return std::malloc(size > 0 ? size : 1);
}

void* AllocateZeroedBlock(std::size_t count, std::size_t size) {
  if (Refused()) return nullptr;
  if (count == 0 || size == 0) return std::calloc(1, 1);
  return std::calloc(count, size);
}

void ReleaseBlock(void* block) { std::free(block); }

long FailAllocation(long n) {
  return requestsUntilFailure.exchange(n > 0 ? n : 0, std::memory_order_relaxed);
}

}  // namespace brant
