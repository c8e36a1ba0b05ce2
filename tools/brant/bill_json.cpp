// The bill as JSON: field names as brant_bill names them, money in whole
// cents, so a program reads the same bill a host of brant.h gets; dates as
// "YYYY-MM-DD", null when none.
#include <cstring>

#include "bill_output.h"
#include "shipment_forms.h"

namespace brant::tool {
namespace {

// The result's words: none when rated, the warnings when there are any,
// else the refusal's sentence.
std::string Message(const Rating& rating) {
  if (rating.status != BRANT_OK) return rating.error.message;
  std::string message;
  for (int i = 0; i < rating.bill.warning_count && i < BRANT_MAX_WARNINGS; ++i) {
    if (i > 0) message += "; ";
    message += rating.bill.warnings[i].message;
  }
  return message;
}

// A fixed-width text of the bill, up to its NUL or its room.
template <std::size_t N>
std::string Text(const char (&text)[N]) {
  return std::string(text, strnlen(text, N));
}

// "2026-03-10", or null for no date.
Json DateOrNull(int32_t date) { return date == 0 ? Json(nullptr) : Json(ShownDate(date)); }

const char* ChargeKindName(int32_t kind) {
  switch (kind) {
    case BRANT_CHARGE_FLAT: return "flat";
    case BRANT_CHARGE_PER_CWT: return "per_cwt";
    case BRANT_CHARGE_PERCENT: return "percent";
  }
  return "other";
}

Json BillJson(const brant_bill& b, bool explain) {
  Json lines = Json::array();
  for (int i = 0; i < b.line_count && i < BRANT_MAX_LINES; ++i) {
    const brant_bill_line& line = b.lines[i];
    lines.push_back({{"class", line.freight_class},
                     {"weight", line.weight},
                     {"rate_cents", line.rate_cents},
                     {"charge_cents", line.charge_cents},
                     {"substituted", line.substituted != 0},
                     {"density_hundredths", line.density_hundredths},
                     {"class_before_map", Text(line.class_before_map)}});
  }
  Json accessorials = Json::array();
  for (int i = 0; i < b.accessorial_count && i < BRANT_MAX_ACCESSORIALS; ++i) {
    const brant_accessorial_charge& a = b.accessorials[i];
    accessorials.push_back({{"code", Text(a.code)},
                            {"name", Text(a.name)},
                            {"kind", ChargeKindName(a.kind)},
                            {"amount_cents", a.amount_cents}});
  }
  Json steps = Json::array();
  for (int i = 0; i < b.step_count && i < BRANT_MAX_STEPS; ++i) {
    const brant_step& step = b.steps[i];
    steps.push_back({{"name", step.name},
                     {"amount_cents", step.amount_cents},
                     {"total_cents", step.total_cents}});
  }
  Json warnings = Json::array();
  for (int i = 0; i < b.warning_count && i < BRANT_MAX_WARNINGS; ++i) {
    warnings.push_back({{"record_status", b.warnings[i].record_status},
                        {"message", b.warnings[i].message}});
  }
  Json j = {{"origin", b.origin},
            {"origin_state", b.origin_state},
            {"destination", b.destination},
            {"destination_state", b.destination_state},
            {"rate_basis", b.rate_basis},
            {"method", brant_method_name(static_cast<brant_method>(b.method))},
            {"lines", std::move(lines)},
            {"total_weight", b.total_weight},
            {"billed_weight", b.billed_weight},
            {"start_break", b.start_break},
            {"weight_break", b.weight_break},
            {"weight_break_label", b.weight_break_label},
            {"deficit_won", b.deficit_won != 0},
            {"deficit_weight", b.deficit_weight},
            {"deficit_rate_cents", b.deficit_rate_cents},
            {"deficit_charge_cents", b.deficit_charge_cents},
            {"gross_cents", b.gross_cents},
            {"discount_bps", b.discount_bps},
            {"discount_cents", b.discount_cents},
            {"net_cents", b.net_cents},
            {"minimum_charge_cents", b.minimum_charge_cents},
            {"minimum_discount_cents", b.minimum_discount_cents},
            {"floor_cents", b.floor_cents},
            {"weight_tier_cents", b.weight_tier_cents},
            {"zone_charge_cents", b.zone_charge_cents},
            {"hawaii_table1_cents", b.hawaii_table1_cents},
            {"hawaii_table1_percent_cents", b.hawaii_table1_percent_cents},
            {"hawaii_other_cents", b.hawaii_other_cents},
            {"hawaii_other_percent_cents", b.hawaii_other_percent_cents},
            {"ship_date", DateOrNull(b.ship_date)},
            {"fuel_index_date", DateOrNull(b.fuel_index_date)},
            {"fuel_price_mills", b.fuel_price_mills},
            {"fuel_percent_bps", b.fuel_percent_bps},
            {"fuel_base_cents", b.fuel_base_cents},
            {"fuel_surcharge_cents", b.fuel_surcharge_cents},
            {"accessorials", std::move(accessorials)},
            {"transit_days", b.transit_days},
            {"origin_terminal", b.origin_terminal},
            {"destination_terminal", b.destination_terminal},
            {"amount_due_cents", b.amount_due_cents},
            {"steps", std::move(steps)},
            {"warnings", std::move(warnings)}};
  if (explain) {
    Json notes = Json::array();
    for (int i = 0; i < b.note_count && i < BRANT_MAX_NOTES; ++i) {
      notes.push_back({{"kind", brant_note_kind_name(b.notes[i].kind)}, {"text", b.notes[i].text}});
    }
    j["notes"] = std::move(notes);
  }
  return j;
}

Json ErrorJson(const brant_error& e) {
  return {{"field", brant_field_name(e.field)},
          {"line", e.line},
          {"value", e.value},
          {"record_status", e.record_status}};
}

}  // namespace

Json RatingJson(const ShipmentText& text, const Rating& rating, bool explain) {
  Json j = {{"origin", text.origin},
            {"destination", text.destination},
            {"result", ResultName(rating.result())},
            {"status", static_cast<int>(rating.status)},
            {"message", Message(rating)}};
  if (rating.status == BRANT_OK) {
    j["bill"] = BillJson(rating.bill, explain);
  } else {
    j["error"] = ErrorJson(rating.error);
  }
  return j;
}

}  // namespace brant::tool
