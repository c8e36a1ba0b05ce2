// PROFILE.FIL: settings profile records of 493165 bytes, each with its
// three float discount blocks and its ZIP-range discount and floor tables.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace brant::tariffkit {

// One end of a ZIP-range entry: a ZIP range ("10000" to "19999"), or a state
// (low five spaces, high the state code), each field up to 7 characters,
// NUL-padded.
struct ZipRangeEnd {
  std::string low{};
  std::string high{};
};
inline ZipRangeEnd ZipSpan(std::string low, std::string high) {
  return {std::move(low), std::move(high)};
}
inline ZipRangeEnd StateEnd(std::string code) { return {"     ", std::move(code)}; }

struct ZipRangeDiscount {
  ZipRangeEnd orig{}, dest{};
  std::array<std::string, 10> percents{};  // decimal texts of up to 8 characters
};

struct ZipRangeFloor {
  ZipRangeEnd orig{}, dest{};
  std::string floor{};  // decimal text of up to 7 characters
};

// Nine weight break percentages, the main percentage and the floor.
struct ProfileBlock {
  std::array<float, 9> breakPercents{};
  float mainPercent = 0.0f;
  float floor = 0.0f;
};

struct WeightTier {
  int16_t enabled = 0;
  float percentLow = 0.0f;
  float percentHigh = 0.0f;
};

struct Profile {
  std::string name{};  // up to 31 characters
  int32_t classSubstitution = 0;
  std::vector<std::string> classSubstitutes{};  // up to 18, each up to 4 characters
  WeightTier weightTier{}, secondWeightTier{}, altWeightTier{};
  // The host's .DEF fields the profile carries, by their .DEF offsets.
  int16_t def179 = 0, def159 = 0, def170 = 0;
  std::string def172{}, def181{};  // up to 5 characters
  std::string def150{}, def161{};  // up to 7 characters
  char discountType = '\0';
  int16_t useUserDiscount = 0, useDisFile = 0, useZipDiscounts = 0, useZipFloors = 0;
  std::array<ProfileBlock, 3> blocks{};
  int16_t hawaiiTable2PercentOn = 0, hawaiiTable3PercentOn = 0;
  float hawaiiTable2Percent = 0.0f, hawaiiTable3Percent = 0.0f;
  std::vector<ZipRangeDiscount> zipDiscounts{};  // up to 3200
  std::vector<ZipRangeFloor> zipFloors{};        // up to 3200
  // Counts written in place of the tables' sizes, for malformed files.
  std::optional<int32_t> zipDiscountCount{}, zipFloorCount{};
};

std::string ProfileRecord(const Profile& profile);

// The records one after another, as PROFILE.FIL holds them.
std::string ProfileFile(const std::vector<Profile>& profiles);

}  // namespace brant::tariffkit
