// The amount due of a bill, composed in one place from the charges the
// rating left (docs/billing.md gives the rules with a worked example each):
//   1. the line haul is the net charge, after discount;
//   2. raised to the tariff minimum less its discount when below it;
//   3. raised to the floor when one is set and the line haul is below it;
//   4. plus the weight tier charge, the zone charge and the Hawaiian
//      charges, each a line of its own when not zero.
#pragma once

#include <brantfunc/brant.h>

namespace brant::api {

// Fills the bill's steps and its amount due from its charges.
void ComposeAmountDue(brant_bill& bill);

}  // namespace brant::api
