// Base points: .BSF and .BSC map a postal code to a base point for each end,
// and the point matrix .MTX maps a pair of base points to a rate basis value.
#pragma once

#include <string_view>

#include "formats/field_layout.h"

namespace brant::formats {

namespace base_point {
inline constexpr std::size_t kSize = 33;
inline constexpr Field kPostalCode{0, 5, Kind::kChars};
inline constexpr Field kOrigBasePoint{5, 6, Kind::kChars};
inline constexpr Field kDestBasePoint{11, 6, Kind::kChars};
inline constexpr Field kOrigRbnoAdjustment{17, 4, Kind::kI32};
inline constexpr Field kOrigAdjustmentNumber{21, 4, Kind::kI32};
inline constexpr Field kDestRbnoAdjustment{25, 4, Kind::kI32};
inline constexpr Field kDestAdjustmentNumber{29, 4, Kind::kI32};
inline constexpr Field kFields[] = {
    kPostalCode,           kOrigBasePoint,      kDestBasePoint,       kOrigRbnoAdjustment,
    kOrigAdjustmentNumber, kDestRbnoAdjustment, kDestAdjustmentNumber};
static_assert(FitsRecord(kFields, kSize));
inline constexpr RecordLayout kLayout{".BSF and .BSC", "", kSize, kFields};
}  // namespace base_point

// One end's part of a base point record.
struct BasePointSide {
  std::string_view basePoint;  // all six bytes
  int32_t rbnoAdjustment;
  int32_t adjustmentNumber;
};

struct BasePointRecord {
  std::string_view postalCode;  // up to the first NUL
  BasePointSide origin;
  BasePointSide destination;
};

inline BasePointRecord DecodeBasePoint(const uint8_t* record) {
  using namespace base_point;
  return {kPostalCode.Text(record),
          {kOrigBasePoint.Bytes(record), kOrigRbnoAdjustment.I32(record),
           kOrigAdjustmentNumber.I32(record)},
          {kDestBasePoint.Bytes(record), kDestRbnoAdjustment.I32(record),
           kDestAdjustmentNumber.I32(record)}};
}

// Writes a whole record; texts longer than their fields are cut to them.
inline void EncodeBasePoint(const BasePointRecord& p, uint8_t* record) {
  using namespace base_point;
  kPostalCode.PutText(record, p.postalCode);
  kOrigBasePoint.PutText(record, p.origin.basePoint);
  kDestBasePoint.PutText(record, p.destination.basePoint);
  kOrigRbnoAdjustment.PutI32(record, p.origin.rbnoAdjustment);
  kOrigAdjustmentNumber.PutI32(record, p.origin.adjustmentNumber);
  kDestRbnoAdjustment.PutI32(record, p.destination.rbnoAdjustment);
  kDestAdjustmentNumber.PutI32(record, p.destination.adjustmentNumber);
}

// .MTX: a directional pair of base points, then the pair's value.
namespace point_pair {
inline constexpr std::size_t kSize = 16;
inline constexpr Field kOrigBasePoint{0, 6, Kind::kChars};
inline constexpr Field kDestBasePoint{6, 6, Kind::kChars};
inline constexpr Field kValue{12, 4, Kind::kI32};
inline constexpr std::size_t kKeyWidth = kValue.offset;  // the two points
inline constexpr Field kFields[] = {kOrigBasePoint, kDestBasePoint, kValue};
static_assert(FitsRecord(kFields, kSize));
inline constexpr RecordLayout kLayout{".MTX", "", kSize, kFields};
}  // namespace point_pair

struct PointPairRecord {
  std::string_view origBasePoint;
  std::string_view destBasePoint;
  int32_t value;
};

inline PointPairRecord DecodePointPair(const uint8_t* record) {
  using namespace point_pair;
  return {kOrigBasePoint.Bytes(record), kDestBasePoint.Bytes(record), kValue.I32(record)};
}

inline void EncodePointPair(const PointPairRecord& p, uint8_t* record) {
  using namespace point_pair;
  kOrigBasePoint.PutText(record, p.origBasePoint);
  kDestBasePoint.PutText(record, p.destBasePoint);
  kValue.PutI32(record, p.value);
}

}  // namespace brant::formats
