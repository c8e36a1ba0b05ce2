// LoadProfileSettings: the current profile's values over the working
// settings, the .DEF record and the .DIS discount blocks, so that rating
// and discount selection see the profile's choices.
#include <brantfunc/brantfunc.h>

#include <cstring>

#include "context/numbers.h"
#include "formats/host_records.h"
#include "profile/profile.h"

namespace brant {
namespace {

namespace dis = discounts;

// Weight tiers: the profile's second tier, then its first, which wins when
// both are set; the alternative tier on its own.
void ApplyWeightTiers(RateContext& c) {
  if (int16_t on = profile::profileWeightTierEnabled.Get(c); on != 0) {
    defaults::weightTierEnabled.Set(c, on);
    defaults::weightTierPercentLow.Set(c, profile::secondWeightTierPercentLow.Get(c));
    defaults::weightTierPercentHigh.Set(c, profile::secondWeightTierPercentHigh.Get(c));
  }
  if (int16_t on = profile::weightTierEnabled.Get(c); on != 0) {
    defaults::weightTierEnabled.Set(c, on);
    defaults::weightTierPercentLow.Set(c, profile::weightTierPercentLow.Get(c));
    defaults::weightTierPercentHigh.Set(c, profile::weightTierPercentHigh.Get(c));
  }
  if (int16_t on = profile::altWeightTierEnabled.Get(c); on != 0) {
    defaults::altWeightTierEnabled.Set(c, on);
    defaults::altWeightTierPercentLow.Set(c, profile::altWeightTierPercentLow.Get(c));
    defaults::altWeightTierPercentHigh.Set(c, profile::altWeightTierPercentHigh.Get(c));
  }
  defaults::hawaiiTable3PercentOn.Set(c, profile::hawaiiTable3PercentOn.Get(c));
  defaults::hawaiiTable3Percent.Set(c, profile::hawaiiTable3Percent.Get(c));
  defaults::hawaiiTable2PercentOn.Set(c, profile::hawaiiTable2PercentOn.Get(c));
  defaults::hawaiiTable2Percent.Set(c, profile::hawaiiTable2Percent.Get(c));
}

void ApplyDefaultsChoices(RateContext& c) {
  CopyField(c, defaults::profileSwitch179, profile::defSwitch179);
  CopyField(c, defaults::profileText172, profile::defText172);
  CopyField(c, defaults::profileText181, profile::defText181);
  CopyField(c, defaults::profileSwitch159, profile::defSwitch159);
  CopyField(c, defaults::profileText150, profile::defText150);
  CopyField(c, defaults::profileSwitch170, profile::defSwitch170);
  CopyField(c, defaults::profileText161, profile::defText161);
  CopyField(c, defaults::discountType, profile::discountType);
  const int16_t userDiscount = profile::profileUseUserDiscount.Get(c);
  defaults::profileSwitch6.Set(c, userDiscount);
  defaults::profileSwitch8.Set(c, userDiscount);
  defaults::profileSwitch252.Set(c, userDiscount);
  if (profile::profileUseDisFile.Get(c) != 0) {
    dis::profileMark.Set(c, 2);
    defaults::discountFileMark.Set(c, 'M');
  } else {
    defaults::discountFileMark.Set(c, 'N');
  }
}

// A float of the profile as "%W.2f" text with its terminator, cut to the
// field it goes to; bytes after the terminator stay as they were.
void PutPercentText(uint8_t* field, std::size_t fieldWidth, float value, int32_t width) {
  FormatFixedText(reinterpret_cast<char*>(field), fieldWidth, value, width, 2);
}

// Profile discount block k becomes .DIS block k; the profile's third block
// writes its floor narrower than the other two.
void ApplyDiscountBlock(RateContext& c, std::size_t k, int32_t floorWidth) {
  const uint8_t* from = c.profileRecord + profile::kDiscountBlockAt[k];
  uint8_t* to = dis::Block(c, k);
  for (std::size_t i = 0; i < dis::kEntryCount; ++i) {
    PutPercentText(to + dis::BreakPercentAt(i), dis::kPercentWidth, LoadF32(from + 4 * i), 5);
  }
  PutPercentText(to + dis::kMainPercentAt, dis::kPercentWidth,
                 LoadF32(from + profile::kDiscountBlockMainAt), 5);
  PutPercentText(to + dis::kFloorAt, dis::kFloorWidth,
                 LoadF32(from + profile::kDiscountBlockFloorAt), floorWidth);
}

void ApplyDiscountBlocks(RateContext& c) {
  ApplyDiscountBlock(c, 0, 6);
  ApplyDiscountBlock(c, 1, 6);
  ApplyDiscountBlock(c, 2, 5);
  std::memset(dis::Block(c, 3), 0, dis::kBlockSize);  // a profile has no fourth block
}

// Discounts stay on while any of the profile's three sources is chosen.
void ApplyDiscountSwitches(RateContext& c) {
  const int16_t zip = profile::profileUseZipDiscounts.Get(c);
  defaults::zipDiscountsEnabled.Set(c, zip);
  c.discountsSwitchedOff = 0;
  if (profile::profileUseUserDiscount.Get(c) == 0 && profile::profileUseDisFile.Get(c) == 0 &&
      zip == 0) {
    if (defaults::discountsEnabled.Get(c) != 0) c.discountsSwitchedOff = 1;
    defaults::discountsEnabled.Set(c, 0);
  } else {
    defaults::discountsEnabled.Set(c, 1);
  }
}

}  // namespace
}  // namespace brant

extern "C" void LoadProfileSettings(RateContext* context) {
  using namespace brant;
  if (context == nullptr) return;
  ApplyWeightTiers(*context);
  ApplyDefaultsChoices(*context);
  ApplyDiscountBlocks(*context);
  ApplyDiscountSwitches(*context);
}
