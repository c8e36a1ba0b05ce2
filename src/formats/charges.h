// The charges past the line haul, in files of this library's own that only
// the rating interface reads: the fuel index (.FUI), the carrier's fuel
// table (.FUT), the accessorial catalogue (.ACL) and the class map of a
// freight-all-kinds tariff (.FAK). Each is read whole when a tariff opens.
#pragma once

#include <cstdint>
#include <string_view>

#include "formats/field_layout.h"

namespace brant::formats {

// The bounds of the values these files hold.
inline constexpr int32_t kMostPriceMills = 99999;        // 99.999 dollars a gallon
inline constexpr int32_t kMostFuelPercentBps = 9999;     // 99.99 %
inline constexpr int32_t kMostChargeCents = 9999999;     // 99,999.99 dollars, or per 100 lb
inline constexpr int32_t kMostChargePercentBps = 99999;  // 999.99 % of the freight charge
inline constexpr std::size_t kMostClassCharacters = 6;   // a class as a line's text holds it

// .FUI: one weekly diesel price per record, dates rising.
namespace fuel_price {
inline constexpr std::size_t kSize = 8;
inline constexpr Field kDate{0, 4, Kind::kI32};   // YYYYMMDD, the day it was published
inline constexpr Field kPrice{4, 4, Kind::kI32};  // dollars a gallon x 1000
inline constexpr Field kFields[] = {kDate, kPrice};
static_assert(FitsRecord(kFields, kSize));
inline constexpr RecordLayout kLayout{".FUI", "", kSize, kFields};
}  // namespace fuel_price

struct FuelPriceRecord {
  int32_t date;
  int32_t priceMills;
};

inline FuelPriceRecord DecodeFuelPrice(const uint8_t* record) {
  using namespace fuel_price;
  return {kDate.I32(record), kPrice.I32(record)};
}

inline void EncodeFuelPrice(const FuelPriceRecord& p, uint8_t* record) {
  using namespace fuel_price;
  kDate.PutI32(record, p.date);
  kPrice.PutI32(record, p.priceMills);
}

// .FUT: a header saying how the table is read, then its bands (none for a
// formula).
namespace fuel_table {
inline constexpr std::size_t kSize = 32;
inline constexpr Field kKind{0, 4, Kind::kI32};             // 1 bands, 2 formula
inline constexpr Field kWeekday{4, 4, Kind::kI32};          // 0 Sunday .. 6 Saturday
inline constexpr Field kBase{8, 4, Kind::kI32};             // 1 freight charge, 2 gross
inline constexpr Field kDiscounted{12, 4, Kind::kI32};      // 1: less the bill's discount
inline constexpr Field kFormulaBase{16, 4, Kind::kI32};     // dollars x 1000
inline constexpr Field kFormulaStep{20, 4, Kind::kI32};     // dollars x 1000
inline constexpr Field kFormulaPercent{24, 4, Kind::kI32};  // hundredths of a percent a step
inline constexpr Field kBandCount{28, 4, Kind::kI32};
inline constexpr Field kFields[] = {kKind,        kWeekday,     kBase,           kDiscounted,
                                    kFormulaBase, kFormulaStep, kFormulaPercent, kBandCount};
static_assert(FitsRecord(kFields, kSize));
inline constexpr RecordLayout kLayout{".FUT", "", kSize, kFields};

inline constexpr int32_t kBands = 1;
inline constexpr int32_t kFormula = 2;
inline constexpr int32_t kOnFreightCharge = 1;
inline constexpr int32_t kOnGross = 2;
inline constexpr int32_t kMostBands = 1000;
}  // namespace fuel_table

namespace fuel_band {
inline constexpr std::size_t kSize = 12;
inline constexpr Field kAtLeast{0, 4, Kind::kI32};   // dollars x 1000
inline constexpr Field kLessThan{4, 4, Kind::kI32};  // dollars x 1000
inline constexpr Field kPercent{8, 4, Kind::kI32};   // hundredths of a percent
inline constexpr Field kFields[] = {kAtLeast, kLessThan, kPercent};
static_assert(FitsRecord(kFields, kSize));
inline constexpr RecordLayout kLayout{".FUT", "record", kSize, kFields};
}  // namespace fuel_band

struct FuelTableHeader {
  int32_t kind;
  int32_t weekday;
  int32_t base;
  int32_t discounted;
  int32_t formulaBaseMills;
  int32_t formulaStepMills;
  int32_t formulaPercentBps;
  int32_t bandCount;
};

inline FuelTableHeader DecodeFuelTableHeader(const uint8_t* record) {
  using namespace fuel_table;
  return {kKind.I32(record),           kWeekday.I32(record),     kBase.I32(record),
          kDiscounted.I32(record),     kFormulaBase.I32(record), kFormulaStep.I32(record),
          kFormulaPercent.I32(record), kBandCount.I32(record)};
}

inline void EncodeFuelTableHeader(const FuelTableHeader& h, uint8_t* record) {
  using namespace fuel_table;
  kKind.PutI32(record, h.kind);
  kWeekday.PutI32(record, h.weekday);
  kBase.PutI32(record, h.base);
  kDiscounted.PutI32(record, h.discounted);
  kFormulaBase.PutI32(record, h.formulaBaseMills);
  kFormulaStep.PutI32(record, h.formulaStepMills);
  kFormulaPercent.PutI32(record, h.formulaPercentBps);
  kBandCount.PutI32(record, h.bandCount);
}

struct FuelBandRecord {
  int32_t atLeastMills;
  int32_t lessThanMills;
  int32_t percentBps;
};

inline FuelBandRecord DecodeFuelBand(const uint8_t* record) {
  using namespace fuel_band;
  return {kAtLeast.I32(record), kLessThan.I32(record), kPercent.I32(record)};
}

inline void EncodeFuelBand(const FuelBandRecord& b, uint8_t* record) {
  using namespace fuel_band;
  kAtLeast.PutI32(record, b.atLeastMills);
  kLessThan.PutI32(record, b.lessThanMills);
  kPercent.PutI32(record, b.percentBps);
}

// .ACL: one accessorial per record, codes in upper case.
namespace accessorial_charge {
inline constexpr std::size_t kSize = 72;
inline constexpr Field kCode{0, 16, Kind::kChars};
inline constexpr Field kName{16, 40, Kind::kChars};
inline constexpr Field kKind{56, 4, Kind::kI32};     // 1 flat, 2 per 100 lb, 3 percent
inline constexpr Field kAmount{60, 4, Kind::kI32};   // cents, or hundredths of a percent
inline constexpr Field kMinimum{64, 4, Kind::kI32};  // cents; 0: none
inline constexpr Field kMaximum{68, 4, Kind::kI32};  // cents; 0: none
inline constexpr Field kFields[] = {kCode, kName, kKind, kAmount, kMinimum, kMaximum};
static_assert(FitsRecord(kFields, kSize));
inline constexpr RecordLayout kLayout{".ACL", "", kSize, kFields};
inline constexpr std::size_t kMostRecords = 1000;
}  // namespace accessorial_charge

struct AccessorialRecord {
  std::string_view code;  // to the first NUL
  std::string_view name;
  int32_t kind;
  int32_t amount;
  int32_t minimumCents;
  int32_t maximumCents;
};

inline AccessorialRecord DecodeAccessorial(const uint8_t* record) {
  using namespace accessorial_charge;
  return {kCode.Text(record),  kName.Text(record),   kKind.I32(record),
          kAmount.I32(record), kMinimum.I32(record), kMaximum.I32(record)};
}

// Texts are NUL-filled to their width.
inline void EncodeAccessorial(const AccessorialRecord& a, uint8_t* record) {
  using namespace accessorial_charge;
  kCode.PutText(record, a.code);
  kName.PutText(record, a.name);
  kKind.PutI32(record, a.kind);
  kAmount.PutI32(record, a.amount);
  kMinimum.PutI32(record, a.minimumCents);
  kMaximum.PutI32(record, a.maximumCents);
}

// .FAK: a class and the class it rates as, NUL-filled.
namespace class_map {
inline constexpr std::size_t kSize = 16;
inline constexpr Field kFrom{0, 8, Kind::kChars};
inline constexpr Field kTo{8, 8, Kind::kChars};
inline constexpr Field kFields[] = {kFrom, kTo};
static_assert(FitsRecord(kFields, kSize));
inline constexpr RecordLayout kLayout{".FAK", "", kSize, kFields};
inline constexpr std::size_t kMostRecords = 100;
}  // namespace class_map

struct ClassMapRecord {
  std::string_view from;
  std::string_view to;
};

inline ClassMapRecord DecodeClassMap(const uint8_t* record) {
  return {class_map::kFrom.Text(record), class_map::kTo.Text(record)};
}

inline void EncodeClassMap(const ClassMapRecord& m, uint8_t* record) {
  class_map::kFrom.PutText(record, m.from);
  class_map::kTo.PutText(record, m.to);
}

}  // namespace brant::formats
