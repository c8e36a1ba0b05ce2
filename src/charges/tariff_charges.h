// The charges a tariff adds past the line haul, as read from its own files
// when it opens (formats/charges.h): the fuel index and table, the
// accessorial catalogue and the class map. Each reader takes a file's bytes
// and says what is wrong with them, so the tariff kit can hold what it
// writes to the same rules.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brant::charges {

struct FuelPrice {
  int32_t date = 0;        // YYYYMMDD, the day it was published
  int32_t priceMills = 0;  // dollars a gallon x 1000
};

struct FuelBand {
  int32_t atLeastMills = 0;
  int32_t lessThanMills = 0;
  int32_t percentBps = 0;
};

struct FuelTable {
  bool present = false;
  bool formula = false;  // else bands
  int32_t weekday = 1;   // a new price takes effect on: 0 Sunday .. 6 Saturday
  bool onGross = false;  // else on the freight charge
  bool discounted = false;
  int32_t formulaBaseMills = 0;
  int32_t formulaStepMills = 0;
  int32_t formulaPercentBps = 0;
  std::vector<FuelBand> bands{};
};

struct Accessorial {
  char code[16] = {};  // upper case, NUL-terminated
  char name[40] = {};
  int32_t kind = 0;    // brant_charge_kind
  int32_t amount = 0;  // cents, cents per 100 lb, or hundredths of a percent
  int32_t minimumCents = 0;
  int32_t maximumCents = 0;  // 0: none
};

struct ClassMapping {
  char from[8] = {};
  char to[8] = {};
};

struct TariffCharges {
  std::vector<FuelPrice> fuelIndex{};  // dates rising; empty: none
  FuelTable fuelTable{};
  std::vector<Accessorial> catalogue{};
  std::vector<ClassMapping> classMap{};
};

// Each reads a whole file's bytes into `out` and returns "" when they are
// sound, else what is wrong ("record 3: the date 20261301 is not a date").
std::string ReadFuelIndex(std::string_view bytes, std::vector<FuelPrice>& out);
std::string ReadFuelTable(std::string_view bytes, FuelTable& out);
std::string ReadCatalogue(std::string_view bytes, std::vector<Accessorial>& out);
std::string ReadClassMap(std::string_view bytes, std::vector<ClassMapping>& out);

// The catalogue's entry for `code` (any case), or null.
const Accessorial* FindAccessorial(const TariffCharges& charges, std::string_view code);

// The class `freightClass` rates as, or null when the map leaves it.
const char* MappedClass(const TariffCharges& charges, std::string_view freightClass);

}  // namespace brant::charges
