// The Hawaiian leg: the mainland gateway that stands in for the Hawaiian
// end, and the charges of the four Hawaiian tables priced by weight.
#include <cstddef>
#include <cstring>

#include "context/byte_coding.h"
#include "formats/host_records.h"
#include "platform/file_io.h"
#include "ratebase/rating_state.h"
#include "ratebase/special_legs.h"

namespace brant {
namespace {

constexpr std::size_t kGatewayRecord = 9;     // .HIM: origin code, destination code, gateway
constexpr std::size_t kGatewayZipRecord = 8;  // .HIF: gateway, ZIP
constexpr std::size_t kTableRecord = 33;      // area code, rate code, minimum, six rates
constexpr std::size_t kTableKeyWidth = 5;
constexpr std::size_t kTableValuesAt = 5;
constexpr std::size_t kPointWidth = 3;

const char* TableExtension(int32_t table) {
  switch (table) {
    case 1: return ".HID";
    case 2: return ".HIO";
    case 3: return ".HIP";
    case 4: return ".HIW";
    default: return nullptr;
  }
}

// Where the record holds a table's seven numbers; they sit at any byte, so
// they are reached through the byte coding helpers.
std::size_t TableOffset(int32_t table) {
  switch (table) {
    case 1: return offsetof(RateContext, hawaiiTable1);
    case 2: return offsetof(RateContext, hawaiiTable2);
    case 3: return offsetof(RateContext, hawaiiTable3);
    default: return offsetof(RateContext, hawaiiTable4);
  }
}

// The rate of a weight's bracket: 1 below 100, 2 to 4 by hundreds up to
// 399, 5 from 400 to 799, 6 from 800.
std::size_t BracketRate(int32_t weight) {
  if (weight < 100) return 1;
  if (weight < 200) return 2;
  if (weight < 300) return 3;
  if (weight < 400) return 4;
  if (weight < 800) return 5;
  return 6;
}

int32_t Saturated(int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

// Rate times weight, raised to the minimum. A negative weight lies in no
// bracket and is priced at the minimum; a product past 32 bits saturates.
int32_t BracketCharge(int32_t weight, const HawaiiTableValues& values) {
  if (weight < 0) return values[0];
  const int64_t charge = int64_t{values[BracketRate(weight)]} * weight;
  return charge < values[0] ? values[0] : Saturated(charge);
}

// The percentage amount of tables 2 and 3, in dollars.
float PercentAmount(int32_t charge, float percent) {
  const double dollars = rndoff(static_cast<float>(charge) / 100.0f, 2);
  return static_cast<float>(rndoff(static_cast<float>(dollars * percent / 100.0), 2));
}

}  // namespace

int32_t LookupHawaiiGateway(RateContext& c) {
  RatingState& state = Rating();
  std::memset(state.origPoint, 0, sizeof state.origPoint);
  std::memset(state.destPoint, 0, sizeof state.destPoint);
  // With a Mexican end, "MEX" stands for the end that is not Hawaiian.
  const bool hawaiiOrigin = IsState(c.origState, "HI");
  if (c.mexicanLeg == 0 || hawaiiOrigin) {
    CopyLeading(state.origPoint, kPointWidth, c.origZip);
  } else {
    std::memcpy(state.origPoint, "MEX", kPointWidth);
  }
  if (c.mexicanLeg == 0 || !hawaiiOrigin) {
    CopyLeading(state.destPoint, kPointWidth, c.destZip);
  } else {
    std::memcpy(state.destPoint, "MEX", kPointWidth);
  }
  char key[2 * kPointWidth];
  std::memcpy(key, state.origPoint, kPointWidth);
  std::memcpy(key + kPointWidth, state.destPoint, kPointWidth);

  std::memset(c.hawaiiGatewayCode, 0, sizeof c.hawaiiGatewayCode);
  uint8_t record[kGatewayRecord];
  ScopedDescriptor file(Openfile(&c, ".HIM"));
  if (FindSortedRecord(file.get(), kGatewayRecord, 0, key, sizeof key, record) < 0) {
    c.errorCode = BRANT_INVALID_ZIP_COMBINATION;
    return 0;
  }
  std::memcpy(c.hawaiiGatewayCode, record + 6, 3);
  return 1;
}

int32_t LookupGatewayZip(RateContext& c) {
  char key[3];
  CopyLeading(key, sizeof key, c.hawaiiGatewayCode);
  uint8_t record[kGatewayZipRecord];
  ScopedDescriptor file(Openfile(&c, ".HIF"));
  if (FindSortedRecord(file.get(), kGatewayZipRecord, 0, key, sizeof key, record) < 0) return 0;
  std::memcpy(c.hawaiiGatewayZip, record + 3, 5);
  return 1;
}

int32_t LookupHawaiiTable(RateContext& c, int32_t table) {
  const char* extension = TableExtension(table);
  if (extension == nullptr) return 0;
  char key[kTableKeyWidth];
  CopyLeading(key, 3, c.hawaiiAreaCode);
  CopyLeading(key + 3, 2, c.hawaiiRateCode);
  uint8_t record[kTableRecord];
  ScopedDescriptor file(Openfile(&c, extension));
  if (FindSortedRecord(file.get(), kTableRecord, 0, key, sizeof key, record) < 0) return 0;
  auto* field = reinterpret_cast<uint8_t*>(&c) + TableOffset(table);
  for (std::size_t i = 0; i < HawaiiTableValues{}.size(); ++i) {
    const int32_t value = LoadI32(record + kTableValuesAt + 4 * i);
    std::memcpy(field + 4 * i, &value, sizeof value);
  }
  return 1;
}

HawaiiTableValues HawaiiTable(const RateContext& c, int32_t table) {
  HawaiiTableValues values{};
  if (TableExtension(table) == nullptr) return values;
  const auto* field = reinterpret_cast<const uint8_t*>(&c) + TableOffset(table);
  std::memcpy(values.data(), field, sizeof values);
  return values;
}

void ComputeHawaiiCharge(RateContext& c, int32_t table, const HawaiiTableValues& values) {
  if (TableExtension(table) == nullptr) return;
  const int32_t charge = BracketCharge(c.hawaiiWeight, values);
  if (table == 1) {
    c.hawaiiTable1Charge = charge;
    c.hawaiiTable1PercentAmount = 0.0f;
    const float percent = c.hawaiiTable1Percent;
    if (c.alaskaShipment == 0 && c.mexicanLeg == 0 && percent > 0) {
      c.hawaiiTable1PercentAmount =
          static_cast<float>(rndoff(static_cast<float>(charge) / 100.0f * percent / 100.0f, 2));
    }
  } else {
    c.hawaiiOtherCharges = Saturated(int64_t{c.hawaiiOtherCharges} + charge);
  }
  float amount = 0.0f;
  if (table == 2 && defaults::hawaiiTable2PercentOn.Get(c) != 0) {
    amount = PercentAmount(charge, defaults::hawaiiTable2Percent.Get(c));
  }
  if (table == 3 && defaults::hawaiiTable3PercentOn.Get(c) != 0) {
    amount = PercentAmount(charge, defaults::hawaiiTable3Percent.Get(c));
  }
  c.hawaiiPercentCharges = c.hawaiiPercentCharges + amount;
}

}  // namespace brant
