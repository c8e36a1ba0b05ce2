// One shipment through a working record, as a host of the record interface
// rates it: the record cleared of the last shipment, both ends and the lane
// validated, each line's class and weight, the discounts chosen, the
// terminals asked for, the rate base resolved and the bill priced. A
// status the record refuses with becomes a refusal that names its field.
#pragma once

#include <brantfunc/brant.h>
#include <brantfunc/brantfunc.h>

#include "brant/shipment_input.h"
#include "brant/tariff_handle.h"

namespace brant::api {

// What a rating leaves besides the record: the words of a box the engine
// raised, and whether transit days were looked up.
struct RatingNotes {
  char engineWords[256] = {};
  bool transitLookedUp = false;
};

// Rates `input` on `record`; BRANT_OK with the bill's texts in the record,
// or a refusal in `error`. Warnings that do not stop the rating go to
// `bill` as they arise.
brant_status RateOnRecord(const brant_tariff& tariff, RateContext& record,
                          const ShipmentInput& input, const brant_shipment& shipment,
                          brant_bill& bill, RatingNotes& notes, brant_error* error);

// Adds a warning to the bill; the first few are kept.
void AddWarning(brant_bill& bill, int32_t recordStatus, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

}  // namespace brant::api
