// Base points of postal codes (.BSF, .BSC), the point matrix (.MTX) and the
// base-point rate records (.RTF), on the small tariff of the kit.
#include "ratebase/lookup_test_support.h"

namespace brant::test_support {
namespace {

using Found = std::pair<Ints, std::string>;

class BasePointTest : public LookupTest {
 protected:
  // Result, status and point adjustment; base point and adjustment code.
  Found Find(const std::string& code, int32_t direction, const char* extension = ".BSF") {
    char point[7] = {}, adjustmentCode[7] = {};
    int32_t adjustment = -9;
    c_.errorCode = 0;
    const int32_t found =
        LookupBasePoint(c_, code.c_str(), point, adjustmentCode, adjustment, direction, extension);
    return {{found, c_.errorCode, adjustment}, std::string(point) + " " + adjustmentCode};
  }
  kit::TariffContent tariff_ = kit::DescribeSmallTariff({});
};

// The first, a middle and the last code from either end (a number whose
// text passes six characters is cut to the field); a code between
// them is missing. An alphabetic code is keyed by its first 5 characters.
TEST_F(BasePointTest, PostalCodesFindBothEndsByHalving) {
  tariff_.basePoints.push_back({"99999", "BPNEG0", "BPNEG1", -3, -1, 4, -100000});
  for (const auto& [extension, bytes] : kit::RenderTariff(tariff_)) Write(extension, bytes);
  const std::tuple<std::string, int32_t, Found> cases[] = {
      {"02101", 1, {{1, 0, 0}, "BP0210 000000"}},
      {"30301", 1, {{1, 0, 0}, "BP3030 000125"}},
      {"99999", 1, {{1, 0, -3}, "BPNEG0 -00001"}},
      {"99999", 3, {{1, 0, 4}, "BPNEG1 -10000"}},
      {"50000", 2, {{0, 0, -9}, " "}}};
  for (const auto& [code, direction, expected] : cases) {
    EXPECT_EQ(Find(code, direction), expected) << code << " " << direction;
  }
  EXPECT_EQ(Find("H2X1Y4", 1, ".BSC"), (Found{{1, 0, 0}, "BPH2X0 000000"}));
  Remove(".BSF");
  EXPECT_EQ(Find("02101", 1), (Found{{0, 576, -9}, " "}));
}

// .RTF in either shape finds its first and last records by halving, and
// not numbers below, between or above its keys, without a status. .MTX
// finds its last pair, and not pairs outside it.
TEST_F(BasePointTest, RateRecordsAndPairsByHalving) {
  kit::TariffContent wide = kit::DescribeSmallTariff({.wideRteRecords = 'Y'});
  for (kit::TariffContent* tariff : {&tariff_, &wide}) {
    for (const auto& [extension, bytes] : kit::RenderTariff(*tariff)) Write(extension, bytes);
    settings::wideRteRecords.Set(c_, tariff->settings.wideRteRecords);
    const char* digits[] = {"001000", "002190", "000990", "001005", "002200"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(With(digits[i], ReadRtfRecord), (Ints{i < 2, 0, -1}));
  }
  const Ints& last = wide.rtfRates[119].values;
  EXPECT_EQ(With("002190", ReadRtfRecord, {0, 165}), (Ints{1, 0, -1, last[0], last[165]}));
  Remove(".RTF");
  EXPECT_EQ(With("001000", ReadRtfRecord), (Ints{0, 350, -1}));

  for (const char* pair : {"BPV6B0BPV6B0", "AAAAAAAAAAAA", "BP0210BP0211", "ZZZZZZZZZZZZ"}) {
    EXPECT_EQ(LookupPointMatrix(c_, pair, pair + 6), pair[2] == 'V') << pair;
  }
  Write(".MTX", "");
  EXPECT_EQ(LookupPointMatrix(c_, "BP0210", "BP0210"), 0);
  Remove(".MTX");
  EXPECT_EQ((Ints{LookupPointMatrix(c_, "BP0210", "BP0210"), c_.errorCode}), (Ints{0, 330}));
  EXPECT_EQ(OpenDescriptors(), openAtStart_);
}

}  // namespace
}  // namespace brant::test_support
