// The discount taken from the rates: every rate and minimum-charge level is
// lowered by its break's percentage before any bill is rated.
#include <brantfunc/brantfunc.h>

#include "bill/bill.h"
#include "bill/bill_tables.h"

namespace brant {
namespace {

constexpr int32_t kPercentSlots = 10;

// The cell lowered in dollars and stored back as whole cents.
void DiscountCell(RateContext& c, int32_t cell, int32_t weightBreak) {
  float value = CellDollars(c, cell);
  DiscountValue(c, &value, weightBreak);
  c.baseRates[cell] = TruncateToInt32(rndoff(value * 100.0f, 2));
}

}  // namespace

void DiscountValue(const RateContext& c, float* value, int32_t weightBreak) {
  if (!DiscountTakenFrom(c, 'R')) return;
  const int32_t slot = weightBreak + 1;  // slot 0 belongs to the minimum charges
  if (slot < 0 || slot >= kPercentSlots) return;
  const float percent = static_cast<float>(rndoff(c.discountPercent[slot], 2));
  const float discount = static_cast<float>(rndoff(percent / 100.0f * *value, 2));
  *value = static_cast<float>(rndoff(*value - discount, 2));
}

void DiscountRateTable(RateContext& c) {
  const int32_t breaks = BreakCount(c);
  const int32_t classCount = c.classCount;
  const int32_t classes = std::clamp<int32_t>(classCount, 0, BRANT_CLASS_SLOTS);
  for (int32_t k = 0; k < classes; ++k) {
    for (int32_t b = 0; b < breaks && ValidWeight(&c, b); ++b) {
      const int32_t cell = RateCell(k, breaks, b);
      if (cell < 0) break;  // the row runs past the table
      DiscountCell(c, cell, b);
    }
  }
  for (int32_t level = 0; level < kMinimumLevels; ++level) DiscountCell(c, level, -1);
}

}  // namespace brant
