// The lookups that resolve a rate basis: the ZIP-pair matrix, the base
// points, and the rate records with the factors that widen narrow ones.
// They are internal to the library, called while a shipment is rated. Each
// takes the record, returns 1 or 0 and leaves a status in errorCode where a
// failure has one; what they leave for each other lives in Rating().
#pragma once

#include <brantfunc/brantfunc.h>

#include <cstdint>

#include "context/status_codes.h"

namespace brant {

// ---- The ZIP-pair matrix (.ZF1, .MX1, .BSE) -----------------------------

// The matrix row whose key is `key`, or -1.
int32_t FindMatrixKey(const RateContext& context, int32_t key);

// The rate basis of the cell at the origin and destination rows of the
// working state: sets rbno (letter and digits plus rbnoAdjustment),
// territory and matrixResult. An empty cell fails with 501.
int32_t LookupMatrixRbno(RateContext& context);

// The base ZIP of a five-digit `zip` in the .BSE ranges of `kind` (0, 1 or
// 2): foundBaseZip gets it and rbnoAdjustment grows by the range's
// adjustment. 0 without a status when no range holds the ZIP.
int32_t LookupBaseZip(RateContext& context, int32_t kind, int32_t zip);

// ---- Base points (.BSF, .BSC, .MTX) --------------------------------------

// The base point of a postal code (its first 5 characters) in the file of
// `extension` (".BSF" or ".BSC"), with the sides of the record that
// `direction` names: 1 the origin, anything else the destination.
int32_t LookupBasePoint(RateContext& context, const char* postalCode, char (&basePoint)[7],
                        char (&adjustmentCode)[7], int32_t& pointAdjustment, int32_t direction,
                        const char* extension);

// The matrix value of a pair of base points (6 characters each) into
// matrixResult.
int32_t LookupPointMatrix(RateContext& context, const char* origBasePoint,
                          const char* destBasePoint);

// ---- Rate records and factors --------------------------------------------

// The rate record of the RBNO digits: .RTE (wide into baseRates, narrow
// into baseRecordValues), then .RMX for a Mexican and .AKR for an Alaskan
// leg on narrow tariffs.
int32_t ReadRateRecord(RateContext& context);

// Widens the last narrow record into the class cells of baseRates through
// the .FAC factors (the host's Mexican directory on a Mexican leg).
int32_t ExpandFactors(RateContext& context);

// The .RTF rate record of the base-point method, found by the RBNO as a
// number; a narrow record also names its factor group.
int32_t ReadRtfRecord(RateContext& context);

// Widens the last narrow record through the .FC2 factors of its group.
int32_t ExpandGroupFactors(RateContext& context);

}  // namespace brant
