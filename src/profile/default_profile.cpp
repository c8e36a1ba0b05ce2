// The profile a user starts with when neither the user's directory nor the
// tariff's holds a PROFILE.FIL: the working settings as they stand.
#include <cstring>
#include <string_view>

#include "context/record_fields.h"
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

// The working .DEF choices go into the profile as raw bytes: the reverse of
// applying a profile.
template <typename ProfileField, typename DefField>
void CopyFromDefaults(RateContext& c, const ProfileField& to, const DefField& from) {
  to.Set(c, from.Get(c));
}

template <std::size_t ToWidth, std::size_t FromWidth, auto To, std::size_t ToAt, auto From,
          std::size_t FromAt>
void CopyFromDefaults(RateContext& c, const TextField<To, ToAt, ToWidth>& to,
                      const TextField<From, FromAt, FromWidth>&) {
  static_assert(ToWidth == FromWidth);
  std::memcpy(to.Data(c), c.defRecord + FromAt, ToWidth);
}

}  // namespace

void BuildDefaultProfile(RateContext& c) {
  defaults::currentProfileIndex.Set(c, 0);
  std::memset(c.profileRecord, 0, sizeof c.profileRecord);
  profile::name.Set(c, "Default");
  profile::classSubstitution.Set(c, 0);
  DefaultClassSubstitutes(c);
  CopyFromDefaults(c, profile::weightTierEnabled, defaults::weightTierEnabled);
  CopyFromDefaults(c, profile::weightTierPercentLow, defaults::weightTierPercentLow);
  CopyFromDefaults(c, profile::weightTierPercentHigh, defaults::weightTierPercentHigh);
  CopyFromDefaults(c, profile::defSwitch179, defaults::profileSwitch179);
  CopyFromDefaults(c, profile::defText172, defaults::profileText172);
  CopyFromDefaults(c, profile::defText181, defaults::profileText181);
  CopyFromDefaults(c, profile::defSwitch159, defaults::profileSwitch159);
  CopyFromDefaults(c, profile::defText150, defaults::profileText150);
  CopyFromDefaults(c, profile::defSwitch170, defaults::profileSwitch170);
  CopyFromDefaults(c, profile::defText161, defaults::profileText161);
  CopyFromDefaults(c, profile::discountType, defaults::discountType);
}

}  // namespace brant
