// The engine's results copied from the request record into the record's
// bill fields, as the same texts bill rating writes, so that a host shows
// an engine-rated bill exactly as one the library rated.
#include <brantfunc/brantfunc.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

#include "bill/bill_tables.h"
#include "context/byte_coding.h"
#include "context/numbers.h"
#include "formats/host_records.h"
#include "context/text.h"
#include "discount/decimal_text.h"
#include "engine/engine_rating.h"
#include "engine/engine_state.h"
#include "engine/request_layout.h"

namespace brant {
namespace {

using namespace request;

constexpr int32_t kListRoom = 15;
constexpr std::size_t kMaxDigits = 19;

const char* At(const uint8_t* record, std::size_t offset) {
  return reinterpret_cast<const char*>(record + offset);
}

// A decimal field read as far as it goes as a number.
double FieldDecimal(const uint8_t* record, std::size_t offset, std::size_t width) {
  return DecimalValue(FixedText(record + offset, width));
}

// A zero-padded decimal field, its leading zeros dropped, as a number.
double StrippedDecimal(const uint8_t* record, std::size_t offset, std::size_t width) {
  char digits[kMaxDigits + 1] = {};
  StripLeadingZeros(At(record, offset), digits, width);
  return DecimalValue(FixedText(digits, width));
}

// "%<width>.0d": a zero is all spaces.
template <std::size_t N>
void PutWeight(char (&field)[N], int32_t value) {
  if (value == 0) {
    char blank[N] = {};
    std::memset(blank, ' ', N - 1);
    PutTerminatedText(field, N, {blank, N - 1});
    return;
  }
  PutWholeNumber(field, value, static_cast<int>(N) - 1);
}

template <std::size_t N>
void CopyField(char (&field)[N], const uint8_t* record, std::size_t offset, std::size_t width) {
  static_assert(N > 0);
  std::memcpy(field, record + offset, width < N ? width : N);
}

// The rate basis text without its blanks and NULs.
void CopyRateBasis(RateContext& c, const uint8_t* record) {
  std::memset(c.rbno, 0, sizeof c.rbno);
  std::size_t n = 0;
  for (std::size_t i = 0; i < kRateBasisWidth && n < sizeof c.rbno; ++i) {
    const char ch = *At(record, kRateBasisAt + i);
    if (ch != ' ' && ch != '\0') c.rbno[n++] = ch;
  }
}

// Each line's rate and charge; the sum of the charges as written.
float MapLines(RateContext& c, const uint8_t* record) {
  float lineSum = 0.0f;
  for (int32_t i = 0; i < BRANT_LINES; ++i) {
    const std::size_t slot = kLinesAt + static_cast<std::size_t>(i) * kLineSlot;
    std::memset(c.lineRate[i], 0, sizeof c.lineRate[i]);
    FormatFixed(c.lineRate[i], StrippedDecimal(record, slot + kLineRateAt, kLineRateWidth), 7, 2);
    std::memset(c.lineCharge[i], 0, sizeof c.lineCharge[i]);
    FormatFixed(c.lineCharge[i], StrippedDecimal(record, slot + kLineChargeAt, kLineChargeWidth),
                9, 2);
    lineSum = static_cast<float>(lineSum + DecimalValue(FixedText(c.lineCharge[i], sizeof c.lineCharge[i])));
  }
  return lineSum;
}

struct ChargeEntry {
  int32_t key;
  int32_t amount;
  char mark;
};

// A list is built aside and then copied into the record's packed fields.
struct ChargeList {
  ChargeEntry entries[kListRoom];
  int32_t count = 0;
};

// An amount under the floor is raised to the floor's whole dollars and
// marked.
void AddEntry(ChargeList& list, int32_t key, int32_t amount, float floor) {
  if (list.count >= kListRoom) return;  // the record holds 15 a list
  char mark = '\0';
  if (static_cast<float>(amount) < floor) {
    amount = TruncateToInt32(floor);
    mark = '*';
  }
  list.entries[list.count++] = {key, amount, mark};
}

void SortByKey(ChargeList& list) {
  for (int32_t a = 0; a < list.count; ++a) {
    for (int32_t b = a; b < list.count; ++b) {
      if (list.entries[a].key > list.entries[b].key) std::swap(list.entries[a], list.entries[b]);
    }
  }
}

// Writes a sorted list and its count into the record's list at keysAt,
// each entry labelled "MC   500#>" for a key of 500.
void PutList(RateContext& c, std::size_t keysAt, const ChargeList& list, const char* prefix) {
  uint8_t* bytes = ChargeListAt(c, keysAt);
  for (int32_t n = 0; n < list.count; ++n) {
    const ChargeEntry& e = list.entries[n];
    StoreI32(bytes + 4 * n, e.key);
    StoreI32(bytes + kListAmountsAt + 4 * n, e.amount);
    bytes[kListMarksAt + 2 * n] = static_cast<uint8_t>(e.mark);
    bytes[kListMarksAt + 2 * n + 1] = 0;
    char text[40] = {};
    const std::size_t at = std::strlen(prefix);
    std::memcpy(text, prefix, at);
    const std::size_t digits = FormatWholeText(text + at, sizeof text - at, e.key, 5);
    std::memcpy(text + at + digits, "#>", 3);
    PutTerminatedText(bytes + kListLabelsAt + kListLabelSize * n, kListLabelSize, text);
  }
  StoreI32(bytes + kListCountAt, list.count);
}

// Entries of type "1" are minimum charges, all others surcharges. Only
// entries whose rate of the same index is not negative are listed.
void MapChargeLists(RateContext& c, const uint8_t* record) {
  ChargeList mc, ss;
  const int32_t count = std::clamp<int32_t>(LoadI16(record + kChargeCountAt), 0, static_cast<int32_t>(kChargeEntries));
  const float floor = c.discountFloor;
  for (int32_t k = 0; k < count; ++k) {
    if (c.baseRates[k] < 0) continue;
    ChargeList& list = record[kChargeTypesAt + k] == '1' ? mc : ss;
    AddEntry(list, LoadI32(record + kChargeKeysAt + 4 * k),
             LoadI32(record + kChargeAmountsAt + 4 * k), floor);
  }
  SortByKey(mc);
  SortByKey(ss);
  PutList(c, offsetof(RateContext, mcKeys), mc, "MC ");
  PutList(c, offsetof(RateContext, ssKeys), ss, "SS ");
  c.chargeListRows = ss.count;
  c.chargeListRows2 = ss.count;
}

// The weight tier charge: the high percentage from the user's break on,
// the low one below it. A break outside the weight table gives none.
void MapWeightTier(RateContext& c) {
  double value = 0.0;
  const double gross = DecimalValue(FixedText(c.grossCharge, sizeof c.grossCharge));
  const double discount = DecimalValue(FixedText(c.discountAmount, sizeof c.discountAmount));
  const bool alpha = c.alphaPostalShipment != 0;
  float low = 0.0f, high = 0.0f;
  bool enabled = false;
  if (defaults::weightTierEnabled.Get(c) != 0 && !alpha) {
    enabled = true;
    low = defaults::weightTierPercentLow.Get(c);
    high = defaults::weightTierPercentHigh.Get(c);
  } else if (defaults::altWeightTierEnabled.Get(c) != 0 && alpha) {
    enabled = true;
    low = defaults::altWeightTierPercentLow.Get(c);
    high = defaults::altWeightTierPercentHigh.Get(c);
  }
  const int32_t index = WeightBreakStart(c);
  if (enabled && index >= 0 && index < BRANT_WEIGHT_SLOTS) {
    const double base = settings::weightTierOnGross.IsYes(c) ? gross : gross - discount;
    const bool fromBreak = FieldNumber(c.billedWeight) >= c.weightMin[index];
    const float percent = fromBreak ? high : low;
    value = rndoff(static_cast<float>(base * percent / 100), 2);
    c.weightTierIndex = fromBreak ? index + 1 : index - 1;
  }
  FormatFixed(c.weightTierCharge, value, 9, 2);
}

}  // namespace

void StripLeadingZeros(const char* source, char* output, std::size_t count) {
  std::size_t i = 0;
  while (i < count && source[i] == '0') ++i;
  std::memcpy(output, source + i, count - i);
}

void MapEngineResults(RateContext& c) {
  const uint8_t* record = Engine().request;
  const float minimum =
      static_cast<float>(FieldDecimal(record, kMinimumChargeAt, kMinimumChargeWidth)) +
      static_cast<float>(FieldDecimal(record, kMinimumExtraAt, kMinimumExtraWidth));
  FormatZeroPaddedText(c.minimumChargeText, sizeof c.minimumChargeText, minimum, 7, 2);
  CopyRateBasis(c, record);
  for (std::size_t i = 0; i < kRates; ++i) c.baseRates[i] = LoadI32(record + kRatesAt + 4 * i);
  const float lineSum = MapLines(c, record);

  std::memset(c.origState, 0, sizeof c.origState);
  std::memcpy(c.origState, record + kOrigStateAt, kStateWidth);
  std::memset(c.destState, 0, sizeof c.destState);
  std::memcpy(c.destState, record + kDestStateAt, kStateWidth);
  c.origPointCode = *At(record, kOrigPointCodeAt);
  c.destPointCode = *At(record, kDestPointCodeAt);
  CopyField(c.netCharge, record, kNetChargeAt, kNetChargeWidth);

  const double deficitCharge = StrippedDecimal(record, kDeficitChargeAt, kDeficitChargeWidth);
  FormatFixed(c.deficitCharge, deficitCharge, 9, 2);
  FormatFixed(c.grossCharge, deficitCharge + lineSum, 11, 2);
  CopyField(c.discountAmount, record, kDiscountAmountAt, kDiscountAmountWidth);
  PutWeight(c.billedWeight, ReadFixedNumber(At(record, kBilledWeightAt), kWholeNumberWidth));
  CopyField(c.discountPercentText, record, kDiscountPercentAt, kDiscountPercentWidth);
  PutWeight(c.totalWeight, ReadFixedNumber(At(record, kTotalWeightAt), kWholeNumberWidth));
  PutWeight(c.deficitWeight, ReadFixedNumber(At(record, kDeficitWeightAt), kWholeNumberWidth));
  FormatFixed(c.deficitRate, StrippedDecimal(record, kDeficitRateAt, kDeficitRateWidth), 7, 2);

  MapChargeLists(c, record);
  MapWeightTier(c);
  std::memcpy(c.billedWeightCopy, c.billedWeight, sizeof c.billedWeightCopy);
}

}  // namespace brant
