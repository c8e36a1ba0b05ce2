// RateShipment: the rating entry a host calls once a shipment is validated
// and its tariff open.
#include <brantfunc/brantfunc.h>

#include <cstring>

#include "engine/engine_rating.h"

namespace {

constexpr int32_t kRated = 1;
constexpr int32_t kNotRated = 9999;

}  // namespace

extern "C" int32_t RateShipment(RateContext* context, int32_t engineArgument,
                                int32_t /*reserved*/) {
  if (context == nullptr) return kNotRated;
  RateContext& c = *context;
  // The engine rates the whole shipment; our own files are not read.
  if (c.useTariffEngine != 0) {
    brant::BuildEngineRequest(c, engineArgument);
    return brant::RateWithEngine(c);
  }
  if (GetRbnoAndRates(&c) == 0) return kNotRated;
  RateBill(&c, 0);
  // A Mexican shipment is billed twice; the second bill's weight stands.
  if (c.mexicanLeg != 0) RateBill(&c, 1);
  std::memcpy(c.billedWeightCopy, c.billedWeight, sizeof c.billedWeightCopy);
  return kRated;
}
