// The Hawaiian leg: the mainland gateway that stands in for the Hawaiian
// end, and the charges of the four Hawaiian tables priced by weight.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

#include "context/byte_coding.h"
#include "formats/host_records.h"
#include "formats/special_legs.h"
#include "platform/file_io.h"
#include "ratebase/rating_state.h"
#include "ratebase/special_legs.h"

namespace brant {
namespace {

constexpr std::size_t kPointWidth = formats::hawaii_gateway::kOriginCode.width;
static_assert(HawaiiTableValues{}.size() == 1 + formats::hawaii_table::kRates.count,
              "a table's values are its minimum and its rates");

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
  namespace layout = formats::hawaii_gateway;
  char key[layout::kKeyWidth];
  std::memcpy(key + layout::kOriginCode.offset, state.origPoint, layout::kOriginCode.width);
  std::memcpy(key + layout::kDestinationCode.offset, state.destPoint,
              layout::kDestinationCode.width);

  std::memset(c.hawaiiGatewayCode, 0, sizeof c.hawaiiGatewayCode);
  uint8_t record[layout::kSize];
  ScopedDescriptor file(Openfile(&c, ".HIM"));
  if (FindSortedRecord(file.get(), sizeof record, 0, key, sizeof key, record) < 0) {
    c.errorCode = BRANT_INVALID_ZIP_COMBINATION;
    return 0;
  }
  const std::string_view gateway = formats::DecodeHawaiiGateway(record).gateway;
  std::memcpy(c.hawaiiGatewayCode, gateway.data(), gateway.size());
  return 1;
}

int32_t LookupGatewayZip(RateContext& c) {
  namespace layout = formats::gateway_zip;
  char key[layout::kKeyWidth];
  CopyLeading(key, sizeof key, c.hawaiiGatewayCode);
  uint8_t record[layout::kSize];
  ScopedDescriptor file(Openfile(&c, ".HIF"));
  if (FindSortedRecord(file.get(), sizeof record, 0, key, sizeof key, record) < 0) return 0;
  const std::string_view zip = formats::DecodeGatewayZip(record).zip;
  std::memcpy(c.hawaiiGatewayZip, zip.data(), zip.size());
  return 1;
}

int32_t LookupHawaiiTable(RateContext& c, int32_t table) {
  const char* extension = TableExtension(table);
  if (extension == nullptr) return 0;
  namespace layout = formats::hawaii_table;
  char key[layout::kKeyWidth];
  CopyLeading(key + layout::kAreaCode.offset, layout::kAreaCode.width, c.hawaiiAreaCode);
  CopyLeading(key + layout::kRateCode.offset, layout::kRateCode.width, c.hawaiiRateCode);
  uint8_t record[layout::kSize];
  ScopedDescriptor file(Openfile(&c, extension));
  if (FindSortedRecord(file.get(), sizeof record, 0, key, sizeof key, record) < 0) return 0;
  const formats::HawaiiTableRecord found = formats::DecodeHawaiiTable(record);
  HawaiiTableValues values{found.minimum};
  std::copy(found.rates.begin(), found.rates.end(), values.begin() + 1);
  std::memcpy(reinterpret_cast<uint8_t*>(&c) + TableOffset(table), values.data(), sizeof values);
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
