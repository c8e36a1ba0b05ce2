// What the rate base lookups share in reading their files: the halving
// search of a sorted record file, the forward scan of one, and the texts
// they write into fixed fields.
#pragma once

#include <brantfunc/brantfunc.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "context/byte_coding.h"
#include "context/numbers.h"
#include "files/record_access.h"
#include "platform/file_io.h"
#include "platform/sorted_records.h"

namespace brant {

inline int32_t FailWith(RateContext& context, int32_t status) {
  context.errorCode = status;
  return 0;
}

// The six digits of the RBNO, behind its letter.
inline const char* RbnoDigits(const RateContext& context) { return context.rbno + 1; }

// A number as "%0<digits>ld" into a field of `room` bytes that keeps its
// terminator: a longer text (a negative or too large number) is cut.
inline void PutZeroPadded(char* field, std::size_t room, int64_t value, int digits) {
  char text[32];
  FormatWholeText(text, sizeof text, value, digits, true);
  PutTerminatedText(field, room, text);
}

enum class Probe { kFound, kMissing, kShortRead };
struct SearchResult {
  Probe outcome = Probe::kMissing;
  int64_t position = -1;  // of the record found
};

// Halving search of a file of `size`-byte records, one read of a whole
// record into `record` per probe. `order(record)` is below 0 when the
// record lies before the wanted one, above 0 after it. The count comes from
// the file's size, so a record that comes short is a failed read: the
// search ends there with kShortRead rather than judging zeros.
template <typename Order>
SearchResult SearchRecordFile(int fd, std::size_t size, uint8_t* record, Order order) {
  const int64_t count = RecordCount(FileSize(fd), static_cast<int64_t>(size));
  bool cameShort = false;
  const int64_t at = HalvingSearch(count, [&](int64_t middle) {
    cameShort = ReadFullyAt(fd, middle * static_cast<int64_t>(size), record, size) != size;
    return cameShort ? 0 : order(static_cast<const uint8_t*>(record));
  });
  if (at < 0) return {};
  return {cameShort ? Probe::kShortRead : Probe::kFound, at};
}

// Rate records are read forward fifty at a time: the block of the .RTE
// index in one read.
inline constexpr std::size_t kScanRecords = 50;

// Reads `size`-byte records forward from byte `from`, `kScanRecords` per
// read into `buffer` (room for that many), and returns the first for which
// `wanted(record)` holds; null when the file ends before one does.
template <typename Wanted>
const uint8_t* ScanRecordFile(int fd, int64_t from, std::size_t size, uint8_t* buffer,
                              Wanted wanted) {
  const uint8_t* found = nullptr;
  ScanRecordsInto(fd, from, size, INT64_MAX, buffer, kScanRecords * size,
                  [&](const uint8_t* record, int64_t) {
                    if (wanted(record)) found = record;
                    return found == nullptr;
                  });
  return found;
}

}  // namespace brant
