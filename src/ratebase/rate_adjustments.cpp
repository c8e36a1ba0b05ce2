// Rate adjustments: .ADF records, named by six-digit numbers, scale the
// cells of the rate table by a percentage or add an amount to them. The
// numbers come from the base points and, on narrow rate records, from the
// lanes between the adjustment points of the two ends.
#include <algorithm>
#include <cstring>

#include "context/byte_coding.h"
#include "context/numbers.h"
#include "formats/adjustments.h"
#include "formats/host_records.h"
#include "context/text.h"
#include "platform/file_io.h"
#include "ratebase/rating_state.h"
#include "ratebase/special_legs.h"

namespace brant {
namespace {

namespace adf = formats::adjustment;
namespace zip_points = formats::zip_adjustment_points;
namespace postal_range = formats::postal_adjustment_range;
namespace lane = formats::lane_adjustment;

constexpr std::size_t kAdjustedCells = adf::kValues.count;  // one value per rate cell
static_assert(sizeof RateContext::baseRates / sizeof RateContext::baseRates[0] >= kAdjustedCells);
constexpr std::size_t kMinimumCells = 4;
constexpr std::size_t kNumberWidth = lane::kNumber.width;
constexpr std::size_t kNumberRoom = 100;

constexpr int64_t kMaxPointsPerRecord = zip_points::kMostPointsPerRecord;
static_assert(zip_points::kMostPointsPerRecord <= kAdjustmentPointRoom);
constexpr std::size_t kPrefixWidth = postal_range::kLowest.width;
static_assert(postal_range::kPoint.width == kAdjustmentPointWidth &&
              lane::kOriginPoint.width == kAdjustmentPointWidth &&
              lane::kDestinationPoint.width == kAdjustmentPointWidth);

using AdjustmentNumbers = char[kNumberRoom][kNumberWidth];

// A code of "00000", or one beginning with a space or NUL, ends a record's points.
bool EndsPoints(const uint8_t* code) {
  return code[0] == ' ' || code[0] == '\0' || std::memcmp(code, "00000", 5) == 0;
}

// Opens an end's adjustment point file; one that cannot be opened sets 280.
int OpenPointFile(RateContext& c, int32_t direction, const char* origin, const char* destination) {
  const int fd = Openfile(&c, direction == 1 ? origin : destination);
  if (fd <= 0) c.errorCode = kAdjustmentPointsOpen;
  return fd;
}

int32_t LookupEndPoints(RateContext& c, AdjustmentPoints& points, const char (&zip)[7],
                        int32_t direction) {
  std::string_view code = FixedText(zip, sizeof zip);
  if (IsDigit(zip[0])) return LookupZipAdjustmentPoints(c, points, code, direction);
  return LookupPostalAdjustmentPoints(c, points, code, direction);
}

// Gathers the lane numbers of every pair of the two ends' adjustment points;
// false when an end has none (or its file is missing). The list starts empty
// either way: the class minimum reads it after this shipment, never the last.
bool CollectLaneAdjustments(RateContext& c) {
  std::memset(c.laneAdjustmentCodes, 0, sizeof c.laneAdjustmentCodes);
  Rating().laneAdjustmentCount = 0;
  AdjustmentPoints origin = {};
  AdjustmentPoints destination = {};
  if (!LookupEndPoints(c, origin, c.origZip, 1)) return false;
  if (!LookupEndPoints(c, destination, c.destZip, 2)) return false;
  for (std::size_t o = 0; o < kAdjustmentPointRoom && origin[o][0] != '\0'; ++o) {
    for (std::size_t d = 0; d < kAdjustmentPointRoom && destination[d][0] != '\0'; ++d) {
      char key[lane::kKeyWidth];
      std::memcpy(key, origin[o], kAdjustmentPointWidth);
      std::memcpy(key + kAdjustmentPointWidth, destination[d], kAdjustmentPointWidth);
      LookupLaneAdjustments(c, {key, sizeof key});
    }
  }
  return true;
}

std::size_t LaneCodeCount(const RateContext& c) {
  std::size_t n = 0;
  while (n < kLaneAdjustmentRoom && c.laneAdjustmentCodes[n][0] != '\0') ++n;
  return n;
}

// A plain exchange sort in place, through the record's sort slot.
void SortLaneCodes(RateContext& c, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = i + 1; j < n; ++j) {
      if (std::memcmp(c.laneAdjustmentCodes[i], c.laneAdjustmentCodes[j], kNumberWidth) <= 0) {
        continue;
      }
      std::memcpy(c.adjustmentSortScratch, c.laneAdjustmentCodes[i], kNumberWidth);
      std::memcpy(c.laneAdjustmentCodes[i], c.laneAdjustmentCodes[j], kNumberWidth);
      std::memcpy(c.laneAdjustmentCodes[j], c.adjustmentSortScratch, kNumberWidth);
    }
  }
}

// The numbers to apply, in order: the base points' (unless "000000"), then
// the lanes', sorted on narrow records and as they stand on wide ones.
std::size_t ListAdjustmentNumbers(RateContext& c, bool wide, AdjustmentNumbers& numbers) {
  std::size_t count = 0;
  auto add = [&](const char* code) {
    if (count < kNumberRoom) std::memcpy(numbers[count++], code, kNumberWidth);
  };
  if (std::memcmp(c.origAdjustmentCode, "000000", kNumberWidth) != 0) add(c.origAdjustmentCode);
  if (std::memcmp(c.destAdjustmentCode, "000000", kNumberWidth) != 0) add(c.destAdjustmentCode);
  const std::size_t lanes = LaneCodeCount(c);
  if (!wide) SortLaneCodes(c, lanes);
  for (std::size_t i = 0; i < lanes; ++i) add(c.laneAdjustmentCodes[i]);
  return count;
}

// A cell's new value, truncated toward zero; past 32 bits it saturates.
int32_t TruncatedCell(double v) {
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(v);
}

// Cells 0 to 165 each take their own value; on wide records the four
// minimum cells all take value 0.
void ApplyAdjustmentRecord(RateContext& c, const uint8_t* record, bool wide) {
  const bool percentage = adf::kMode.Char(record) == adf::kPercentage;
  for (std::size_t cell = 0; cell < kAdjustedCells; ++cell) {
    const std::size_t valueAt = (wide && cell < kMinimumCells) ? 0 : cell;
    const double v = adf::kValues.I32(record, valueAt);
    const double x = c.baseRates[cell];
    if (percentage) {
      c.baseRates[cell] = TruncatedCell((x * v + 5000.0) / 10000.0);
    } else if (x > 0) {
      c.baseRates[cell] = TruncatedCell(x + v);
    }
  }
}

// Applies the first record whose number, written with six digits, is the
// code; false when a read came short.
bool ApplyAdjustmentNumber(RateContext& c, int fd, int64_t records, const char* code, bool wide) {
  return ScanRecords(fd, adf::kSize, records, [&](const uint8_t* r, int64_t) {
    char number[16];
    const std::size_t length =
        FormatWholeText(number, sizeof number, adf::kNumber.I32(r), kNumberWidth, true);
    if (length != kNumberWidth || std::memcmp(number, code, kNumberWidth) != 0) {
      return true;
    }
    ApplyAdjustmentRecord(c, r, wide);
    return false;
  });
}

}  // namespace

int32_t ApplyAdjustments(RateContext& c) {
  const bool wide = settings::wideRteRecords.IsYes(c);
  if (!wide && !CollectLaneAdjustments(c)) return c.errorCode == 0 ? 1 : 0;
  AdjustmentNumbers numbers;
  const std::size_t count = ListAdjustmentNumbers(c, wide, numbers);
  ScopedDescriptor file(Openfile(&c, ".ADF"));
  if (!file.ok()) {
    c.errorCode = kAdfOpen;
    return 0;
  }
  const int64_t size = FileSize(file.get());
  const int64_t records = size < 0 ? 0 : size / static_cast<int64_t>(adf::kSize);
  for (std::size_t i = 0; i < count; ++i) {
    if (!ApplyAdjustmentNumber(c, file.get(), records, numbers[i], wide)) {
      c.errorCode = kAdfRead;
      return 0;
    }
  }
  return 1;
}

int32_t LookupZipAdjustmentPoints(RateContext& c, AdjustmentPoints& points,
                                  std::string_view postalCode, int32_t direction) {
  ScopedDescriptor file(OpenPointFile(c, direction, ".FBA", ".TBA"));
  if (!file.ok()) return 0;
  // What the file holds must arrive: a read that comes short is its fault.
  const int64_t size = FileSize(file.get());
  auto readsWhole = [&](int64_t at, void* into, std::size_t want) {
    const int64_t there = size < 0 || at >= size ? 0 : size - at;
    const auto expected = static_cast<std::size_t>(std::min<int64_t>(there, int64_t(want)));
    return ReadFullyAt(file.get(), at, into, want) >= expected;
  };
  std::memset(points, 0, sizeof points);
  char countText[zip_points::kPointsPerRecord.width] = {};
  if (!readsWhole(zip_points::kPointsPerRecord.offset, countText, sizeof countText)) {
    c.errorCode = kAdjustmentPointsOpen;
    return 0;
  }
  const int64_t perRecord = ReadFixedNumber(countText, sizeof countText);
  // A record of more points than the list holds cannot be taken.
  if (perRecord > kMaxPointsPerRecord) {
    c.errorCode = kAdjustmentPointsOpen;
    return 0;
  }
  if (perRecord <= 0) return 0;
  // Records lie at ZIP x (5P + 3); one beyond the file holds no points, and
  // what a partial one lacks reads as NUL.
  const auto recordSize =
      static_cast<int64_t>(zip_points::RecordSize(static_cast<std::size_t>(perRecord)));
  const int64_t zip = ParseLeadingInteger(postalCode);
  uint8_t record[zip_points::RecordSize(zip_points::kMostPointsPerRecord)] = {};
  if (zip >= 0 && size >= 0 && zip <= size / recordSize &&
      !readsWhole(zip * recordSize, record, static_cast<std::size_t>(recordSize))) {
    c.errorCode = kAdjustmentPointsOpen;
    return 0;
  }
  const formats::Field codes = zip_points::Points(static_cast<std::size_t>(perRecord));
  for (std::size_t i = 0; i < codes.count; ++i) {
    const uint8_t* code = record + codes.At(i);
    if (EndsPoints(code)) break;
    std::memcpy(points[i], code, codes.width);
  }
  return points[0][0] != '\0' ? 1 : 0;
}

int32_t LookupPostalAdjustmentPoints(RateContext& c, AdjustmentPoints& points,
                                     std::string_view postalCode, int32_t direction) {
  ScopedDescriptor file(OpenPointFile(c, direction, ".FCA", ".TCA"));
  if (!file.ok()) return 0;
  std::memset(points, 0, sizeof points);
  char prefix[kPrefixWidth];
  PutFixedText(prefix, sizeof prefix, postalCode);
  const int64_t size = FileSize(file.get());
  const auto trailer = static_cast<int64_t>(postal_range::kTrailer.size());
  const int64_t records =
      size < trailer ? 0 : (size - trailer) / static_cast<int64_t>(postal_range::kSize);
  std::size_t found = 0;
  // A short read just ends the ranges; more matches than the list holds stop it.
  ScanRecords(file.get(), postal_range::kSize, records, [&](const uint8_t* r, int64_t) {
    const formats::PostalAdjustmentRangeRecord range = formats::DecodePostalAdjustmentRange(r);
    if (std::memcmp(range.lowest.data(), prefix, kPrefixWidth) <= 0 &&
        std::memcmp(prefix, range.highest.data(), kPrefixWidth) <= 0) {
      std::memcpy(points[found++], range.point.data(), range.point.size());
    }
    return found < kAdjustmentPointRoom;
  });
  return 1;
}

int32_t LookupLaneAdjustments(RateContext& c, std::string_view laneKey) {
  char key[lane::kKeyWidth];
  PutFixedText(key, sizeof key, laneKey);
  ScopedDescriptor file(Openfile(&c, ".LMA"));
  if (!file.ok()) {
    c.errorCode = kLaneFileOpen;
    return 0;
  }
  uint8_t record[lane::kSize];
  int64_t at = FindSortedRecord(file.get(), lane::kSize, lane::kKeyAt, key, sizeof key, record);
  bool unread = at == kSortedRecordUnread;
  const int64_t fileSize = FileSize(file.get());
  const int64_t records = fileSize < 0 ? 0 : fileSize / static_cast<int64_t>(lane::kSize);
  auto hasKey = [&](int64_t i) {
    if (i >= records) return false;
    if (ReadFullyAt(file.get(), i * static_cast<int64_t>(lane::kSize), record, lane::kSize) !=
        lane::kSize) {
      unread = true;
      return false;
    }
    return CompareKeyIgnoringCase(reinterpret_cast<const char*>(record) + lane::kKeyAt, key,
                                  lane::kKeyWidth) == 0;
  };
  // A lane file that fails a read says so rather than rating without its lanes.
  auto failed = [&] {
    c.errorCode = kLaneFileOpen;
    return 0;
  };
  if (unread) return failed();
  if (at < 0) return 0;
  // The search may land on any record of the key: go back to its first.
  while (at > 0 && hasKey(at - 1)) --at;
  int32_t& count = Rating().laneAdjustmentCount;
  for (; hasKey(at); ++at) {
    if (count < 0 || count >= kLaneAdjustmentRoom) break;  // the list is full
    const std::string_view number = formats::DecodeLaneAdjustment(record).number;
    std::memcpy(c.laneAdjustmentCodes[count++], number.data(), number.size());
  }
  return unread ? failed() : 1;
}

}  // namespace brant
