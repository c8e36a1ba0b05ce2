// RateBill: the charges of one bill from the rate table that the rate base
// resolution left in baseRates. Every result goes to the record as text.
#include <brantfunc/brantfunc.h>

#include <charconv>
#include <cstring>
#include <string_view>

#include "bill/bill.h"
#include "bill/bill_tables.h"
#include "context/numbers.h"

namespace brant {
namespace {

// The largest total weight whose text fits totalWeight.
constexpr int64_t kMaxTotalWeight = 999999;

// An amount text read back as atof reads it.
template <std::size_t N>
double AmountValue(const char (&field)[N]) {
  std::string_view text = FixedText(field, N);
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  double value = 0.0;
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

int32_t Refuse(RateContext& c, int32_t status) {
  c.errorCode = status;
  return 0;
}

void ResetBill(BillState& s) {
  s.firstPassDone = false;
  s.billedWeight = 0;
  s.deficitWeight = 0;
  s.deficitCharge = 0.0f;
  s.deficitRate = 0.0f;
  s.bestBreak = s.nextBreak = 0;
  s.startBreak = 0;
  s.comparisonCount = 0;
}

// The first break in use that holds the weight, or -1.
int32_t BreakOfWeight(RateContext& c, int64_t weight) {
  const int32_t breaks = BreakCount(c);
  for (int32_t b = 0; b < breaks; ++b) {
    if (ValidWeight(&c, b) && c.weightMin[b] <= weight && weight <= c.weightMax[b]) return b;
  }
  return -1;
}

// Every line the search or the pricing reaches names a class row inside
// baseRates: the search takes lines while they weigh, the pricing while
// they have a class.
bool LinesFitTable(const RateContext& c) {
  const int32_t breaks = BreakCount(c);
  bool weighing = true;
  bool classed = true;
  for (int32_t i = 0; i < BRANT_LINES; ++i) {
    weighing = weighing && LineWeight(c, i) >= 1;
    classed = classed && c.lineClass[i][0] != '\0';
    if (!weighing && !classed) break;
    if (!ClassRowFits(c.lineClassIndex[i], breaks)) return false;
  }
  return true;
}

bool RbnoDigitsWithin(const RateContext& c, const char* low, const char* high) {
  return std::memcmp(c.rbno + 1, low, 6) >= 0 && std::memcmp(c.rbno + 1, high, 6) <= 0;
}

// The minimum-charge level of the shipment; also decides whether the class
// minimum takes its alternative amount.
uint32_t ChooseMinimumLevel(RateContext& c, char kind, int64_t weight) {
  if (settings::wideRteRecords.IsYes(c)) return weight > 150 ? 1 : 0;
  uint32_t level = 0;
  if (kind == 'S' && settings::useFacTables.IsYes(c) && c.useBasePoints == 0 &&
      c.rbno[0] == 'A' && RbnoDigitsWithin(c, "160000", "169999")) {
    level = weight > 100 ? 1 : 0;
  }
  if (c.useBasePoints != 0 && c.rbno[0] == 'J') {
    if (weight > 300) level = 1;
    if (weight > 400) level = 2;
    if (weight > 500) level = 3;
  }
  c.altClassMinimum = kind == 'C' && c.ratingOptionFlag == 'Y' ? 1 : 0;
  return level;
}

// The user's minimum add-on replaces the level minimum on the matrix method,
// and on base points outside Alaska and Mexico.
bool TakesMinimumAddOn(const RateContext& c) {
  if (c.ratingOptionFlag != 'Y') return false;
  if (c.useBasePoints == 0) return settings::useFacTables.IsYes(c);
  return c.rbno[0] != 'K' && c.rbno[0] != 'M';
}

// The weight tier charge on the gross (or the gross less the discount) at
// the low percentage below break A and the high one from it.
double WeightTierCharge(const RateContext& c, float low, float high, int32_t best,
                        int32_t breakStart, double gross, double discount) {
  const double base = settings::weightTierOnGross.IsYes(c) ? gross : gross - discount;
  const float percent = best < breakStart ? low : high;
  return rndoff(static_cast<float>(percent / 100.0f * base), 2);
}

int32_t RateOneBill(RateContext& c, uint32_t bill) {
  BillState& s = Bill();
  ResetBill(s);

  int64_t weight = 0;
  for (int32_t i = 0; i < BRANT_LINES; ++i) {
    const int32_t w = LineWeight(c, i);
    if (w > 0) weight += w;
  }
  if (weight > kMaxTotalWeight) return Refuse(c, BRANT_INVALID_WEIGHT);
  PutWholeNumber(c.totalWeight, static_cast<int32_t>(weight), 0);

  // The starting break holds the total weight, capped below break A.
  const int32_t start = BreakOfWeight(c, weight);
  if (start < 0) return Refuse(c, BRANT_INVALID_WEIGHT);
  const int32_t breakStart = WeightBreakStart(c);
  s.currentBreak = breakStart > 0 && start >= breakStart ? breakStart - 1 : start;
  s.startBreak = s.currentBreak;
  if (!LinesFitTable(c)) return Refuse(c, BRANT_INVALID_CLASS);

  ChargeLevels levels;
  levels.kind = '\0';
  FindRateBaseRecord(c, c.rbno, &levels);
  const char kind = levels.kind;
  const uint32_t level = ChooseMinimumLevel(c, kind, weight);
  if (SetMinimumCharge(c, level, &kind) == 0) return 0;
  if (TakesMinimumAddOn(c)) {
    const int64_t cents = int64_t{c.baseRates[level]} + defaults::minimumAddOn.Get(c);
    c.minimumCharge = static_cast<float>(cents);
  }
  c.minimumCharge = c.minimumCharge / 100.0f;
  FormatAmount(c.minimumChargeText, c.minimumCharge, 9, 2);

  SearchDeficitWeight(c, bill);
  const int32_t best = s.bestBreak;
  const int32_t breaks = BreakCount(c);

  // Each line enters the gross rounded to cents, as its charge text shows it.
  double gross = 0.0;
  for (int32_t i = 0; i < BRANT_LINES && c.lineClass[i][0] != '\0'; ++i) {
    const float rate = CellDollars(c, RateCell(c.lineClassIndex[i], breaks, best));
    FormatAmount(c.lineRate[i], rate, 7, 2);
    FormatFixed(c.lineCharge[i], static_cast<float>(LineWeight(c, i)) * rate / 100.0f, 9, 2);
    gross += AmountValue(c.lineCharge[i]);
  }
  gross += s.deficitCharge;

  double discount = 0.0;
  PutTerminatedText(c.discountPercentText, sizeof c.discountPercentText, "00.00");
  const bool discounted = DiscountTakenFrom(c, 'C');
  if (discounted) discount = c.discountPercent[1 + best] / 100.0f * gross;
  FormatAmount(c.discountAmount, discount, 9, 2);
  discount = AmountValue(c.discountAmount);
  if (discounted) FormatAmount(c.discountPercentText, c.discountPercent[1 + best], 5, 2);

  if (s.billedWeight != 0) {
    PutWholeNumber(c.billedWeight, s.billedWeight, 6);
  } else {
    std::memcpy(c.billedWeight, c.totalWeight, sizeof c.billedWeight);
  }
  PutWholeNumber(c.deficitWeight, s.deficitWeight, 6);
  FormatAmount(c.deficitRate, s.deficitRate, 7, 2);
  FormatAmount(c.deficitCharge, s.deficitCharge, 9, 2);
  FormatFixed(c.grossCharge, gross, 14, 2);

  double tier = 0.0;
  if (profile::profileWeightTierEnabled.Get(c) != 0 ||
      (defaults::weightTierEnabled.Get(c) != 0 && c.alphaPostalShipment == 0)) {
    tier = WeightTierCharge(c, defaults::weightTierPercentLow.Get(c),
                            defaults::weightTierPercentHigh.Get(c), best, breakStart, gross,
                            discount);
  }
  if (defaults::altWeightTierEnabled.Get(c) != 0 && c.alphaPostalShipment != 0) {
    tier = WeightTierCharge(c, defaults::altWeightTierPercentLow.Get(c),
                            defaults::altWeightTierPercentHigh.Get(c), best, breakStart, gross,
                            discount);
  }
  FormatFixed(c.weightTierCharge, tier, 9, 2);

  c.weightTierIndex = best;
  FormatAmount(c.netCharge, gross - discount, 9, 2);

  // The discount on the minimum charge, in cents: the percentage is taken
  // as the plain number.
  double minimumDiscount = 0.0;
  if (defaults::discountType.Get(c) == 'C' && defaults::discountsEnabled.Get(c) != 0) {
    minimumDiscount = rndoff(c.minimumCharge * c.discountPercent[0], 2);
  }
  FormatAmount(c.minimumDiscountText, minimumDiscount, 7, 2);
  return 1;
}

}  // namespace
}  // namespace brant

extern "C" int32_t RateBill(RateContext* context, uint32_t bill) {
  if (context == nullptr) return 0;
  return brant::RateOneBill(*context, bill);
}
