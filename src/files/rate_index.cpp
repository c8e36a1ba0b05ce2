// The sparse index of the .RTE file: the key of the last record of every
// block of 50, then "999999". A lookup reads at most one block.
#include <algorithm>
#include <cstring>

#include "formats/host_records.h"
#include "formats/rate_records.h"
#include "context/status_codes.h"
#include "files/loaders.h"
#include "files/record_access.h"
#include "platform/file_io.h"
#include "platform/memory.h"

namespace brant {
namespace {

constexpr std::size_t kBlockRecords = 50;
// Each entry is a record's key.
constexpr const formats::Field& kKey = formats::kRateKey;
constexpr std::size_t kKeyWidth = kKey.width;
constexpr std::size_t kBlocksPerRead = 64;
// The count lives in a 16-bit field: a file of more blocks cannot be indexed.
constexpr int64_t kMaxIndexEntries = INT16_MAX;

int32_t Fail(RateContext& context, Status status) {
  context.errorCode = status;
  context.rteHandle = CloseHandle(context.rteHandle);
  return 0;
}

}  // namespace

int32_t BuildRteIndex(RateContext& context, std::size_t recordSize) {
  context.rteHandle = CloseHandle(context.rteHandle);
  context.rteHandle = Openfile(&context, ".RTE");
  if (context.rteHandle <= 0) {
    context.rteHandle = -1;
    return Fail(context, kRteOpen);
  }
  int64_t size = FileSize(context.rteHandle);
  int64_t records = size < 0 ? 0 : size / static_cast<int64_t>(recordSize);
  int64_t entries = records / static_cast<int64_t>(kBlockRecords) + 1;
  if (size < 0 || entries > kMaxIndexEntries) return Fail(context, kRteRead);

  context.rteIndex = ReleaseTable(context.rteIndex);
  context.rteIndexCount = static_cast<int16_t>(entries);
  auto* index = static_cast<uint8_t*>(AllocateFileBlock((entries + 1) * kKeyWidth));
  if (index == nullptr) return Fail(context, kRteIndexAllocation);
  std::memset(index, 0, static_cast<std::size_t>(entries + 1) * kKeyWidth);
  context.rteIndex = index;

  // Whole blocks are read many at a time; only the key of each block's
  // last record is kept. The read buffer counts as part of the index: when
  // it cannot be had, neither can the index.
  const std::size_t blockBytes = kBlockRecords * recordSize;
  int64_t remaining = records * static_cast<int64_t>(recordSize);
  const auto bufferSize = static_cast<std::size_t>(
      std::min<int64_t>(kBlocksPerRead * blockBytes, std::max<int64_t>(remaining, 1)));
  auto* buffer = static_cast<uint8_t*>(AllocateBlock(bufferSize));
  if (buffer == nullptr) {
    context.rteIndex = ReleaseTable(context.rteIndex);
    return Fail(context, kRteIndexAllocation);
  }
  std::size_t filled = 0;
  while (remaining > 0) {
    std::size_t want = static_cast<std::size_t>(std::min<int64_t>(remaining, bufferSize));
    if (ReadFully(context.rteHandle, buffer, want) != want) {
      ReleaseBlock(buffer);
      context.rteIndex = ReleaseTable(context.rteIndex);
      return Fail(context, kRteRead);
    }
    for (std::size_t end = blockBytes; end <= want; end += blockBytes) {
      std::memcpy(index + filled++ * kKeyWidth, buffer + end - recordSize + kKey.offset, kKeyWidth);
    }
    remaining -= static_cast<int64_t>(want);
  }
  ReleaseBlock(buffer);
  std::memcpy(index + filled * kKeyWidth, "999999", kKeyWidth);
  context.rteHandle = CloseHandle(context.rteHandle);
  return 1;
}

}  // namespace brant
