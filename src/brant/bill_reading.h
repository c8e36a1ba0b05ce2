// The bill a rating left in the record, read into the interface's struct:
// every text turned into cents, pounds or basis points, each in the form
// the rating path (the tariff's own files or the engine) wrote it.
#pragma once

#include <brantfunc/brant.h>
#include <brantfunc/brantfunc.h>

#include "brant/record_rating.h"
#include "brant/shipment_input.h"

namespace brant::api {

// Fills `bill` but for its steps and notes; BRANT_E_TOO_LARGE when an
// amount did not fit its field in the record.
brant_status ReadBill(const RateContext& record, const ShipmentInput& input,
                      const RatingNotes& notes, brant_bill& bill, brant_error* error);

// How the record's rating found its rate basis.
brant_method MethodOf(const RateContext& record);

// The first break in use whose range holds `weight`, or -1.
int32_t BreakHolding(const RateContext& record, int64_t weight);

}  // namespace brant::api
