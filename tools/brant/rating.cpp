#include "rating.h"

#include <cstdarg>
#include <cstdio>
#include <algorithm>
#include <cstring>

#include "amounts.h"

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

void RateShipment(const brant_tariff& tariff, const ShipmentText& text,
                  const ShipmentOptions& options, Rating& rating) {
  brant_bill_init(&rating.bill);
  brant_shipment s;
  brant_shipment_init(&s);
  s.origin = text.origin.c_str();
  s.destination = text.destination.c_str();
  s.line_count = text.lineCount;
  for (int i = 0; i < text.lineCount && i < BRANT_MAX_LINES; ++i) {
    const LineText& line = text.lines[i];
    const std::optional<int32_t> weight = ParseWholeNumber(line.weight);
    if (!weight) {
      Refuse(rating, BRANT_FIELD_WEIGHT, i + 1, line.weight,
             "line %d weight \"%.60s\": give a whole number of pounds, 1 to %d", i + 1,
             line.weight.c_str(), kMostPounds);
      return;
    }
    s.lines[i].freight_class = line.freightClass.c_str();
    s.lines[i].weight = *weight;
  }
  s.discount_bps = options.discountBps;
  s.break_discount_bps = options.breakDiscountBps;
  s.floor_cents = options.floorCents;
  s.discount_on_rates = options.discountOnRates ? 1 : 0;
  s.want_transit_days = options.transitDays ? 1 : 0;
  s.explain = options.explain ? 1 : 0;
  rating.status = brant_rate(&tariff, &s, &rating.bill, &rating.error);
}

}  // namespace brant::tool
