// Handles and heap blocks of the packed record. Its fields sit at any byte,
// so code never takes a typed pointer to one: these take the field's value
// and return the value the field is to keep.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "platform/file_io.h"

namespace brant {

// Closes an open handle. The field then keeps -1; a handle that was not
// open (0 is never closed, -1 is closed) keeps its value.
inline int32_t CloseHandle(int32_t handle) {
  if (handle <= 0) return handle;
  CloseDescriptor(handle);
  return -1;
}

// Releases a heap table's block; the field then keeps null.
template <typename T>
T* ReleaseTable(T* block) {
  std::free(block);
  return nullptr;
}

// A heap block for a whole file of `size` bytes; never a null result for an
// empty file (null means the allocation failed).
inline void* AllocateFileBlock(int64_t size) {
  if (size < 0) return nullptr;
  return std::malloc(size > 0 ? static_cast<std::size_t>(size) : 1);
}

// Records of `recordSize` bytes in a file of `size` bytes; a partial last
// record does not count.
inline int32_t RecordCount(int64_t size, int64_t recordSize) {
  int64_t count = size < 0 ? 0 : size / recordSize;
  return count > INT32_MAX ? INT32_MAX : static_cast<int32_t>(count);
}

// Reads the whole open file of `size` bytes into a new heap block; null
// when no block could be had. `whole` tells whether every byte arrived.
inline uint8_t* ReadWholeFile(int fd, int64_t size, bool& whole) {
  auto* block = static_cast<uint8_t*>(AllocateFileBlock(size));
  whole = block != nullptr &&
          ReadFully(fd, block, static_cast<std::size_t>(size)) == static_cast<std::size_t>(size);
  return block;
}

}  // namespace brant
