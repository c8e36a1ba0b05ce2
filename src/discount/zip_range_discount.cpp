// The profile's ZIP-range tables: a discount or a floor by origin and
// destination, each end given as a ZIP range or as a state.
#include <cstring>

#include "formats/host_records.h"
#include "discount/decimal_text.h"
#include "discount/discount.h"
#include "discount/zip_ranges.h"

namespace brant {
namespace {

namespace zr = zipranges;

struct ZipRangeTable {
  const uint8_t* entries;
  std::size_t entrySize;
  std::size_t count;  // never more than the table's room
};

std::size_t CountInUse(int32_t count) {
  if (count < 0) return 0;
  return static_cast<std::size_t>(count) < profile::kZipTableRoom ? static_cast<std::size_t>(count)
                                                                  : profile::kZipTableRoom;
}

ZipRangeTable DiscountTable(const RateContext& c) {
  return {c.profileRecord + profile::kZipDiscountTableAt, profile::kZipDiscountEntrySize,
          CountInUse(profile::zipDiscountCount.Get(c))};
}

ZipRangeTable FloorTable(const RateContext& c) {
  return {c.profileRecord + profile::kZipFloorTableAt, profile::kZipFloorEntrySize,
          CountInUse(profile::zipFloorCount.Get(c))};
}

// One end of the shipment against one end of an entry.
struct EndMatch {
  bool inRange;    // the ZIP lies between low and high, both included
  bool sameState;  // the state equals the first two characters of high
  bool blankLow;   // low is five spaces: the entry names a state
};

EndMatch MatchEnd(const char* zip, const char* state, const uint8_t* low, const uint8_t* high) {
  return {std::memcmp(low, zip, zr::kKeyWidth) <= 0 && std::memcmp(zip, high, zr::kKeyWidth) <= 0,
          std::memcmp(state, high, zr::kStateWidth) == 0,
          std::memcmp(low, "     ", zr::kKeyWidth) == 0};
}

// ZIP range to ZIP range, ZIP range to state, state to ZIP range, state to state.
bool EntryMatches(const RateContext& c, const uint8_t* entry) {
  const EndMatch o =
      MatchEnd(c.origZip, c.origState, entry + zr::kOrigLowAt, entry + zr::kOrigHighAt);
  const EndMatch d =
      MatchEnd(c.destZip, c.destState, entry + zr::kDestLowAt, entry + zr::kDestHighAt);
  return (o.inRange && d.inRange && !o.blankLow && !d.blankLow) ||
         (o.inRange && d.sameState && !o.blankLow) || (o.sameState && d.inRange && !d.blankLow) ||
         (o.sameState && d.sameState && o.blankLow && d.blankLow);
}

const uint8_t* FirstMatch(const RateContext& c, const ZipRangeTable& table) {
  for (std::size_t i = 0; i < table.count; ++i) {
    const uint8_t* entry = table.entries + i * table.entrySize;
    if (EntryMatches(c, entry)) return entry;
  }
  return nullptr;
}

}  // namespace

int32_t ApplyZipRangeDiscount(RateContext& c) {
  const uint8_t* entry = FirstMatch(c, DiscountTable(c));
  if (entry == nullptr) return 0;
  c.discountSource = 'Z';
  static_assert(sizeof c.discountPercent / sizeof c.discountPercent[0] == zr::kPercentCount);
  for (std::size_t j = 0; j < zr::kPercentCount; ++j) {
    c.discountPercent[j] =
        FieldValue(entry + zr::kPercentsAt + j * zr::kPercentWidth, zr::kPercentWidth);
  }
  return 1;
}

int32_t ApplyZipRangeFloor(RateContext& c) {
  const uint8_t* entry = FirstMatch(c, FloorTable(c));
  if (entry == nullptr) return 0;
  c.floorSource = 'Z';
  static_assert(sizeof c.floorText == zr::kFloorWidth);
  PutDecimalText(c.floorText, sizeof c.floorText, entry + zr::kFloorAt);
  c.discountFloor = FieldValue(entry + zr::kFloorAt, zr::kFloorWidth);
  return 1;
}

}  // namespace brant
