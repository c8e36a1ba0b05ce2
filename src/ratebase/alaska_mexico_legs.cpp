// The Alaskan and Mexican legs: the special end's postal code gives a point,
// and that point with the other end's ZIP prefix gives the RBNO digits. The
// four files are small and read from their start.
#include <cstring>

#include "context/status_codes.h"
#include "platform/file_io.h"
#include "ratebase/rating_state.h"
#include "ratebase/special_legs.h"

namespace brant {
namespace {

constexpr std::size_t kBmxRecord = 8;   // postal code 5, Mexican point 3
constexpr std::size_t kMmxRecord = 12;  // Mexican point 3, ZIP prefix 3, RBNO digits 6
constexpr std::size_t kAkbRecord = 11;  // lowest ZIP 5, highest's last digits 2, point 3, flag 1
constexpr std::size_t kAkmRecord = 13;  // Alaskan point 3, ZIP prefix 3, RBNO digits 6, unused 1
constexpr std::size_t kPointWidth = 3;
constexpr std::size_t kZipWidth = 5;
constexpr std::size_t kPairWidth = 2 * kPointWidth;

// The records of an open file; -1 when it holds more than these files'
// record counter could count.
int64_t SequentialCount(int fd, std::size_t recordSize) {
  const int64_t size = FileSize(fd);
  const int64_t count = size < 0 ? 0 : size / static_cast<int64_t>(recordSize);
  return count > kMaxSequentialRecords ? -1 : count;
}

bool FailLookup(RateContext& c, int32_t status) {
  Rating().matrixResult = -1;
  c.errorCode = status;
  return false;
}

// Reads a leg file from its start through visit(record, position). False,
// with matrixResult -1 and the file's status, when it cannot be opened, holds
// more records than its counter could count, or a read comes short.
template <typename Visit>
bool ReadLegFile(RateContext& c, const char* extension, std::size_t recordSize,
                 int32_t openStatus, int32_t readStatus, Visit visit) {
  ScopedDescriptor file(Openfile(&c, extension));
  if (!file.ok()) return FailLookup(c, openStatus);
  const int64_t count = SequentialCount(file.get(), recordSize);
  if (count < 0 || !ScanRecords(file.get(), recordSize, count, visit)) {
    return FailLookup(c, readStatus);
  }
  return true;
}

// The pair key of the point files: the special point, then the other end's
// ZIP prefix.
void PairKey(char* key, const char* specialPoint, const char* otherPoint) {
  std::memcpy(key, specialPoint, kPointWidth);
  std::memcpy(key + kPointWidth, otherPoint, kPointWidth);
}

void SetRbno(RateContext& c, char letter, const uint8_t* digits) {
  c.rbno[0] = letter;
  std::memcpy(c.rbno + 1, digits, 6);
}

}  // namespace

int32_t LookupMexicanPoint(RateContext& c) {
  RatingState& state = Rating();
  char key[kZipWidth] = {};
  if (c.origMexicanPoint != 0) {
    CopyLeading(key, kZipWidth, c.origZip);
    CopyLeading(state.destPoint, kPointWidth, c.destZip);
  }
  if (c.destMexicanPoint != 0) {  // when both ends are Mexican, the destination's key
    CopyLeading(key, kZipWidth, c.destZip);
    CopyLeading(state.origPoint, kPointWidth, c.origZip);
  }
  char* point = c.origMexicanPoint != 0 ? state.origPoint : state.destPoint;
  bool matched = false;
  auto visit = [&](const uint8_t* r, int64_t) {
    if (std::memcmp(r, key, kZipWidth) == 0) {  // a later match replaces an earlier one
      std::memcpy(point, r + kZipWidth, kPointWidth);
      matched = true;
    }
    return true;
  };
  if (!ReadLegFile(c, ".BMX", kBmxRecord, kBseOpen, kBseRead, visit)) return 0;
  return matched ? 1 : 0;
}

int32_t LookupMexicanRbno(RateContext& c) {
  RatingState& state = Rating();
  char key[kPairWidth];
  if (c.origMexicanPoint != 0) {
    PairKey(key, state.origPoint, state.destPoint);
  } else {
    PairKey(key, state.destPoint, state.origPoint);
  }
  state.matrixResult = -1;
  auto visit = [&](const uint8_t* r, int64_t at) {
    if (std::memcmp(r, key, kPairWidth) == 0) {  // a later match replaces an earlier one
      state.matrixResult = static_cast<int32_t>(at);
      SetRbno(c, 'M', r + kPairWidth);
    }
    return true;
  };
  if (!ReadLegFile(c, ".MMX", kMmxRecord, kMatrixOpen, kMmxRead, visit)) return 0;
  return state.matrixResult >= 0 ? 1 : 0;
}

int32_t LookupAlaskaPoint(RateContext& c) {
  RatingState& state = Rating();
  const bool alaskanOrigin = IsState(c.origState, "AK");
  char key[kZipWidth] = {};
  if (alaskanOrigin) {
    CopyLeading(key, kZipWidth, c.origZip);
    CopyLeading(state.destPoint, kPointWidth, c.destZip);
  }
  if (IsState(c.destState, "AK")) {
    CopyLeading(key, kZipWidth, c.destZip);
    CopyLeading(state.origPoint, kPointWidth, c.origZip);
  }
  char* point = alaskanOrigin ? state.origPoint : state.destPoint;
  bool matched = false;
  auto visit = [&](const uint8_t* r, int64_t) {
    // The highest ZIP shares the lowest's first three digits.
    char highest[kZipWidth];
    std::memcpy(highest, r, 3);
    std::memcpy(highest + 3, r + kZipWidth, 2);
    if (std::memcmp(r, key, kZipWidth) <= 0 && std::memcmp(key, highest, kZipWidth) <= 0) {
      std::memcpy(point, r + 7, kPointWidth);
      c.alaskaPointFlag = static_cast<char>(r[10]);
      matched = true;
    }
    return true;
  };
  if (!ReadLegFile(c, ".AKB", kAkbRecord, kAkbOpen, kAkbRead, visit)) return 0;
  return matched ? 1 : 0;
}

int32_t LookupAlaskaRbno(RateContext& c) {
  RatingState& state = Rating();
  char key[kPairWidth];
  if (IsState(c.origState, "AK")) {
    PairKey(key, state.origPoint, state.destPoint);
  } else {
    PairKey(key, state.destPoint, state.origPoint);
  }
  state.matrixResult = -1;
  auto visit = [&](const uint8_t* r, int64_t at) {
    if (std::memcmp(r, key, kPairWidth) != 0) return true;
    state.matrixResult = static_cast<int32_t>(at);  // the first match is taken
    SetRbno(c, 'K', r + kPairWidth);
    return false;
  };
  if (!ReadLegFile(c, ".AKM", kAkmRecord, kAkmOpen, kAkmRead, visit)) return 0;
  return state.matrixResult >= 0 ? 1 : 0;
}

}  // namespace brant
