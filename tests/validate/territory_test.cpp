// VerTerritory: whether the carrier serves the lane between two validated ends.
#include <brantfunc/brantfunc.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <tuple>

#include "context/byte_coding.h"

namespace brant {
namespace {

class TerritoryTest : public ::testing::Test {
 protected:
  // Checks a lane from New York; returns "served status alpha mexican", the
  // last two starting as 7.
  std::string Lane(const char* orig, const char* dest, char from, char to, const char* destState) {
    PutFixedText(c().origZip, 7, orig);
    PutFixedText(c().destZip, 7, dest);
    PutFixedText(c().origState, 3, "NY");
    PutFixedText(c().destState, 3, destState);
    c().origDirection = from;
    c().destDirection = to;
    c().alphaPostalShipment = c().mexicanLeg = 7;
    c().errorCode = 0;
    const uint32_t served = VerTerritory(&c());
    return std::to_string(served) + " " + std::to_string(c().errorCode) + " " +
           std::to_string(c().alphaPostalShipment) + " " + std::to_string(c().mexicanLeg);
  }
  RateContext& c() { return *context_; }
  std::unique_ptr<RateContext> context_ = std::make_unique<RateContext>();
};

TEST_F(TerritoryTest, DirectionLettersAndTheOriginsIntrastateFlagDecideNumericLanes) {
  constexpr std::string_view kLetters = "FTBXYNQ", kShips = "FBXY", kReceives = "TBXY";
  // Only the origin's flag matters, and only within one state.
  const std::tuple<char, char, const char*> ends[] = {
      {'N', 'Y', "NY"}, {'N', 'N', "NJ"}, {'Y', 'N', "NY"}, {'Y', 'Y', "NY"}};
  for (const auto& [origIntrastate, destIntrastate, destState] : ends) {
    c().origIntrastate = origIntrastate;
    c().destIntrastate = destIntrastate;
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
  c().origIntrastate = 'N';
  const std::tuple<const char*, const char*, int32_t, int32_t, const char*> cases[] = {
      {"K1A0B1", "10001", 0, 0, "1 0 1 7"},  {"10001", "K1A0B1", 0, 0, "1 0 1 7"},
      {"K1A0B1", "12345M", 0, 0, "1 0 1 7"}, {"12345M", "10001", 0, 0, "1 0 0 1"},
      {"10001", "12345M", 0, 0, "1 0 0 1"},  {"K1A0B1", "10001", 1, 0, "1 0 7 7"},
      {"10001", "12345M", 0, 1, "1 0 7 7"}};  // a Mexican point settles it first
  for (const auto& [origZip, destZip, origPoint, destPoint, want] : cases) {
    c().origMexicanPoint = origPoint;
    c().destMexicanPoint = destPoint;
    EXPECT_EQ(Lane(origZip, destZip, 'T', 'F', "NY"), want) << origZip << " " << destZip;
  }
}

}  // namespace
}  // namespace brant
