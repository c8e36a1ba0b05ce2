// The user's own records beside a tariff: the defaults (.DEF, 349 bytes)
// and the discounts (.DIS, 605 bytes). Each writer starts from a zeroed
// record or from a given image (to keep the host's bytes) and writes the
// described fields over it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace brant::tariffkit {

struct Defaults {
  int16_t useRateFactor = 0;
  int16_t weightTierEnabled = 0;
  int16_t discountsEnabled = 0;
  char discountType = 'C';  // "C" from the charges, "R" from the rates
  float rateFactor = 1.0f;
  float weightTierPercentLow = 0.0f;
  float rateScale = 1.0f;  // 0 or 1 leaves the rates as they are
  int16_t zipDiscountsEnabled = 0;
  float weightTierPercentHigh = 0.0f;
  // 1 keeps the record as written; 0 lets the reader set its first-use values.
  int16_t defaultsInitialised = 1;
  std::string weightBreakStart{};  // decimal text, up to 4 characters
  int16_t currentProfileIndex = 0;
  std::string weightBreakSpan{};   // decimal text, up to 6; empty: breaks are not cut
  int16_t discountsEnabled2 = 0;
  int16_t hawaiiTable2PercentOn = 0;
  int16_t hawaiiTable3PercentOn = 0;
  float hawaiiTable2Percent = 0.0f;
  float hawaiiTable3Percent = 0.0f;
  int32_t minimumAddOn = 0;
  int16_t altWeightTierEnabled = 0;
  float altWeightTierPercentLow = 0.0f;
  float altWeightTierPercentHigh = 0.0f;
};

std::string DefaultsRecord(const Defaults& defaults);
// Over a 349-byte image; any other size is refused.
std::string DefaultsRecord(const Defaults& defaults, std::string image);

// One of the four discount blocks: a percentage per weight break, the main
// percentage and the floor, all decimal text, space-padded to 6, 6 and 7.
struct DiscountBlock {
  std::array<std::string, 9> breakPercents{};
  std::string mainPercent{};
  std::string floor{};
};

struct Discounts {
  int16_t profileMark = 0;
  char blockSelector = '1';  // "1" to "5"
  // Entries from the first, 25 bytes each, space-padded: an entry that is
  // empty or begins with a space ends the list. Entries not given keep the
  // image's bytes (NUL in a zeroed record, which ends the list too).
  std::vector<std::string> entries{};
  std::vector<DiscountBlock> blocks{};  // from block 0; blocks not given keep the image's bytes
};

std::string DiscountsRecord(const Discounts& discounts);
// Over a 605-byte image; any other size is refused.
std::string DiscountsRecord(const Discounts& discounts, std::string image);

}  // namespace brant::tariffkit
