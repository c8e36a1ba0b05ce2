// VerTerritory: whether the carrier serves the lane between two validated ends.
#include <string_view>
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
    PutText(c_.origZip, orig), PutText(c_.destZip, dest), PutText(c_.origState, "NY");
    PutText(c_.destState, destState), c_.origDirection = from, c_.destDirection = to;
    c_.alphaPostalShipment = c_.mexicanLeg = 7, c_.errorCode = 0;
    const uint32_t served = VerTerritory(&c_);
    return std::to_string(served) + " " + std::to_string(c_.errorCode) + " " +
           std::to_string(c_.alphaPostalShipment) + " " + std::to_string(c_.mexicanLeg);
  }
};

TEST_F(TerritoryTest, DirectionLettersAndTheOriginsIntrastateFlagDecideNumericLanes) {
  constexpr std::string_view kLetters = "FTBXYNQ", kShips = "FBXY", kReceives = "TBXY";
  // Only the origin's flag matters, and only within one state.
  const std::tuple<char, char, const char*> ends[] = {
      {'N', 'Y', "NY"}, {'N', 'N', "NJ"}, {'Y', 'N', "NY"}, {'Y', 'Y', "NY"}};
  for (const auto& [origIntrastate, destIntrastate, destState] : ends) {
    c_.origIntrastate = origIntrastate;
    c_.destIntrastate = destIntrastate;
    for (char from : kLetters) {
      for (char to : kLetters) {
        const bool served = kShips.find(from) != kLetters.npos &&
                            kReceives.find(to) != kLetters.npos && !(from == 'X' && to == 'X') &&
                            (std::string_view(destState) != "NY" || origIntrastate == 'Y');
        EXPECT_EQ(Lane("10001", "07001", from, to, destState), served ? "1 0 0 0" : "0 103 0 0")
            << from << to << " " << origIntrastate << destIntrastate << destState;
      }
    }
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
