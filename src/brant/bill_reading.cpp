#include "brant/bill_reading.h"

#include <cstring>
#include <optional>
#include <string_view>

#include "bill/bill_state.h"
#include "brant/bill_amounts.h"
#include "brant/error_report.h"
#include "context/byte_coding.h"

namespace brant::api {
namespace {

template <std::size_t N>
std::string_view Text(const char (&field)[N]) {
  return FixedText(field, N);
}

template <std::size_t N, std::size_t M>
void CopyText(char (&out)[N], const char (&field)[M]) {
  PutTerminatedText(out, N, FixedText(field, M));
}

// Reads the record's amounts one by one; the first that is not a whole
// amount is the failure.
class AmountReader {
 public:
  explicit AmountReader(brant_error* error) : error_(error) {}

  template <std::size_t N>
  int64_t Hundredths(const char (&field)[N], const char* name) {
    return Take(ParseHundredths(Text(field)), Text(field), name);
  }
  template <std::size_t N>
  int64_t Whole(const char (&field)[N], const char* name) {
    return Take(ParseWhole(Text(field)), Text(field), name);
  }
  template <std::size_t N>
  int64_t CentsOfHundredths(const char (&field)[N], const char* name) {
    return Take(HundredthsOfCentToCents(Text(field)), Text(field), name);
  }
  brant_status status() const { return status_; }

 private:
  int64_t Take(std::optional<int64_t> value, std::string_view text, const char* name) {
    if (value) return *value;
    if (status_ == BRANT_OK) {
      status_ = Fail(error_, BRANT_E_TOO_LARGE, {BRANT_FIELD_BILL, 0, 0, text},
                     "the bill's %s (\"%.*s\") is too large for the rating record; rate the "
                     "shipment in parts", name, static_cast<int>(text.size()), text.data());
    }
    return 0;
  }

  brant_error* error_;
  brant_status status_ = BRANT_OK;
};

void ReadEnds(const RateContext& c, const ShipmentInput& in, brant_bill& bill) {
  PutTerminatedText(bill.origin, sizeof bill.origin, in.origin.code);
  PutTerminatedText(bill.destination, sizeof bill.destination, in.destination.code);
  // A Mexican point has no state row; its state is Mexico.
  if (in.origin.kind == PostalKind::kMexican) {
    PutTerminatedText(bill.origin_state, sizeof bill.origin_state, "MX");
  } else {
    PutTerminatedText(bill.origin_state, sizeof bill.origin_state, FixedText(c.origState, 2));
  }
  if (in.destination.kind == PostalKind::kMexican) {
    PutTerminatedText(bill.destination_state, sizeof bill.destination_state, "MX");
  } else {
    PutTerminatedText(bill.destination_state, sizeof bill.destination_state,
                      FixedText(c.destState, 2));
  }
  CopyText(bill.rate_basis, c.rbno);
}

void ReadLines(const RateContext& c, const ShipmentInput& in, AmountReader& read,
               brant_bill& bill) {
  bill.line_count = in.lineCount;
  for (int32_t i = 0; i < in.lineCount; ++i) {
    brant_bill_line& line = bill.lines[i];
    // The class rated: a substitute when the profile names one.
    const int32_t k = c.lineClassIndex[i];
    const bool known = k >= 0 && k < BRANT_CLASS_SLOTS;
    PutTerminatedText(line.freight_class, sizeof line.freight_class,
                      known ? Text(c.classTable[k]) : std::string_view(in.classes[i]));
    line.weight = in.weights[i];
    line.rate_cents = read.Hundredths(c.lineRate[i], "line rate");
    line.charge_cents = read.Hundredths(c.lineCharge[i], "line charge");
    line.substituted = c.lineClassMark[i][0] == '*' ? 1 : 0;
  }
}

void ReadBreaks(const RateContext& c, const ShipmentInput& in, AmountReader& read,
                brant_bill& bill) {
  bill.total_weight = static_cast<int32_t>(read.Whole(c.totalWeight, "total weight"));
  bill.billed_weight = static_cast<int32_t>(read.Whole(c.billedWeight, "billed weight"));
  if (c.useTariffEngine != 0) {
    // The engine bills a break of its own; ours are the engine's tables.
    bill.start_break = BreakHolding(c, in.totalWeight);
    bill.weight_break = BreakHolding(c, bill.billed_weight);
  } else {
    const BillState& state = Bill();
    bill.start_break = state.startBreak;
    bill.weight_break = c.weightTierIndex;
  }
  if (bill.weight_break >= 0 && bill.weight_break < BRANT_WEIGHT_SLOTS) {
    CopyText(bill.weight_break_label, c.weightLabels[bill.weight_break]);
  }
  bill.deficit_won = bill.weight_break > bill.start_break ? 1 : 0;
  bill.deficit_weight = static_cast<int32_t>(read.Whole(c.deficitWeight, "deficit weight"));
  bill.deficit_rate_cents = read.Hundredths(c.deficitRate, "deficit rate");
  bill.deficit_charge_cents = read.Hundredths(c.deficitCharge, "deficit charge");
}

void ReadCharges(const RateContext& c, AmountReader& read, brant_bill& bill) {
  bill.gross_cents = read.Hundredths(c.grossCharge, "gross charge");
  bill.discount_bps =
      static_cast<int32_t>(read.Hundredths(c.discountPercentText, "discount percentage"));
  bill.discount_cents = read.Hundredths(c.discountAmount, "discount");
  bill.net_cents = read.Hundredths(c.netCharge, "net charge");
  bill.minimum_charge_cents = read.Hundredths(c.minimumChargeText, "minimum charge");
  // The record keeps the minimum's discount in cents, to two decimals.
  bill.minimum_discount_cents = read.CentsOfHundredths(c.minimumDiscountText, "minimum discount");
  bill.floor_cents = DollarsToCents(c.discountFloor);
  bill.weight_tier_cents = read.Hundredths(c.weightTierCharge, "weight tier charge");
  bill.zone_charge_cents = DollarsToCents(c.zoneCharge);
  if (c.hawaiiShipment != 0) {
    bill.hawaii_table1_cents = c.hawaiiTable1Charge;
    bill.hawaii_table1_percent_cents = DollarsToCents(c.hawaiiTable1PercentAmount);
    bill.hawaii_other_cents = c.hawaiiOtherCharges;
    bill.hawaii_other_percent_cents = DollarsToCents(c.hawaiiPercentCharges);
  }
}

void ReadService(const RateContext& c, const RatingNotes& notes, AmountReader& read,
                 brant_bill& bill) {
  bill.transit_days = -1;
  if (!notes.transitLookedUp) return;
  CopyText(bill.origin_terminal, c.origTerminal);
  CopyText(bill.destination_terminal, c.destTerminal);
  const int64_t days = read.Whole(c.transitDays, "transit days");
  if (days > 0) {
    bill.transit_days = static_cast<int32_t>(days);
  } else {
    AddWarning(bill, 0, "no transit days: the tariff lists none from terminal %s to %s",
               bill.origin_terminal, bill.destination_terminal);
  }
}

}  // namespace

brant_method MethodOf(const RateContext& c) {
  if (c.useTariffEngine != 0) return BRANT_METHOD_ENGINE;
  // The legs name the rate basis from their own tables, the Mexican first.
  if (c.mexicanLeg != 0) return BRANT_METHOD_MEXICAN_LEG;
  if (c.alaskaShipment != 0) return BRANT_METHOD_ALASKAN_LEG;
  return c.useBasePoints != 0 ? BRANT_METHOD_BASE_POINTS : BRANT_METHOD_MATRIX;
}

int32_t BreakHolding(const RateContext& c, int64_t weight) {
  const int32_t count = c.weightRecordCount;
  for (int32_t b = 0; b < count && b < BRANT_WEIGHT_SLOTS; ++b) {
    if (std::memcmp(c.weightLabels[b], "XXX", 3) == 0) continue;
    if (c.weightMin[b] <= weight && weight <= c.weightMax[b]) return b;
  }
  return -1;
}

brant_status ReadBill(const RateContext& c, const ShipmentInput& in, const RatingNotes& notes,
                      brant_bill& bill, brant_error* error) {
  AmountReader read(error);
  ReadEnds(c, in, bill);
  bill.method = MethodOf(c);
  ReadLines(c, in, read, bill);
  ReadBreaks(c, in, read, bill);
  ReadCharges(c, read, bill);
  ReadService(c, notes, read, bill);
  return read.status();
}

}  // namespace brant::api
