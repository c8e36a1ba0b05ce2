// Handles and heap blocks of the packed record. Its fields sit at any byte,
// so code never takes a typed pointer to one: these take the field's value
// and return the value the field is to keep.
#pragma once

#include <brantfunc/brantfunc.h>

#include <cstdint>
#include <cstdlib>

#include "platform/file_io.h"
#include "platform/memory.h"

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
  ReleaseBlock(block);
  return nullptr;
}

// A heap block for a whole file of `size` bytes; never a null result for an
// empty file (null means the allocation failed).
inline void* AllocateFileBlock(int64_t size) {
  if (size < 0 || static_cast<uint64_t>(size) > SIZE_MAX) return nullptr;
  return AllocateBlock(static_cast<std::size_t>(size));
}

// Records of `recordSize` bytes in a file of `size` bytes; a partial last
// record does not count.
inline int32_t RecordCount(int64_t size, int64_t recordSize) {
  int64_t count = size < 0 ? 0 : size / recordSize;
  return count > INT32_MAX ? INT32_MAX : static_cast<int32_t>(count);
}

// A whole file read into a fresh heap block.
struct WholeFile {
  enum Outcome { kLoaded, kNoBlock, kShortRead };
  uint8_t* block = nullptr;  // the caller's to keep or release; null unless loaded
  int64_t size = 0;
  Outcome outcome = kNoBlock;
};

// Reads the whole open file into a new block. A read that comes short
// releases the block again.
inline WholeFile LoadWholeFile(int fd) {
  WholeFile file;
  int64_t size = FileSize(fd);
  if (size < 0) return file;
  file.size = size;
  auto* block = static_cast<uint8_t*>(AllocateFileBlock(size));
  if (block == nullptr) return file;
  if (ReadFully(fd, block, static_cast<std::size_t>(size)) != static_cast<std::size_t>(size)) {
    ReleaseBlock(block);
    file.outcome = WholeFile::kShortRead;
    return file;
  }
  file.block = block;
  file.outcome = WholeFile::kLoaded;
  return file;
}

// True when the file loaded; otherwise its status for a missing block or a
// short read goes to errorCode.
inline bool Loaded(const WholeFile& file, RateContext& context, int32_t noBlockStatus,
                   int32_t shortReadStatus) {
  if (file.outcome == WholeFile::kNoBlock) context.errorCode = noBlockStatus;
  if (file.outcome == WholeFile::kShortRead) context.errorCode = shortReadStatus;
  return file.outcome == WholeFile::kLoaded;
}

// A heap table loaded whole from an open file, with its record count; no
// block and a count of 0 when it did not load (its status is then set).
struct LoadedTable {
  uint8_t* block = nullptr;
  int32_t count = 0;
  bool loaded = false;
};

inline LoadedTable LoadTable(RateContext& context, int fd, int64_t recordSize,
                             int32_t noBlockStatus, int32_t shortReadStatus) {
  const WholeFile file = LoadWholeFile(fd);
  if (!Loaded(file, context, noBlockStatus, shortReadStatus)) return {};
  return {file.block, RecordCount(file.size, recordSize), true};
}

}  // namespace brant
