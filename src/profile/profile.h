// The user's settings profiles: PROFILE.FIL, a plain array of profile
// records in the user's directory, and the current profile that the record
// holds in profileRecord.
#pragma once

#include <brantfunc/brantfunc.h>

#include <cstdint>
#include <cstring>

#include "formats/host_records.h"

namespace brant {

inline constexpr int32_t kProfileCreate = 121;
inline constexpr int32_t kProfileOpen = 125;
inline constexpr int32_t kProfileRead = 126;
inline constexpr int32_t kProfileNotFound = 127;

inline constexpr int64_t kProfileRecordSize = BRANT_PROFILE_RECORD_SIZE;
inline constexpr std::size_t kProfileNameWidth = 31;

// Copies one field of a record in the context into another, as raw bytes:
// the profile and the .DEF record carry the same values in the same widths.
template <typename To, typename From>
void CopyField(RateContext& c, const To& to, const From& from) {
  to.Set(c, from.Get(c));
}
template <auto To, std::size_t ToAt, std::size_t Width, auto From, std::size_t FromAt>
void CopyField(RateContext& c, const TextField<To, ToAt, Width>& to,
               const TextField<From, FromAt, Width>& from) {
  std::memcpy(to.Data(c), from.Data(c), Width);
}

// Fills profileRecord with the built-in default profile: named "Default",
// the tariff's classes as their own substitutes (or the engine's fixed
// list), and the working weight tier and .DEF choices copied in.
void BuildDefaultProfile(RateContext& context);

}  // namespace brant
