// GetRbnoAndRates: classifies a shipment, finds its rate basis number on the
// ZIP-pair matrix or through base points, runs the Hawaiian, Alaskan and
// Mexican legs, and loads, adjusts and scales the rate table for it.
#include <brantfunc/brantfunc.h>

#include <cstring>

#include "bill/bill.h"
#include "bill/bill_tables.h"
#include "context/byte_coding.h"
#include "context/numbers.h"
#include "formats/host_records.h"
#include "context/text.h"
#include "ratebase/lookups.h"
#include "ratebase/rating_state.h"
#include "ratebase/special_legs.h"

namespace brant {
namespace {

constexpr int32_t kBadOrigin = BRANT_INVALID_ORIGIN_ZIP;
constexpr int32_t kBadDestination = BRANT_INVALID_DEST_ZIP;
constexpr int32_t kBadTerritory = BRANT_INVALID_TERRITORY;
constexpr int32_t kBadPair = BRANT_INVALID_ZIP_COMBINATION;

int32_t Fail(RateContext& c, int32_t status) {
  c.errorCode = status;
  return 0;
}

bool IsLetter(char ch) { return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z'); }

// The number a text field holds, as atol reads it, never past the field.
template <std::size_t N>
int32_t FieldValue(const char (&field)[N]) {
  return SaturateToInt32(ParseLeadingInteger(FixedText(field, N)));
}

// The Hawaiian end's postal code field: the origin's when the origin is in
// Hawaii, else the destination's.
char* HawaiianEnd(RateContext& c) { return IsState(c.origState, "HI") ? c.origZip : c.destZip; }

// Puts the Hawaiian end's own code back while the gateway ZIP stands in
// for it. Every exit of a resolution runs it, not only success: a host
// that sees a failure must still find its own postal code in the record.
void RestoreHawaiianEnd(RateContext& c) {
  RatingState& s = Rating();
  if (s.savedHawaiiZip[0] == '\0') return;
  std::memcpy(HawaiianEnd(c), s.savedHawaiiZip, 5);
  s.savedHawaiiZip[0] = '\0';
}

// The base points and adjustment codes of an earlier resolution.
void ClearBasePoints(RateContext& c) {
  RatingState& s = Rating();
  std::memset(s.origBasePoint, 0, sizeof s.origBasePoint);
  std::memset(s.destBasePoint, 0, sizeof s.destBasePoint);
  std::memset(c.origAdjustmentCode, 0, sizeof c.origAdjustmentCode);
  std::memset(c.destAdjustmentCode, 0, sizeof c.destAdjustmentCode);
}

void ClearPoints() {
  RatingState& s = Rating();
  std::memset(s.origPoint, 0, sizeof s.origPoint);
  std::memset(s.destPoint, 0, sizeof s.destPoint);
}

// Runs the matrix lookup for the rows of two keys; false when a key is
// missing or the lookup fails.
bool MatrixPair(RateContext& c, int32_t origKey, int32_t destKey) {
  RatingState& s = Rating();
  s.origMatrixRow = FindMatrixKey(c, origKey);
  s.destMatrixRow = FindMatrixKey(c, destKey);
  if (s.origMatrixRow < 0 || s.destMatrixRow < 0) return false;
  return LookupMatrixRbno(c) == 1;
}

// The base ZIP of a five-digit postal code into `point`; false when no
// range of `kind` holds it.
bool BaseZipInto(RateContext& c, int32_t kind, const char (&zip)[7], char (&point)[7]) {
  std::memset(point, 0, sizeof point);
  if (!LookupBaseZip(c, kind, ReadFixedNumber(zip, 5))) return false;
  std::memcpy(point, Rating().foundBaseZip, sizeof Rating().foundBaseZip);
  return true;
}

// Territory "A": the base ZIPs of both ends, when both have one, replace
// the prefix rows.
int32_t RefineTerritoryA(RateContext& c) {
  RatingState& s = Rating();
  s.rbnoAdjustment = 0;
  if (!BaseZipInto(c, 0, c.origZip, s.origPoint)) return 1;
  if (!BaseZipInto(c, 0, c.destZip, s.destPoint)) return 1;
  s.origMatrixRow = FindMatrixKey(c, 300000 + FieldValue(s.origPoint));
  if (s.origMatrixRow < 0) return Fail(c, kBadOrigin);
  s.destMatrixRow = FindMatrixKey(c, 300000 + FieldValue(s.destPoint));
  if (s.destMatrixRow < 0) return Fail(c, kBadDestination);
  return LookupMatrixRbno(c) == 1 ? 1 : Fail(c, kBadPair);
}

// Territories "F" and "I": the base ZIPs of `kind` tried on two key bases
// (the first only when the origin's base ZIP is the greater); when nothing
// is found the prefix RBNO stands. Never a failure.
void RefineByBaseZips(RateContext& c, int32_t kind, int32_t firstBase, int32_t secondBase) {
  RatingState& s = Rating();
  char keptRbno[7];
  std::memcpy(keptRbno, c.rbno, sizeof keptRbno);
  const int32_t keptResult = s.matrixResult;
  s.matrixResult = -1;
  s.rbnoAdjustment = 0;
  ClearPoints();
  if (BaseZipInto(c, kind, c.origZip, s.origPoint) &&
      BaseZipInto(c, kind, c.destZip, s.destPoint)) {
    const int32_t ob = FieldValue(s.origPoint), db = FieldValue(s.destPoint);
    if (ob > db && !MatrixPair(c, firstBase + ob, firstBase + db)) s.matrixResult = -1;
    if (s.matrixResult == -1 && !MatrixPair(c, secondBase + ob, secondBase + db)) {
      s.matrixResult = -1;
    }
  }
  if (s.matrixResult == -1) {
    std::memset(c.rbno, 0, sizeof c.rbno);
    std::memcpy(c.rbno, keptRbno, sizeof keptRbno);
    s.matrixResult = keptResult;
  }
}

// The letter "C" for a Hawaiian shipment with a Californian end whose
// gateway lies in California.
void MarkHawaiianCalifornia(RateContext& c) {
  if (c.hawaiiShipment != 1) return;
  if (!IsState(c.origState, "CA") && !IsState(c.destState, "CA")) return;
  const char* gateway = c.hawaiiGatewayZip;
  if (std::memcmp(gateway, "900", 3) >= 0 && std::memcmp(gateway, "961", 3) <= 0) c.rbno[0] = 'C';
}

// The ZIP-pair matrix: prefix rows, then the refinement the territory asks for.
int32_t ResolveOnMatrix(RateContext& c) {
  RatingState& s = Rating();
  s.rbnoAdjustment = 0;
  const int32_t o3 = ReadFixedNumber(c.origZip, 3), d3 = ReadFixedNumber(c.destZip, 3);
  s.matrixResult = -1;
  if (o3 > d3 && !MatrixPair(c, 200000 + 100 * o3, 200000 + 100 * d3)) s.matrixResult = -1;
  if (s.matrixResult == -1) {
    s.origMatrixRow = FindMatrixKey(c, 100000 + 100 * o3);
    if (s.origMatrixRow < 0) return Fail(c, kBadOrigin);
    s.destMatrixRow = FindMatrixKey(c, 100000 + 100 * d3);
    if (s.destMatrixRow < 0) return Fail(c, kBadDestination);
    if (!LookupMatrixRbno(c)) return Fail(c, kBadPair);
  }
  switch (c.territory) {
    case 'A':
      ClearPoints();
      if (!RefineTerritoryA(c)) return 0;
      break;
    case 'F':
      RefineByBaseZips(c, 1, 500000, 400000);
      break;
    case 'I':
      RefineByBaseZips(c, 2, 700000, 600000);
      break;
    case 'G':
      break;
    default:
      return Fail(c, kBadTerritory);
  }
  if (IsState(c.origState, "CA") && IsState(c.destState, "CA")) c.rbno[0] = 'C';
  MarkHawaiianCalifornia(c);
  return 1;
}

// Base points: each end's base point, their matrix value plus the points'
// adjustments as the RBNO digits, and the .RTF rates.
int32_t ResolveOnBasePoints(RateContext& c) {
  RatingState& s = Rating();
  ClearBasePoints(c);
  s.origPointAdjustment = s.destPointAdjustment = 0;
  const char* file = c.alphaPostalShipment == 1 ? ".BSC" : ".BSF";
  if (!LookupBasePoint(c, c.origZip, s.origBasePoint, c.origAdjustmentCode,
                       s.origPointAdjustment, 1, file)) {
    return Fail(c, kBadOrigin);
  }
  if (!LookupBasePoint(c, c.destZip, s.destBasePoint, c.destAdjustmentCode,
                       s.destPointAdjustment, 2, file)) {
    return Fail(c, kBadDestination);
  }
  s.matrixResult = -1;
  if (!LookupPointMatrix(c, s.origBasePoint, s.destBasePoint) || s.matrixResult == -1) {
    return Fail(c, kBadPair);
  }
  const int64_t n = int64_t{s.matrixResult} + s.origPointAdjustment + s.destPointAdjustment;
  char digits[16];
  FormatWholeText(digits, sizeof digits, n, 6, true);
  std::memset(c.rbno, 0, sizeof c.rbno);
  c.rbno[0] = ' ';
  std::memcpy(c.rbno + 1, digits, 6);  // a number past six digits keeps its first six
  const bool wide = settings::wideRteRecords.IsYes(c);
  if (!wide && std::memcmp(c.rbno + 1, "070005", 6) >= 0 &&
      std::memcmp(c.rbno + 1, "070900", 6) <= 0) {
    c.rbno[0] = 'J';
  }
  if (!ReadRtfRecord(c)) return Fail(c, kBadPair);
  if (!wide && !ExpandGroupFactors(c)) return Fail(c, kBadPair);
  MarkHawaiianCalifornia(c);
  return 1;
}

// The Hawaiian leg: the Hawaiian tables and their charges and, unless the
// shipment is rated from them alone, the mainland gateway that stands in
// for the Hawaiian end. `done` is set when the resolution ends here.
int32_t RunHawaiianLeg(RateContext& c, bool& done) {
  RatingState& s = Rating();
  if (std::memcmp(c.hawaiiAreaCode, "LAN", 3) == 0 || std::memcmp(c.hawaiiAreaCode, "MOL", 3) == 0) {
    c.hawaiiOuterIsland = 1;
  }
  if (c.hawaiiOuterIsland != 0) std::memcpy(c.hawaiiRateCode, "AA", 2);
  if (c.hawaiiOnly != 0) {
    if (!LookupHawaiiTable(c, 1)) return Fail(c, kBadPair);
    ComputeHawaiiCharge(c, 1, HawaiiTable(c, 1));
  } else {
    if (!LookupHawaiiGateway(c)) return Fail(c, kBadPair);
    char* hawaiianEnd = HawaiianEnd(c);
    std::memset(s.savedHawaiiZip, 0, sizeof s.savedHawaiiZip);
    std::memcpy(s.savedHawaiiZip, hawaiianEnd, 5);
    std::memset(c.hawaiiGatewayZip, 0, sizeof c.hawaiiGatewayZip);
    if (!LookupGatewayZip(c)) return Fail(c, kBadPair);
    std::memset(c.hawaiiGatewayState, 0, sizeof c.hawaiiGatewayState);
    char intrastate = 0, direction = 0, flag1 = 0, flag2 = 0, gatewayFlag3 = 'N', region = 0;
    GetStateCode(&c, c.hawaiiGatewayZip, c.hawaiiGatewayState, &intrastate, &direction, &flag1,
                 &flag2, &gatewayFlag3, &region);
    std::memcpy(hawaiianEnd, c.hawaiiGatewayZip, 5);
    const char otherFlag = hawaiianEnd == c.origZip ? c.destPointFlag3 : c.origPointFlag3;
    if (settings::useFacTables.IsYes(c) && gatewayFlag3 == 'Y' && otherFlag == 'Y') {
      c.useBasePoints = 0;
    }
  }
  for (int32_t table = 2; table <= 4; ++table) {
    if (!LookupHawaiiTable(c, table)) return Fail(c, kBadPair);
  }
  c.hawaiiOtherCharges = 0;
  c.hawaiiPercentCharges = 0.0f;
  for (int32_t table = 2; table <= 4; ++table) ComputeHawaiiCharge(c, table, HawaiiTable(c, table));
  if (c.hawaiiOnly == 0) return 1;

  done = true;
  if (c.alaskaShipment != 0) c.alaskaPointFlag = 'Y';
  if (c.mexicanLeg == 0) return 1;
  ClearPoints();
  return LookupMexicanPoint(c) ? 1 : Fail(c, kBadPair);
}

// Scales every cell of the rate table by a factor, rounding to cents at
// each step in single precision.
void ScaleRates(RateContext& c, float factor) {
  for (std::size_t i = 0; i < BRANT_BASE_RATE_CELLS; ++i) {
    float r = static_cast<float>(rndoff(static_cast<float>(c.baseRates[i]) / 100.0f, 2));
    r = static_cast<float>(rndoff(r * factor, 2));
    c.baseRates[i] = TruncateToInt32(static_cast<float>(rndoff(r * 100.0f, 0)));
  }
}

// The rates of the rate basis, by method.
int32_t LoadRates(RateContext& c) {
  if (c.useBasePoints == 1) {
    // Without its .AKR record an Alaskan shipment widens the narrow record
    // this resolution read; with none read there is nothing to widen.
    if (c.alaskaShipment == 1 && !ReadRateRecord(c) &&
        !(Rating().baseRecordRead && ExpandFactors(c))) {
      return Fail(c, kBadPair);
    }
    if (c.mexicanLeg == 1 && !ReadRateRecord(c)) return Fail(c, kBadPair);
    return 1;
  }
  if (!ReadRateRecord(c)) return Fail(c, kBadPair);
  if (c.alaskaShipment != 1 && !settings::wideRteRecords.IsYes(c) && !ExpandFactors(c)) {
    return Fail(c, kBadPair);
  }
  return 1;
}

int32_t Resolve(RateContext& c) {
  // Start clean, as on a thread that never rated; the matrix is allowed
  // only when the tariff and both ends allow it.
  RatingState& s = Rating() = RatingState{};
  // A rate record may fill fewer cells than the tariff's classes and breaks
  // span (an Alaskan or Mexican leg's); the rest read 0, not the last
  // shipment's rates.
  std::memset(c.baseRates, 0, sizeof c.baseRates);
  ClearBasePoints(c);
  c.territory = '\0';
  std::memset(c.matrixRbnoRecord, 0, sizeof c.matrixRbnoRecord);
  c.alaskaPointFlag = 'N';
  bool domestic = true;
  c.useBasePoints = 1;
  if (settings::useFacTables.IsYes(c) && c.origPointFlag3 == 'Y' && c.destPointFlag3 == 'Y') {
    c.useBasePoints = 0;
  }
  c.rateBaseReserved = 0;

  // Classify: an impossible pair fails before any file is read.
  const bool origAlpha = IsLetter(c.origZip[0]), destAlpha = IsLetter(c.destZip[0]);
  c.alphaPostalShipment = origAlpha || destAlpha ? 1 : 0;
  if (origAlpha && destAlpha) return Fail(c, kBadPair);
  c.alaskaShipment = IsState(c.origState, "AK") || IsState(c.destState, "AK") ? 1 : 0;
  c.mexicanLeg = c.origMexicanPoint != 0 || c.destMexicanPoint != 0 ? 1 : 0;
  if (c.alaskaShipment || c.mexicanLeg) domestic = false;
  if (IsState(c.origState, "MX") && IsState(c.destState, "MX")) return Fail(c, kBadPair);
  if (IsState(c.origState, "HI") && IsState(c.destState, "HI")) return Fail(c, kBadPair);
  c.hawaiiShipment = IsState(c.origState, "HI") || IsState(c.destState, "HI") ? 1 : 0;
  if (c.hawaiiShipment == 0) {  // the point of an earlier Hawaiian end
    std::memset(c.hawaiiAreaCode, 0, sizeof c.hawaiiAreaCode);
    std::memset(c.hawaiiRateCode, 0, sizeof c.hawaiiRateCode);
    std::memset(c.hawaiiTerminal, 0, sizeof c.hawaiiTerminal);
  }

  // The Hawaiian leg, which may end the resolution.
  if (c.hawaiiShipment == 1) {
    bool done = false;
    if (!RunHawaiianLeg(c, done)) return 0;
    if (done) return 1;
  }
  // The domestic methods.
  if (domestic && c.useBasePoints == 0 && !ResolveOnMatrix(c)) return 0;
  if (domestic && c.useBasePoints == 1 && !ResolveOnBasePoints(c)) return 0;
  // The Mexican and Alaskan legs.
  if (c.mexicanLeg == 1) {
    ClearPoints();
    if (!LookupMexicanPoint(c) || !LookupMexicanRbno(c)) return Fail(c, kBadPair);
  }
  if (c.alaskaShipment == 1) {
    ClearPoints();
    if (!LookupAlaskaPoint(c) || !LookupAlaskaRbno(c)) return Fail(c, kBadPair);
  }
  // A rate basis must have been found, and not the empty one.
  if (s.matrixResult < 0 || std::memcmp(c.rbno + 1, "000000", 6) == 0) return Fail(c, kBadPair);
  // The rates.
  if (!LoadRates(c)) return 0;
  // Transit days.
  if (c.wantTransitDays != 0) {
    s.transitDayCount = 0;
    if (!FillTransitDays(c)) return 0;
  }
  // Adjustments of the base-point method.
  if (settings::useAdjustments.IsYes(c) && c.useBasePoints == 1) ApplyAdjustments(c);
  RestoreHawaiianEnd(c);
  // Scale, rate factor, discount, zone minimums, minimum charges.
  const float scale = defaults::rateScale.Get(c);
  if (scale != 0.0f && scale != 1.0f) ScaleRates(c, scale);
  const float factor = defaults::rateFactor.Get(c);
  if (defaults::useRateFactor.Get(c) != 0 && factor != 1.0f) ScaleRates(c, factor);
  if (DiscountTakenFrom(c, 'R')) DiscountRateTable(c);
  c.zoneCharge = 0.0f;
  c.zoneMinimum = 0;
  if (c.zmcCount > 0) ApplyZoneMinimum(c);
  BuildMinimumChargeList(c);
  return 1;
}

}  // namespace
}  // namespace brant

extern "C" int32_t GetRbnoAndRates(RateContext* context) {
  using namespace brant;
  if (context == nullptr) return 0;
  const int32_t resolved = Resolve(*context);
  RestoreHawaiianEnd(*context);
  return resolved;
}
