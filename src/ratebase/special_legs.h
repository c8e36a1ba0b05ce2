// The special legs of a rate base resolution (Hawaii, Alaska, Mexico) and
// its finishing lookups: rate adjustments, transit days and zone minimums.
// Each lookup opens its tariff file, reads what it needs and closes it again;
// what the lookups leave for one another lives in Rating().
#pragma once

#include <brantfunc/brantfunc.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "context/byte_coding.h"
#include "context/status_codes.h"
#include "formats/adjustments.h"
#include "platform/file_io.h"
#include "platform/sorted_records.h"

namespace brant {

// ---- Hawaii --------------------------------------------------------------

// The minimum and the six bracket rates of a Hawaiian table, in cents.
using HawaiiTableValues = std::array<int32_t, 7>;

// The gateway code for the pair of ZIP prefixes (.HIM) into
// hawaiiGatewayCode; none sets BRANT_INVALID_ZIP_COMBINATION.
int32_t LookupHawaiiGateway(RateContext& context);
// The mainland ZIP of hawaiiGatewayCode (.HIF) into hawaiiGatewayZip.
int32_t LookupGatewayZip(RateContext& context);
// Hawaiian table 1 to 4 (.HID, .HIO, .HIP, .HIW) for the area and rate code
// into hawaiiTable1 to hawaiiTable4.
int32_t LookupHawaiiTable(RateContext& context, int32_t table);
// A copy of the record's Hawaiian table 1 to 4; zeros for another number.
HawaiiTableValues HawaiiTable(const RateContext& context, int32_t table);
// Prices hawaiiWeight on a table's values into the Hawaiian charge fields.
void ComputeHawaiiCharge(RateContext& context, int32_t table, const HawaiiTableValues& values);

// ---- Mexico and Alaska ------------------------------------------------------

// Files read from the start hold at most this many records (their counter
// was 16 bits); a longer one fails with its lookup's read status.
inline constexpr int64_t kMaxSequentialRecords = 32767;

int32_t LookupMexicanPoint(RateContext& context);  // .BMX
int32_t LookupMexicanRbno(RateContext& context);   // .MMX
int32_t LookupAlaskaPoint(RateContext& context);   // .AKB
int32_t LookupAlaskaRbno(RateContext& context);    // .AKM

// ---- Rate adjustments -------------------------------------------------------

inline constexpr std::size_t kAdjustmentPointRoom = 100;
inline constexpr std::size_t kAdjustmentPointWidth = formats::zip_adjustment_points::kPointWidth;
// A list of adjustment points; an entry whose first byte is 0 ends it.
using AdjustmentPoints = char[kAdjustmentPointRoom][kAdjustmentPointWidth];
// laneAdjustmentCodes keeps its last entry empty, so that the list always
// ends inside the field.
inline constexpr int32_t kLaneAdjustmentRoom = BRANT_LANE_ADJUSTMENT_SLOTS - 1;

// Applies the .ADF adjustments of the base points and the lanes to baseRates.
int32_t ApplyAdjustments(RateContext& context);
// The adjustment points of a five-digit ZIP (.FBA for direction 1, else
// .TBA); 1 when at least one was found.
int32_t LookupZipAdjustmentPoints(RateContext& context, AdjustmentPoints& points,
                                  std::string_view postalCode, int32_t direction);
// The adjustment points of an alphabetic postal code's prefix (.FCA for
// direction 1, else .TCA); 1 whenever the file could be opened.
int32_t LookupPostalAdjustmentPoints(RateContext& context, AdjustmentPoints& points,
                                     std::string_view postalCode, int32_t direction);
// Appends the adjustment numbers of a 10-character lane key (origin point,
// destination point) from .LMA to laneAdjustmentCodes; 1 when it was found.
int32_t LookupLaneAdjustments(RateContext& context, std::string_view laneKey);

// ---- Transit days and zone minimums ------------------------------------------

// The days between origTerminal and destTerminal (.SRV) into
// Rating().transitDayCount; 1 when the pair was found.
int32_t LookupTransitDays(RateContext& context);
// The transit-day step: the days of the terminal pair plus the terminals'
// extra days into transitDays. 0 only when .SRV could not be opened.
int32_t FillTransitDays(RateContext& context);
// Replaces the minimum charges of baseRates and sets zoneMinimum and
// zoneCharge from the first .ZMC record of the ZIP pair and RBNO.
void ApplyZoneMinimum(RateContext& context);

// ---- Reading the lookups' record files --------------------------------------

// The first `width` characters of a text field as a key, NUL-padded: a text
// shorter than the key never lends it the bytes that follow its end.
template <std::size_t N>
void CopyLeading(char* out, std::size_t width, const char (&field)[N]) {
  PutFixedText(out, width, FixedText(field, N));
}

// True when a state field holds the two-letter code.
inline bool IsState(const char* state, const char* code) {
  return state[0] == code[0] && state[1] == code[1];
}

}  // namespace brant
