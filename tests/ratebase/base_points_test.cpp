// Base points of postal codes (.BSF, .BSC) and the point matrix (.MTX), on
// the small tariff of the kit.
#include <map>

#include "context/record_fields.h"
#include "files/loaders.h"
#include "ratebase/lookups.h"
#include "ratebase/rating_state.h"
#include "support/tariff_dir.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {
namespace {

namespace kit = tariffkit;
using Found = std::tuple<Ints, std::string, std::string>;

class BasePointTest : public TariffDirTest {
 protected:
  void WriteSmall(const kit::TariffContent& tariff) {
    for (const auto& [extension, bytes] : kit::RenderTariff(tariff)) Write(extension, bytes);
  }
  // Result, status and point adjustment; base point; adjustment code.
  Found Find(const std::string& code, int32_t direction, const char* extension = ".BSF") {
    char point[7] = {}, adjustmentCode[7] = {};
    int32_t adjustment = -9;
    c_.errorCode = 0;
    const int32_t found =
        LookupBasePoint(c_, code.c_str(), point, adjustmentCode, adjustment, direction, extension);
    return {{found, c_.errorCode, adjustment}, point, adjustmentCode};
  }
  kit::TariffContent tariff_ = kit::DescribeSmallTariff({});
};

// The first, a middle and the last code from either end; codes below,
// between and above them are missing. An alphabetic code is keyed by its
// first 5 characters.
TEST_F(BasePointTest, PostalCodesFindBothEndsByHalving) {
  tariff_.basePoints.push_back({"99999", "BPNEG0", "BPNEG1", -3, -1, 4, -100000});
  WriteSmall(tariff_);
  const std::tuple<std::string, int32_t, Found> cases[] = {
      {"02101", 1, {{1, 0, 0}, "BP0210", "000000"}},
      {"30301", 1, {{1, 0, 0}, "BP3030", "000125"}},
      {"75001", 2, {{1, 0, 10}, "BP7500", "000000"}},
      {"99999", 1, {{1, 0, -3}, "BPNEG0", "-00001"}},
      {"99999", 3, {{1, 0, 4}, "BPNEG1", "-10000"}},  // cut to its field
      {"00000", 1, {{0, 0, -9}, "", ""}},
      {"50000", 1, {{0, 0, -9}, "", ""}}};
  for (const auto& [code, direction, expected] : cases) {
    EXPECT_EQ(Find(code, direction), expected) << code << " " << direction;
  }
  EXPECT_EQ(Find("H2X1Y4", 1, ".BSC"), (Found{{1, 0, 0}, "BPH2X0", "000000"}));
  std::filesystem::remove(dir_.PathOf("TARF.BSF"));
  EXPECT_EQ(Find("02101", 1), (Found{{0, 576, -9}, "", ""}));
  EXPECT_EQ(OpenDescriptors(), openAtStart_);
}

// Every pair of the small tariff's points names a rate record by halving
// .MTX and .RTF, and a narrow record widened through its group's factors
// equals the wide one.
TEST_F(BasePointTest, EveryPointPairRatesInEitherShape) {
  const kit::TariffContent narrow = tariff_;
  const kit::TariffContent wide = kit::DescribeSmallTariff({.wideRteRecords = 'Y'});
  std::map<int32_t, Ints> wideRates;
  for (const kit::RtfRecord& record : wide.rtfRates) wideRates[record.rbno] = record.values;
  RatingState& state = Rating();
  for (const kit::TariffContent* tariff : {&narrow, &wide}) {
    WriteSmall(*tariff);
    settings::wideRteRecords.Set(c_, tariff->settings.wideRteRecords);
    c_.classCount = 18;
    c_.weightRecordCount = 9;
    ASSERT_EQ(OpenFactorFiles(c_), 1);
    for (const kit::BasePoint& o : tariff->basePoints) {
      for (const kit::BasePoint& d : tariff->basePoints) {
        ASSERT_EQ(LookupBasePoint(c_, o.postalCode.c_str(), state.origBasePoint,
                                  c_.origAdjustmentCode, state.origPointAdjustment, 1, ".BSF") +
                      LookupBasePoint(c_, d.postalCode.c_str(), state.destBasePoint,
                                      c_.destAdjustmentCode, state.destPointAdjustment, 2, ".BSF") +
                      LookupPointMatrix(c_, state.origBasePoint, state.destBasePoint),
                  3);
        const int32_t n =
            state.matrixResult + state.origPointAdjustment + state.destPointAdjustment;
        std::snprintf(c_.rbno, sizeof c_.rbno, " %06u", static_cast<unsigned>(n) % 1000000u);
        ASSERT_EQ(ReadRtfRecord(c_) + (tariff == &wide || ExpandGroupFactors(c_)), 2) << n;
        Ints cells;
        for (int cell = 0; cell < 166; ++cell) cells.push_back(c_.baseRates[cell]);
        ASSERT_EQ(cells, wideRates.at(n));
      }
    }
    // The first and last records are found by halving; a number below,
    // between or above the keys is not there, and no status says so.
    const char* digits[] = {" 001000", " 002190", " 000990", " 001005", " 002200"};
    for (int i = 0; i < 5; ++i) {
      PutText(c_.rbno, digits[i]);
      EXPECT_EQ((Ints{ReadRtfRecord(c_), c_.errorCode, c_.rteHandle}), (Ints{i < 2, 0, -1}));
    }
  }
  std::filesystem::remove(dir_.PathOf("TARF.RTF"));
  EXPECT_EQ((Ints{ReadRtfRecord(c_), c_.errorCode, c_.rteHandle}), (Ints{0, 350, -1}));

  // The last pair is found too; pairs outside the matrix, or in an empty
  // one, are not.
  EXPECT_EQ(LookupPointMatrix(c_, "BPV6B0", "BPV6B0"), 1);
  for (const char* pair : {"AAAAAAAAAAAA", "BP0210BP0211", "ZZZZZZZZZZZZ"}) {
    EXPECT_EQ(LookupPointMatrix(c_, pair, pair + 6), 0) << pair;
  }
  Write(".MTX", "");
  EXPECT_EQ(LookupPointMatrix(c_, "BP0210", "BP0210"), 0);
  std::filesystem::remove(dir_.PathOf("TARF.MTX"));
  EXPECT_EQ((Ints{LookupPointMatrix(c_, "BP0210", "BP0210"), c_.errorCode}), (Ints{0, 330}));
  EXPECT_EQ(OpenDescriptors(), openAtStart_ + 2);  // .FC1 and .FC2 stay open
}

}  // namespace
}  // namespace brant::test_support
