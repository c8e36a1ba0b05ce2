// VerTerritory: whether the carrier serves the lane between two validated
// ends.
#include <brantfunc/brantfunc.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "context/byte_coding.h"

namespace brant {
namespace {

class TerritoryTest : public ::testing::Test {
 protected:
  // Two numeric ends in different states that serve their own moves; the
  // results the check writes start as markers.
  void SetUp() override {
    Lane("10001", "NY", "07001", "NJ");
    c().origIntrastate = 'Y';
    c().destIntrastate = 'Y';
    c().alphaPostalShipment = 7;
    c().mexicanLeg = 7;
  }

  void Lane(std::string_view origZip, std::string_view origState, std::string_view destZip,
            std::string_view destState) {
    PutFixedText(c().origZip, sizeof c().origZip, origZip);
    PutFixedText(c().origState, sizeof c().origState, origState);
    PutFixedText(c().destZip, sizeof c().destZip, destZip);
    PutFixedText(c().destState, sizeof c().destState, destState);
  }

  RateContext& c() { return *context_; }

  std::unique_ptr<RateContext> context_ = std::make_unique<RateContext>();
};

TEST_F(TerritoryTest, DirectionLettersDecideEveryNumericLane) {
  constexpr std::string_view kLetters = "FTBXYNQ";
  for (char from : kLetters) {
    for (char to : kLetters) {
      SCOPED_TRACE(std::string("origin ") + from + ", destination " + to);
      const bool ships = std::string_view("FBXY").find(from) != std::string_view::npos;
      const bool receives = std::string_view("TBXY").find(to) != std::string_view::npos;
      const bool closedPair = from == to && (from == 'N' || from == 'X');
      const bool served = ships && receives && !closedPair;
      c().origDirection = from;
      c().destDirection = to;
      c().errorCode = 0;
      EXPECT_EQ(VerTerritory(&c()), served ? 1u : 0u);
      EXPECT_EQ(int32_t{c().errorCode}, served ? 0 : BRANT_OUT_OF_SCOPE);
      EXPECT_EQ(int32_t{c().alphaPostalShipment}, 0);
      EXPECT_EQ(int32_t{c().mexicanLeg}, 0);
    }
  }
}

TEST_F(TerritoryTest, OnlyTheOriginDecidesWhetherAMoveWithinOneStateIsServed) {
  struct Case {
    char origIntrastate;
    char destIntrastate;
    std::string destState;
    uint32_t served;
  };
  const Case cases[] = {
      {'N', 'Y', "NY", 0},  // within New York, which does not serve its own moves
      {'N', 'N', "NY", 0},
      {'N', 'N', "NJ", 1},  // across states the flag does not matter
      {'Y', 'N', "NY", 1},  // the destination's flag is never read
      {'Y', 'Y', "NY", 1},
  };
  c().origDirection = 'B';
  c().destDirection = 'B';
  for (const Case& k : cases) {
    SCOPED_TRACE(std::string("origin ") + k.origIntrastate + ", destination " +
                 k.destIntrastate + " in " + k.destState);
    c().origIntrastate = k.origIntrastate;
    c().destIntrastate = k.destIntrastate;
    PutFixedText(c().destState, sizeof c().destState, k.destState);
    c().errorCode = 0;
    EXPECT_EQ(VerTerritory(&c()), k.served);
    EXPECT_EQ(int32_t{c().errorCode}, k.served ? 0 : BRANT_OUT_OF_SCOPE);
  }
}

TEST_F(TerritoryTest, AlphabeticAndMexicanLanesAreNotChecked) {
  struct Case {
    std::string origZip;
    std::string destZip;
    int32_t origPoint;
    int32_t destPoint;
    int32_t alpha;  // 7: not written
    int32_t mexican;
  };
  const Case cases[] = {
      {"K1A0B1", "10001", 0, 0, 1, 7},
      {"10001", "K1A0B1", 0, 0, 1, 7},
      {"K1A0B1", "12345M", 0, 0, 1, 7},  // a letter first settles it before the "M"
      {"12345M", "10001", 0, 0, 0, 1},
      {"10001", "12345M", 0, 0, 0, 1},
      {"K1A0B1", "10001", 1, 0, 7, 7},  // a Mexican point settles it before anything
      {"10001", "12345M", 0, 1, 7, 7},
  };
  // Same state, origin refusing its own moves, and directions no lane has.
  c().origIntrastate = 'N';
  c().origDirection = 'T';
  c().destDirection = 'F';
  for (const Case& k : cases) {
    SCOPED_TRACE(k.origZip + " to " + k.destZip + ", Mexican points " +
                 std::to_string(k.origPoint) + std::to_string(k.destPoint));
    Lane(k.origZip, "ON", k.destZip, "ON");
    c().origMexicanPoint = k.origPoint;
    c().destMexicanPoint = k.destPoint;
    c().alphaPostalShipment = 7;
    c().mexicanLeg = 7;
    c().errorCode = 0;
    EXPECT_EQ(VerTerritory(&c()), 1u);
    EXPECT_EQ(int32_t{c().errorCode}, 0);
    EXPECT_EQ(int32_t{c().alphaPostalShipment}, k.alpha);
    EXPECT_EQ(int32_t{c().mexicanLeg}, k.mexican);
  }
}

}  // namespace
}  // namespace brant
