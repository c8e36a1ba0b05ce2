// The fuel surcharge: the weekly index price in effect on the ship date,
// and the percentage the carrier's table gives for it. A price takes
// effect on the first of the table's weekday on or after the day it was
// published, and holds until the next one takes effect; the last holds a
// week.
#pragma once

#include <cstdint>

#include "charges/tariff_charges.h"

namespace brant::charges {

struct FuelInEffect {
  const FuelPrice* price = nullptr;  // null: the ship date is outside the index
  int32_t effectiveDate = 0;         // the day it took effect
  int32_t firstCovered = 0;          // the days the index covers
  int32_t lastCovered = 0;
};

// The index is not empty.
FuelInEffect FindFuelPrice(const std::vector<FuelPrice>& index, int32_t weekday, int32_t shipDate);

// The table's percentage at `priceMills`: the band the price falls in (at
// least its lower price and less than its upper), or by formula each whole
// step above the base price adds the percentage of a step (none below
// it). False when no band holds the price.
bool FuelPercent(const FuelTable& table, int32_t priceMills, int32_t& bps);

}  // namespace brant::charges
