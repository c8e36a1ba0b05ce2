// Minimum charges: the .MCH entry of a rate basis, the minimum of a level
// or from the host's class minimum table, and the MC charge list.
#include <brantfunc/brantfunc.h>

#include <cstddef>
#include <cstring>
#include <string_view>

#include "bill/bill.h"
#include "bill/bill_tables.h"
#include "context/numbers.h"
#include "context/status_codes.h"
#include "formats/minimum_charges.h"
#include "platform/file_io.h"

namespace brant {
namespace {

constexpr std::size_t kAdjustmentRecordSize = sizeof(RateContext::classAdjRecord);
constexpr std::size_t kAdjustmentModeAt = 7;
constexpr std::size_t kAdjustmentValueAt = 9;
constexpr std::size_t kClassMinimumStride = 12;
constexpr std::size_t kClassMinimumEntrySize = sizeof(RateContext::classMinimumEntry);
constexpr int32_t kLaneCodeRoom = 98;  // the last slot stays free to end the list
constexpr int32_t kChargeListRows = BRANT_CHARGE_LIST_ROWS;

// ---- The .MCH text ------------------------------------------------------

static_assert(kChargeLevelSlots == formats::kMaxChargeLevels);

// The count, the kind and each level up to the entry's end; levels past the
// slots are passed over.
void ReadLevels(const char* at, ChargeLevels* out) {
  std::memset(out->labels, 0, sizeof out->labels);
  std::memset(out->values, 0, sizeof out->values);
  const formats::ChargeKind head = formats::ReadChargeKind(at);
  out->count[0] = head.count[0];
  out->count[1] = head.count[1];
  out->kind = head.kind;
  formats::ChargeLevelText level;
  for (std::size_t k = 0; formats::ReadChargeLevel(at, level); ++k) {
    if (k < kChargeLevelSlots) {
      PutTerminatedText(out->labels[k], kChargeLabelSize, level.label);
      PutTerminatedText(out->values[k], kChargeValueSize, level.value);
    }
  }
}

// ---- Class minimums -------------------------------------------------------

struct ClassMinimum {
  int32_t amount;  // hundredths of a cent
  bool found;
};

// The first entry whose key limit and weight limit both lie above the
// shipment's. An entry is four numbers at the 12-byte stride, the fourth
// (the alternative amount) reaching into the next entry; it is used only
// when the numbers it needs lie inside the host's count of entries.
ClassMinimum ChooseClassMinimum(RateContext& c, int32_t key, int32_t weight, bool alternative) {
  const uint8_t* table = c.classMinimumTable;
  const int32_t count = c.classMinimumCount;
  if (table == nullptr || count <= 0) return {0, false};
  const std::size_t tableSize = kClassMinimumStride * static_cast<std::size_t>(count);
  for (std::size_t at = 0; at < tableSize; at += kClassMinimumStride) {
    const std::size_t room = std::min(kClassMinimumEntrySize, tableSize - at);
    std::memset(c.classMinimumEntry, 0, sizeof c.classMinimumEntry);
    std::memcpy(c.classMinimumEntry, table + at, room);
    const uint8_t* entry = c.classMinimumEntry;
    if (!(weight < LoadI32(entry + 4) && key < LoadI32(entry))) continue;
    if (!alternative) return {LoadI32(entry + 8), true};
    if (room == kClassMinimumEntrySize) return {LoadI32(entry + 12), true};
  }
  return {0, false};
}

int32_t LaneCodeCount(const RateContext& c) {
  int32_t m = 0;
  while (m < kLaneCodeRoom && c.laneAdjustmentCodes[m][0] != '\0') ++m;
  return m;
}

// Reads the adjustment records for one lane code. A code below "500" takes
// the record read first and stops; other codes read them all and take
// none. False (status 214) when a record cannot be read whole.
bool AdjustForLaneCode(RateContext& c, const char* code, int64_t* amount) {
  const bool applies = std::memcmp(code, "500", 3) < 0;
  const int fd = c.classAdjHandle;
  const int32_t records = c.classAdjCount;
  for (int32_t j = 0; j < records; ++j) {
    const int64_t offset = static_cast<int64_t>(j) * kAdjustmentRecordSize;
    if (fd <= 0 ||
        ReadFullyAt(fd, offset, c.classAdjRecord, kAdjustmentRecordSize) != kAdjustmentRecordSize) {
      c.errorCode = kAdfRead;
      return false;
    }
    if (!applies) continue;
    const int64_t value = LoadI32(c.classAdjRecord + kAdjustmentValueAt);
    if (c.classAdjRecord[kAdjustmentModeAt] == '1') {
      *amount = (*amount * value + 5000) / 10000;  // hundredths of a percent
    } else {
      *amount += value;
    }
    *amount = SaturateToInt32(*amount);
    return true;
  }
  return true;
}

// ---- The MC charge list ---------------------------------------------------

static_assert(offsetof(RateContext, chargeListRows) - offsetof(RateContext, thirdListKeys) ==
              kListCountAt);
static_assert(offsetof(RateContext, chargeListRows2) - offsetof(RateContext, fifthListKeys) ==
              kListCountAt);

// Every key -1 and every mark a space; the rest of the list zero.
void ClearChargeList(RateContext& c, std::size_t keysAt) {
  uint8_t* list = ChargeListAt(c, keysAt);
  std::memset(list, 0, BRANT_CHARGE_LIST_SIZE);
  for (int32_t i = 0; i < kChargeListRows; ++i) {
    StoreI32(list + 4 * i, -1);
    list[kListMarksAt + 2 * i] = ' ';
  }
}

}  // namespace

bool FindRateBaseRecord(const RateContext& c, const char* rbno, ChargeLevels* levels) {
  const char* at = c.mchTable;
  if (at == nullptr || rbno == nullptr) return false;
  const char letter = rbno[0];
  const int64_t number = ReadFixedNumber(rbno + 1, 6);
  while ((at = formats::FindChargeEntry(at)) != nullptr) {
    // An entry of another letter is passed over from its letter on, so a
    // "\" within its range starts the next entry.
    if (!formats::ChargeEntryServes(*at, letter)) continue;
    formats::ChargeRange range{};
    const formats::ChargeHead head = formats::ReadChargeRange(at, range);
    if (head == formats::ChargeHead::kTextEnds) return false;
    if (head == formats::ChargeHead::kNoRange) continue;
    if (range.lowest <= number && number <= range.highest) {
      ReadLevels(at, levels);
      return true;
    }
  }
  return false;
}

uint32_t SetMinimumCharge(RateContext& c, uint32_t level, const char* kind) {
  if (kind != nullptr && *kind == 'C') return static_cast<uint32_t>(ClassMinimumCharge(c));
  if (level < static_cast<uint32_t>(BRANT_BASE_RATE_CELLS)) {
    c.minimumCharge = static_cast<float>(c.baseRates[level]);
  }
  return 1;
}

int32_t ClassMinimumCharge(RateContext& c) {
  const int32_t key = ReadFixedNumber(c.rbno + 1, 5);
  const int32_t weight = FieldNumber(c.totalWeight);
  const ClassMinimum chosen = ChooseClassMinimum(c, key, weight, c.altClassMinimum != 0);
  if (!chosen.found) return 1;
  int64_t amount = chosen.amount;
  if (settings::useAdjustments.IsYes(c)) {
    const int32_t codes = LaneCodeCount(c);
    for (int32_t j = 0; j < codes; ++j) {
      if (!AdjustForLaneCode(c, c.laneAdjustmentCodes[j], &amount)) return 0;
    }
  }
  float charge = static_cast<float>(amount) / 100.0f;  // cents
  ApplyRateFactor(c, &charge);
  DiscountValue(c, &charge, -1);
  const float scale = defaults::rateScale.Get(c);
  if (scale != 0.0f && scale != 1.0f) charge = static_cast<float>(rndoff(charge * scale, 2));
  c.minimumCharge = charge;
  c.classMinimumRaw = TruncateToInt32(charge * 100.0f);
  return 1;
}

void BuildMinimumChargeList(RateContext& c) {
  ClearChargeList(c, offsetof(RateContext, mcKeys));
  ClearChargeList(c, offsetof(RateContext, thirdListKeys));
  ClearChargeList(c, offsetof(RateContext, fifthListKeys));

  ChargeLevels& levels = Bill().chargeListLevels;
  levels.count[0] = levels.count[1] = '\0';
  levels.kind = '\0';
  FindRateBaseRecord(c, c.rbno, &levels);
  const int64_t listed = ParseLeadingInteger({levels.count, sizeof levels.count});
  const int32_t count = static_cast<int32_t>(std::clamp<int64_t>(listed, 0, kChargeListRows));
  for (int32_t k = 0; k < count; ++k) {
    PutTerminatedText(c.mcLabels[k], sizeof c.mcLabels[k],
                      FixedText(levels.labels[k], kChargeLabelSize));
  }
  c.mcCount = c.chargeListRows = c.chargeListRows2 = count;
  for (int32_t k = 0; k < count; ++k) {
    c.altClassMinimum = 0;
    c.mcEntryValue = FieldNumber(levels.values[k]);
    if (SetMinimumCharge(c, static_cast<uint32_t>(k), &levels.kind) == 1) {
      c.mcAmounts[k] = TruncateToInt32(c.minimumCharge);
    }
  }
}

}  // namespace brant
