#include "brant/added_charges.h"

#include <cstdio>
#include <cstring>

#include "brant/amount_due.h"
#include "brant/error_report.h"
#include "brant/explanation.h"
#include "brant/record_rating.h"
#include "charges/amounts.h"
#include "charges/calendar.h"
#include "context/byte_coding.h"

namespace brant::api {
namespace {

struct DateText {
  char text[12];
  explicit DateText(int32_t date) { charges::PutDateText(text, sizeof text, date); }
};

// "3.759" from thousandths of a dollar.
struct PriceText {
  char text[16];
  explicit PriceText(int32_t mills) {
    std::snprintf(text, sizeof text, "%d.%03d", mills / 1000, mills % 1000);
  }
};

// "1234.56" or "24.50" from hundredths.
struct HundredthsText {
  char text[32];
  explicit HundredthsText(int64_t hundredths) {
    std::snprintf(text, sizeof text, "%lld.%02lld", static_cast<long long>(hundredths / 100),
                  static_cast<long long>(hundredths % 100));
  }
};

void SettleClasses(const charges::TariffCharges& tariff, ShipmentInput& input, ChargePlan& plan) {
  plan.scale = &charges::DensityScaleOn(input.shipDate);
  for (int32_t i = 0; i < input.lineCount; ++i) {
    plan.densities[i] = -1;
    const LineUnits& u = input.units[i];
    if (u.count > 0) {
      plan.densities[i] =
          charges::DensityHundredths(input.weights[i], u.count, u.length, u.width, u.height);
      PutTerminatedText(input.classes[i], sizeof input.classes[i],
                        charges::ClassOfDensity(*plan.scale, plan.densities[i]));
    }
    if (const char* mapped = charges::MappedClass(tariff, input.classes[i])) {
      PutTerminatedText(plan.classesBeforeMap[i], sizeof plan.classesBeforeMap[i],
                        input.classes[i]);
      PutTerminatedText(input.classes[i], sizeof input.classes[i], mapped);
    }
  }
}

brant_status PlanFuel(const charges::TariffCharges& tariff, const ShipmentInput& input,
                      ChargePlan& plan, brant_error* error) {
  plan.fuel = input.shipDate != 0 && !tariff.fuelIndex.empty() && tariff.fuelTable.present;
  if (!plan.fuel) return BRANT_OK;
  plan.fuelOnGross = tariff.fuelTable.onGross;
  const DateText ship(input.shipDate);
  plan.fuelPrice =
      charges::FindFuelPrice(tariff.fuelIndex, tariff.fuelTable.weekday, input.shipDate);
  if (plan.fuelPrice.price == nullptr) {
    return Fail(error, BRANT_E_NOT_SERVED, {BRANT_FIELD_SHIP_DATE, 0, 0, ship.text},
                "ship date %s: the tariff's fuel index covers %s to %s; give a date in it",
                ship.text, DateText(plan.fuelPrice.firstCovered).text,
                DateText(plan.fuelPrice.lastCovered).text);
  }
  if (!charges::FuelPercent(tariff.fuelTable, plan.fuelPrice.price->priceMills,
                            plan.fuelPercentBps)) {
    const auto& bands = tariff.fuelTable.bands;
    return Fail(error, BRANT_E_NOT_SERVED, {BRANT_FIELD_SHIP_DATE, 0, 0, ship.text},
                "ship date %s: the fuel price %s of %s is in no band of the tariff's fuel "
                "table (%s to less than %s)",
                ship.text, PriceText(plan.fuelPrice.price->priceMills).text,
                DateText(plan.fuelPrice.price->date).text,
                PriceText(bands.front().atLeastMills).text,
                PriceText(bands.back().lessThanMills).text);
  }
  return BRANT_OK;
}

brant_status PlanAccessorials(const charges::TariffCharges& tariff, const ShipmentInput& input,
                              ChargePlan& plan, brant_error* error) {
  for (int32_t i = 0; i < input.accessorialCount; ++i) {
    const char* code = input.accessorials[i];
    plan.accessorials[i] = charges::FindAccessorial(tariff, code);
    if (plan.accessorials[i] != nullptr) continue;
    if (tariff.catalogue.empty()) {
      return Fail(error, BRANT_E_NOT_SERVED, {BRANT_FIELD_ACCESSORIAL, i + 1, 0, code},
                  "accessorial %s: the tariff has no accessorial catalogue", code);
    }
    char known[200] = {};
    std::size_t used = 0;
    for (const charges::Accessorial& a : tariff.catalogue) {
      const int n =
          std::snprintf(known + used, sizeof known - used, "%s%s", used == 0 ? "" : ", ", a.code);
      if (n < 0 || used + static_cast<std::size_t>(n) >= sizeof known - 6) {  // room for ", ..."
        std::snprintf(known + used, sizeof known - used, ", ...");
        break;
      }
      used += static_cast<std::size_t>(n);
    }
    return Fail(error, BRANT_E_NOT_SERVED, {BRANT_FIELD_ACCESSORIAL, i + 1, 0, code},
                "accessorial %s: not in the tariff's catalogue; it has %s", code, known);
  }
  return BRANT_OK;
}

int64_t ChargeOf(const charges::Accessorial& a, const brant_bill& bill, int64_t freight,
                 bool& fits) {
  int64_t amount = a.amount;
  if (a.kind == BRANT_CHARGE_PER_CWT)
    amount = charges::PerHundredweight(bill.total_weight, a.amount);
  if (a.kind == BRANT_CHARGE_PERCENT) fits = charges::PercentOf(freight, a.amount, amount);
  if (amount < a.minimumCents) amount = a.minimumCents;
  if (a.maximumCents != 0 && amount > a.maximumCents) amount = a.maximumCents;
  return amount;
}

brant_status TooLarge(brant_error* error, const char* what) {
  return Fail(error, BRANT_E_TOO_LARGE, {BRANT_FIELD_BILL, 0, 0, what},
              "the %s is too large to figure", what);
}

}  // namespace

brant_status PlanCharges(const charges::TariffCharges& tariff, ShipmentInput& input,
                         ChargePlan& plan, brant_error* error) {
  plan = ChargePlan{};
  SettleClasses(tariff, input, plan);
  if (brant_status status = PlanFuel(tariff, input, plan, error)) return status;
  return PlanAccessorials(tariff, input, plan, error);
}

brant_status AddCharges(const charges::TariffCharges& tariff, const ShipmentInput& input,
                        const ChargePlan& plan, brant_bill& bill, brant_error* error) {
  for (int32_t i = 0; i < input.lineCount; ++i) {
    bill.lines[i].density_hundredths = plan.densities[i] > 0 ? plan.densities[i] : 0;
    PutTerminatedText(bill.lines[i].class_before_map, sizeof bill.lines[i].class_before_map,
                      plan.classesBeforeMap[i]);
  }
  bill.ship_date = input.shipDate;
  if (input.shipDate == 0 && tariff.fuelTable.present) {
    AddWarning(bill, 0, "no ship date: the tariff's fuel surcharge is not figured");
  }
  const int64_t freight = FreightCharge(bill);
  if (plan.fuel) {
    const charges::FuelTable& table = tariff.fuelTable;
    bill.fuel_index_date = plan.fuelPrice.price->date;
    bill.fuel_price_mills = plan.fuelPrice.price->priceMills;
    bill.fuel_percent_bps = plan.fuelPercentBps;
    bill.fuel_base_cents = table.onGross ? bill.gross_cents : freight;
    int64_t surcharge = 0, discount = 0;
    if (!charges::PercentOf(bill.fuel_base_cents, plan.fuelPercentBps, surcharge) ||
        (table.discounted && !charges::PercentOf(surcharge, bill.discount_bps, discount))) {
      return TooLarge(error, "fuel surcharge");
    }
    bill.fuel_surcharge_cents = surcharge - discount;
    AddStep(bill, BRANT_STEP_FUEL_SURCHARGE, "fuel surcharge", bill.fuel_surcharge_cents);
  }
  bill.accessorial_count = input.accessorialCount;
  for (int32_t i = 0; i < input.accessorialCount; ++i) {
    const charges::Accessorial& a = *plan.accessorials[i];
    bool fits = true;
    brant_accessorial_charge& out = bill.accessorials[i];
    out.amount_cents = ChargeOf(a, bill, freight, fits);
    if (!fits) return TooLarge(error, "accessorial charge");
    PutTerminatedText(out.code, sizeof out.code, a.code);
    PutTerminatedText(out.name, sizeof out.name, a.name);
    out.kind = a.kind;
    AddStep(bill, BRANT_STEP_ACCESSORIAL, a.name, out.amount_cents);
  }
  return BRANT_OK;
}

void ExplainCharges(const ShipmentInput& input, const ChargePlan& plan, brant_bill& bill) {
  for (int32_t i = 0; i < input.lineCount; ++i) {
    const LineUnits& u = input.units[i];
    if (u.count > 0) {
      const bool dated = plan.scale->effective != 0;
      AddNote(bill, BRANT_NOTE_DENSITY,
              "line %d: %d x %dx%dx%d in, %d lb: %s lb/ft3, class %s (%s%s%s)", i + 1, u.count,
              u.length, u.width, u.height, input.weights[i], HundredthsText(plan.densities[i]).text,
              plan.classesBeforeMap[i][0] != '\0' ? plan.classesBeforeMap[i] : input.classes[i],
              plan.scale->name, dated ? " of " : "",
              dated ? DateText(plan.scale->effective).text : "");
    }
    if (plan.classesBeforeMap[i][0] != '\0') {
      AddNote(bill, BRANT_NOTE_CLASS_MAP, "line %d: class %s rates as %s (the tariff's class map)",
              i + 1, plan.classesBeforeMap[i], input.classes[i]);
    }
  }
  if (plan.fuel) {
    AddNote(bill, BRANT_NOTE_FUEL,
            "fuel: %s a gallon, index of %s in effect from %s: %s %% of %s %s",
            PriceText(bill.fuel_price_mills).text, DateText(bill.fuel_index_date).text,
            DateText(plan.fuelPrice.effectiveDate).text, HundredthsText(bill.fuel_percent_bps).text,
            plan.fuelOnGross ? "the gross charge" : "the freight charge",
            HundredthsText(bill.fuel_base_cents).text);
  }
  for (int32_t i = 0; i < bill.accessorial_count; ++i) {
    const brant_accessorial_charge& a = bill.accessorials[i];
    const charges::Accessorial& entry = *plan.accessorials[i];
    const char* how = entry.kind == BRANT_CHARGE_FLAT      ? "flat"
                      : entry.kind == BRANT_CHARGE_PER_CWT ? "per 100 lb"
                                                           : "% of the freight charge";
    AddNote(bill, BRANT_NOTE_ACCESSORIAL, "%s (%s): %s %s, min %s, max %s: %s", a.code, a.name,
            HundredthsText(entry.amount).text, how, HundredthsText(entry.minimumCents).text,
            entry.maximumCents != 0 ? HundredthsText(entry.maximumCents).text : "none",
            HundredthsText(a.amount_cents).text);
  }
}

}  // namespace brant::api
