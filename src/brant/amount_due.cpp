#include "brant/amount_due.h"

#include <cstdio>
#include <cstdint>

namespace brant::api {

void AddStep(brant_bill& bill, brant_step_kind kind, const char* name, int64_t amount) {
  if (bill.step_count < 0 || bill.step_count >= BRANT_MAX_STEPS) return;
  bill.amount_due_cents += amount;
  brant_step& step = bill.steps[bill.step_count++];
  step.kind = kind;
  std::snprintf(step.name, sizeof step.name, "%s", name);
  step.amount_cents = amount;
  step.total_cents = bill.amount_due_cents;
}

namespace {

// Raises the amount due to `least` when it is below it.
void RaiseTo(brant_bill& bill, brant_step_kind kind, const char* name, int64_t least) {
  if (bill.amount_due_cents < least) AddStep(bill, kind, name, least - bill.amount_due_cents);
}

void AddCharge(brant_bill& bill, brant_step_kind kind, const char* name, int64_t amount) {
  if (amount != 0) AddStep(bill, kind, name, amount);
}

}  // namespace

int64_t FreightCharge(const brant_bill& bill) {
  int64_t freight = 0;
  for (int32_t i = 0; i < bill.step_count && i < BRANT_MAX_STEPS; ++i) {
    if (bill.steps[i].kind <= BRANT_STEP_FLOOR) freight = bill.steps[i].total_cents;
  }
  return freight;
}

void ComposeAmountDue(brant_bill& bill) {
  bill.step_count = 0;
  bill.amount_due_cents = 0;
  AddStep(bill, BRANT_STEP_LINE_HAUL, "line haul", bill.net_cents);
  RaiseTo(bill, BRANT_STEP_MINIMUM_CHARGE, "minimum charge",
          bill.minimum_charge_cents - bill.minimum_discount_cents);
  if (bill.floor_cents > 0) RaiseTo(bill, BRANT_STEP_FLOOR, "floor", bill.floor_cents);
  AddCharge(bill, BRANT_STEP_WEIGHT_TIER, "weight tier charge", bill.weight_tier_cents);
  AddCharge(bill, BRANT_STEP_ZONE_CHARGE, "zone charge", bill.zone_charge_cents);
  AddCharge(bill, BRANT_STEP_HAWAII_TABLE1, "Hawaiian table 1 charge", bill.hawaii_table1_cents);
  AddCharge(bill, BRANT_STEP_HAWAII_TABLE1_PERCENT, "Hawaiian table 1 percentage",
            bill.hawaii_table1_percent_cents);
  AddCharge(bill, BRANT_STEP_HAWAII_OTHER, "Hawaiian tables 2 to 4", bill.hawaii_other_cents);
  AddCharge(bill, BRANT_STEP_HAWAII_OTHER_PERCENT, "Hawaiian tables 2 and 3 percentages",
            bill.hawaii_other_percent_cents);
}

}  // namespace brant::api
