#include "rating.h"

#include <cstdarg>
#include <cstdio>
#include <algorithm>
#include <cstring>

#include "amounts.h"
#include "shipment_forms.h"

namespace brant::tool {
namespace {

constexpr int32_t kMostPounds = 999999;  // a line's weight, as brant.h takes it

}  // namespace

void Refuse(Rating& rating, brant_field field, int line, std::string_view value,
            const char* format, ...) {
  brant_error& error = rating.error;
  std::memset(&error, 0, sizeof error);
  rating.status = error.status = BRANT_E_MALFORMED;
  error.field = field;
  error.line = line;
  value.copy(error.value, std::min(value.size(), sizeof error.value - 1));
  va_list args;
  va_start(args, format);
  std::vsnprintf(error.message, sizeof error.message, format, args);
  va_end(args);
}

bool SplitLine(std::string_view text, LineText& line) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return false;
  line.freightClass.assign(text.substr(0, colon));
  line.weight.assign(text.substr(colon + 1));
  return true;
}

const char* ResultName(Result result) {
  switch (result) {
    case Result::kRated: return "rated";
    case Result::kWarning: return "warning";
    case Result::kRefused: break;
  }
  return "refused";
}

namespace {

// The line's class, or its handling units; false with the refusal.
bool TakeLine(const LineText& text, int number, brant_line& line, Rating& rating) {
  const std::optional<int32_t> weight = ParseWholeNumber(text.weight);
  if (!weight) {
    Refuse(rating, BRANT_FIELD_WEIGHT, number, text.weight,
           "line %d weight \"%.60s\": give a whole number of pounds, 1 to %d", number,
           text.weight.c_str(), kMostPounds);
    return false;
  }
  line.weight = *weight;
  if (!IsDimensionsForm(text.freightClass)) {
    line.freight_class = text.freightClass.c_str();
    return true;
  }
  const std::optional<HandlingUnits> units = ParseHandlingUnits(text.freightClass);
  if (!units) {
    Refuse(rating, BRANT_FIELD_DIMENSIONS, number, text.freightClass,
           "line %d dimensions \"%.60s\": %s", number, text.freightClass.c_str(), kUnitsForms);
    return false;
  }
  PutUnits(*units, line);
  return true;
}

// The row's ship date and accessorials, else the options'; false with the
// refusal.
bool TakeCharges(ShipmentText& text, const ShipmentOptions& options, brant_shipment& s,
                 Rating& rating) {
  s.ship_date = options.shipDate;
  if (!text.shipDate.empty()) {
    const std::optional<int32_t> date = ParseShipDate(text.shipDate);
    if (!date) {
      Refuse(rating, BRANT_FIELD_SHIP_DATE, 0, text.shipDate,
             "ship date \"%.60s\": give a real date as YYYY-MM-DD (2026-03-10)",
             text.shipDate.c_str());
      return false;
    }
    s.ship_date = *date;
  }
  const std::vector<std::string>* codes = &options.accessorials;
  if (!text.accessorials.empty()) {
    text.codes = SplitAccessorials(text.accessorials);
    codes = &text.codes;
  }
  if (codes->size() > BRANT_MAX_ACCESSORIALS) {
    Refuse(rating, BRANT_FIELD_ACCESSORIAL, BRANT_MAX_ACCESSORIALS + 1,
           (*codes)[BRANT_MAX_ACCESSORIALS],
           "%zu accessorials: give at most %d", codes->size(), BRANT_MAX_ACCESSORIALS);
    return false;
  }
  s.accessorial_count = static_cast<int32_t>(codes->size());
  for (std::size_t i = 0; i < codes->size(); ++i) s.accessorials[i] = (*codes)[i].c_str();
  return true;
}

}  // namespace

void RateShipment(const brant_tariff& tariff, ShipmentText& text,
                  const ShipmentOptions& options, Rating& rating) {
  brant_bill_init(&rating.bill);
  brant_shipment s;
  brant_shipment_init(&s);
  s.origin = text.origin.c_str();
  s.destination = text.destination.c_str();
  s.line_count = text.lineCount;
  for (int i = 0; i < text.lineCount && i < BRANT_MAX_LINES; ++i) {
    if (!TakeLine(text.lines[i], i + 1, s.lines[i], rating)) return;
  }
  if (!TakeCharges(text, options, s, rating)) return;
  s.discount_bps = options.discountBps;
  s.break_discount_bps = options.breakDiscountBps;
  s.floor_cents = options.floorCents;
  s.discount_on_rates = options.discountOnRates ? 1 : 0;
  s.want_transit_days = options.transitDays ? 1 : 0;
  s.explain = options.explain ? 1 : 0;
  rating.status = brant_rate(&tariff, &s, &rating.bill, &rating.error);
}

}  // namespace brant::tool
