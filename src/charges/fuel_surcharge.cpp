#include "charges/fuel_surcharge.h"

#include "charges/calendar.h"

namespace brant::charges {
namespace {

// The first `weekday` on or after `date`, as a day number.
int64_t EffectiveDay(int32_t date, int32_t weekday) {
  return DayNumber(date) + (weekday - Weekday(date) + 7) % 7;
}

}  // namespace

FuelInEffect FindFuelPrice(const std::vector<FuelPrice>& index, int32_t weekday, int32_t shipDate) {
  FuelInEffect found;
  const int64_t first = EffectiveDay(index.front().date, weekday);
  const int64_t last = EffectiveDay(index.back().date, weekday) + 6;
  found.firstCovered = DateOfDay(first);
  found.lastCovered = DateOfDay(last);
  const int64_t ship = DayNumber(shipDate);
  if (ship < first || ship > last) return found;
  // Dates rise, so days in effect do not fall: the last that began by the
  // ship date is the one in effect.
  for (const FuelPrice& p : index) {
    const int64_t from = EffectiveDay(p.date, weekday);
    if (from > ship) break;
    found.price = &p;
    found.effectiveDate = DateOfDay(from);
  }
  return found;
}

bool FuelPercent(const FuelTable& table, int32_t priceMills, int32_t& bps) {
  if (table.formula) {
    const int32_t steps = priceMills < table.formulaBaseMills
                              ? 0
                              : (priceMills - table.formulaBaseMills) / table.formulaStepMills;
    bps = steps * table.formulaPercentBps;
    return true;
  }
  for (const FuelBand& band : table.bands) {
    if (priceMills >= band.atLeastMills && priceMills < band.lessThanMills) {
      bps = band.percentBps;
      return true;
    }
  }
  return false;
}

}  // namespace brant::charges
