#include "charges/density_classes.h"

namespace brant::charges {
namespace {

constexpr int64_t kCubicInchesPerFoot = 1728;

// The scale of eleven tiers, in effect until the thirteen took over.
constexpr DensityTier kElevenTiers[] = {
    {3000, "60"}, {2250, "65"}, {1500, "70"}, {1200, "85"}, {1000, "92.5"}, {800, "100"},
    {600, "125"}, {400, "150"}, {200, "250"}, {100, "300"}, {0, "400"},
};

constexpr DensityTier kThirteenTiers[] = {
    {5000, "50"}, {3500, "55"},   {3000, "60"}, {2250, "65"}, {1500, "70"},
    {1200, "85"}, {1000, "92.5"}, {800, "100"}, {600, "125"}, {400, "175"},
    {200, "250"}, {100, "300"},   {0, "400"},
};

// Latest last.
constexpr DensityScale kScales[] = {
    {0, "11-tier scale", kElevenTiers},
    {20250719, "13-tier scale", kThirteenTiers},
};

}  // namespace

const DensityScale& DensityScaleOn(int32_t shipDate) {
  const DensityScale* inEffect = &kScales[0];
  for (const DensityScale& scale : kScales) {
    if (shipDate == 0 || scale.effective <= shipDate) inEffect = &scale;
  }
  return *inEffect;
}

int64_t DensityHundredths(int32_t pounds, int32_t units, int32_t length, int32_t width,
                          int32_t height) {
  const int64_t cubicInches = int64_t{units} * length * width * height;
  return int64_t{pounds} * kCubicInchesPerFoot * 100 / cubicInches;
}

const char* ClassOfDensity(const DensityScale& scale, int64_t densityHundredths) {
  for (const DensityTier& tier : scale.tiers) {
    if (densityHundredths >= tier.leastHundredths) return tier.freightClass;
  }
  return scale.tiers.back().freightClass;
}

}  // namespace brant::charges
