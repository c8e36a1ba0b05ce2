// Discounts from the user's .DIS record: its block selector picks one of
// the four discount blocks by the kind of shipment.
#include <cstring>

#include "formats/host_records.h"
#include "discount/decimal_text.h"
#include "discount/discount.h"

namespace brant {
namespace {

namespace dis = discounts;

// Selector "4" names a fifth block for a same-state shipment whose ends are
// not both direct points, but the record holds four. That shipment takes
// block 3, the block the selector gives such points between states.
constexpr std::size_t kLastBlock = dis::kBlockCount - 1;

bool BothDirect(const RateContext& c) { return c.origPointCode == 'D' && c.destPointCode == 'D'; }

}  // namespace

bool SameState(const RateContext& c) { return std::memcmp(c.origState, c.destState, 2) == 0; }

std::size_t SelectDisBlock(const RateContext& c) {
  const bool same = SameState(c);
  switch (dis::blockSelector.Get(c)) {
    case '2':
      return c.alphaPostalShipment != 0 ? 1 : 0;
    case '3':
      return same ? 0 : 1;
    case '4':
      if (BothDirect(c)) return same ? 1 : 0;
      return kLastBlock;
    case '5':
      if (BothDirect(c)) return same ? 2 : 0;
      return same ? 3 : 1;
    default:
      return 0;
  }
}

// The zero discount and floor, as texts the host shows.
void ZeroDiscountAndFloor(RateContext& c) {
  c.discountPercent[0] = 0.0f;
  PutTerminatedText(c.discountText, sizeof c.discountText, " 0.00");
  c.discountFloor = 0.0f;
  PutTerminatedText(c.floorText, sizeof c.floorText, "  0.00");
}

void ApplyDisFileDiscount(RateContext& c) {
  const uint8_t* block = dis::Block(c, SelectDisBlock(c));
  if (defaults::discountsEnabled.Get(c) == 0) {
    ZeroDiscountAndFloor(c);
    return;
  }
  c.discountSource = c.floorSource = 'C';
  static_assert(sizeof c.discountText == dis::kPercentWidth);
  static_assert(sizeof c.floorText == dis::kFloorWidth);
  c.discountPercent[0] = FieldValue(block + dis::kMainPercentAt, dis::kPercentWidth);
  PutDecimalText(c.discountText, sizeof c.discountText, block + dis::kMainPercentAt);
  c.discountFloor = FieldValue(block + dis::kFloorAt, dis::kFloorWidth);
  PutDecimalText(c.floorText, sizeof c.floorText, block + dis::kFloorAt);
}

void ApplyDisFileEntryDiscount(RateContext& c, std::size_t i) {
  if (i >= dis::kEntryCount) return;
  const uint8_t* block = dis::Block(c, SelectDisBlock(c));
  c.discountPercent[i + 1] = FieldValue(block + dis::BreakPercentAt(i), dis::kPercentWidth);
}

}  // namespace brant
