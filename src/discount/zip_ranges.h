// The entries of the profile's ZIP-range tables: a discount table of
// 117-byte entries and a floor table of 37-byte entries, each with room for
// 3200 and a count in use. Both begin with the same four range fields.
#pragma once

#include <cstddef>

namespace brant::zipranges {

inline constexpr std::size_t kOrigLowAt = 0;
inline constexpr std::size_t kOrigHighAt = 7;
inline constexpr std::size_t kDestLowAt = 14;
inline constexpr std::size_t kDestHighAt = 21;
inline constexpr std::size_t kRangeFieldWidth = 7;
inline constexpr std::size_t kKeyWidth = 5;    // ZIP texts are compared over five characters
inline constexpr std::size_t kStateWidth = 2;  // a state entry's code opens its high field

// Discount entries: ten percentages, for discountPercent 0 to 9.
inline constexpr std::size_t kPercentsAt = 28;
inline constexpr std::size_t kPercentWidth = 8;
inline constexpr std::size_t kPercentCount = 10;

// Floor entries: the floor amount.
inline constexpr std::size_t kFloorAt = 28;
inline constexpr std::size_t kFloorWidth = 7;

}  // namespace brant::zipranges
