// The four Hawaiian tables and the charges priced from them; the gateways
// are met through whole resolutions in rate_base_test.
#include <tuple>

#include "formats/host_records.h"
#include "ratebase/special_legs.h"
#include "support/tariff_dir.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {
namespace {

namespace kit = tariffkit;
using HawaiiLegTest = TariffDirTest;

// Edges of each bracket; below the minimum, and a weight in no bracket, give
// the minimum; a product past 32 bits saturates.
TEST_F(HawaiiLegTest, TablesBracketsAndPercentageAmounts) {
  const char* tables[] = {".HID", ".HIO", ".HIP", ".HIW"};
  for (int t = 0; t < 4; ++t) {
    Write(tables[t], kit::HawaiiTableFile({{"HIL", "01", t, {}},
                                           {"HON", "01", 5000, {100, 90, 80, 70, 60, 50}},
                                           {"LAN", "AA", t, {}}}));
  }
  PutText(c_.hawaiiAreaCode, "HON");
  PutText(c_.hawaiiRateCode, "01");
  const HawaiiTableValues rates{5000, 100, 90, 80, 70, 60, 50};
  for (int32_t table = 1; table <= 5; ++table) {
    EXPECT_EQ(LookupHawaiiTable(c_, table), table < 5 ? 1 : 0);
    EXPECT_EQ(HawaiiTable(c_, table), table < 5 ? rates : HawaiiTableValues{});
  }
  const std::pair<int32_t, int32_t> weights[] = {
      {99, 9900}, {100, 9000}, {199, 17910}, {200, 16000}, {399, 27930}, {400, 24000},
      {799, 47940}, {800, 40000}, {0, 5000}, {49, 5000}, {-5, 5000}, {INT32_MAX, INT32_MAX}};
  for (const auto& [weight, charge] : weights) {
    c_.hawaiiWeight = weight;
    ComputeHawaiiCharge(c_, 1, rates);
    EXPECT_EQ(int32_t{c_.hawaiiTable1Charge}, charge) << weight;
  }
  // Charges of 123.45: 10 % of table 1 unless Alaska or Mexico is involved,
  // the percentages of tables 2 and 3 when switched on, none for table 4.
  c_.hawaiiWeight = 12345;
  c_.hawaiiTable1Percent = 10.0f;
  defaults::hawaiiTable2Percent.Set(c_, 10.0f);
  defaults::hawaiiTable3Percent.Set(c_, 20.0f);
  // Alaska, Mexico, table 2 on, table 3 on -> table 1 amount, other charges,
  // percent charges
  using Amounts = std::tuple<float, int32_t, float>;
  const std::tuple<int32_t, int32_t, int16_t, int16_t, Amounts> cases[] = {
      {0, 0, 1, 1, {12.35f, 37035, 12.35f + 24.69f}}, {1, 0, 1, 0, {0.0f, 37035, 12.35f}},
      {0, 1, 0, 1, {0.0f, 37035, 24.69f}}};
  for (const auto& [alaska, mexico, on2, on3, amounts] : cases) {
    c_.alaskaShipment = alaska;
    c_.mexicanLeg = mexico;
    defaults::hawaiiTable2PercentOn.Set(c_, on2);
    defaults::hawaiiTable3PercentOn.Set(c_, on3);
    c_.hawaiiOtherCharges = 0;
    c_.hawaiiPercentCharges = 0.0f;
    for (int32_t t = 1; t <= 4; ++t) ComputeHawaiiCharge(c_, t, {0, 1, 1, 1, 1, 1, 1});
    EXPECT_EQ(Amounts(float{c_.hawaiiTable1PercentAmount}, int32_t{c_.hawaiiOtherCharges},
                      float{c_.hawaiiPercentCharges}), amounts);
  }
}

}  // namespace
}  // namespace brant::test_support
