// How bill rating reads the record: the rate table, the weight breaks, the
// line weights and the discount switches. Shared by the files of the bill.
#pragma once

#include <brantfunc/brantfunc.h>

#include <algorithm>
#include <cstddef>
#include <cmath>
#include <cstdint>

#include "context/byte_coding.h"
#include "context/numbers.h"
#include "formats/host_records.h"
#include "formats/tariff_tables.h"
#include "context/text.h"

namespace brant {

inline constexpr int32_t kMinimumLevels = 4;

// Weight breaks in each class row: the .WGT records loaded, at most 9.
inline int32_t BreakCount(const RateContext& c) {
  const int32_t count = c.weightRecordCount;  // a copy: the field sits at any byte
  return std::clamp<int32_t>(count, 0, BRANT_WGT_RECORDS);
}

// The baseRates cell of class row k at break b, or -1 outside the table.
inline int32_t RateCell(int32_t k, int32_t breaks, int32_t b) {
  int64_t cell = kMinimumLevels + int64_t{k} * breaks + b;
  if (k < 0 || b < 0 || cell >= BRANT_BASE_RATE_CELLS) return -1;
  return static_cast<int32_t>(cell);
}

// A class row lies wholly inside baseRates.
inline bool ClassRowFits(int32_t k, int32_t breaks) {
  return breaks > 0 && RateCell(k, breaks, breaks - 1) >= 0;
}

// A cell in dollars (per 100 pounds for a class rate).
inline float CellDollars(const RateContext& c, int32_t cell) {
  return static_cast<float>(c.baseRates[cell]) / 100.0f;
}

// A decimal text field read as atol reads it, never past the field.
template <std::size_t N>
int32_t FieldNumber(const char (&field)[N]) {
  int64_t v = ParseLeadingInteger(FixedText(field, N));
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

inline int32_t LineWeight(const RateContext& c, int32_t line) {
  return FieldNumber(c.lineWeight[line]);
}

// The lowest weight of break b, from its .WGT record.
inline int32_t BreakLowestWeight(const RateContext& c, int32_t b) {
  constexpr formats::Field kLowest = formats::weight_break::kMinimum;
  return static_cast<int32_t>(
      ParseLeadingInteger({c.wgtRecords[b] + kLowest.offset, kLowest.width}));
}

// The user's break number A (weightBreakStart).
inline int32_t WeightBreakStart(const RateContext& c) {
  int64_t v = ParseLeadingInteger(defaults::weightBreakStart.Get(c));
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// The discount is switched on and taken the given way: "C" from the
// charges, "R" from the rates.
inline bool DiscountTakenFrom(const RateContext& c, char type) {
  return defaults::discountType.Get(c) == type &&
         (defaults::discountsEnabled.Get(c) != 0 || defaults::discountsEnabled2.Get(c) != 0);
}

// A value truncated toward zero into 32 bits; out of range it saturates.
inline int32_t TruncateToInt32(double v) {
  if (std::isnan(v)) return 0;
  if (v <= static_cast<double>(INT32_MIN)) return INT32_MIN;
  if (v >= static_cast<double>(INT32_MAX)) return INT32_MAX;
  return static_cast<int32_t>(v);
}

// A charge list is 379 bytes from its keys: 15 keys, 15 amounts, 15 marks
// of 2 bytes, 15 labels of 15 bytes and the count. The record is packed, so
// a list is reached by byte offsets, never through an int32_t pointer.
inline constexpr std::size_t kListAmountsAt = 60;
inline constexpr std::size_t kListMarksAt = 120;
inline constexpr std::size_t kListLabelsAt = 150, kListLabelSize = 15;
inline constexpr std::size_t kListCountAt = 375;
static_assert(offsetof(RateContext, mcAmounts) - offsetof(RateContext, mcKeys) == kListAmountsAt);
static_assert(offsetof(RateContext, mcMarks) - offsetof(RateContext, mcKeys) == kListMarksAt);
static_assert(offsetof(RateContext, mcLabels) - offsetof(RateContext, mcKeys) == kListLabelsAt);
static_assert(offsetof(RateContext, mcCount) - offsetof(RateContext, mcKeys) == kListCountAt);
static_assert(offsetof(RateContext, ssCount) - offsetof(RateContext, ssKeys) == kListCountAt);
static_assert(kListCountAt + 4 == BRANT_CHARGE_LIST_SIZE);

inline uint8_t* ChargeListAt(RateContext& c, std::size_t keysAt) {
  return reinterpret_cast<uint8_t*>(&c) + keysAt;
}

inline int32_t SaturateToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// A whole number as "%<width>ld" writes it, cut to the field.
template <std::size_t N>
void PutWholeNumber(char (&field)[N], int32_t value, int width) {
  char text[80];
  FormatWholeText(text, sizeof text, value, width);
  PutTerminatedText(field, N, text);
}

}  // namespace brant
