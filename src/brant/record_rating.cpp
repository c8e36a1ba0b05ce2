#include "brant/record_rating.h"

#include <charconv>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "brant/error_report.h"
#include "context/byte_coding.h"
#include "formats/host_records.h"
#include "platform/hooks.h"

namespace brant::api {
namespace {

constexpr int32_t kSrvOpen = 375;  // the tariff has no transit days file
constexpr int32_t kEngineRated = 0;

// A stretch of the record by place and size: the record is packed, so its
// fields are cleared through their offsets, never through their addresses.
struct Stretch {
  std::size_t at;
  std::size_t size;
};
#define BRANT_FIELD(name) Stretch{offsetof(RateContext, name), sizeof(RateContext::name)}
#define BRANT_FIELDS_FROM_TO(first, end) \
  Stretch{offsetof(RateContext, first), offsetof(RateContext, end) - offsetof(RateContext, first)}

// Everything a shipment and its rating leave in the record, so that the
// next shipment on it starts as on a record just opened: the rating state
// and the rate table, the discounts, the Hawaiian leg (whose outer-island
// mark would stay set), the shipment and its bill, the charge lists and
// the terminal details.
constexpr Stretch kShipmentFields[] = {
    BRANT_FIELD(origAdjustmentCode),
    BRANT_FIELD(destAdjustmentCode),
    BRANT_FIELD(laneAdjustmentCodes),
    BRANT_FIELD(adjustmentSortScratch),
    BRANT_FIELD(errorCode),
    BRANT_FIELD(alphaPostalShipment),
    BRANT_FIELD(mexicanLeg),
    BRANT_FIELD(alaskaShipment),
    BRANT_FIELD(wantTransitDays),
    BRANT_FIELD(rateBaseReserved),
    BRANT_FIELD(minimumCharge),
    BRANT_FIELDS_FROM_TO(zoneMinimum, hostBytes10),  // through the rate table
    BRANT_FIELD(classMinimumRaw),
    BRANT_FIELD(territory),
    BRANT_FIELD(rbnoDisplay),
    BRANT_FIELD(billedWeightCopy),
    BRANT_FIELDS_FROM_TO(hawaiiOnly, hostBytes25),
    BRANT_FIELD(alaskaPointFlag),
    BRANT_FIELD(useBasePoints),
    BRANT_FIELD(mcEntryValue),
    BRANT_FIELD(altClassMinimum),
    BRANT_FIELDS_FROM_TO(origZip, classTable),
    BRANT_FIELDS_FROM_TO(mcKeys, hostBytes37),
    BRANT_FIELD(origTerminalInfo),
    BRANT_FIELD(destTerminalInfo),
};
#undef BRANT_FIELD
#undef BRANT_FIELDS_FROM_TO

void ClearLastShipment(RateContext& c) {
  auto* bytes = reinterpret_cast<unsigned char*>(&c);
  for (const Stretch& s : kShipmentFields) std::memset(bytes + s.at, 0, s.size);
}

const char* EndName(brant_field field) {
  return field == BRANT_FIELD_ORIGIN ? "origin" : "destination";
}

// A refusal of one end by the ZIP checks.
brant_status RefuseEnd(brant_error* error, const RateContext& c, brant_field field,
                       const PostalCode& code) {
  const int32_t status = c.errorCode;
  const Blame blame{field, 0, status, code.given};
  const char* end = EndName(field);
  const char* state = field == BRANT_FIELD_ORIGIN ? c.origState : c.destState;
  switch (status) {
    case BRANT_INVALID_ORIGIN_ZIP:
    case BRANT_INVALID_DEST_ZIP:
      if (std::memcmp(state, "HI", 2) == 0) {
        return Fail(error, BRANT_E_NOT_SERVED, blame,
                    "%s %s: not a Hawaiian point the tariff serves", end, code.given);
      }
      return Fail(error, BRANT_E_NOT_SERVED, blame, "%s %s: not a postal code the tariff serves",
                  end, code.given);
    case BRANT_OUT_OF_SCOPE:
      return Fail(error, BRANT_E_NOT_SERVED, blame,
                  "%s %s: out of the carrier's scope of operations", end, code.given);
    case 107:
      return Fail(error, BRANT_E_MALFORMED, blame, "%s %s: the tariff wants a longer postal code",
                  end, code.given);
    default:
      return Fail(error, TariffFailureOf(status), blame, "%s %s: %s", end, code.given,
                  RecordMessage(status));
  }
}

brant_status RefuseLane(brant_error* error, const ShipmentInput& in, int32_t status,
                        const char* why) {
  char lane[96];
  std::snprintf(lane, sizeof lane, "%s to %s", in.origin.given, in.destination.given);
  return Fail(error, BRANT_E_NOT_SERVED, {BRANT_FIELD_LANE, 0, status, lane}, "lane %s: %s",
              lane, why);
}

// The tariff's classes, for a refusal of a class it does not have.
void ListClasses(const RateContext& c, char* out, std::size_t room) {
  std::size_t at = 0;
  out[0] = '\0';
  const int32_t count = c.classCount;
  for (int32_t i = 0; i < count && i < BRANT_CLASS_SLOTS && at + 1 < room; ++i) {
    const std::string_view name = FixedText(c.classTable[i], sizeof c.classTable[i]);
    const int n = std::snprintf(out + at, room - at, "%s%.*s", i == 0 ? "" : ", ",
                                static_cast<int>(name.size()), name.data());
    if (n < 0) break;
    at += static_cast<std::size_t>(n);
  }
}

// The lightest and heaviest weights of the breaks in use.
void WeightRange(const RateContext& c, int32_t& lightest, int32_t& heaviest) {
  lightest = INT32_MAX;
  heaviest = INT32_MIN;
  const int32_t count = c.weightRecordCount;
  for (int32_t b = 0; b < count && b < BRANT_WEIGHT_SLOTS; ++b) {
    if (std::memcmp(c.weightLabels[b], "XXX", 3) == 0) continue;  // a break not in use
    if (c.weightMin[b] < lightest) lightest = c.weightMin[b];
    if (c.weightMax[b] > heaviest) heaviest = c.weightMax[b];
  }
  if (lightest > heaviest) lightest = heaviest = 0;
}

brant_status CheckEnds(RateContext& c, const ShipmentInput& in, brant_error* error) {
  PutTerminatedText(c.origZip, sizeof c.origZip, in.origin.code);
  PutTerminatedText(c.destZip, sizeof c.destZip, in.destination.code);
  c.origMexicanPoint = in.origin.kind == PostalKind::kMexican ? 1 : 0;
  c.destMexicanPoint = in.destination.kind == PostalKind::kMexican ? 1 : 0;
  if (VerOrigZip(&c) == 0) return RefuseEnd(error, c, BRANT_FIELD_ORIGIN, in.origin);
  if (VerDestZip(&c) == 0) return RefuseEnd(error, c, BRANT_FIELD_DESTINATION, in.destination);
  if (VerTerritory(&c) == 0) {
    return RefuseLane(error, in, c.errorCode, "out of the carrier's scope of operations");
  }
  return BRANT_OK;
}

brant_status CheckLines(RateContext& c, const ShipmentInput& in, brant_error* error) {
  for (int32_t i = 0; i < in.lineCount; ++i) {
    const int32_t line = i + 1;
    if (VerClass(&c, in.classes[i], static_cast<uint32_t>(i), 0) == 0) {
      char classes[200];
      ListClasses(c, classes, sizeof classes);
      return Fail(error, BRANT_E_NOT_SERVED, {BRANT_FIELD_CLASS, line, c.errorCode, in.classes[i]},
                  "line %d class %s: not a class of this tariff; it has %s", line,
                  in.classes[i], classes);
    }
    char weight[16] = {};
    std::to_chars(weight, weight + sizeof weight - 1, in.weights[i]);
    if (VerWeight(&c, weight, static_cast<uint32_t>(i)) == 0) {
      int32_t lightest = 0, heaviest = 0;
      WeightRange(c, lightest, heaviest);
      return Fail(error, BRANT_E_NOT_SERVED, {BRANT_FIELD_WEIGHT, line, c.errorCode, weight},
                  "line %d weight %s: in no weight break of this tariff (%d to %d pounds)", line,
                  weight, lightest, heaviest);
    }
  }
  return BRANT_OK;
}

// A figure in hundredths as the host's decimal text ("10.50", "200.00"),
// the whole part padded to `width`; the input checks keep it in the field,
// and not below 0.
template <std::size_t N>
void PutHundredths(char (&field)[N], int64_t hundredths, int width) {
  char whole[24];
  const std::size_t digits =
      static_cast<std::size_t>(std::to_chars(whole, whole + sizeof whole, hundredths / 100).ptr - whole);
  char text[40];
  std::size_t n = 0;
  for (std::size_t pad = digits; pad < static_cast<std::size_t>(width); ++pad) text[n++] = ' ';
  std::memcpy(text + n, whole, digits);
  n += digits;
  text[n++] = '.';
  text[n++] = static_cast<char>('0' + hundredths % 100 / 10);
  text[n++] = static_cast<char>('0' + hundredths % 10);
  PutTerminatedText(field, N, {text, n});
}

// The shipment's discount as the host's texts, every weight break taking
// the break percentage; no other source of discounts is consulted.
void ChooseDiscounts(RateContext& c, const brant_shipment& s) {
  const bool given = s.discount_bps != 0 || s.break_discount_bps != 0 || s.floor_cents != 0;
  defaults::discountsEnabled.Set(c, given ? 1 : 0);
  defaults::discountsEnabled2.Set(c, 0);
  defaults::zipDiscountsEnabled.Set(c, 0);
  defaults::discountType.Set(c, s.discount_on_rates != 0 ? 'R' : 'C');
  profile::profileUseDisFile.Set(c, 0);
  profile::profileUseUserDiscount.Set(c, 1);
  profile::profileUseZipFloors.Set(c, 0);
  PutHundredths(c.userDiscountText, s.discount_bps, 2);
  PutHundredths(c.userBreakDiscountText, s.break_discount_bps, 2);
  PutHundredths(c.userFloorText, s.floor_cents, 3);
  c.discCount = BRANT_WGT_RECORDS;
  LoadDiscounts(&c, 0, 0);
}

// The terminals of both ends from the service guide; the transit days are
// looked up with the rate when both are known.
void AskForTerminals(const brant_tariff& t, RateContext& c, const ShipmentInput& in,
                     brant_bill& bill, RatingNotes& notes) {
  if (t.guideLibrary == nullptr) {
    AddWarning(bill, 0, "no transit days: the tariff was opened without a service guide");
    return;
  }
  if (AskServiceGuide(c) == 0) {
    AddWarning(bill, c.errorCode, "no transit days: the service guide failed: %s",
               RecordMessage(c.errorCode));
    c.errorCode = 0;
    return;
  }
  // A lane the guide does not serve, or one it knows no days for.
  if (c.origTerminal[0] == '\0' || c.destTerminal[0] == '\0') {
    AddWarning(bill, 0, "no transit days: the service guide gives no terminals for %s to %s",
               in.origin.given, in.destination.given);
    return;
  }
  c.wantTransitDays = 1;
  notes.transitLookedUp = true;
}

brant_status RefuseResolution(const brant_tariff& t, const RateContext& c,
                              const ShipmentInput& in, brant_error* error) {
  const int32_t status = c.errorCode;
  const bool bothCanadian = in.origin.kind == PostalKind::kCanadian &&
                            in.destination.kind == PostalKind::kCanadian;
  const bool bothMexican = in.origin.kind == PostalKind::kMexican &&
                           in.destination.kind == PostalKind::kMexican;
  switch (status) {
    case BRANT_INVALID_ORIGIN_ZIP:
      return Fail(error, BRANT_E_NOT_SERVED, {BRANT_FIELD_ORIGIN, 0, status, in.origin.given},
                  "origin %s: the tariff has no rates from this postal code", in.origin.given);
    case BRANT_INVALID_DEST_ZIP:
      return Fail(error, BRANT_E_NOT_SERVED,
                  {BRANT_FIELD_DESTINATION, 0, status, in.destination.given},
                  "destination %s: the tariff has no rates to this postal code",
                  in.destination.given);
    case BRANT_INVALID_TERRITORY:
      return RefuseLane(error, in, status, "the tariff names a territory it cannot rate");
    case BRANT_INVALID_ZIP_COMBINATION:
      if (bothCanadian) {
        return RefuseLane(error, in, status, "both ends are Canadian; a lane has a US end");
      }
      if (bothMexican) {
        return RefuseLane(error, in, status, "both ends are Mexican; a lane has a US end");
      }
      return RefuseLane(error, in, status, "the tariff has no rate for this pair of points");
    default:
      return Fail(error, TariffFailureOf(status), {BRANT_FIELD_TARIFF, 0, status, t.name},
                  "tariff %s%s: %s", t.directory.c_str(), t.name.c_str(),
                  RecordMessage(status));
  }
}

brant_status RefuseBill(const brant_tariff& t, const RateContext& c, const ShipmentInput& in,
                        brant_error* error) {
  const int32_t status = c.errorCode;
  if (status == BRANT_INVALID_WEIGHT) {
    char total[16];
    std::snprintf(total, sizeof total, "%d", in.totalWeight);
    return Fail(error, BRANT_E_NOT_SERVED, {BRANT_FIELD_TOTAL_WEIGHT, 0, status, total},
                "total weight %d: in no weight break of this tariff", in.totalWeight);
  }
  return Fail(error, TariffFailureOf(status), {BRANT_FIELD_TARIFF, 0, status, t.name},
              "tariff %s%s: %s", t.directory.c_str(), t.name.c_str(), RecordMessage(status));
}

// The library's own rating, as RateShipment runs it, except that a bill
// that cannot be priced is a failure, and that a tariff without transit
// days still prices the shipment.
brant_status RateWithTariff(const brant_tariff& t, RateContext& c, const ShipmentInput& in,
                            brant_bill& bill, RatingNotes& notes, brant_error* error) {
  if (GetRbnoAndRates(&c) == 0) {
    if (c.errorCode != kSrvOpen || c.wantTransitDays == 0) {
      return RefuseResolution(t, c, in, error);
    }
    AddWarning(bill, kSrvOpen, "no transit days: %s", RecordMessage(kSrvOpen));
    c.wantTransitDays = 0;
    notes.transitLookedUp = false;
    c.errorCode = 0;
    if (GetRbnoAndRates(&c) == 0) return RefuseResolution(t, c, in, error);
  }
  if (RateBill(&c, 0) == 0) return RefuseBill(t, c, in, error);
  // A Mexican shipment is billed twice; the second bill's weight stands.
  if (c.mexicanLeg != 0 && RateBill(&c, 1) == 0) return RefuseBill(t, c, in, error);
  std::memcpy(c.billedWeightCopy, c.billedWeight, sizeof c.billedWeightCopy);
  return BRANT_OK;
}

brant_status RateThroughEngine(RateContext& c, RatingNotes& notes, brant_error* error) {
  MessageCapture box;
  const int32_t result = RateShipment(&c, 0, 0);
  std::snprintf(notes.engineWords, sizeof notes.engineWords, "%s", box.text());
  if (result == kEngineRated) return BRANT_OK;
  if (box.captured()) {
    return Fail(error, BRANT_E_NOT_RATED, {BRANT_FIELD_NONE, 0, c.errorCode, {}},
                "the tariff engine would not rate the shipment: %s", box.text());
  }
  return Fail(error, BRANT_E_NOT_RATED, {BRANT_FIELD_NONE, 0, c.errorCode, {}},
              "the tariff engine did not rate the shipment");
}

}  // namespace

void AddWarning(brant_bill& bill, int32_t recordStatus, const char* format, ...) {
  if (bill.warning_count < 0 || bill.warning_count >= BRANT_MAX_WARNINGS) return;
  brant_warning& w = bill.warnings[bill.warning_count++];
  w.record_status = recordStatus;
  va_list args;
  va_start(args, format);
  std::vsnprintf(w.message, sizeof w.message, format, args);
  va_end(args);
}

brant_status RateOnRecord(const brant_tariff& t, RateContext& c, const ShipmentInput& in,
                          const brant_shipment& s, brant_bill& bill, RatingNotes& notes,
                          brant_error* error) {
  ClearLastShipment(c);
  if (brant_status status = CheckEnds(c, in, error)) return status;
  if (brant_status status = CheckLines(c, in, error)) return status;
  ChooseDiscounts(c, s);
  // The Hawaiian tables charge by the shipment's weight.
  c.hawaiiWeight = in.totalWeight;
  if (s.want_transit_days != 0) AskForTerminals(t, c, in, bill, notes);
  const bool engine = c.useTariffEngine != 0;
  const brant_status status =
      engine ? RateThroughEngine(c, notes, error) : RateWithTariff(t, c, in, bill, notes, error);
  if (status != BRANT_OK) return status;
  if (c.errorCode != 0) {
    AddWarning(bill, c.errorCode, "%s", RecordMessage(c.errorCode));
  }
  if (engine && notes.engineWords[0] != '\0') {
    AddWarning(bill, 0, "the tariff engine: %s", notes.engineWords);
  }
  return BRANT_OK;
}

}  // namespace brant::api
