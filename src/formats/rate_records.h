// Rate records: .RTE holds a rate basis number's rates under its six digits,
// .RMX and .AKR the rates of the Mexican and Alaskan legs the same way, and
// .RTF the base-point method's rates under the number itself. Every value is
// an i32 in cents. A wide record carries the whole rate table (cells 0 to
// 165); a narrow one the four minimum-charge levels and the base rate of each
// of nine breaks, which the factor files spread over the classes.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "formats/field_layout.h"

namespace brant::formats {

// .RTE, .RMX and .AKR records begin with their key, the six digits of a rate
// basis number; the files ascend by it.
inline constexpr Field kRateKey{0, 6, Kind::kChars};

// .RTE, wide: the key, then baseRates cells 0 to 165.
namespace wide_rate {
inline constexpr std::size_t kSize = 670;
inline constexpr Field kKey = kRateKey;
inline constexpr Field kValues{6, 4, Kind::kI32, 166};
inline constexpr Field kFields[] = {kKey, kValues};
static_assert(FitsRecord(kFields, kSize) && kValues.End() == kSize);
inline constexpr RecordLayout kLayout{".RTE", "wide", kSize, kFields};
}  // namespace wide_rate

// .RTE, narrow: the key, the four minimum-charge levels, then the base rate
// of breaks 0 to 8; the values run on as one array of 13.
namespace narrow_rate {
inline constexpr std::size_t kSize = 58;
inline constexpr Field kKey = kRateKey;
inline constexpr Field kValues{6, 4, Kind::kI32, 13};
inline constexpr std::size_t kMinimumCount = 4;
inline constexpr Field kFields[] = {kKey, kValues};
static_assert(FitsRecord(kFields, kSize) && kValues.End() == kSize);
inline constexpr RecordLayout kLayout{".RTE", "narrow", kSize, kFields};
}  // namespace narrow_rate

// .RMX and .AKR: the key, the leg's one minimum charge, then class cells 4
// to 165.
namespace leg_rate {
inline constexpr std::size_t kSize = 658;
inline constexpr Field kKey = kRateKey;
inline constexpr Field kMinimum{6, 4, Kind::kI32};
inline constexpr Field kCells{10, 4, Kind::kI32, 162};
inline constexpr std::size_t kFirstCell = 4;
// The minimum and the cells as one run of 163 values.
inline constexpr Field kValues{kMinimum.offset, 4, Kind::kI32, 1 + kCells.count};
inline constexpr Field kFields[] = {kKey, kMinimum, kCells};
static_assert(FitsRecord(kFields, kSize) && kValues.End() == kSize);
inline constexpr RecordLayout kLayout{".RMX and .AKR", "", kSize, kFields};
}  // namespace leg_rate

// .RTE and .RTF values, by width of record.
inline constexpr const Field& RateValues(bool wide) {
  return wide ? wide_rate::kValues : narrow_rate::kValues;
}

// A key and its values, in record order.
struct KeyedRateRecord {
  std::string_view key;  // all six bytes
  std::vector<int32_t> values;
};

// `values` is the record's run of values: wide_rate::kValues,
// narrow_rate::kValues or leg_rate::kValues.
inline KeyedRateRecord DecodeKeyedRates(const uint8_t* record, const Field& values) {
  KeyedRateRecord r{kRateKey.Bytes(record), std::vector<int32_t>(values.count)};
  for (std::size_t i = 0; i < values.count; ++i) r.values[i] = values.I32(record, i);
  return r;
}

// Writes the key and the values given; values past the run are not
// written, and those the caller leaves out keep the image's bytes.
inline void EncodeKeyedRates(std::string_view key, std::span<const int32_t> given,
                             const Field& values, uint8_t* record) {
  kRateKey.PutText(record, key);
  for (std::size_t i = 0; i < given.size() && i < values.count; ++i) {
    values.PutI32(record, given[i], i);
  }
}

// .RTF, wide: the RBNO as a number, six bytes not read, then baseRates
// cells 0 to 165.
namespace wide_point_rate {
inline constexpr std::size_t kSize = 674;
inline constexpr Field kRbno{0, 4, Kind::kI32};
inline constexpr Field kFactorGroup{4, 6, Kind::kChars};
inline constexpr Field kValues{10, 4, Kind::kI32, 166};
inline constexpr Field kFields[] = {kRbno, kFactorGroup, kValues};
static_assert(FitsRecord(kFields, kSize) && kValues.End() == kSize);
inline constexpr RecordLayout kLayout{".RTF", "wide", kSize, kFields};
}  // namespace wide_point_rate

// .RTF, narrow: the RBNO, its factor group number as six digits, then the
// four minimums and the base rates of breaks 0 to 8.
namespace narrow_point_rate {
inline constexpr std::size_t kSize = 62;
inline constexpr Field kRbno{0, 4, Kind::kI32};
inline constexpr Field kFactorGroup{4, 6, Kind::kChars};
inline constexpr Field kValues{10, 4, Kind::kI32, 13};
inline constexpr Field kFields[] = {kRbno, kFactorGroup, kValues};
static_assert(FitsRecord(kFields, kSize) && kValues.End() == kSize);
inline constexpr RecordLayout kLayout{".RTF", "narrow", kSize, kFields};
}  // namespace narrow_point_rate

// Both widths share the RBNO and the factor group fields.
static_assert(wide_point_rate::kRbno.offset == narrow_point_rate::kRbno.offset &&
              wide_point_rate::kFactorGroup.offset == narrow_point_rate::kFactorGroup.offset);

inline constexpr const Field& PointRateValues(bool wide) {
  return wide ? wide_point_rate::kValues : narrow_point_rate::kValues;
}
inline constexpr std::size_t PointRateSize(bool wide) {
  return wide ? wide_point_rate::kSize : narrow_point_rate::kSize;
}

struct PointRateRecord {
  int32_t rbno;
  std::string_view factorGroup;  // all six bytes
  std::vector<int32_t> values;
};

inline PointRateRecord DecodePointRate(const uint8_t* record, bool wide) {
  using namespace narrow_point_rate;
  const Field& values = PointRateValues(wide);
  PointRateRecord r{kRbno.I32(record), kFactorGroup.Bytes(record),
                    std::vector<int32_t>(values.count)};
  for (std::size_t i = 0; i < values.count; ++i) r.values[i] = values.I32(record, i);
  return r;
}

// Values past the record's run are not written; those left out keep the
// image's bytes.
inline void EncodePointRate(const PointRateRecord& p, bool wide, uint8_t* record) {
  using namespace narrow_point_rate;
  const Field& values = PointRateValues(wide);
  kRbno.PutI32(record, p.rbno);
  kFactorGroup.PutText(record, p.factorGroup);
  for (std::size_t i = 0; i < p.values.size() && i < values.count; ++i) {
    values.PutI32(record, p.values[i], i);
  }
}

}  // namespace brant::formats
