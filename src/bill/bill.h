// Bill rating inside the library: the rate-table discount and the minimum
// charges that the rate base resolution runs, and the steps of RateBill.
// None of these is exported; each works on the host's record.
#pragma once

#include <brantfunc/brantfunc.h>

#include <cstdint>

#include "bill/bill_state.h"

namespace brant {

// ---- Discount taken from the rates ("R") -------------------------------

// Lowers *value (dollars) by the percentage of weight break b, or of the
// minimum charges when b is -1; only when the discount is taken from the
// rates and switched on. A break without a percentage leaves the value.
void DiscountValue(const RateContext& context, float* value, int32_t weightBreak);

// Lowers every class rate, break by break up to the first break not in use,
// and the four minimum-charge levels by their percentages.
void DiscountRateTable(RateContext& context);

// ---- Minimum charges ----------------------------------------------------

// The first .MCH entry whose key letter (or a space) and range hold the
// rate basis number `rbno` (a letter and six digits). On a match the
// levels are copied out, labels and values cut to their slots and levels
// past the sixteenth skipped, and the result is true; otherwise `levels`
// is left as it was.
bool FindRateBaseRecord(const RateContext& context, const char* rbno, ChargeLevels* levels);

// The minimum charge of `level`, cents, into minimumCharge: the level of
// baseRates, or the class minimum for kind "C". 1, or 0 with status 214.
uint32_t SetMinimumCharge(RateContext& context, uint32_t level, const char* kind);

// The class minimum from the host's table, adjusted by the lane's
// adjustment records, the rate factor, the discount and the rate scale.
// 1 (also when no entry fits: minimumCharge is then left alone), or 0
// with status 214 when an adjustment record cannot be read.
int32_t ClassMinimumCharge(RateContext& context);

// Fills the MC charge list with the levels of the rate basis and clears the
// two lists that go with it.
void BuildMinimumChargeList(RateContext& context);

// ---- The break search ---------------------------------------------------

// From Bill().currentBreak, prices each heavier break with its deficit
// weight and keeps the cheapest in Bill().bestBreak. The lines' class rows
// must lie inside baseRates.
void SearchDeficitWeight(RateContext& context, uint32_t bill);

}  // namespace brant
