// Rating from ENGINE.TXT: the shipment's lines priced at the break of their
// total weight, the next break tried with a deficit weight, a discount, a
// minimum, and the results written in the request record's own layout.
#include "engine_rating.h"

#include <brantfunc/tariff_engine.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine_bytes.h"

namespace brantengine {
namespace {

// Request record: what the shipment brings.
constexpr std::size_t kStatusAt = 3, kTariffAt = 11, kOrigZipAt = 30, kOrigStateAt = 36,
                      kDestZipAt = 55, kDestStateAt = 61, kZipSize = 6, kDiscountsOnAt = 194,
                      kRateFactorAt = 236, kRateFactorSize = 5, kDiscountField0At = 867,
                      kDiscountFieldSize = 5;
// Line item slots: class and weight in, rate and charge out.
constexpr std::size_t kLinesAt = 265, kLineSize = 30, kLineCount = 8, kLineClassAt = 2,
                      kLineClassSize = 3, kLineWeightAt = 5, kLineWeightSize = 6, kLineRateAt = 11,
                      kLineChargeAt = 18;
// What the engine writes back.
constexpr std::size_t kBasisAt = 90, kTotalWeightAt = 101, kBilledWeightAt = 107, kMinimumAt = 113,
                      kDeficitRateAt = 120, kDeficitWeightAt = 127, kDeficitChargeAt = 133,
                      kNetChargeAt = 142, kOrigPointAt = 196, kDestPointAt = 197,
                      kDiscountAmountAt = 220, kMinimumExtraAt = 229, kDiscountPercentAt = 241;
constexpr std::size_t kBaseRatesAt = 976, kMinimumLevels = 4, kClassCodesAt = 1676,
                      kClassSlots = 20, kClassSlotSize = 6, kBoundsAt = 1796, kClassCountAt = 1876,
                      kBreakCountAt = 1878, kChargeTypesAt = 1880, kChargeKeysAt = 1912,
                      kChargeAmountsAt = 2032, kChargeCountAt = 2154;
constexpr int32_t kPrimaryBlockWord = 960, kSecondaryBlockWord = 800;
constexpr int64_t kWholeFactor = 10000;

std::string_view BytesAt(const uint8_t* request, std::size_t at, std::size_t size) {
  return {reinterpret_cast<const char*>(request + at), size};
}

// A field's text up to its first space or NUL.
std::string_view Word(std::string_view field) {
  return field.substr(0, std::min(field.find(' '), field.find('\0')));
}

// A number as atol reads one within the field: blanks, a sign, digits.
int64_t NumberIn(std::string_view field) {
  std::size_t i = 0;
  while (i < field.size() && field[i] == ' ') ++i;
  bool negative = i < field.size() && field[i] == '-';
  if (i < field.size() && (field[i] == '-' || field[i] == '+')) ++i;
  int64_t value = 0;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i)
    value = value * 10 + (field[i] - '0');
  return negative ? -value : value;
}

// numerator / denominator (> 0) rounded to the nearest whole, halves up.
int64_t RoundedQuotient(int64_t numerator, int64_t denominator) {
  int64_t twice = 2 * numerator + denominator;
  int64_t quotient = twice / (2 * denominator);
  return twice % (2 * denominator) < 0 ? quotient - 1 : quotient;
}

// "%0*.*f" (zeroPad) or "%*.*f" of value / 10^decimals, built from the
// whole number so that no binary fraction creeps in.
std::string NumberText(int64_t value, int decimals, std::size_t width, bool zeroPad) {
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::string digits = std::to_string(magnitude);
  if (decimals > 0) {
    auto places = static_cast<std::size_t>(decimals);
    if (digits.size() <= places) digits.insert(0, places + 1 - digits.size(), '0');
    digits.insert(digits.size() - places, 1, '.');
  }
  std::string sign = value < 0 ? "-" : "";
  std::size_t used = sign.size() + digits.size();
  std::string padding(used < width ? width - used : 0, zeroPad ? '0' : ' ');
  return zeroPad ? sign + padding + digits : padding + sign + digits;
}

void PutAmount(uint8_t* at, std::size_t width, int64_t cents, bool zeroPad) {
  PutField(at, width, NumberText(cents, 2, width, zeroPad));
}

void PutWhole(uint8_t* at, std::size_t width, int64_t value) {
  PutField(at, width, NumberText(value, 0, width, true));
}

struct Line {
  std::size_t slot;
  const ClassRates* rates;
  int64_t weight;
  int64_t rate = 0;
  int64_t charge = 0;
};

struct Bill {
  const RateTable* table = nullptr;
  int64_t factor = kWholeFactor;
  std::vector<Line> lines;
  int64_t totalWeight = 0, billedWeight = 0;
  int64_t deficitWeight = 0, deficitRate = 0, deficitCharge = 0;
  int64_t gross = 0, discountPercent = 0, discount = 0, net = 0;
};

// The 5 digits at 236 over 10000; anything but 5 digits is a factor of 1.
int64_t RateFactorOf(const uint8_t* request) {
  std::string_view field = BytesAt(request, kRateFactorAt, kRateFactorSize);
  for (char c : field) {
    if (c < '0' || c > '9') return kWholeFactor;
  }
  return NumberIn(field);
}

int64_t RateAt(const Bill& bill, const ClassRates& rates, std::size_t breakIndex) {
  return RoundedQuotient(rates.cents[breakIndex] * bill.factor, kWholeFactor);
}

int64_t ChargeOf(int64_t rate, int64_t weight) { return RoundedQuotient(rate * weight, 100); }

const ClassRates* FindClass(const RateTable& table, std::string_view code) {
  for (const ClassRates& rates : table.classes) {
    if (UpperCase(rates.code) == UpperCase(code)) return &rates;
  }
  return nullptr;
}

// Gathers the shipment's lines; false when a line's class has no rates or
// there is no line at all.
bool ReadLines(const uint8_t* request, Bill& bill) {
  for (std::size_t slot = 0; slot < kLineCount; ++slot) {
    std::size_t at = kLinesAt + slot * kLineSize;
    std::string_view code = Word(BytesAt(request, at + kLineClassAt, kLineClassSize));
    int64_t weight = NumberIn(BytesAt(request, at + kLineWeightAt, kLineWeightSize));
    if (code.empty() || weight <= 0) continue;
    const ClassRates* rates = FindClass(*bill.table, code);
    if (rates == nullptr) return false;
    bill.lines.push_back({slot, rates, weight});
    bill.totalWeight += weight;
  }
  return !bill.lines.empty();
}

// Prices every line at one break; the sum of their charges.
int64_t PriceLines(Bill& bill, std::size_t breakIndex) {
  int64_t total = 0;
  for (Line& line : bill.lines) {
    line.rate = RateAt(bill, *line.rates, breakIndex);
    line.charge = ChargeOf(line.rate, line.weight);
    total += line.charge;
  }
  return total;
}

// The bill at the break of the total weight, or at the next break with a
// deficit weight when that comes to less.
void PriceBreaks(Bill& bill) {
  const std::vector<int64_t>& bounds = bill.table->bounds;
  std::size_t k = 0;
  while (k + 1 < bounds.size() && bounds[k + 1] <= bill.totalWeight) ++k;
  int64_t plain = PriceLines(bill, k);
  bill.billedWeight = bill.totalWeight;
  bill.gross = plain;
  if (k + 1 == bounds.size()) return;
  int64_t deficitWeight = bounds[k + 1] - bill.totalWeight;
  int64_t deficitRate = RateAt(bill, *bill.lines.front().rates, k + 1);
  int64_t deficitCharge = ChargeOf(deficitRate, deficitWeight);
  int64_t alternative = PriceLines(bill, k + 1) + deficitCharge;
  if (alternative < plain) {
    bill.deficitWeight = deficitWeight;
    bill.deficitRate = deficitRate;
    bill.deficitCharge = deficitCharge;
    bill.billedWeight = bounds[k + 1];
    bill.gross = alternative;
  } else {
    PriceLines(bill, k);
  }
}

std::optional<Bill> PriceShipment(const EngineData& data, const uint8_t* request) {
  std::string_view name = BytesAt(request, kTariffAt, kMaxTariffNameLength);
  name = name.substr(0, name.find('\0'));
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  auto table = data.rateTables.find(UpperCase(name));
  if (table == data.rateTables.end() || table->second.bounds.empty()) return std::nullopt;
  Bill bill;
  bill.table = &table->second;
  bill.factor = RateFactorOf(request);
  if (!ReadLines(request, bill)) return std::nullopt;
  PriceBreaks(bill);
  if (request[kDiscountsOnAt] == 'Y') {
    bill.discountPercent = NumberIn(BytesAt(request, kDiscountField0At, kDiscountFieldSize));
    bill.discount = RoundedQuotient(bill.gross * bill.discountPercent, 10000);
  }
  bill.net = std::max(bill.gross - bill.discount, bill.table->minimum);
  return bill;
}

// The 175 rates: the minimum in the first four, then each class's rates by
// break while they fit, then the `baserate` overrides.
void PutBaseRates(const Bill& bill, uint8_t* request) {
  const RateTable& table = *bill.table;
  std::vector<int32_t> rates(kBaseRateCount, 0);
  std::fill_n(rates.begin(), kMinimumLevels, static_cast<int32_t>(table.minimum));
  std::size_t breaks = table.bounds.size();
  for (std::size_t c = 0; c < table.classes.size(); ++c) {
    for (std::size_t b = 0; b < breaks && kMinimumLevels + c * breaks + b < kBaseRateCount; ++b) {
      rates[kMinimumLevels + c * breaks + b] =
          static_cast<int32_t>(RateAt(bill, table.classes[c], b));
    }
  }
  for (auto [index, value] : table.baseRateOverrides) rates[index] = value;
  for (std::size_t i = 0; i < kBaseRateCount; ++i)
    StoreI32(request + kBaseRatesAt + 4 * i, rates[i]);
}

// Class codes, weight bounds, their counts and the charge list.
void PutTables(const RateTable& table, uint8_t* request) {
  for (std::size_t slot = 0; slot < kClassSlots; ++slot) {
    std::string_view code;  // an empty slot is all NULs
    if (slot < table.classes.size()) code = table.classes[slot].code;
    PutField(request + kClassCodesAt + slot * kClassSlotSize, kClassSlotSize, code, '\0');
  }
  for (std::size_t b = 0; b < kMaxWeightBreaks; ++b) {
    auto bound = b < table.bounds.size() ? static_cast<int32_t>(table.bounds[b]) : 0;
    StoreI32(request + kBoundsAt + 4 * b, bound);
  }
  auto counts = table.reportedCounts.value_or(std::pair{static_cast<int16_t>(table.classes.size()),
                                                        static_cast<int16_t>(table.bounds.size())});
  StoreI16(request + kClassCountAt, counts.first);
  StoreI16(request + kBreakCountAt, counts.second);
  for (std::size_t k = 0; k < kMaxChargeEntries; ++k) {
    ChargeEntry entry = k < table.charges.size() ? table.charges[k] : ChargeEntry{};
    request[kChargeTypesAt + k] = static_cast<uint8_t>(entry.type);
    StoreI32(request + kChargeKeysAt + 4 * k, entry.key);
    StoreI32(request + kChargeAmountsAt + 4 * k, entry.amount);
  }
  StoreI16(request + kChargeCountAt, static_cast<int16_t>(table.charges.size()));
}

// The states and point codes the data gives each end's ZIP.
void PutEnds(const EngineData& data, uint8_t* request) {
  struct End {
    std::size_t zipAt, stateAt, pointAt;
  };
  for (End end :
       {End{kOrigZipAt, kOrigStateAt, kOrigPointAt}, End{kDestZipAt, kDestStateAt, kDestPointAt}}) {
    std::string zip = UpperCase(Word(BytesAt(request, end.zipAt, kZipSize)));
    if (const std::string* state = FindState(data, zip)) PutField(request + end.stateAt, 2, *state);
    auto point = data.pointCodes.find(zip);
    request[end.pointAt] =
        static_cast<uint8_t>(point == data.pointCodes.end() ? ' ' : point->second);
  }
}

void PutBill(const Bill& bill, const EngineData& data, uint8_t* request) {
  const RateTable& table = *bill.table;
  PutField(request + kBasisAt, kRateBasisLength, table.basis);
  PutWhole(request + kTotalWeightAt, 6, bill.totalWeight);
  PutWhole(request + kBilledWeightAt, 6, bill.billedWeight);
  PutAmount(request + kMinimumAt, 7, table.minimum, true);
  PutAmount(request + kDeficitRateAt, 7, bill.deficitRate, true);
  PutWhole(request + kDeficitWeightAt, 6, bill.deficitWeight);
  PutAmount(request + kDeficitChargeAt, 9, bill.deficitCharge, true);
  PutAmount(request + kNetChargeAt, 9, bill.net, false);
  PutAmount(request + kDiscountAmountAt, 9, bill.discount, false);
  PutAmount(request + kMinimumExtraAt, 7, table.minimumExtra, true);
  PutAmount(request + kDiscountPercentAt, 5, bill.discountPercent, false);
  for (const Line& line : bill.lines) {
    uint8_t* slot = request + kLinesAt + line.slot * kLineSize;
    PutAmount(slot + kLineRateAt, 7, line.rate, true);
    PutAmount(slot + kLineChargeAt, 9, line.charge, true);
  }
  PutEnds(data, request);
  PutBaseRates(bill, request);
  PutTables(table, request);
}

}  // namespace

int32_t RateShipment(const EngineData& data, uint8_t* request, uint8_t* resultBlock) {
  int32_t blockWord = LoadI32(resultBlock);
  bool primary = blockWord == kPrimaryBlockWord;
  if (!primary && blockWord != kSecondaryBlockWord) return 0;
  std::string origZip = UpperCase(Word(BytesAt(request, kOrigZipAt, kZipSize)));
  auto found = data.statusByZip.find(origZip);
  const StatusReply* status = found == data.statusByZip.end() ? nullptr : &found->second;
  std::optional<Bill> bill = PriceShipment(data, request);
  if (bill) {
    PutBill(*bill, data, request);
    if (status != nullptr) PutField(request + kStatusAt, kStatusCodeLength, status->code);
  }
  bool rated = bill && !(status != nullptr && (primary ? status->unrated : status->retryUnrated));
  StoreI32(resultBlock + ENGINE_RESULT_RATED_AT, rated ? 0 : -1);
  if (primary) StoreI16(resultBlock + ENGINE_RESULT_FLAG_AT, status != nullptr ? status->flag : 0);
  return rated ? 1 : 0;
}

}  // namespace brantengine
