// Choosing a shipment's discount percentages and floor. Four sources are
// applied in a fixed order, each later one overriding: the .DIS record's
// discount blocks ("C"), the host's discount texts ("P"), and the current
// profile's ZIP-range discount and floor tables ("Z").
#pragma once

#include <brantfunc/brantfunc.h>

#include <cstddef>
#include <cstdint>

namespace brant {

// True when both ends lie in the same state or province.
bool SameState(const RateContext& c);

// The .DIS discount block (0 to 3) the shipment takes under the record's
// block selector.
std::size_t SelectDisBlock(const RateContext& c);

// The main percentage and the floor from the selected .DIS block, when
// discounts are on; zero otherwise.
void ApplyDisFileDiscount(RateContext& c);

// The percentage of .DIS entry i (weight break i) from the selected block.
void ApplyDisFileEntryDiscount(RateContext& c, std::size_t i);

// The main discount and the floor set to zero, with their zero texts.
void ZeroDiscountAndFloor(RateContext& c);

// The host's discount texts, when discounts are on; zero otherwise.
void ApplyUserDiscount(RateContext& c);

// The first entry of the profile's ZIP-range tables that matches the
// shipment sets all ten percentages, or the floor; 0 when none matches.
int32_t ApplyZipRangeDiscount(RateContext& c);
int32_t ApplyZipRangeFloor(RateContext& c);

// discCount as far as the record's nine .DIS entries reach.
inline std::size_t EntriesInUse(const RateContext& c) {
  constexpr int32_t kMaxEntries = 9;
  return static_cast<std::size_t>(c.discCount < 0             ? 0
                                  : c.discCount > kMaxEntries ? kMaxEntries
                                                              : c.discCount);
}

}  // namespace brant
