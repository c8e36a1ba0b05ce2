// The transit days of a terminal pair with the terminals' extra days, and
// the zone minimums of a ZIP pair and RBNO.
#include <tuple>

#include "ratebase/rating_state.h"
#include "ratebase/special_legs.h"
#include "ratebase/lookup_test_support.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {
namespace {

namespace kit = tariffkit;
using FinishingStepsTest = TariffDirTest;

// Extra days count only when days were found; a tariff named DEST... adds
// the destination's alone. A missing terminal beside an unserved one is not
// looked up; two present ones always are. A missing .SRV fails the step.
TEST_F(FinishingStepsTest, TransitDaysOfThePairPlusExtraDays) {
  const std::string srv = kit::TerminalDaysFile(
      {{"000A", "NYC1", 4}, {"BOS1", "NYC1", 0}, {"chi1", "nyc1", 5}, {"CHI1", "SEA1", 12},
       {"SEA1", "CHI1", 99}});
  for (const char* name : {"TARF.SRV", "DESTX.SRV"}) dir_.WriteFile(name, srv);
  PutText(c_.origExtraDays, "1");
  PutText(c_.destExtraDays, "2");
  const std::tuple<const char*, const char*, const char*, std::string> cases[] = {
      {"TARF", "CHI1", "NYC1", "8"}, {"DESTX", "CHI1", "NYC1", "7"}, {"TARF", "BOS1", "NYC1", "0"},
      {"TARF", "CHI1", "BOS1", "0"}, {"TARF", "", "000A", "0"},      {"TARF", "CHI1", "SEA1", "15"},
      {"TARF", "000A", "NYC1", "7"}, {"DESTX", "SEA1", "CHI1", "101"}};
  for (const auto& [tariff, orig, dest, days] : cases) {
    PutText(c_.tariffName, tariff);
    PutText(c_.origTerminal, orig);
    PutText(c_.destTerminal, dest);
    EXPECT_EQ(FillTransitDays(c_), 1);
    EXPECT_EQ(std::string(FixedText(c_.transitDays, 4)), days) << tariff << " " << orig << dest;
  }
  // The last pair again: days past the field's three digits are cut to it.
  PutText(c_.tariffName, "TARF");
  PutText(c_.destExtraDays, "999");
  EXPECT_EQ((Ints{FillTransitDays(c_), Rating().transitDayCount}), (Ints{1, 1099}));
  EXPECT_EQ(std::string(c_.transitDays, 4), std::string("109") + '\0');
  // Only this lookup's failure to open .SRV fails the step.
  std::filesystem::remove(dir_.PathOf("TARF.SRV"));
  EXPECT_EQ((Ints{FillTransitDays(c_), c_.errorCode, c_.transitDays[0]}), (Ints{0, 375, '1'}));
  Write(".SRV", kit::TerminalDaysFile({{"BOS1", "NYC1", 3}}));
  EXPECT_EQ((Ints{FillTransitDays(c_), c_.errorCode, c_.transitDays[0]}), (Ints{1, 375, '0'}));
}

// The lower ZIP is compared with the first end, whichever end it is; the
// first record of the pair and RBNO wins, bounds included; cells of 0 stay
// 0, and a minimum of 0 replaces nothing.
TEST_F(FinishingStepsTest, FirstMatchingZoneRecordSetsTheMinimums) {
  Write(".ZMC", kit::ZoneMinimumFile(
                    {{"60000", "69999", "10000", "19999", "A00000", "A99999", 9900.0f, 1.0f},
                     {"10000", "19999", "60000", "69999", "B00000", "B99999", 7700.0f, 1.0f},
                     {"10000", "19999", "60000", "69999", "A00000", "A12345", 5500.7f, 250.0f},
                     {"10000", "19999", "60000", "69999", "A00000", "A99999", 0.0f, 300.0f}}));
  // origin, destination, RBNO, records read -> cells 0 to 3, minimum, zone charge
  const std::tuple<const char*, const char*, const char*, int32_t, Ints, float, float> cases[] = {
      {"60601", "10001", "A123456", 4, {5500, 5500, 0, 5500}, 5500.7f, 2.5f},
      {"10000", "69999", "A123459", 3, {5500, 5500, 0, 5500}, 5500.7f, 2.5f},
      {"10001", "60601", "A123460", 4, {100, 100, 0, 100}, 0.0f, 3.0f},
      {"10001", "60601", "A123460", 3, {100, 100, 0, 100}, 0.0f, 0.0f},
      {"10001", "60601", "A123456", 99, {5500, 5500, 0, 5500}, 5500.7f, 2.5f}};
  for (const auto& [orig, dest, rbno, count, cells, minimum, charge] : cases) {
    SetEnds(c_, orig, "", dest, "");
    PutText(c_.rbno, rbno);
    c_.zmcCount = count;
    c_.zoneMinimum = c_.zoneCharge = 0.0f;
    c_.baseRates[0] = c_.baseRates[1] = c_.baseRates[3] = 100;
    c_.baseRates[2] = 0;
    ApplyZoneMinimum(c_);
    EXPECT_EQ((Ints{c_.baseRates[0], c_.baseRates[1], c_.baseRates[2], c_.baseRates[3]}), cells)
        << orig << " " << rbno;
    EXPECT_EQ(std::pair(float{c_.zoneMinimum}, float{c_.zoneCharge}), std::pair(minimum, charge));
  }
  EXPECT_EQ(OpenDescriptors(), openAtStart_);
}

}  // namespace
}  // namespace brant::test_support
