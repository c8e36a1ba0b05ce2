// Base points of postal codes (.BSF, .BSC) and wide base-point rate records
// (.RTF), on the small tariff of the kit.
#include "ratebase/lookup_test_support.h"

namespace brant::test_support {
namespace {

class BasePointTest : public LookupTest {
 protected:
  // "result status pointAdjustment basePoint adjustmentCode" of the lookup.
  std::string Find(const std::string& code, int32_t direction, const char* extension = ".BSF") {
    char point[7] = {}, adjustmentCode[7] = {};
    int32_t adjustment = -9;
    const int32_t found =
        LookupBasePoint(c_, code.c_str(), point, adjustmentCode, adjustment, direction, extension);
    char text[64];
    std::snprintf(text, sizeof text, "%d %d %d %s %s", found, c_.errorCode, adjustment, point,
                  adjustmentCode);
    return text;
  }
  kit::TariffContent tariff_ = kit::DescribeSmallTariff({});
};

// The first, a middle and the last code from either end (a number whose
// text passes six characters is cut to the field); a code between them is
// missing; an alphabetic code is keyed by its first 5 characters. A wide
// .RTF record fills the rate table. Whole resolutions meet the rest.
TEST_F(BasePointTest, PointsAndWideRatesByHalving) {
  tariff_.basePoints.push_back({"99999", "BPNEG0", "BPNEG1", -3, -1, 4, -100000});
  for (const auto& [extension, bytes] : kit::RenderTariff(tariff_)) Write(extension, bytes);
  const std::tuple<std::string, int32_t, std::string> cases[] = {
      {"02101", 1, "1 0 0 BP0210 000000"},
      {"30301", 1, "1 0 0 BP3030 000125"},
      {"99999", 1, "1 0 -3 BPNEG0 -00001"},
      {"99999", 3, "1 0 4 BPNEG1 -10000"},
      {"50000", 2, "0 0 -9  "}};
  for (const auto& [code, direction, expected] : cases) {
    EXPECT_EQ(Find(code, direction), expected) << code << " " << direction;
  }
  EXPECT_EQ(Find("H2X1Y4", 1, ".BSC"), "1 0 0 BPH2X0 000000");

  const kit::TariffContent wide = kit::DescribeSmallTariff({.wideRteRecords = 'Y'});
  Write(".RTF", kit::RenderTariff(wide).at(".RTF"));
  settings::wideRteRecords.Set(c_, 'Y');
  const Ints& last = wide.rtfRates[119].values;
  EXPECT_EQ(With("002190", ReadRtfRecord, {0, 165}), (Ints{1, 0, -1, last[0], last[165]}));
  EXPECT_EQ(OpenDescriptors(), openAtStart_);
}

}  // namespace
}  // namespace brant::test_support
