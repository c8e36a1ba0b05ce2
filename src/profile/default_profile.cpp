// The profile a user starts with when neither the user's directory nor the
// tariff's holds a PROFILE.FIL: the working settings as they stand.
#include <cstring>
#include <string_view>

#include "formats/host_records.h"
#include "profile/profile.h"

namespace brant {
namespace {

// A tariff engine rates by its own fixed list of classes.
constexpr const char* kEngineClasses[profile::kClassSubstituteCount] = {
    "500", "400", "300", "250", "200", "175", "150", "125", "110",
    "100", "92",  "85",  "77",  "70",  "65",  "60",  "55",  "50"};

void DefaultClassSubstitutes(RateContext& c) {
  for (std::size_t i = 0; i < profile::kClassSubstituteCount; ++i) {
    char* slot = profile::ClassSubstitute(c, i);
    if (c.useTariffEngine != 0) {
      PutFixedText(slot, profile::kClassSubstituteWidth, kEngineClasses[i]);
    } else {
      std::memcpy(slot, c.classTable[i], profile::kClassSubstituteWidth);
    }
  }
}

}  // namespace

void BuildDefaultProfile(RateContext& c) {
  defaults::currentProfileIndex.Set(c, 0);
  std::memset(c.profileRecord, 0, sizeof c.profileRecord);
  profile::name.Set(c, "Default");
  profile::classSubstitution.Set(c, 0);
  DefaultClassSubstitutes(c);
  // The working choices, the reverse of applying a profile.
  CopyField(c, profile::weightTierEnabled, defaults::weightTierEnabled);
  CopyField(c, profile::weightTierPercentLow, defaults::weightTierPercentLow);
  CopyField(c, profile::weightTierPercentHigh, defaults::weightTierPercentHigh);
  CopyField(c, profile::defSwitch179, defaults::profileSwitch179);
  CopyField(c, profile::defText172, defaults::profileText172);
  CopyField(c, profile::defText181, defaults::profileText181);
  CopyField(c, profile::defSwitch159, defaults::profileSwitch159);
  CopyField(c, profile::defText150, defaults::profileText150);
  CopyField(c, profile::defSwitch170, defaults::profileSwitch170);
  CopyField(c, profile::defText161, defaults::profileText161);
  CopyField(c, profile::discountType, defaults::discountType);
}

}  // namespace brant
