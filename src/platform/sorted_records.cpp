#include "platform/sorted_records.h"

#include <cstring>

namespace brant {
namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

int CompareKeyIgnoringCase(const char* a, const char* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(LowerAscii(a[i]));
    const auto y = static_cast<unsigned char>(LowerAscii(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

int64_t FindSortedRecord(int fd, std::size_t recordSize, std::size_t keyAt, const char* key,
                         std::size_t keyWidth, uint8_t* record) {
  if (fd <= 0 || recordSize == 0 || keyAt + keyWidth > recordSize) return -1;
  const int64_t size = FileSize(fd);
  const int64_t count = size < 0 ? 0 : size / static_cast<int64_t>(recordSize);
  // Every record searched lies whole in the file: a read that comes short
  // is a fault, which ends the search.
  bool unread = false;
  const int64_t at = HalvingSearch(count, [&](int64_t probe) {
    if (ReadFullyAt(fd, probe * static_cast<int64_t>(recordSize), record, recordSize) !=
        recordSize) {
      unread = true;
      return 0;
    }
    return CompareKeyIgnoringCase(reinterpret_cast<const char*>(record) + keyAt, key, keyWidth);
  });
  return unread ? kSortedRecordUnread : at;
}

}  // namespace brant
