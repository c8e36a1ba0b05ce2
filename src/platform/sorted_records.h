// Reading records by key: one halving search over any sorted records,
// sorted files searched with it, and a scan that reads a file's records in
// large pieces. Keys compare without regard to letter case where the tariff
// files were built that way.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/file_io.h"

namespace brant {

// The index of the record among `count` whose key is the one sought, or -1.
// order(i) tells where record i's key stands: below 0 before the key sought,
// 0 at it, above 0 after it.
template <typename Index, typename Order>
Index HalvingSearch(Index count, Order order) {
  Index lo = 0;
  Index hi = count - 1;
  while (lo <= hi) {
    const Index mid = lo + (hi - lo) / 2;
    const int found = order(mid);
    if (found == 0) return mid;
    if (found < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
    }
  }
  return -1;
}

// Compares n key characters without regard to ASCII letter case.
int CompareKeyIgnoringCase(const char* a, const char* b, std::size_t n);

// Searches by halving the records of an open file, sorted by the `keyWidth`
// bytes at `keyAt` compared without regard to case. On a match the record
// is copied to `record` (recordSize bytes) and its position returned; -1
// when no record has the key, kSortedRecordUnread when a read failed.
inline constexpr int64_t kSortedRecordUnread = -2;
int64_t FindSortedRecord(int fd, std::size_t recordSize, std::size_t keyAt, const char* key,
                         std::size_t keyWidth, uint8_t* record);

// Reads records of `recordSize` bytes forward from byte `from` of an open
// file, as many as `room` bytes of `buffer` hold per read, and hands each to
// visit(record, index) until visit returns false or `count` records are
// seen. Returns false when a read came short first; the records that
// arrived whole were visited, as a record-by-record reader would have.
template <typename Visit>
bool ScanRecordsInto(int fd, int64_t from, std::size_t recordSize, int64_t count,
                     uint8_t* buffer, std::size_t room, Visit visit) {
  if (recordSize == 0 || recordSize > room) return false;
  const int64_t perRead = static_cast<int64_t>(room / recordSize);
  const auto size = static_cast<int64_t>(recordSize);
  for (int64_t first = 0; first < count; first += perRead) {
    const int64_t want = count - first < perRead ? count - first : perRead;
    const std::size_t bytes = static_cast<std::size_t>(want * size);
    const std::size_t got = ReadFullyAt(fd, from + first * size, buffer, bytes);
    const int64_t whole = static_cast<int64_t>(got / recordSize);
    for (int64_t i = 0; i < whole; ++i) {
      if (!visit(static_cast<const uint8_t*>(buffer + i * size), first + i)) return true;
    }
    if (got != bytes) return false;
  }
  return true;
}

// Room for the records read in one piece by ScanRecords.
inline constexpr std::size_t kScanBufferSize = 8192;

// The first `count` records of an open file, read through a buffer of its own.
template <typename Visit>
bool ScanRecords(int fd, std::size_t recordSize, int64_t count, Visit visit) {
  uint8_t buffer[kScanBufferSize];
  return ScanRecordsInto(fd, 0, recordSize, count, buffer, sizeof buffer, visit);
}

}  // namespace brant
