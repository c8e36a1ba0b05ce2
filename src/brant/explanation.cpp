#include "brant/explanation.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "bill/bill_state.h"
#include "context/byte_coding.h"
#include "formats/host_records.h"
#include "ratebase/rating_state.h"

namespace brant::api {

void AddNote(brant_bill& bill, brant_note_kind kind, const char* format, ...) {
  if (bill.note_count < 0 || bill.note_count >= BRANT_MAX_NOTES) return;
  brant_note& note = bill.notes[bill.note_count++];
  note.kind = kind;
  va_list args;
  va_start(args, format);
  std::vsnprintf(note.text, sizeof note.text, format, args);
  va_end(args);
}

namespace {

// A fixed field as printf's "%.*s" arguments.
struct Shown {
  int length;
  const char* text;
};
Shown Show(const void* field, std::size_t width) {
  const std::string_view text = FixedText(field, width);
  return {static_cast<int>(text.size()), text.data()};
}

std::string_view Label(const RateContext& c, int32_t b) {
  if (b < 0 || b >= BRANT_WEIGHT_SLOTS) return "?";
  return FixedText(c.weightLabels[b], sizeof c.weightLabels[b]);
}

// Dollars and cents of a whole number of cents.
struct Money {
  char text[24];
};
Money Dollars(int64_t cents) {
  Money m;
  const int64_t magnitude = cents < 0 ? -cents : cents;
  std::snprintf(m.text, sizeof m.text, "%s%lld.%02lld", cents < 0 ? "-" : "",
                static_cast<long long>(magnitude / 100), static_cast<long long>(magnitude % 100));
  return m;
}
Money Dollars(double dollars) {
  Money m;
  std::snprintf(m.text, sizeof m.text, "%.2f", dollars);
  return m;
}

void ExplainMethod(const RateContext& c, brant_bill& bill) {
  const RatingState& s = Rating();
  if (bill.method == BRANT_METHOD_ENGINE) {
    const Shown tariff = Show(c.engineTariff, sizeof c.engineTariff);
    AddNote(bill, BRANT_NOTE_METHOD, "tariff engine, engine tariff %.*s", tariff.length, tariff.text);
    return;
  }
  if (bill.method == BRANT_METHOD_ALASKAN_LEG || bill.method == BRANT_METHOD_MEXICAN_LEG) return;
  if (bill.method == BRANT_METHOD_BASE_POINTS) {
    const Shown o = Show(s.origBasePoint, sizeof s.origBasePoint);
    const Shown d = Show(s.destBasePoint, sizeof s.destBasePoint);
    AddNote(bill, BRANT_NOTE_METHOD, "base points: origin %.*s, destination %.*s", o.length, o.text,
         d.length, d.text);
    return;
  }
  // A Hawaiian end was looked up as its mainland gateway.
  const bool hawaiianOrigin = c.hawaiiShipment != 0 && std::memcmp(c.origState, "HI", 2) == 0;
  const bool hawaiianDestination = c.hawaiiShipment != 0 && !hawaiianOrigin;
  const Shown o = Show(hawaiianOrigin ? c.hawaiiGatewayZip : c.origZip, 3);
  const Shown d = Show(hawaiianDestination ? c.hawaiiGatewayZip : c.destZip, 3);
  AddNote(bill, BRANT_NOTE_METHOD, "ZIP-pair matrix: origin prefix %.*s, destination prefix %.*s",
       o.length, o.text, d.length, d.text);
  switch (c.territory) {
    case 'G':
      AddNote(bill, BRANT_NOTE_METHOD, "territory G: the prefix pair's rate basis stands");
      break;
    case 'A': case 'F': case 'I':
      AddNote(bill, BRANT_NOTE_METHOD,
           "territory %c: the five-digit ZIPs' base ZIPs refine the prefix pair's rate basis",
           c.territory);
      break;
    default:
      break;
  }
}

void ExplainLegs(const RateContext& c, brant_bill& bill) {
  const RatingState& s = Rating();
  if (c.hawaiiShipment != 0) {
    const Shown area = Show(c.hawaiiAreaCode, sizeof c.hawaiiAreaCode);
    const Shown rate = Show(c.hawaiiRateCode, sizeof c.hawaiiRateCode);
    const Shown gate = Show(c.hawaiiGatewayCode, sizeof c.hawaiiGatewayCode);
    const Shown zip = Show(c.hawaiiGatewayZip, sizeof c.hawaiiGatewayZip);
    AddNote(bill, BRANT_NOTE_LEG,
         "Hawaiian leg: area %.*s, rate code %.*s%s; the mainland leg runs through gateway "
         "%.*s %.*s", area.length, area.text, rate.length, rate.text,
         c.hawaiiOuterIsland != 0 ? " (outer island)" : "", gate.length, gate.text, zip.length,
         zip.text);
  }
  if (c.alaskaShipment != 0 || c.mexicanLeg != 0) {
    const bool originSpecial = c.alaskaShipment != 0 ? std::memcmp(c.origState, "AK", 2) == 0
                                                     : c.origMexicanPoint != 0;
    const Shown point = Show(originSpecial ? s.origPoint : s.destPoint, 3);
    const Shown other = Show(originSpecial ? s.destPoint : s.origPoint, 3);
    AddNote(bill, BRANT_NOTE_LEG, "%s leg: point %.*s to ZIP prefix %.*s",
         c.alaskaShipment != 0 ? "Alaskan" : "Mexican", point.length, point.text, other.length,
         other.text);
  }
}

void ExplainAdjustments(const RateContext& c, brant_bill& bill) {
  if (bill.method == BRANT_METHOD_ENGINE) return;
  const float scale = defaults::rateScale.Get(c);
  if (scale != 0.0f && scale != 1.0f) {
    AddNote(bill, BRANT_NOTE_ADJUSTMENT, "rates scaled by %g (user defaults)", scale);
  }
  const float factor = defaults::rateFactor.Get(c);
  if (defaults::useRateFactor.Get(c) != 0 && factor != 1.0f) {
    AddNote(bill, BRANT_NOTE_ADJUSTMENT, "rates multiplied by the rate factor %g (user defaults)",
         factor);
  }
  if (settings::useAdjustments.Get(c) == 'Y' && c.useBasePoints != 0) {
    AddNote(bill, BRANT_NOTE_ADJUSTMENT, "the lane's rate adjustments applied");
  }
  if (c.zoneMinimum > 0.0f) {
    AddNote(bill, BRANT_NOTE_ADJUSTMENT, "zone minimum %s replaced the minimum charges",
         Dollars(static_cast<double>(c.zoneMinimum) / 100).text);
  }
  if (bill.zone_charge_cents != 0) {
    AddNote(bill, BRANT_NOTE_ADJUSTMENT, "zone charge %s for this lane",
         Dollars(bill.zone_charge_cents).text);
  }
}

void ExplainBreaks(const RateContext& c, brant_bill& bill) {
  const std::string_view start = Label(c, bill.start_break);
  AddNote(bill, BRANT_NOTE_BREAK, "total weight %d lb: priced from break %.*s", bill.total_weight,
       static_cast<int>(start.size()), start.data());
  if (bill.method == BRANT_METHOD_ENGINE) return;
  const BillState& s = Bill();
  for (int32_t i = 0; i < s.comparisonCount && i < static_cast<int32_t>(kMaxComparisons); ++i) {
    const BreakComparison& k = s.comparisons[i];
    const std::string_view to = Label(c, k.toBreak);
    const std::string_view from = Label(c, k.fromBreak);
    AddNote(bill, BRANT_NOTE_DEFICIT, "%.*s with %d lb deficit at %.2f: %s against %s at %.*s, %s",
         static_cast<int>(to.size()), to.data(), k.deficitWeight,
         static_cast<double>(k.deficitRate), Dollars(static_cast<double>(k.total)).text,
         Dollars(k.bestTotal).text, static_cast<int>(from.size()), from.data(),
         k.won ? "heavier break wins" : "heavier break loses");
  }
}

void ExplainDiscount(const RateContext& c, brant_bill& bill) {
  if (c.alaskaShipment != 0) {
    AddNote(bill, BRANT_NOTE_DISCOUNT, "Alaskan shipment: no discount and no floor apply");
    return;
  }
  if (defaults::discountsEnabled.Get(c) == 0) return;
  const bool onRates = defaults::discountType.Get(c) == 'R';
  if (onRates) {
    AddNote(bill, BRANT_NOTE_DISCOUNT, "discount taken from the rates and minimums before pricing");
  } else {
    AddNote(bill, BRANT_NOTE_DISCOUNT, "discount %d.%02d %% of the charges at the break billed",
         bill.discount_bps / 100, bill.discount_bps % 100);
  }
  if (bill.floor_cents > 0) {
    AddNote(bill, BRANT_NOTE_DISCOUNT, "floor %s", Dollars(bill.floor_cents).text);
  }
}

}  // namespace

void ExplainRating(const RateContext& c, brant_bill& bill) {
  ExplainMethod(c, bill);
  ExplainLegs(c, bill);
  AddNote(bill, BRANT_NOTE_RATE_BASIS, "rate basis %s", bill.rate_basis);
  ExplainAdjustments(c, bill);
  ExplainBreaks(c, bill);
  ExplainDiscount(c, bill);
}

}  // namespace brant::api
