// LoadDiscounts and ClearDiscList: the exported entries of discount
// selection, and the host's own discount texts as a source.
#include <brantfunc/brantfunc.h>

#include <cstring>

#include "formats/host_records.h"
#include "discount/decimal_text.h"
#include "discount/discount.h"

namespace brant {
namespace {

// No discount applies to a shipment to or from Alaska.
bool AlaskanShipment(const RateContext& c) {
  return c.alaskaShipment != 0 || std::memcmp(c.origState, "AK", 2) == 0 ||
         std::memcmp(c.destState, "AK", 2) == 0;
}

void ClearDiscounts(RateContext& c) {
  c.discountFloor = 0.0f;
  for (std::size_t i = 0; i <= EntriesInUse(c); ++i) c.discountPercent[i] = 0.0f;
  std::memset(c.discountPercentText, 0, sizeof c.discountPercentText);
  std::memset(c.discountText, 0, sizeof c.discountText);
  std::memset(c.minimumDiscountText, 0, sizeof c.minimumDiscountText);
  std::memset(c.floorText, 0, sizeof c.floorText);
}

}  // namespace

void ApplyUserDiscount(RateContext& c) {
  if (defaults::discountsEnabled.Get(c) == 0) {
    ZeroDiscountAndFloor(c);
    return;
  }
  c.discountSource = c.floorSource = 'P';
  static_assert(sizeof c.discountText == sizeof c.userDiscountText);
  static_assert(sizeof c.floorText == sizeof c.userFloorText);
  c.discountPercent[0] = FieldValue(c.userDiscountText, sizeof c.userDiscountText);
  PutDecimalText(c.discountText, sizeof c.discountText, c.userDiscountText);
  c.discountFloor = FieldValue(c.userFloorText, sizeof c.userFloorText);
  PutDecimalText(c.floorText, sizeof c.floorText, c.userFloorText);
  const float perBreak = FieldValue(c.userBreakDiscountText, sizeof c.userBreakDiscountText);
  for (std::size_t i = 1; i <= EntriesInUse(c); ++i) c.discountPercent[i] = perBreak;
}

}  // namespace brant

extern "C" {

// Percentages past the .DIS entries in use keep their values.
void ClearDiscList(RateContext* context) {
  if (context != nullptr) brant::ClearDiscounts(*context);
}

void LoadDiscounts(RateContext* context, int32_t /*unused1*/, int32_t /*unused2*/) {
  using namespace brant;
  if (context == nullptr) return;
  RateContext& c = *context;
  ClearDiscounts(c);
  if (AlaskanShipment(c)) return;
  ClearDiscounts(c);
  if (profile::profileUseDisFile.Get(c) != 0) {
    ApplyDisFileDiscount(c);
    for (std::size_t i = 0; i < EntriesInUse(c); ++i) ApplyDisFileEntryDiscount(c, i);
  }
  if (profile::profileUseUserDiscount.Get(c) != 0) ApplyUserDiscount(c);
  if (defaults::zipDiscountsEnabled.Get(c) != 0) ApplyZipRangeDiscount(c);
  if (profile::profileUseZipFloors.Get(c) != 0) ApplyZipRangeFloor(c);
}

}  // extern "C"
