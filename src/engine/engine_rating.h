// Rating a shipment through the tariff engine: the request built from the
// record, the engine's call and its status, and its results copied back
// into the record as the texts bill rating would have written.
#pragma once

#include <brantfunc/brantfunc.h>

#include <cstddef>
#include <cstdint>

namespace brant {

inline constexpr int32_t kEngineRated = 0;
inline constexpr int32_t kEngineNotRated = 9999;

// Rewrites the request areas the library owns; the engine's areas keep
// what the last rating left there. hostNumber is printed at bytes 80-81.
void BuildEngineRequest(const RateContext& context, int32_t hostNumber);

// Has the engine rate the request built last: kEngineRated or kEngineNotRated.
int32_t RateWithEngine(RateContext& context);

// Deals with a warning status the engine left in the request.
void HandleEngineStatus(RateContext& context);

// Copies the engine's results from the request into the record.
void MapEngineResults(RateContext& context);

// Copies `count` characters of source into output (a zeroed buffer of at
// least count + 1 bytes), leaving out the "0"s before the first other
// character.
void StripLeadingZeros(const char* source, char* output, std::size_t count);

}  // namespace brant
