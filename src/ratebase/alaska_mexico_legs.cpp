// The Alaskan and Mexican legs: the special end's postal code gives a point,
// and that point with the other end's ZIP prefix gives the RBNO digits. The
// four files are small and read from their start.
#include <cstring>
#include <string_view>

#include "context/status_codes.h"
#include "formats/special_legs.h"
#include "platform/file_io.h"
#include "ratebase/rating_state.h"
#include "ratebase/special_legs.h"

namespace brant {
namespace {

namespace point_rbno = formats::mexican_rbno;  // .AKM records begin the same way
constexpr std::size_t kPointWidth = point_rbno::kPoint.width;
constexpr std::size_t kZipWidth = formats::mexican_point::kPostalCode.width;
constexpr std::size_t kPairWidth = point_rbno::kKeyWidth;
static_assert(formats::alaska_point::kLowest.width == kZipWidth);

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
  std::memcpy(key + point_rbno::kPoint.offset, specialPoint, point_rbno::kPoint.width);
  std::memcpy(key + point_rbno::kZipPrefix.offset, otherPoint, point_rbno::kZipPrefix.width);
}

void SetRbno(RateContext& c, char letter, std::string_view digits) {
  c.rbno[0] = letter;
  std::memcpy(c.rbno + 1, digits.data(), digits.size());
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
    // A later match replaces an earlier one.
    const formats::MexicanPointRecord p = formats::DecodeMexicanPoint(r);
    if (p.postalCode == std::string_view(key, sizeof key)) {
      std::memcpy(point, p.point.data(), p.point.size());
      matched = true;
    }
    return true;
  };
  if (!ReadLegFile(c, ".BMX", formats::mexican_point::kSize, kBseOpen, kBseRead, visit)) return 0;
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
      SetRbno(c, 'M', formats::DecodePointRbno(r).digits);
    }
    return true;
  };
  if (!ReadLegFile(c, ".MMX", formats::mexican_rbno::kSize, kMatrixOpen, kMmxRead, visit)) return 0;
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
    const formats::AlaskaPointRecord range = formats::DecodeAlaskaPoint(r);
    char highest[kZipWidth];
    formats::HighestAlaskaZip(range, highest);
    if (std::memcmp(range.lowest.data(), key, kZipWidth) <= 0 &&
        std::memcmp(key, highest, kZipWidth) <= 0) {
      std::memcpy(point, range.point.data(), range.point.size());
      c.alaskaPointFlag = range.pointFlag;
      matched = true;
    }
    return true;
  };
  if (!ReadLegFile(c, ".AKB", formats::alaska_point::kSize, kAkbOpen, kAkbRead, visit)) return 0;
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
    SetRbno(c, 'K', formats::DecodePointRbno(r).digits);
    return false;
  };
  if (!ReadLegFile(c, ".AKM", formats::alaska_rbno::kSize, kAkmOpen, kAkmRead, visit)) return 0;
  return state.matrixResult >= 0 ? 1 : 0;
}

}  // namespace brant
