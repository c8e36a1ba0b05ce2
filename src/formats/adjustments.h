// Rate adjustments' files: each end's adjustment points by ZIP (.FBA origin,
// .TBA destination) or by alphabetic postal prefix (.FCA, .TCA), the
// adjustment numbers of a lane between two points (.LMA) and the adjustment
// records those numbers name (.ADF). Texts are space-padded to their width;
// decoding gives every byte of a text, padding included.
#pragma once

#include <array>
#include <cstring>
#include <string_view>

#include "formats/field_layout.h"

namespace brant::formats {

// ---- .FBA, .TBA ------------------------------------------------------------

// The file begins with P, the points per record, as decimal text; the record
// of ZIP z lies at byte z x RecordSize(P): P point codes, then bytes no one
// reads. ZIP 0's record is where P is, so it holds no points.
namespace zip_adjustment_points {
inline constexpr Field kPointsPerRecord{0, 5, Kind::kNumberText};
inline constexpr std::size_t kPointWidth = 5;
inline constexpr std::size_t kTailWidth = 3;
// More points than this to a record, and the lookup refuses the file.
inline constexpr std::size_t kMostPointsPerRecord = 100;

constexpr std::size_t RecordSize(std::size_t points) { return kPointWidth * points + kTailWidth; }
// The point codes of a record of `points`, from the record's start.
constexpr Field Points(std::size_t points) { return {0, kPointWidth, Kind::kChars, points}; }
}  // namespace zip_adjustment_points

// ---- .FCA, .TCA ------------------------------------------------------------

// A range of postal prefixes and its point. The records are lines of text:
// blanks between the fields, CR LF at the end, and one end-of-file byte
// after the last line.
namespace postal_adjustment_range {
inline constexpr std::size_t kSize = 18;
inline constexpr Field kLowest{0, 3, Kind::kChars};
inline constexpr Field kHighest{5, 3, Kind::kChars};
inline constexpr Field kPoint{11, 5, Kind::kChars};
inline constexpr Field kLineEnd{16, 2, Kind::kBlock};  // not read
inline constexpr std::string_view kLineEndBytes = "\r\n";
inline constexpr std::string_view kTrailer = "\x1a";
inline constexpr Field kFields[] = {kLowest, kHighest, kPoint};
static_assert(FitsRecord(kFields, kSize) && kLineEnd.End() == kSize);
inline constexpr RecordLayout kLayout{".FCA, .TCA", "", kSize, kFields};
}  // namespace postal_adjustment_range

struct PostalAdjustmentRangeRecord {
  std::string_view lowest;
  std::string_view highest;
  std::string_view point;
};

inline PostalAdjustmentRangeRecord DecodePostalAdjustmentRange(const uint8_t* record) {
  using namespace postal_adjustment_range;
  return {kLowest.Bytes(record), kHighest.Bytes(record), kPoint.Bytes(record)};
}

inline void EncodePostalAdjustmentRange(const PostalAdjustmentRangeRecord& p, uint8_t* record) {
  using namespace postal_adjustment_range;
  std::memset(record, ' ', kSize);  // the blanks between the fields
  kLowest.PutPadded(record, p.lowest);
  kHighest.PutPadded(record, p.highest);
  kPoint.PutPadded(record, p.point);
  kLineEnd.PutText(record, kLineEndBytes);
}

// ---- .LMA ------------------------------------------------------------------

// Sorted by the lane, the two points, compared without regard to case;
// records of one lane stand side by side. The first byte is a blank.
namespace lane_adjustment {
inline constexpr std::size_t kSize = 17;
inline constexpr Field kUnread{0, 1, Kind::kBlock};
inline constexpr Field kOriginPoint{1, 5, Kind::kChars};
inline constexpr Field kDestinationPoint{6, 5, Kind::kChars};
inline constexpr Field kNumber{11, 6, Kind::kChars};
inline constexpr std::size_t kKeyAt = kOriginPoint.offset;
inline constexpr std::size_t kKeyWidth = kNumber.offset - kKeyAt;  // the two points
inline constexpr Field kFields[] = {kOriginPoint, kDestinationPoint, kNumber};
static_assert(FitsRecord(kFields, kSize));
inline constexpr RecordLayout kLayout{".LMA", "", kSize, kFields};
}  // namespace lane_adjustment

struct LaneAdjustmentRecord {
  std::string_view originPoint;
  std::string_view destinationPoint;
  std::string_view number;
};

inline LaneAdjustmentRecord DecodeLaneAdjustment(const uint8_t* record) {
  using namespace lane_adjustment;
  return {kOriginPoint.Bytes(record), kDestinationPoint.Bytes(record), kNumber.Bytes(record)};
}

inline void EncodeLaneAdjustment(const LaneAdjustmentRecord& l, uint8_t* record) {
  using namespace lane_adjustment;
  kUnread.PutChar(record, ' ');
  kOriginPoint.PutPadded(record, l.originPoint);
  kDestinationPoint.PutPadded(record, l.destinationPoint);
  kNumber.PutPadded(record, l.number);
}

// ---- .ADF ------------------------------------------------------------------

// An adjustment number and one value per rate cell: hundredths of a percent
// when the mode is kPercentage, else an amount in cents.
namespace adjustment {
inline constexpr std::size_t kSize = 669;
inline constexpr Field kNumber{0, 4, Kind::kI32};
inline constexpr Field kMode{4, 1, Kind::kChar};
inline constexpr Field kValues{5, 4, Kind::kI32, 166};
inline constexpr char kPercentage = '1';
inline constexpr Field kFields[] = {kNumber, kMode, kValues};
static_assert(FitsRecord(kFields, kSize));
inline constexpr RecordLayout kLayout{".ADF", "", kSize, kFields};
}  // namespace adjustment

struct AdjustmentRecord {
  int32_t number;
  char mode;
  std::array<int32_t, adjustment::kValues.count> values;
};

inline AdjustmentRecord DecodeAdjustment(const uint8_t* record) {
  using namespace adjustment;
  AdjustmentRecord a{kNumber.I32(record), kMode.Char(record), {}};
  for (std::size_t i = 0; i < a.values.size(); ++i) a.values[i] = kValues.I32(record, i);
  return a;
}

inline void EncodeAdjustment(const AdjustmentRecord& a, uint8_t* record) {
  using namespace adjustment;
  kNumber.PutI32(record, a.number);
  kMode.PutChar(record, a.mode);
  for (std::size_t i = 0; i < a.values.size(); ++i) kValues.PutI32(record, a.values[i], i);
}

}  // namespace brant::formats
