// Base points of postal codes (.BSF, .BSC) and the point matrix (.MTX), as
// the kit writes them.
#include "ratebase/lookups.h"
#include "ratebase/rating_state.h"
#include "support/tariff_dir.h"
#include "tariffkit/base_point_files.h"

namespace brant::test_support {
namespace {

namespace kit = tariffkit;

class BasePointTest : public TariffDirTest {
 protected:
  // Result, status, base point, adjustment code and point adjustment.
  std::tuple<Ints, std::string, std::string> Find(const std::string& code, int32_t direction,
                                                  const char* extension = ".BSF") {
    char zip[7] = {};
    std::memcpy(zip, code.data(), std::min<std::size_t>(code.size(), 6));
    char point[7] = {};
    char adjustmentCode[7] = {};
    int32_t adjustment = -9;
    c_.errorCode = 0;
    const int32_t found =
        LookupBasePoint(c_, zip, point, adjustmentCode, adjustment, direction, extension);
    return {{found, c_.errorCode, adjustment}, point, adjustmentCode};
  }
};

// Both ends of the first, a middle and the last record; codes below, between
// and above them are missing. An alphabetic code is keyed by its first 5
// characters.
TEST_F(BasePointTest, PostalCodesFindBothEndsByHalving) {
  Write(".BSF", kit::BasePointFile({{"10001", "NYC001", "NYC002", 1, 125, 2, 0},
                                    {"30301", "ATL001", "ATL002", 3, -1, 4, -100000},
                                    {"60601", "CHI001", "CHI002", 5, 7, 6, 8},
                                    {"90001", "LAX001", "LAX002", 7, 999999, 8, 9}}));
  Write(".BSC", kit::BasePointFile({{"H2X1Y", "MTL001", "MTL002", 0, 0, 0, 0}}));
  using Found = std::tuple<Ints, std::string, std::string>;
  const std::tuple<std::string, int32_t, Found> cases[] = {
      {"10001", 1, {{1, 0, 1}, "NYC001", "000125"}},
      {"10001", 2, {{1, 0, 2}, "NYC002", "000000"}},
      {"30301", 1, {{1, 0, 3}, "ATL001", "-00001"}},
      {"30301", 2, {{1, 0, 4}, "ATL002", "-10000"}},  // cut to the field
      {"90001", 1, {{1, 0, 7}, "LAX001", "999999"}},
      {"90001", 3, {{1, 0, 8}, "LAX002", "000009"}},
      {"00000", 1, {{0, 0, -9}, "", ""}},
      {"50000", 1, {{0, 0, -9}, "", ""}},
      {"99999", 2, {{0, 0, -9}, "", ""}}};
  for (const auto& [code, direction, expected] : cases) {
    EXPECT_EQ(Find(code, direction), expected) << code << " " << direction;
  }
  EXPECT_EQ(Find("H2X1Y4", 1, ".BSC"), (Found{{1, 0, 0}, "MTL001", "000000"}));
  std::filesystem::remove(dir_.PathOf("TARF.BSF"));
  EXPECT_EQ(Find("10001", 1), (Found{{0, 576, -9}, "", ""}));
  EXPECT_EQ(OpenDescriptors(), openAtStart_);
}

// The matrix is directional; a pair not in it, or an empty matrix, finds
// nothing.
TEST_F(BasePointTest, PointPairsFindTheirValue) {
  Write(".MTX", kit::PointMatrixFile({{"ATL001", "NYC002", 11},
                                      {"CHI001", "LAX002", 69995},
                                      {"LAX001", "CHI002", 22},
                                      {"NYC001", "ATL002", 33}}));
  auto find = [this](const char* orig, const char* dest) {
    Rating().matrixResult = -1;
    c_.errorCode = 0;
    return Ints{LookupPointMatrix(c_, orig, dest), c_.errorCode, Rating().matrixResult};
  };
  EXPECT_EQ(find("ATL001", "NYC002"), (Ints{1, 0, 11}));
  EXPECT_EQ(find("CHI001", "LAX002"), (Ints{1, 0, 69995}));
  EXPECT_EQ(find("NYC001", "ATL002"), (Ints{1, 0, 33}));
  EXPECT_EQ(find("NYC002", "ATL001"), (Ints{0, 0, -1}));
  EXPECT_EQ(find("AAAAAA", "AAAAAA"), (Ints{0, 0, -1}));
  EXPECT_EQ(find("ZZZZZZ", "ZZZZZZ"), (Ints{0, 0, -1}));
  Write(".MTX", "");
  EXPECT_EQ(find("ATL001", "NYC002"), (Ints{0, 0, -1}));
  std::filesystem::remove(dir_.PathOf("TARF.MTX"));
  EXPECT_EQ(find("ATL001", "NYC002"), (Ints{0, 330, -1}));
  EXPECT_EQ(OpenDescriptors(), openAtStart_);
}

}  // namespace
}  // namespace brant::test_support
