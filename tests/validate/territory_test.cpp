// VerTerritory: whether the carrier serves the lane between two validated ends.
#include <tuple>

#include "context/byte_coding.h"
#include "support/tariff_dir.h"

namespace brant::test_support {
namespace {

class TerritoryTest : public TariffDirTest {
 protected:
  // Checks a lane from New York; returns "served status alpha mexican", the
  // last two starting as 7.
  std::string Lane(const char* orig, const char* dest, char from, char to, const char* destState) {
    PutText(c_.origZip, orig);
    PutText(c_.destZip, dest);
    PutText(c_.origState, "NY");
    PutText(c_.destState, destState), c_.origDirection = from, c_.destDirection = to;
    c_.alphaPostalShipment = c_.mexicanLeg = 7, c_.errorCode = 0;
    const uint32_t served = VerTerritory(&c_);
    return std::to_string(served) + " " + std::to_string(c_.errorCode) + " " +
           std::to_string(c_.alphaPostalShipment) + " " + std::to_string(c_.mexicanLeg);
  }
};

// A lane: the origin's intrastate flag, the destination's, its state, the
// direction letters and whether it is served. An origin ships with F, B, X or
// Y, a destination receives with T, B, X or Y, but X at both ends is refused;
// within one state only the origin's flag refuses, even B both ways.
TEST_F(TerritoryTest, DirectionLettersAndTheOriginsIntrastateFlagDecideNumericLanes) {
  for (const std::string lane : {"YYNJFT1", "YYNJBB1", "YYNJXT1", "YYNJYY1", "YYNJFX1", "YYNJBY1",
                                 "YYNJXY1", "YYNJTT0", "YYNJFF0", "YYNJNT0", "YYNJFN0", "YYNJXX0",
                                 "YYNJNN0", "YYNJQB0", "YYNJBQ0", "NYNYBB0", "NNNJBB1", "YNNYBB1",
                                 "YYNYFT1", "NYNYFT0"}) {
    c_.origIntrastate = lane[0], c_.destIntrastate = lane[1];
    EXPECT_EQ(Lane("10001", "07001", lane[4], lane[5], lane.substr(2, 2).c_str()),
              lane[6] == '1' ? "1 0 0 0" : "0 103 0 0") << lane;
  }
}

// Within one state, the origin refusing its own moves and directions no lane has.
TEST_F(TerritoryTest, AlphabeticAndMexicanLanesAreNotChecked) {
  c_.origIntrastate = 'N';
  const std::tuple<const char*, const char*, int32_t, int32_t, const char*> cases[] = {
      {"K1A0B1", "10001", 0, 0, "1 0 1 7"},  {"10001", "K1A0B1", 0, 0, "1 0 1 7"},
      {"K1A0B1", "12345M", 0, 0, "1 0 1 7"}, {"12345M", "10001", 0, 0, "1 0 0 1"},
      {"10001", "12345M", 0, 0, "1 0 0 1"},  {"K1A0B1", "10001", 1, 0, "1 0 7 7"},
      {"10001", "12345M", 0, 1, "1 0 7 7"}};  // a Mexican point settles it first
  for (const auto& [origZip, destZip, origPoint, destPoint, want] : cases) {
    c_.origMexicanPoint = origPoint;
    c_.destMexicanPoint = destPoint;
    EXPECT_EQ(Lane(origZip, destZip, 'T', 'F', "NY"), want) << origZip << " " << destZip;
  }
}

}  // namespace
}  // namespace brant::test_support
