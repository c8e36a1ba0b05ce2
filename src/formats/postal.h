// Postal tables read whole into heap blocks: the Canadian postal prefix
// ranges (.SCC) and the ZIP table of ZIP-range discounts (.ZP6), the
// tariff's and a profile's.
#pragma once

#include <string_view>

#include "formats/field_layout.h"

namespace brant::formats {

// .SCC: ranges of 3-character postal prefixes, ascending and not
// overlapping, searched by halving; the texts are space-padded.
namespace postal_range {
inline constexpr std::size_t kSize = 8;
inline constexpr Field kProvince{0, 2, Kind::kChars};
inline constexpr Field kLowest{2, 3, Kind::kChars};
inline constexpr Field kHighest{5, 3, Kind::kChars};
inline constexpr Field kFields[] = {kProvince, kLowest, kHighest};
static_assert(FitsRecord(kFields, kSize));
inline constexpr RecordLayout kLayout{".SCC", "", kSize, kFields};
}  // namespace postal_range

struct PostalRangeRecord {
  std::string_view province;  // each field whole, padding included
  std::string_view lowest;
  std::string_view highest;
};

inline PostalRangeRecord DecodePostalRange(const uint8_t* record) {
  using namespace postal_range;
  return {kProvince.Bytes(record), kLowest.Bytes(record), kHighest.Bytes(record)};
}

inline void EncodePostalRange(const PostalRangeRecord& r, uint8_t* record) {
  using namespace postal_range;
  kProvince.PutPadded(record, r.province);
  kLowest.PutPadded(record, r.lowest);
  kHighest.PutPadded(record, r.highest);
}

// .ZP6: records whose content is the host's.
namespace zip_table {
inline constexpr std::size_t kSize = 12;
}  // namespace zip_table

}  // namespace brant::formats
