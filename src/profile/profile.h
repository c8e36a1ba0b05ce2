// The user's settings profiles: PROFILE.FIL, a plain array of profile
// records in the user's directory, and the current profile that the record
// holds in profileRecord.
#pragma once

#include <brantfunc/brantfunc.h>

#include <cstdint>

namespace brant {

inline constexpr int32_t kProfileCreate = 121;
inline constexpr int32_t kProfileOpen = 125;
inline constexpr int32_t kProfileRead = 126;
inline constexpr int32_t kProfileNotFound = 127;

inline constexpr int64_t kProfileRecordSize = BRANT_PROFILE_RECORD_SIZE;
inline constexpr std::size_t kProfileNameWidth = 31;

// Fills profileRecord with the built-in default profile: named "Default",
// the tariff's classes as their own substitutes (or the engine's fixed
// list), and the working weight tier and .DEF choices copied in.
void BuildDefaultProfile(RateContext& context);

}  // namespace brant
