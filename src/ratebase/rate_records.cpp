// Rate records: the rates of an RBNO from .RTE (through its sparse index),
// the Mexican .RMX and Alaskan .AKR, and the base-point method's .RTF. Each
// file is open only while its record is read.
#include <cstring>

#include "context/byte_coding.h"
#include "formats/host_records.h"
#include "context/status_codes.h"
#include "context/text.h"
#include "ratebase/lookup_files.h"
#include "ratebase/lookups.h"
#include "ratebase/rating_state.h"

namespace brant {
namespace {


constexpr std::size_t kKeyWidth = 6;
constexpr std::size_t kWideValues = 166;
constexpr std::size_t kNarrowValues = 13;
constexpr std::size_t kLegValues = 163;
constexpr std::size_t kWideRteRecord = kKeyWidth + 4 * kWideValues;      // 670
constexpr std::size_t kNarrowRteRecord = kKeyWidth + 4 * kNarrowValues;  // 58
constexpr std::size_t kLegRecord = kKeyWidth + 4 * kLegValues;           // 658
constexpr std::size_t kRtfValuesAt = 10;
constexpr std::size_t kRtfGroupAt = 4;
constexpr std::size_t kWideRtfRecord = kRtfValuesAt + 4 * kWideValues;      // 674
constexpr std::size_t kNarrowRtfRecord = kRtfValuesAt + 4 * kNarrowValues;  // 62

// The minimum charge in dollars: the first value of the record just read.
// A wide, Mexican or Alaskan record fills no narrow values, so the minimum
// of a narrow record read earlier must not stand in for its own.
void TakeMinimumCharge(RateContext& context, int32_t firstValue) {
  context.minimumCharge = static_cast<float>(firstValue) / 100.0f;
}

void CopyToBaseRates(RateContext& context, std::size_t firstCell, const uint8_t* values,
                     std::size_t count) {
  for (std::size_t i = 0; i < count; ++i)
    context.baseRates[firstCell + i] = LoadI32(values + 4 * i);
}

void CopyToBaseRecord(const uint8_t* values) {
  int32_t* base = Rating().baseRecordValues;
  for (std::size_t i = 0; i < kNarrowValues; ++i) base[i] = LoadI32(values + 4 * i);
}

// The block of 50 records that holds the digits: the first index entry not
// below them; -1 when there is none.
int64_t RteBlockOf(const RateContext& context) {
  const uint8_t* index = context.rteIndex;
  if (index == nullptr) return -1;
  for (int64_t entry = 0; entry < context.rteIndexCount; ++entry) {
    if (std::memcmp(index + kKeyWidth * entry, RbnoDigits(context), kKeyWidth) >= 0) return entry;
  }
  return -1;
}

// A record whose key is not below the digits: the record of the digits, or
// of the next greater key.
auto NotBelowDigits(const RateContext& context) {
  return [&context](const uint8_t* record) {
    return std::memcmp(record, RbnoDigits(context), kKeyWidth) >= 0;
  };
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
  const uint8_t* record = ScanRecordFile(file.get(), 0, kLegRecord, buffer, wanted);
  if (record == nullptr) FailWith(context, readStatus);
  return record;
}

// Narrow tariffs: the .RTE record on a plain shipment, then the legs.
int32_t ReadNarrowRecords(RateContext& context, uint8_t* buffer) {
  int32_t firstValue = Rating().baseRecordValues[0];
  if (!context.alphaPostalShipment && !context.mexicanLeg && !context.alaskaShipment) {
    const uint8_t* record = ReadRteRecord(context, kNarrowRteRecord, buffer);
    if (record == nullptr) return 0;
    CopyToBaseRecord(record + kKeyWidth);
    std::memcpy(context.rbno + 1, record, kKeyWidth);
    firstValue = Rating().baseRecordValues[0];
  }
  if (context.mexicanLeg) {
    // The Mexican record's one minimum serves every level.
    const uint8_t* record =
        ReadLegRecord(context, ".RMX", kRteOpen, kRteRead, buffer, NotBelowDigits(context));
    if (record == nullptr) return 0;
    const int32_t minimum = LoadI32(record + kKeyWidth);
    for (std::size_t cell = 0; cell < 4; ++cell) context.baseRates[cell] = minimum;
    CopyToBaseRates(context, 4, record + kKeyWidth + 4, kLegValues - 1);
    std::memcpy(context.rbno + 1, record, kKeyWidth);
    firstValue = minimum;
  }
  if (context.alaskaShipment) {
    // Only the exact key serves; the first two levels share its minimum.
    const uint8_t* record = ReadLegRecord(
        context, ".AKR", kAlaskaRateOpen, kAlaskaRateRead, buffer, [&context](const uint8_t* r) {
          return std::memcmp(r, RbnoDigits(context), kKeyWidth) == 0;
        });
    if (record == nullptr) return 0;
    const int32_t minimum = LoadI32(record + kKeyWidth);
    context.baseRates[0] = context.baseRates[1] = minimum;
    context.baseRates[2] = context.baseRates[3] = 0;
    CopyToBaseRates(context, 4, record + kKeyWidth + 4, kLegValues - 1);
    firstValue = minimum;
  }
  TakeMinimumCharge(context, firstValue);
  return 1;
}

}  // namespace

int32_t ReadRateRecord(RateContext& context) {
  uint8_t buffer[kScanRecords * kWideRteRecord];
  if (!settings::wideRteRecords.IsYes(context)) return ReadNarrowRecords(context, buffer);
  const uint8_t* record = ReadRteRecord(context, kWideRteRecord, buffer);
  if (record == nullptr) return 0;
  CopyToBaseRates(context, 0, record + kKeyWidth, kWideValues);
  std::memcpy(context.rbno + 1, record, kKeyWidth);
  TakeMinimumCharge(context, LoadI32(record + kKeyWidth));
  return 1;
}

int32_t ReadRtfRecord(RateContext& context) {
  const bool wide = settings::wideRteRecords.IsYes(context);
  const std::size_t size = wide ? kWideRtfRecord : kNarrowRtfRecord;
  const int32_t wanted = ReadFixedNumber(RbnoDigits(context), kKeyWidth);

  context.rteHandle = Openfile(&context, ".RTF");
  if (context.rteHandle <= 0) {
    context.rteHandle = -1;
    return FailWith(context, kRteOpen);
  }
  uint8_t record[kWideRtfRecord];
  const SearchResult found = SearchRecordFile(
      context.rteHandle, size, record,
      [wanted](const uint8_t* candidate) {
        const int32_t rbno = LoadI32(candidate);
        return rbno < wanted ? -1 : (rbno > wanted ? 1 : 0);
      },
      /*stopOnShortRead=*/true);
  context.rteHandle = CloseHandle(context.rteHandle);
  if (found.outcome == Probe::kShortRead) return FailWith(context, kRteRead);
  if (found.outcome == Probe::kMissing) return 0;

  if (wide) {
    CopyToBaseRates(context, 0, record + kRtfValuesAt, kWideValues);
  } else {
    Rating().factorGroup =
        ReadFixedNumber(reinterpret_cast<const char*>(record + kRtfGroupAt), kKeyWidth);
    CopyToBaseRecord(record + kRtfValuesAt);
  }
  TakeMinimumCharge(context, LoadI32(record + kRtfValuesAt));
  return 1;
}

}  // namespace brant
