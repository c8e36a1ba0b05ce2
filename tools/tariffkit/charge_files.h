// The charges past the line haul, laid out as formats/charges.h says: the
// fuel index (.FUI), the fuel table (.FUT), the accessorial catalogue
// (.ACL) and the class map (.FAK). The writers check what the library's
// reader refuses, so a kit tariff is always one it opens.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brant::tariffkit {

struct FuelPrice {
  int32_t date = 0;        // YYYYMMDD, the day it was published; dates rising
  int32_t priceMills = 0;  // dollars a gallon x 1000
};
std::string FuelIndexFile(const std::vector<FuelPrice>& prices);

struct FuelBand {
  int32_t atLeastMills = 0;
  int32_t lessThanMills = 0;
  int32_t percentBps = 0;
};

struct FuelTable {
  bool formula = false;  // else bands
  int32_t weekday = 1;   // a new price takes effect: 0 Sunday .. 6 Saturday
  bool onGross = false;  // else on the freight charge
  bool discounted = false;
  int32_t formulaBaseMills = 0;
  int32_t formulaStepMills = 0;
  int32_t formulaPercentBps = 0;
  std::vector<FuelBand> bands{};  // rising, each starting where the one before ends
};
std::string FuelTableFile(const FuelTable& table);

enum class ChargeKind : int32_t { kFlat = 1, kPerHundredweight = 2, kPercent = 3 };

struct Accessorial {
  std::string code{};  // upper-case letters, digits and "_", 1 to 15
  std::string name{};  // 1 to 40 characters
  ChargeKind kind = ChargeKind::kFlat;
  int32_t amount = 0;        // cents, cents per 100 lb, or hundredths of a percent
  int32_t minimumCents = 0;  // 0: none
  int32_t maximumCents = 0;  // 0: none
};
std::string AccessorialFile(const std::vector<Accessorial>& catalogue);

struct ClassMapping {
  std::string from{};
  std::string to{};
};
std::string ClassMapFile(const std::vector<ClassMapping>& mappings);

}  // namespace brant::tariffkit
