// The small tables of a tariff: accessorial records (.ACC), freight classes
// (.CLS), weight breaks (.WGT) and state codes by ZIP prefix (.SC), loaded
// whole when the tariff is opened, and the zone minimums (.ZMC), scanned per
// lookup.
#pragma once

#include <brantfunc/brantfunc.h>

#include <string_view>

#include "formats/field_layout.h"

namespace brant::formats {

// .ACC: records whose content is the host's; the record holds 100.
namespace accessorial {
inline constexpr std::size_t kSize = 124;
inline constexpr std::size_t kMaxRecords = BRANT_ACC_RECORDS;
static_assert(kSize == BRANT_ACC_RECORD_SIZE);
}  // namespace accessorial

// .CLS: one space-padded class code per record, no separators.
namespace class_code {
inline constexpr std::size_t kSize = 5;
inline constexpr Field kCode{0, 5, Kind::kChars};
inline constexpr std::size_t kMaxCodes = BRANT_CLASS_SLOTS;  // codes past these are not read
}  // namespace class_code

// .WGT: a label and two weights held as right-aligned decimal text.
namespace weight_break {
inline constexpr std::size_t kSize = 21;
inline constexpr Field kLabel{0, 5, Kind::kChars};
inline constexpr Field kMaximum{5, 8, Kind::kNumberText};
inline constexpr Field kMinimum{13, 8, Kind::kNumberText};
inline constexpr std::size_t kMaxRecords = BRANT_WGT_RECORDS;
inline constexpr int32_t kNoUpperBound = 9999999;  // a maximum that bounds nothing
inline constexpr Field kFields[] = {kLabel, kMaximum, kMinimum};
static_assert(FitsRecord(kFields, kSize));
static_assert(kSize == BRANT_WGT_RECORD_SIZE);
inline constexpr RecordLayout kLayout{".WGT", "", kSize, kFields};
}  // namespace weight_break

// Every field whole, padding included: the reader reads the weights like
// atol and the dumper reads them strictly.
struct WeightBreakRecord {
  std::string_view label;
  std::string_view maximum;
  std::string_view minimum;
};

inline WeightBreakRecord DecodeWeightBreak(const uint8_t* record) {
  using namespace weight_break;
  return {kLabel.Bytes(record), kMaximum.Bytes(record), kMinimum.Bytes(record)};
}

// The label is NUL-filled to its width; the weights are given as their
// 8-character texts.
inline void EncodeWeightBreak(const WeightBreakRecord& w, uint8_t* record) {
  using namespace weight_break;
  kLabel.PutText(record, w.label);
  kMaximum.PutText(record, w.maximum);
  kMinimum.PutText(record, w.minimum);
}

// .SC: record k (from 0) belongs to the three-digit ZIP prefix k + 1.
namespace state_code {
inline constexpr std::size_t kSize = 8;
inline constexpr Field kState{0, 2, Kind::kChars};
inline constexpr Field kIntrastate{2, 1, Kind::kChar};
inline constexpr Field kDirection{3, 1, Kind::kChar};
inline constexpr Field kPointFlag1{4, 1, Kind::kChar};
inline constexpr Field kPointFlag2{5, 1, Kind::kChar};
inline constexpr Field kPointFlag3{6, 1, Kind::kChar};
inline constexpr Field kRegion{7, 1, Kind::kChar};
inline constexpr std::size_t kRecords = BRANT_STATE_CODE_RECORDS;
inline constexpr Field kFields[] = {kState,      kIntrastate, kDirection, kPointFlag1,
                                    kPointFlag2, kPointFlag3, kRegion};
static_assert(FitsRecord(kFields, kSize));
static_assert(kSize == BRANT_STATE_CODE_RECORD_SIZE);
inline constexpr RecordLayout kLayout{".SC", "", kSize, kFields};
}  // namespace state_code

struct StateCodeRecord {
  std::string_view state;  // both bytes
  char intrastate;
  char direction;
  char pointFlag1;
  char pointFlag2;
  char pointFlag3;
  char region;
};

inline StateCodeRecord DecodeStateCode(const uint8_t* record) {
  using namespace state_code;
  return {kState.Bytes(record),     kIntrastate.Char(record), kDirection.Char(record),
          kPointFlag1.Char(record), kPointFlag2.Char(record), kPointFlag3.Char(record),
          kRegion.Char(record)};
}

// The state code is space-padded to its width.
inline void EncodeStateCode(const StateCodeRecord& s, uint8_t* record) {
  using namespace state_code;
  kState.PutPadded(record, s.state);
  kIntrastate.PutChar(record, s.intrastate);
  kDirection.PutChar(record, s.direction);
  kPointFlag1.PutChar(record, s.pointFlag1);
  kPointFlag2.PutChar(record, s.pointFlag2);
  kPointFlag3.PutChar(record, s.pointFlag3);
  kRegion.PutChar(record, s.region);
}

// .ZMC: a ZIP range for each end of the pair (lower ZIP first) and a range
// of rate basis numbers (letter and first five digits), all compared byte
// for byte, then the two amounts in cents.
namespace zone_minimum {
inline constexpr std::size_t kSize = 40;
inline constexpr Field kFirstEndLowest{0, 5, Kind::kChars};
inline constexpr Field kFirstEndHighest{5, 5, Kind::kChars};
inline constexpr Field kSecondEndLowest{10, 5, Kind::kChars};
inline constexpr Field kSecondEndHighest{15, 5, Kind::kChars};
inline constexpr Field kRbnoLowest{20, 6, Kind::kChars};
inline constexpr Field kRbnoHighest{26, 6, Kind::kChars};
inline constexpr Field kMinimumCharge{32, 4, Kind::kF32};
inline constexpr Field kZoneCharge{36, 4, Kind::kF32};
inline constexpr Field kFields[] = {kFirstEndLowest,   kFirstEndHighest, kSecondEndLowest,
                                    kSecondEndHighest, kRbnoLowest,      kRbnoHighest,
                                    kMinimumCharge,    kZoneCharge};
static_assert(FitsRecord(kFields, kSize));
inline constexpr RecordLayout kLayout{".ZMC", "", kSize, kFields};
}  // namespace zone_minimum

struct ZoneMinimumRecord {
  std::string_view firstEndLowest;  // each bound whole, as it is compared
  std::string_view firstEndHighest;
  std::string_view secondEndLowest;
  std::string_view secondEndHighest;
  std::string_view rbnoLowest;
  std::string_view rbnoHighest;
  float minimumCharge;
  float zoneCharge;
};

inline ZoneMinimumRecord DecodeZoneMinimum(const uint8_t* record) {
  using namespace zone_minimum;
  return {kFirstEndLowest.Bytes(record),  kFirstEndHighest.Bytes(record),
          kSecondEndLowest.Bytes(record), kSecondEndHighest.Bytes(record),
          kRbnoLowest.Bytes(record),      kRbnoHighest.Bytes(record),
          kMinimumCharge.F32(record),     kZoneCharge.F32(record)};
}

inline void EncodeZoneMinimum(const ZoneMinimumRecord& z, uint8_t* record) {
  using namespace zone_minimum;
  kFirstEndLowest.PutText(record, z.firstEndLowest);
  kFirstEndHighest.PutText(record, z.firstEndHighest);
  kSecondEndLowest.PutText(record, z.secondEndLowest);
  kSecondEndHighest.PutText(record, z.secondEndHighest);
  kRbnoLowest.PutText(record, z.rbnoLowest);
  kRbnoHighest.PutText(record, z.rbnoHighest);
  kMinimumCharge.PutF32(record, z.minimumCharge);
  kZoneCharge.PutF32(record, z.zoneCharge);
}

}  // namespace brant::formats
