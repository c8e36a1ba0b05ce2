// Rating a shipment held in the 2160-byte request record from the rate
// tables of ENGINE.TXT. README.md beside this file gives the arithmetic and
// every byte written, so that a bill can be worked by hand.
#pragma once

#include <cstdint>

#include "engine_data.h"

namespace brantengine {

// Rates the shipment in `request` and writes the results back into it; the
// result block's first word says which block it is: 960 the primary, 800
// the secondary (a retry). Writes the block's rated word (0 or -1) and, in
// the primary block, the flag. Returns 1 when rated. A block with any other
// first word is left alone, as is the request.
int32_t RateShipment(const EngineData& data, uint8_t* request, uint8_t* resultBlock);

}  // namespace brantengine
