// The freight class of a line from its density, on the density scale in
// effect on the ship date. The scales are data: each tier is a least
// density (inclusive) and its class.
#pragma once

#include <cstdint>
#include <span>

namespace brant::charges {

struct DensityTier {
  int32_t leastHundredths;  // pounds per cubic foot x 100, inclusive
  const char* freightClass;
};

struct DensityScale {
  int32_t effective;                   // YYYYMMDD it took effect; 0 for the oldest
  const char* name;                    // "13-tier scale"
  std::span<const DensityTier> tiers;  // the least density falling
};

// The scale in effect on `shipDate`; the latest when it is 0.
const DensityScale& DensityScaleOn(int32_t shipDate);

// Pounds per cubic foot x 100, cut to the hundredth: the line's weight
// over the volume of its units (inches, each 1 to 999; units 1 to 999).
int64_t DensityHundredths(int32_t pounds, int32_t units, int32_t length, int32_t width,
                          int32_t height);

// The class of the first tier whose least density the line reaches.
const char* ClassOfDensity(const DensityScale& scale, int64_t densityHundredths);

}  // namespace brant::charges
