// Rate adjustments: the numbers of the base points and of the lanes between
// the ends' adjustment points, applied from .ADF to the rate table.
#include <tuple>

#include "formats/host_records.h"
#include "ratebase/rating_state.h"
#include "ratebase/special_legs.h"
#include "ratebase/lookup_test_support.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {
namespace {

namespace kit = tariffkit;

std::vector<int32_t> All(int32_t v) { return std::vector<int32_t>(166, v); }

class RateAdjustmentTest : public TariffDirTest {
 protected:
  RateAdjustmentTest() {
    SetEnds(c_, "60601", "IL", "10001", "NY");
    PutText(c_.origAdjustmentCode, "000125");
    PutText(c_.destAdjustmentCode, "000000");
    Write(".FBA", kit::ZipAdjustmentPointFile({3, {{60601, {"P0001", "P0002"}}}}));
    Write(".TBA", kit::ZipAdjustmentPointFile({2, {{10001, {"D0001"}}}}));
    Write(".ADF", kit::AdjustmentFile({{125, 'A', All(100)}, {100, '1', All(5000)},
                                       {200, 'A', All(10)}, {300, '1', All(20000)},
                                       {400, 'A', All(1)}}));
    c_.baseRates[4] = 1000;
    c_.baseRates[170] = 1000;
  }
};

// Base-point number first, then the lane numbers sorted: +100, x0.5, +10, x2,
// +1 take 1000 to 1121 in that order only. A cell of 0 stays 0, and cells
// past 165 are not adjusted. Three records of one lane all count, wherever
// the search lands among them.
TEST_F(RateAdjustmentTest, BasePointNumbersFirstThenSortedLaneNumbers) {
  for (int fillers : {0, 3, 6}) {
    std::vector<kit::LaneAdjustment> lanes;
    for (int i = 0; i < fillers; ++i) lanes.push_back({"A000" + std::to_string(i), "D0001", "9"});
    lanes.insert(lanes.end(), {{"P0001", "D0001", "000300"}, {"p0001", "d0001", "000200"},
                               {"P0001", "D0001", "000400"}, {"P0002", "D0001", "000100"}});
    Write(".LMA", kit::LaneAdjustmentFile(lanes));
    c_.baseRates[4] = 1000;
    EXPECT_EQ(ApplyAdjustments(c_), 1);
    EXPECT_EQ((Ints{c_.baseRates[4], c_.baseRates[5], c_.baseRates[170], c_.errorCode}),
              (Ints{1121, 0, 1000, 0})) << fillers;
    EXPECT_EQ(std::string(c_.laneAdjustmentCodes[0], 25),
              std::string("000100000200000300000400") + '\0');
  }
}

// Wide records take the lane list as it stands and give cells 0 to 3 value
// 0. (2000 x 10500 + 5000) / 10000 = 2100; 1001 at 9950 truncates 996.495;
// an amount leaves a cell of 0 alone; a result past 32 bits saturates.
TEST_F(RateAdjustmentTest, WideRecordsAndCellArithmetic) {
  settings::wideRteRecords.Set(c_, 'Y');
  PutText(c_.origAdjustmentCode, "000000");
  std::memcpy(c_.laneAdjustmentCodes[0], "000002000001", 12);
  Write(".ADF", kit::AdjustmentFile({{1, '1', {20000, 0, 0, 0, 10500, 9950, 10000, 10000, 10000}},
                                     {2, 'X', {0, 0, 0, 0, 0, 0, 150, 150, 2000000000}}}));
  const Ints cells{100, 100, 100, 100, 2000, 1001, 0, 1000, 2000000000};
  const Ints adjusted{200, 200, 200, 200, 2100, 996, 0, 1150, INT32_MAX};
  for (int i = 0; i < 9; ++i) c_.baseRates[i] = cells[i];
  EXPECT_EQ(ApplyAdjustments(c_), 1);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(int32_t{c_.baseRates[i]}, adjusted[i]) << i;
  EXPECT_EQ(std::string(c_.laneAdjustmentCodes[0], 12), "000002000001");
}

// An end without points stops everything, the base-point numbers too.
TEST_F(RateAdjustmentTest, StopsAndFailures) {
  Write(".LMA", "");
  auto fba = [](int32_t p, int32_t zip, const std::vector<std::string>& codes) {
    return kit::ZipAdjustmentPointFile({p, {{zip, codes}}});
  };
  const std::tuple<const char*, std::string, bool, Ints> cases[] = {
      {"00000 ends the list", fba(3, 60601, {"00000", "P0001"}), true, {1, 0, 1000}},
      {"ZIP beyond the file", fba(3, 60600, {"P0001"}), true, {1, 0, 1000}},
      {"101 points a record", fba(101, 1, {}), true, {0, 280, 1000}},
      {"no .ADF", fba(3, 60601, {"P0001"}), false, {0, 210, 1000}},
      {"100 points a record", fba(100, 60601, {"P0001"}), true, {1, 0, 1100}}};
  for (const auto& [what, fba, adf, expected] : cases) {
    std::filesystem::remove(dir_.PathOf("TARF.FBA"));
    std::filesystem::remove(dir_.PathOf("TARF.ADF"));
    if (!fba.empty()) Write(".FBA", fba);
    if (adf) Write(".ADF", kit::AdjustmentFile({{125, 'A', All(100)}}));
    c_.errorCode = 0;
    EXPECT_EQ((Ints{ApplyAdjustments(c_), c_.errorCode, c_.baseRates[4]}), expected) << what;
  }
  // P as 5 characters of text; ZIP z's record at z x (5P + 3).
  EXPECT_EQ(kit::ZipAdjustmentPointFile({2, {{3, {"AB"}}}}),
            "    2" + std::string(34, ' ') + "AB" + std::string(11, ' '));
}

// An alphabetic end takes the points of every range of its prefix, bounds
// included; the lane list keeps its last entry empty: 98 numbers at most.
TEST_F(RateAdjustmentTest, PostalRangesAndTheRoomOfTheLaneList) {
  Write(".FCA", kit::PostalAdjustmentPointFile(
                    {{"H1A", "H9Z", "Q0001"}, {"H2A", "H2X", "Q0002"}, {"H2X", "J9Z", "Q0003"}}));
  AdjustmentPoints points;
  for (auto [code, found] : {std::pair{"H2X1Y4", "Q0001Q0002Q0003"}, {"H2Y1Y4", "Q0001Q0003"},
                             {"K1A0B1", ""}}) {
    EXPECT_EQ(LookupPostalAdjustmentPoints(c_, points, code, 1), 1);
    EXPECT_EQ(std::string(points[0], 16).c_str(), std::string(found)) << code;
  }
  EXPECT_EQ((Ints{LookupPostalAdjustmentPoints(c_, points, "H2X1Y4", 2), c_.errorCode}),
            (Ints{0, 280}));
  std::vector<kit::LaneAdjustment> lanes;
  for (int i = 1; i <= 120; ++i) lanes.push_back({"P0001", "D0001", kit::SmallTariffKey(i)});
  Write(".LMA", kit::LaneAdjustmentFile(lanes));
  EXPECT_EQ((Ints{LookupLaneAdjustments(c_, "P0001D0001"), Rating().laneAdjustmentCount}),
            (Ints{1, 98}));
  EXPECT_EQ(std::string(c_.laneAdjustmentCodes[97], 7), kit::SmallTariffKey(98) + '\0');
}

}  // namespace
}  // namespace brant::test_support
