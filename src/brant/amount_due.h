// The amount due of a bill, composed in one place from the charges the
// rating left (docs/billing.md gives the rules with a worked example each):
//   1. the line haul is the net charge, after discount;
//   2. raised to the tariff minimum less its discount when below it;
//   3. raised to the floor when one is set and the line haul is below it;
//   4. plus the weight tier charge, the zone charge and the Hawaiian
//      charges, each a line of its own when not zero;
//   5. plus the fuel surcharge and the accessorials (added_charges.h).
#pragma once

#include <brantfunc/brant.h>

#include <cstdint>

namespace brant::api {

// Fills the bill's steps and its amount due from its charges.
void ComposeAmountDue(brant_bill& bill);

// Adds `amount` to the amount due as a step of its own.
void AddStep(brant_bill& bill, brant_step_kind kind, const char* name, int64_t amount);

// The freight charge: the line haul raised to the minimum charge and the
// floor, the base of the fuel surcharge and of percentage accessorials.
int64_t FreightCharge(const brant_bill& bill);

}  // namespace brant::api
