#include "shipment.h"

#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "context/byte_coding.h"
#include "context/record_fields.h"
#include "statuses.h"

namespace brant::tool {
namespace {

constexpr std::size_t kMaxWeightDigits = 6;  // the record's 7-byte weight text

// Postal codes as people type them: "h2x 1y4" is "H2X1Y4".
bool PutPostalCode(char (&field)[7], std::string_view text) {
  char code[sizeof field] = {};
  std::size_t n = 0;
  for (char ch : text) {
    if (ch == ' ') continue;
    if (n == sizeof code - 1) return false;
    code[n++] = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  }
  if (n == 0) return false;
  std::memcpy(field, code, sizeof field);
  return true;
}

bool IsWeightText(std::string_view text) {
  if (text.empty() || text.size() > kMaxWeightDigits) return false;
  for (char ch : text) {
    if (ch < '0' || ch > '9') return false;
  }
  return true;
}

// Everything of the last shipment and its bill, and what the library
// derives from the postal codes: not every path rewrites all of it (an
// alphabetic code leaves mexicanLeg as it was).
void ClearShipment(RateContext& c) {
  auto* bytes = reinterpret_cast<unsigned char*>(&c);
  const std::size_t from = offsetof(RateContext, origZip);
  const std::size_t to = offsetof(RateContext, classTable);
  std::memset(bytes + from, 0, to - from);
  c.alphaPostalShipment = c.mexicanLeg = c.alaskaShipment = 0;
  c.hawaiiShipment = c.hawaiiOuterIsland = 0;
  c.errorCode = 0;
}

// The user's discount as the host's texts, every weight break taking the
// break percentage.
void ChooseDiscounts(RateContext& c, const DiscountOptions& d) {
  defaults::discountsEnabled.Set(c, d.given ? 1 : 0);
  defaults::discountType.Set(c, d.onRates ? 'R' : 'C');
  profile::profileUseUserDiscount.Set(c, 1);
  std::snprintf(c.userDiscountText, sizeof c.userDiscountText, "%5.2f", d.percent);
  std::snprintf(c.userBreakDiscountText, sizeof c.userBreakDiscountText, "%5.2f", d.breakPercent);
  std::snprintf(c.userFloorText, sizeof c.userFloorText, "%6.2f", d.floor);
  c.discCount = BRANT_WGT_RECORDS;
  LoadDiscounts(&c, 0, 0);
}

RatingOutcome Refused(int32_t status) {
  return {Result::kRefused, status, ExitCodeOfStatus(status), {}};
}

// Through a tariff engine, 0 is rated. A shipment the engine would not
// rate is refused with the engine's own words when it gave a warning.
RatingOutcome RateThroughEngine(RateContext& c) {
  std::string warning;
  SetMessageBoxHook(&KeepMessageText, &warning);
  const int32_t result = RateShipment(&c, 0, 0);
  SetMessageBoxHook(nullptr, nullptr);
  if (result == 0) return {Result::kRated, 0, kExitOk, {}};
  if (warning.empty()) warning = "the tariff engine did not rate the shipment";
  return {Result::kRefused, c.errorCode, kExitBadShipment, warning};
}

template <std::size_t N>
std::string Trimmed(const char (&field)[N]) {
  std::string_view text = FixedText(field, N);
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return std::string(text);
}

}  // namespace

bool ParseLine(std::string_view text, ShipmentLine& line) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return false;
  line.freightClass.assign(text.substr(0, colon));
  line.weight.assign(text.substr(colon + 1));
  return true;
}

int32_t DiscountStatus(const DiscountOptions& d) {
  constexpr int32_t kDiscountTooLarge = 118, kFloorTooLarge = 119;
  auto within = [](double v, double most) { return v >= 0 && v <= most; };
  if (!within(d.percent, 99.99) || !within(d.breakPercent, 99.99)) return kDiscountTooLarge;
  if (!within(d.floor, 999.99)) return kFloorTooLarge;
  return 0;
}

RatingOutcome RateOn(RateContext& c, const Shipment& shipment, const DiscountOptions& discount) {
  ClearShipment(c);
  if (!PutPostalCode(c.origZip, shipment.origin)) return Refused(BRANT_INVALID_ORIGIN_ZIP);
  if (!PutPostalCode(c.destZip, shipment.destination)) return Refused(BRANT_INVALID_DEST_ZIP);
  if (VerOrigZip(&c) == 0 || VerDestZip(&c) == 0 || VerTerritory(&c) == 0) {
    return Refused(c.errorCode);
  }
  if (shipment.lines.empty() || shipment.lines.size() > BRANT_LINES) {
    return Refused(BRANT_INVALID_CLASS);
  }
  for (uint32_t i = 0; i < shipment.lines.size(); ++i) {
    const ShipmentLine& line = shipment.lines[i];
    char freightClass[sizeof c.classTable[0]] = {};
    if (line.freightClass.empty() || line.freightClass.size() >= sizeof freightClass) {
      return Refused(BRANT_INVALID_CLASS);
    }
    std::memcpy(freightClass, line.freightClass.data(), line.freightClass.size());
    if (VerClass(&c, freightClass, i, 0) == 0) return Refused(c.errorCode);
    char weight[sizeof c.lineWeight[0]] = {};
    if (!IsWeightText(line.weight)) return Refused(BRANT_INVALID_WEIGHT);
    std::memcpy(weight, line.weight.data(), line.weight.size());
    if (VerWeight(&c, weight, i) == 0) return Refused(c.errorCode);
  }
  ChooseDiscounts(c, discount);
  if (c.useTariffEngine != 0) return RateThroughEngine(c);
  if (RateShipment(&c, 0, 0) != 1) return Refused(c.errorCode);
  if (c.errorCode != 0) return {Result::kRatedWithWarning, c.errorCode, kExitOk, {}};
  return {Result::kRated, 0, kExitOk, {}};
}

Bill ReadBill(const RateContext& c) {
  Bill b;
  b.origin = Trimmed(c.origZip);
  b.originState = Trimmed(c.origState);
  b.destination = Trimmed(c.destZip);
  b.destinationState = Trimmed(c.destState);
  b.rbno = Trimmed(c.rbno);
  for (std::size_t i = 0; i < BRANT_LINES && c.lineClass[i][0] != '\0'; ++i) {
    b.lines.push_back({Trimmed(c.lineClass[i]), Trimmed(c.lineWeight[i]), Trimmed(c.lineRate[i]),
                       Trimmed(c.lineCharge[i]), c.lineClassMark[i][0] == '*'});
  }
  b.deficitWeight = Trimmed(c.deficitWeight);
  b.deficitRate = Trimmed(c.deficitRate);
  b.deficitCharge = Trimmed(c.deficitCharge);
  b.totalWeight = Trimmed(c.totalWeight);
  b.billedWeight = Trimmed(c.billedWeight);
  b.grossCharge = Trimmed(c.grossCharge);
  b.discountPercent = Trimmed(c.discountPercentText);
  b.discountAmount = Trimmed(c.discountAmount);
  b.netCharge = Trimmed(c.netCharge);
  b.minimumCharge = Trimmed(c.minimumChargeText);
  b.minimumDiscount = Trimmed(c.minimumDiscountText);
  b.weightTierCharge = Trimmed(c.weightTierCharge);
  b.floor = Trimmed(c.floorText);
  b.transitDays = Trimmed(c.transitDays);
  return b;
}

}  // namespace brant::tool
