// The deficit weight search: a shipment may cost less billed at the lowest
// weight of a heavier break, the missing pounds charged at that break's
// rate. Each pass prices the lines at one break and the break above it.
#include <brantfunc/brantfunc.h>

#include "bill/bill.h"
#include "bill/bill_tables.h"
#include "context/numbers.h"

namespace brant {
namespace {

constexpr float kSearchEnds = 9999999.0f;
constexpr float kNoNextRate = -1.0f;
constexpr float kNoRateYet = 999999.0f;

// The current class's rate at the break above the current one, dollars per
// 100 pounds; 0.0 when that break is past the table or not in use.
float NextBreakRate(RateContext& c, uint32_t /*bill*/) {
  const BillState& s = Bill();
  const int32_t breaks = BreakCount(c);
  const int32_t next = s.currentBreak + 1;
  if (next >= breaks || !ValidWeight(&c, next)) return 0.0f;
  return CellDollars(c, RateCell(s.classIndex, breaks, next));
}

// Prices the working line at the current break (into its charge text and
// the gross) and at the next break (into the next-break total).
void RateLinesAtBreak(RateContext& c, uint32_t bill) {
  BillState& s = Bill();
  const int32_t breaks = BreakCount(c);
  const float weight = static_cast<float>(LineWeight(c, s.lineIndex));
  const float rate = CellDollars(c, RateCell(s.classIndex, breaks, s.currentBreak));
  const bool hasNext = s.currentBreak + 1 < breaks;
  float nextRate = kNoNextRate;
  if (hasNext) {
    nextRate = NextBreakRate(c, bill);
  } else {
    s.nextBreakTotal = 0.0f;
  }
  const float charge = static_cast<float>(rndoff(weight * rate / 100.0f, 2));
  FormatAmount(c.lineCharge[s.lineIndex], charge, 9, 2);
  s.grossCharge += charge;
  if (hasNext) {
    s.nextBreakTotal = static_cast<float>(s.nextBreakTotal + rndoff(weight * nextRate / 100.0f, 2));
  }
  if (s.nextBreakTotal == 0.0f) {
    s.nextBreakTotal = kSearchEnds;  // nothing to compare: this pass is the last
  } else if (nextRate < s.lowestNextRate) {
    s.lowestNextRate = nextRate;
  }
}

// Weighs the next break, with the deficit pounds at the lowest next rate,
// against the cheapest total so far; the heavier break wins a tie. Totals
// are compared after the discount of their own break.
void CompareNextBreak(RateContext& c) {
  BillState& s = Bill();
  const bool discounted = DiscountTakenFrom(c, 'C');
  if (!s.firstPassDone) {
    if (discounted) {
      s.grossCharge -= s.grossCharge * c.discountPercent[1 + s.currentBreak] / 100;
    }
    s.bestTotal = static_cast<float>(s.grossCharge);
    s.bestBreak = s.currentBreak;
    s.firstPassDone = true;
  } else {
    s.grossCharge = s.bestTotal;
  }
  if (s.nextBreakTotal >= kSearchEnds) return;
  // No line was priced and the last break is reached: nothing above it.
  if (s.currentBreak + 1 >= BreakCount(c)) {
    s.nextBreakTotal = kSearchEnds;
    return;
  }
  const float rate = s.lowestNextRate;
  s.nextBreak = s.currentBreak + 1;
  int32_t deficit = BreakLowestWeight(c, s.nextBreak) - FieldNumber(c.totalWeight);
  if (deficit < 0) deficit = 0;
  float total = s.nextBreakTotal + static_cast<float>(deficit) * rate / 100.0f;
  if (discounted) {
    const float percent = c.discountPercent[1 + s.nextBreak];
    total = static_cast<float>(total - rndoff(percent / 100.0f * total, 2));
  }
  s.nextBreakTotal = total;
  const bool won = static_cast<double>(total) <= s.grossCharge;
  if (s.comparisonCount < static_cast<int32_t>(kMaxComparisons)) {
    s.comparisons[s.comparisonCount++] = {s.bestBreak, s.nextBreak, deficit, rate, total,
                                          s.grossCharge, won};
  }
  if (!won) return;
  s.bestTotal = total;
  s.currentBreak = s.bestBreak = s.nextBreak;
  s.deficitRate = rate;
  s.deficitWeight = deficit;
  s.deficitCharge = static_cast<float>(rndoff(static_cast<float>(deficit) * rate / 100.0f, 2));
  if (deficit > 0) s.billedWeight = BreakLowestWeight(c, s.currentBreak);
}

}  // namespace

void SearchDeficitWeight(RateContext& c, uint32_t bill) {
  BillState& s = Bill();
  s.nextBreakTotal = -1.0f;
  while (s.nextBreakTotal < kSearchEnds) {
    s.lowestNextRate = kNoRateYet;
    s.nextBreakTotal = 0.0f;
    s.grossCharge = 0.0;
    // A line without weight ends the lines the search prices.
    for (int32_t i = 0; i < BRANT_LINES && LineWeight(c, i) >= 1; ++i) {
      s.lineIndex = i;
      s.classIndex = c.lineClassIndex[i];
      RateLinesAtBreak(c, bill);
    }
    CompareNextBreak(c);
    if (s.currentBreak < s.nextBreak) ++s.currentBreak;
  }
}

}  // namespace brant
