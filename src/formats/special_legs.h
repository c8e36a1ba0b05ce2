// The special legs' files. Hawaii: the gateway of a pair of ZIP-prefix codes
// (.HIM), the gateway's mainland ZIP (.HIF) and the four rate tables (.HID,
// .HIO, .HIP, .HIW). Mexico and Alaska: the point of a postal code (.BMX,
// .AKB) and the RBNO digits of a point and a ZIP prefix (.MMX, .AKM). Texts
// are space-padded to their width; decoding gives every byte of a text,
// padding included, because the lookups compare and copy whole fields.
#pragma once

#include <array>
#include <cstring>
#include <string_view>

#include "formats/field_layout.h"

namespace brant::formats {

// ---- .HIB ------------------------------------------------------------------

// A Hawaiian ZIP's point, sorted by the ZIP (letters compared without case).
namespace hawaii_point {
inline constexpr std::size_t kSize = 13;
inline constexpr Field kZip{0, 5, Kind::kChars};
inline constexpr Field kAreaCode{5, 3, Kind::kChars};
inline constexpr Field kRateCode{8, 2, Kind::kChars};
inline constexpr Field kTerminal{10, 3, Kind::kChars};
inline constexpr Field kFields[] = {kZip, kAreaCode, kRateCode, kTerminal};
static_assert(FitsRecord(kFields, kSize));
}  // namespace hawaii_point

struct HawaiiPointRecord {
  std::string_view zip;
  std::string_view areaCode;
  std::string_view rateCode;
  std::string_view terminal;
};

inline HawaiiPointRecord DecodeHawaiiPoint(const uint8_t* record) {
  using namespace hawaii_point;
  return {kZip.Bytes(record), kAreaCode.Bytes(record), kRateCode.Bytes(record),
          kTerminal.Bytes(record)};
}

inline void EncodeHawaiiPoint(const HawaiiPointRecord& p, uint8_t* record) {
  using namespace hawaii_point;
  kZip.PutPadded(record, p.zip);
  kAreaCode.PutPadded(record, p.areaCode);
  kRateCode.PutPadded(record, p.rateCode);
  kTerminal.PutPadded(record, p.terminal);
}

// ---- .HIM ------------------------------------------------------------------

// Sorted by the two codes; a code is a three-digit ZIP prefix or "MEX".
namespace hawaii_gateway {
inline constexpr std::size_t kSize = 9;
inline constexpr Field kOriginCode{0, 3, Kind::kChars};
inline constexpr Field kDestinationCode{3, 3, Kind::kChars};
inline constexpr Field kGateway{6, 3, Kind::kChars};
inline constexpr std::size_t kKeyWidth = kGateway.offset;  // the two codes
inline constexpr Field kFields[] = {kOriginCode, kDestinationCode, kGateway};
static_assert(FitsRecord(kFields, kSize));
inline constexpr RecordLayout kLayout{".HIM", "", kSize, kFields};
}  // namespace hawaii_gateway

struct HawaiiGatewayRecord {
  std::string_view originCode;
  std::string_view destinationCode;
  std::string_view gateway;
};

inline HawaiiGatewayRecord DecodeHawaiiGateway(const uint8_t* record) {
  using namespace hawaii_gateway;
  return {kOriginCode.Bytes(record), kDestinationCode.Bytes(record), kGateway.Bytes(record)};
}

inline void EncodeHawaiiGateway(const HawaiiGatewayRecord& g, uint8_t* record) {
  using namespace hawaii_gateway;
  kOriginCode.PutPadded(record, g.originCode);
  kDestinationCode.PutPadded(record, g.destinationCode);
  kGateway.PutPadded(record, g.gateway);
}

// ---- .HIF ------------------------------------------------------------------

// Sorted by the gateway code.
namespace gateway_zip {
inline constexpr std::size_t kSize = 8;
inline constexpr Field kGateway{0, 3, Kind::kChars};
inline constexpr Field kZip{3, 5, Kind::kChars};
inline constexpr std::size_t kKeyWidth = kGateway.width;
inline constexpr Field kFields[] = {kGateway, kZip};
static_assert(FitsRecord(kFields, kSize));
inline constexpr RecordLayout kLayout{".HIF", "", kSize, kFields};
}  // namespace gateway_zip

struct GatewayZipRecord {
  std::string_view gateway;
  std::string_view zip;
};

inline GatewayZipRecord DecodeGatewayZip(const uint8_t* record) {
  using namespace gateway_zip;
  return {kGateway.Bytes(record), kZip.Bytes(record)};
}

inline void EncodeGatewayZip(const GatewayZipRecord& g, uint8_t* record) {
  using namespace gateway_zip;
  kGateway.PutPadded(record, g.gateway);
  kZip.PutPadded(record, g.zip);
}

// ---- .HID, .HIO, .HIP, .HIW ------------------------------------------------

// One layout for the four tables, sorted by area code and rate code; the
// charges are in cents, one rate per weight bracket.
namespace hawaii_table {
inline constexpr std::size_t kSize = 33;
inline constexpr Field kAreaCode{0, 3, Kind::kChars};
inline constexpr Field kRateCode{3, 2, Kind::kChars};
inline constexpr Field kMinimum{5, 4, Kind::kI32};
inline constexpr Field kRates{9, 4, Kind::kI32, 6};
inline constexpr std::size_t kKeyWidth = kMinimum.offset;  // the two codes
inline constexpr Field kFields[] = {kAreaCode, kRateCode, kMinimum, kRates};
static_assert(FitsRecord(kFields, kSize));
inline constexpr RecordLayout kLayout{".HID, .HIO, .HIP, .HIW", "", kSize, kFields};
}  // namespace hawaii_table

struct HawaiiTableRecord {
  std::string_view areaCode;
  std::string_view rateCode;
  int32_t minimum;
  std::array<int32_t, hawaii_table::kRates.count> rates;
};

inline HawaiiTableRecord DecodeHawaiiTable(const uint8_t* record) {
  using namespace hawaii_table;
  HawaiiTableRecord h{kAreaCode.Bytes(record), kRateCode.Bytes(record), kMinimum.I32(record), {}};
  for (std::size_t i = 0; i < h.rates.size(); ++i) h.rates[i] = kRates.I32(record, i);
  return h;
}

inline void EncodeHawaiiTable(const HawaiiTableRecord& h, uint8_t* record) {
  using namespace hawaii_table;
  kAreaCode.PutPadded(record, h.areaCode);
  kRateCode.PutPadded(record, h.rateCode);
  kMinimum.PutI32(record, h.minimum);
  for (std::size_t i = 0; i < h.rates.size(); ++i) kRates.PutI32(record, h.rates[i], i);
}

// ---- .BMX ------------------------------------------------------------------

namespace mexican_point {
inline constexpr std::size_t kSize = 8;
inline constexpr Field kPostalCode{0, 5, Kind::kChars};
inline constexpr Field kPoint{5, 3, Kind::kChars};
inline constexpr Field kFields[] = {kPostalCode, kPoint};
static_assert(FitsRecord(kFields, kSize));
inline constexpr RecordLayout kLayout{".BMX", "", kSize, kFields};
}  // namespace mexican_point

struct MexicanPointRecord {
  std::string_view postalCode;
  std::string_view point;
};

inline MexicanPointRecord DecodeMexicanPoint(const uint8_t* record) {
  using namespace mexican_point;
  return {kPostalCode.Bytes(record), kPoint.Bytes(record)};
}

inline void EncodeMexicanPoint(const MexicanPointRecord& p, uint8_t* record) {
  using namespace mexican_point;
  kPostalCode.PutPadded(record, p.postalCode);
  kPoint.PutPadded(record, p.point);
}

// ---- .MMX and .AKM -----------------------------------------------------------

// A special end's point and the other end's ZIP prefix, then the RBNO digits
// of the pair. .AKM records end in one byte more, written as a space and
// never read.
namespace mexican_rbno {
inline constexpr std::size_t kSize = 12;
inline constexpr Field kPoint{0, 3, Kind::kChars};
inline constexpr Field kZipPrefix{3, 3, Kind::kChars};
inline constexpr Field kDigits{6, 6, Kind::kChars};
inline constexpr std::size_t kKeyWidth = kDigits.offset;  // point and ZIP prefix
inline constexpr Field kFields[] = {kPoint, kZipPrefix, kDigits};
static_assert(FitsRecord(kFields, kSize));
inline constexpr RecordLayout kLayout{".MMX", "", kSize, kFields};
}  // namespace mexican_rbno

namespace alaska_rbno {
inline constexpr std::size_t kSize = 13;
using mexican_rbno::kDigits;
using mexican_rbno::kFields;
using mexican_rbno::kKeyWidth;
using mexican_rbno::kPoint;
using mexican_rbno::kZipPrefix;
inline constexpr Field kUnused{12, 1, Kind::kBlock};
static_assert(FitsRecord(kFields, kSize) && kUnused.End() == kSize);
inline constexpr RecordLayout kLayout{".AKM", "", kSize, kFields};
}  // namespace alaska_rbno

struct PointRbnoRecord {
  std::string_view point;
  std::string_view zipPrefix;
  std::string_view digits;
};

// Either file's record: the .AKM one begins as the .MMX one does.
inline PointRbnoRecord DecodePointRbno(const uint8_t* record) {
  using namespace mexican_rbno;
  return {kPoint.Bytes(record), kZipPrefix.Bytes(record), kDigits.Bytes(record)};
}

inline void EncodeMexicanRbno(const PointRbnoRecord& r, uint8_t* record) {
  using namespace mexican_rbno;
  kPoint.PutPadded(record, r.point);
  kZipPrefix.PutPadded(record, r.zipPrefix);
  kDigits.PutPadded(record, r.digits);
}

inline void EncodeAlaskaRbno(const PointRbnoRecord& r, uint8_t* record) {
  EncodeMexicanRbno(r, record);
  alaska_rbno::kUnused.PutChar(record, ' ');
}

// ---- .AKB ------------------------------------------------------------------

// A range of Alaskan ZIPs: the highest shares the lowest's first three
// digits, so only its last two are held.
namespace alaska_point {
inline constexpr std::size_t kSize = 11;
inline constexpr Field kLowest{0, 5, Kind::kChars};
inline constexpr Field kHighestLastDigits{5, 2, Kind::kChars};
inline constexpr Field kPoint{7, 3, Kind::kChars};
inline constexpr Field kPointFlag{10, 1, Kind::kChar};
inline constexpr std::size_t kSharedDigits = kLowest.width - kHighestLastDigits.width;
inline constexpr Field kFields[] = {kLowest, kHighestLastDigits, kPoint, kPointFlag};
static_assert(FitsRecord(kFields, kSize));
inline constexpr RecordLayout kLayout{".AKB", "", kSize, kFields};
}  // namespace alaska_point

struct AlaskaPointRecord {
  std::string_view lowest;
  std::string_view highestLastDigits;
  std::string_view point;
  char pointFlag;
};

inline AlaskaPointRecord DecodeAlaskaPoint(const uint8_t* record) {
  using namespace alaska_point;
  return {kLowest.Bytes(record), kHighestLastDigits.Bytes(record), kPoint.Bytes(record),
          kPointFlag.Char(record)};
}

inline void EncodeAlaskaPoint(const AlaskaPointRecord& a, uint8_t* record) {
  using namespace alaska_point;
  kLowest.PutPadded(record, a.lowest);
  kHighestLastDigits.PutPadded(record, a.highestLastDigits);
  kPoint.PutPadded(record, a.point);
  kPointFlag.PutChar(record, a.pointFlag);
}

// The highest ZIP of a range written out whole: the lowest's first digits,
// then its own last ones.
inline void HighestAlaskaZip(const AlaskaPointRecord& a, char (&zip)[alaska_point::kLowest.width]) {
  using namespace alaska_point;
  std::memcpy(zip, a.lowest.data(), kSharedDigits);
  std::memcpy(zip + kSharedDigits, a.highestLastDigits.data(), kHighestLastDigits.width);
}

}  // namespace brant::formats
