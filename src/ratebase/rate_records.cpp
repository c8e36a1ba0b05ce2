// Rate records: the rates of an RBNO from .RTE (through its sparse index),
// the Mexican .RMX and Alaskan .AKR, and the base-point method's .RTF. Each
// file is open only while its record is read.
#include <cstring>
#include <type_traits>

#include "formats/host_records.h"
#include "formats/rate_records.h"
#include "context/status_codes.h"
#include "context/text.h"
#include "ratebase/lookup_files.h"
#include "ratebase/lookups.h"
#include "ratebase/rating_state.h"

namespace brant {
namespace {

namespace wide = formats::wide_rate;
namespace narrow = formats::narrow_rate;
namespace leg = formats::leg_rate;
constexpr const formats::Field& kKey = formats::kRateKey;

constexpr std::size_t kBaseRateCells = std::extent_v<decltype(RateContext::baseRates)>;
constexpr std::size_t kBaseRecordValues = std::extent_v<decltype(RatingState::baseRecordValues)>;
static_assert(wide::kValues.count <= kBaseRateCells &&
              formats::wide_point_rate::kValues.count <= kBaseRateCells);
static_assert(leg::kFirstCell + leg::kCells.count <= kBaseRateCells);
static_assert(narrow::kValues.count == kBaseRecordValues &&
              formats::narrow_point_rate::kValues.count == kBaseRecordValues);
// One buffer of wide records serves every record file read forward.
static_assert(narrow::kSize <= wide::kSize && leg::kSize <= wide::kSize);

// The minimum charge in dollars: the first value of the record just read.
// A wide, Mexican or Alaskan record fills no narrow values, so the minimum
// of a narrow record read earlier must not stand in for its own.
void TakeMinimumCharge(RateContext& context, int32_t firstValue) {
  context.minimumCharge = static_cast<float>(firstValue) / 100.0f;
}

// Every value of a record's `values` field, from `firstCell` on.
void CopyToBaseRates(RateContext& context, std::size_t firstCell, const uint8_t* record,
                     const formats::Field& values) {
  for (std::size_t i = 0; i < values.count; ++i)
    context.baseRates[firstCell + i] = values.I32(record, i);
}

// The 13 values of a narrow record, which the factors widen later.
void CopyToBaseRecord(const uint8_t* record, const formats::Field& values) {
  int32_t* base = Rating().baseRecordValues;
  for (std::size_t i = 0; i < values.count; ++i) base[i] = values.I32(record, i);
  Rating().baseRecordRead = true;
}

// The record's key becomes the RBNO digits.
void TakeKey(RateContext& context, const uint8_t* record) {
  std::memcpy(context.rbno + 1, record + kKey.offset, kKey.width);
}

// How the record's key orders against the RBNO digits.
int CompareKey(const RateContext& context, const uint8_t* record) {
  return std::memcmp(record + kKey.offset, RbnoDigits(context), kKey.width);
}

// The block of 50 records that holds the digits: the first index entry not
// below them; -1 when there is none.
int64_t RteBlockOf(const RateContext& context) {
  const uint8_t* index = context.rteIndex;
  if (index == nullptr) return -1;
  for (int64_t entry = 0; entry < context.rteIndexCount; ++entry) {
    if (std::memcmp(index + kKey.width * entry, RbnoDigits(context), kKey.width) >= 0) return entry;
  }
  return -1;
}

// A record whose key is not below the digits: the record of the digits, or
// of the next greater key.
auto NotBelowDigits(const RateContext& context) {
  return [&context](const uint8_t* record) { return CompareKey(context, record) >= 0; };
}

// Reads the .RTE record of the digits (or the next greater key) from the
// block the index names into `buffer`; null with the status when the
// record cannot be had.
const uint8_t* ReadRteRecord(RateContext& context, std::size_t size, uint8_t* buffer) {
  const int64_t block = RteBlockOf(context);
  if (block < 0) return nullptr;
  context.rteHandle = Openfile(&context, ".RTE");
  if (context.rteHandle <= 0) {
    context.rteHandle = -1;
    FailWith(context, kRteOpen);
    return nullptr;
  }
  const int64_t from = block * static_cast<int64_t>(kScanRecords * size);
  const uint8_t* record =
      ScanRecordFile(context.rteHandle, from, size, buffer, NotBelowDigits(context));
  context.rteHandle = CloseHandle(context.rteHandle);
  if (record == nullptr) FailWith(context, kRteRead);
  return record;
}

// A Mexican or Alaskan rate record, read from the start of its file; null
// with the status of the file when none is wanted.
template <typename Wanted>
const uint8_t* ReadLegRecord(RateContext& context, const char* extension, int32_t openStatus,
                             int32_t readStatus, uint8_t* buffer, Wanted wanted) {
  ScopedDescriptor file(Openfile(&context, extension));
  if (!file.ok()) {
    FailWith(context, openStatus);
    return nullptr;
  }
  const uint8_t* record = ScanRecordFile(file.get(), 0, leg::kSize, buffer, wanted);
  if (record == nullptr) FailWith(context, readStatus);
  return record;
}

// Narrow tariffs: the .RTE record on a plain shipment, then the legs.
int32_t ReadNarrowRecords(RateContext& context, uint8_t* buffer) {
  int32_t firstValue = Rating().baseRecordValues[0];
  if (!context.alphaPostalShipment && !context.mexicanLeg && !context.alaskaShipment) {
    const uint8_t* record = ReadRteRecord(context, narrow::kSize, buffer);
    if (record == nullptr) return 0;
    CopyToBaseRecord(record, narrow::kValues);
    TakeKey(context, record);
    firstValue = Rating().baseRecordValues[0];
  }
  if (context.mexicanLeg) {
    // The Mexican record's one minimum serves every level.
    const uint8_t* record =
        ReadLegRecord(context, ".RMX", kRteOpen, kRteRead, buffer, NotBelowDigits(context));
    if (record == nullptr) return 0;
    const int32_t minimum = leg::kMinimum.I32(record);
    for (std::size_t cell = 0; cell < leg::kFirstCell; ++cell) context.baseRates[cell] = minimum;
    CopyToBaseRates(context, leg::kFirstCell, record, leg::kCells);
    TakeKey(context, record);
    firstValue = minimum;
  }
  if (context.alaskaShipment) {
    // Only the exact key serves; the first two levels share its minimum.
    const uint8_t* record = ReadLegRecord(
        context, ".AKR", kAlaskaRateOpen, kAlaskaRateRead, buffer,
        [&context](const uint8_t* r) { return CompareKey(context, r) == 0; });
    if (record == nullptr) return 0;
    const int32_t minimum = leg::kMinimum.I32(record);
    context.baseRates[0] = context.baseRates[1] = minimum;
    context.baseRates[2] = context.baseRates[3] = 0;
    CopyToBaseRates(context, leg::kFirstCell, record, leg::kCells);
    firstValue = minimum;
  }
  TakeMinimumCharge(context, firstValue);
  return 1;
}

}  // namespace

int32_t ReadRateRecord(RateContext& context) {
  uint8_t buffer[kScanRecords * wide::kSize];
  if (!settings::wideRteRecords.IsYes(context)) return ReadNarrowRecords(context, buffer);
  const uint8_t* record = ReadRteRecord(context, wide::kSize, buffer);
  if (record == nullptr) return 0;
  CopyToBaseRates(context, 0, record, wide::kValues);
  TakeKey(context, record);
  TakeMinimumCharge(context, wide::kValues.I32(record));
  return 1;
}

int32_t ReadRtfRecord(RateContext& context) {
  namespace layout = formats::narrow_point_rate;  // the fields both widths share
  const bool wide = settings::wideRteRecords.IsYes(context);
  const std::size_t size = formats::PointRateSize(wide);
  const formats::Field& values = formats::PointRateValues(wide);
  const int32_t wanted = ReadFixedNumber(RbnoDigits(context), kKey.width);

  context.rteHandle = Openfile(&context, ".RTF");
  if (context.rteHandle <= 0) {
    context.rteHandle = -1;
    return FailWith(context, kRteOpen);
  }
  uint8_t record[formats::wide_point_rate::kSize];
  const SearchResult found = SearchRecordFile(
      context.rteHandle, size, record,
      [wanted](const uint8_t* candidate) {
        const int32_t rbno = layout::kRbno.I32(candidate);
        return rbno < wanted ? -1 : (rbno > wanted ? 1 : 0);
      });
  context.rteHandle = CloseHandle(context.rteHandle);
  if (found.outcome == Probe::kShortRead) return FailWith(context, kRteRead);
  if (found.outcome == Probe::kMissing) return 0;

  if (wide) {
    CopyToBaseRates(context, 0, record, values);
  } else {
    const std::string_view group = layout::kFactorGroup.Bytes(record);
    Rating().factorGroup = ReadFixedNumber(group.data(), static_cast<int32_t>(group.size()));
    CopyToBaseRecord(record, values);
  }
  TakeMinimumCharge(context, values.I32(record));
  return 1;
}

}  // namespace brant
