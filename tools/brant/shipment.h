// One shipment through the library as a host drives it: validate both ends,
// the territory and every line, choose the discounts, rate, read the bill.
#pragma once

#include <brantfunc/brantfunc.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "brant_tool.h"

namespace brant::tool {

struct ShipmentLine {
  std::string freightClass;
  std::string weight;
};

struct Shipment {
  std::string origin;
  std::string destination;
  std::vector<ShipmentLine> lines;  // at most BRANT_LINES are rated
};

// Splits "CLASS:WEIGHT"; false when there is no colon.
bool ParseLine(std::string_view text, ShipmentLine& line);

// 0 when the discount options are within what the record holds, else the
// library's status for the entry out of range (118 a percentage above
// 99.99, 119 a floor above 999.99).
int32_t DiscountStatus(const DiscountOptions& discount);

enum class Result { kRated, kRatedWithWarning, kRefused };

struct RatingOutcome {
  Result result = Result::kRefused;
  int32_t status = 0;  // the library's status; with kRated always 0
  int exitCode = kExitOk;
  std::string note;  // why the tool refused when there is no status, or the engine's words
};

// Rates `shipment` on an open tariff's record. A record may rate any
// number of shipments in turn: nothing of the last one carries over.
RatingOutcome RateOn(RateContext& c, const Shipment& shipment, const DiscountOptions& discount);

struct BillLine {
  std::string freightClass, weight, rate, charge;
  bool substituted = false;
};

// The bill as the record holds it after a rating, texts without padding.
struct Bill {
  std::string origin, originState, destination, destinationState, rbno;
  std::vector<BillLine> lines;
  std::string deficitWeight, deficitRate, deficitCharge;
  std::string totalWeight, billedWeight, grossCharge;
  std::string discountPercent, discountAmount, netCharge;
  std::string minimumCharge, minimumDiscount, weightTierCharge, floor, transitDays;
};

Bill ReadBill(const RateContext& c);

}  // namespace brant::tool
