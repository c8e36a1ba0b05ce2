// The charges a bill carries past the line haul: the class of each line
// given by its units (density) or mapped by the tariff, the fuel surcharge
// and the accessorials. What the tariff refuses is found before the
// shipment is rated; the amounts are added to its amount due after.
#pragma once

#include <brantfunc/brant.h>

#include "brant/shipment_input.h"
#include "charges/density_classes.h"
#include "charges/fuel_surcharge.h"
#include "charges/tariff_charges.h"

namespace brant::api {

struct ChargePlan {
  const charges::DensityScale* scale = nullptr;
  int64_t densities[BRANT_MAX_LINES] = {};  // hundredths; -1: the line gave its class
  char classesBeforeMap[BRANT_MAX_LINES][8] = {};
  bool fuel = false;
  bool fuelOnGross = false;
  charges::FuelInEffect fuelPrice{};
  int32_t fuelPercentBps = 0;
  const charges::Accessorial* accessorials[BRANT_MAX_ACCESSORIALS] = {};
};

// Settles each line's class in `input` (from its density, then through the
// class map), and finds the fuel percentage and each accessorial, or
// refuses the shipment.
brant_status PlanCharges(const charges::TariffCharges& tariff, ShipmentInput& input,
                         ChargePlan& plan, brant_error* error);

// Fills the bill's lines' densities and mapped classes, the fuel surcharge
// and the accessorials, each added to the amount due as a step of its own.
// `bill` holds the steps of the line haul already.
brant_status AddCharges(const charges::TariffCharges& tariff, const ShipmentInput& input,
                        const ChargePlan& plan, brant_bill& bill, brant_error* error);

// The notes of the charges: densities, mapped classes, fuel, accessorials.
void ExplainCharges(const ShipmentInput& input, const ChargePlan& plan, brant_bill& bill);

}  // namespace brant::api
