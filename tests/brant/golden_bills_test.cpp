// Golden bills through brant.h: shipments rated on the golden tariffs as a
// C host rates them, each bill's whole price worked out by hand.
//
// The small tariff's numbers (see tests/ratebase/golden_tariffs.h):
// rate record i has the key 001000 + 10 i, minimum 4500 + s cents (s =
// 10 i) and break w's base rate 9000 + s - 800 w; class c pays c % of it
// (keys above 001499: c + 5 %), rounded half up to the cent. Breaks: L5C
// 0-499, M5C 500-999, M1M 1000-1999, M2M 2000-4999, ... The matrix names
// record 2 for the prefixes (021,303), 3 for (021,606), 12 for (303,606),
// 23 for the base ZIPs (10001,60601) "A" and 30 for (90001,90001), which a
// Hawaiian shipment through LAX rates as "C". A line charges weight x rate
// / 100; every weight below gives whole cents. Step kinds: 1 line haul,
// 2 minimum, 3 floor, 4 weight tier, 5 zone charge, 8 Hawaiian tables 2 to
// 4, 9 their percentages.
#include <string>

#include "brant/golden_fixtures.h"

namespace brant::test_support::brant_golden {
namespace {

// Boston to Chicago: record 3 (s 30), class 100 L5C 90.30, M5C 82.30;
// minimum 45.30. 40 lb: 36.12; at M5C 32.92 + 460 lb x 82.30 = 378.58 makes
// 411.50, which loses. 100 lb: 90.30; at M5C 82.30 + 329.20 loses.
TEST(BrantRate, MinimumAndFloorRaiseALineHaulBelowThem) {
  const Tariff tariff = Open("MATRIX");
  struct Case {
    int32_t weight;
    int64_t floor;
    const char* price;
  } cases[] = {
      // 36.12 raised to the minimum 45.30: + 9.18.
      {40, 0,
       "lines 9030/3612; gross 3612; net 3612; minimum 4530; due 4530; steps 1 +3612 =3612, "
       "2 +918 =4530"},
      // 90.30 is above the minimum; raised to the floor 120.00: + 29.70.
      {100, 12000,
       "lines 9030/9030; gross 9030; net 9030; minimum 4530; floor 12000; due 12000; "
       "steps 1 +9030 =9030, 3 +2970 =12000"},
      // 90.30 is above both the minimum and the floor 50.00.
      {100, 5000,
       "lines 9030/9030; gross 9030; net 9030; minimum 4530; floor 5000; due 9030; "
       "steps 1 +9030 =9030"},
      // A floor of 40.00 below the raised minimum 45.30 changes nothing.
      {40, 4000,
       "lines 9030/3612; gross 3612; net 3612; minimum 4530; floor 4000; due 4530; "
       "steps 1 +3612 =3612, 2 +918 =4530"},
  };
  for (const Case& c : cases) {
    brant_shipment s = Shipment("02101", "60601", {{"100", c.weight}});
    s.floor_cents = c.floor;
    EXPECT_EQ(Price(Rated(tariff.get(), s)), c.price) << c.weight << " lb, floor " << c.floor;
  }
}

// addon/MATRIX's defaults carry a minimum add-on of 250 cents.
TEST(BrantRate, MinimumAddOnOfTheUserDefaultsWaitsForTheHostsRatingOption) {
  // The add-on applies only under the host's rating option, which this
  // interface leaves off: the minimum stays 45.30, not 45.30 + 2.50.
  const Tariff tariff = Open("MATRIX", "addon");
  EXPECT_EQ(Price(Rated(tariff.get(), Shipment("02101", "60601", {{"100", 40}}))),
            "lines 9030/3612; gross 3612; net 3612; minimum 4530; due 4530; steps 1 +3612 =3612, "
            "2 +918 =4530");
}

// The same 40 lb, 25 % off the minimum and 20 % off every break.
// From the charges: 20 % of 36.12 = 7.224, 7.22; net 28.90. The minimum's
// discount is 45.30 x 25 = 1132.50 hundredths of a cent, a tie: 1133
// cents; 45.30 - 11.33 = 33.97 raises 28.90 by 5.07.
// From the rates: 90.30 less 20 % (18.06) = 72.24, 40 lb 28.896 = 28.90;
// the minimum 45.30 less 25 % (11.325, 11.33) = 33.97, no discount left.
TEST(BrantRate, DiscountTakenEitherWayLowersTheLineHaulAndTheMinimum) {
  const Tariff tariff = Open("MATRIX");
  brant_shipment s = Shipment("02101", "60601", {{"100", 40}});
  s.discount_bps = 2500;
  s.break_discount_bps = 2000;
  EXPECT_EQ(Price(Rated(tariff.get(), s)),
            "lines 9030/3612; gross 3612 less 722 (2000 bp); net 2890; minimum 4530 less 1133; "
            "due 3397; steps 1 +2890 =2890, 2 +507 =3397");
  s.discount_on_rates = 1;
  EXPECT_EQ(Price(Rated(tariff.get(), s)),
            "lines 7224/2890; gross 2890; net 2890; minimum 3397; due 3397; steps 1 +2890 =2890, "
            "2 +507 =3397");
}

// tier/MATRIX: 10 % below break A (M1M), 5 % from it. Boston to Atlanta:
// record 2 (s 20), class 100 M5C 82.20, M1M 74.20, M2M 66.20; minimum
// 45.20. 600 lb: 493.20; at M1M 445.20 + 400 lb x 74.20 = 296.80 loses;
// tier 10 % = 49.32. 1500 lb starts at M1M, held below break A at M5C:
// 1233.00; M1M 1113.00 with no pounds to add wins (its rate stands as the
// deficit rate); M2M 993.00 + 500 lb x 66.20 = 331.00 loses; tier 5 % =
// 55.65.
TEST(BrantRate, WeightTierChargesItsLowPercentageBelowBreakAAndItsHighFromIt) {
  const Tariff tariff = Open("MATRIX", "tier");
  brant_bill bill = Rated(tariff.get(), Shipment("02101", "30301", {{"100", 600}}));
  EXPECT_EQ(Route(bill),
            "G001020 1 02101 MA to 30301 GA, 600 lb billed 600 at M5C (break 1 from 1)");
  EXPECT_EQ(Price(bill),
            "lines 8220/49320; gross 49320; net 49320; minimum 4520; tier 4932; "
            "due 54252; steps 1 +49320 =49320, 4 +4932 =54252");
  bill = Rated(tariff.get(), Shipment("02101", "30301", {{"100", 1500}}));
  EXPECT_EQ(Route(bill),
            "G001020 1 02101 MA to 30301 GA, 1500 lb billed 1500 at M1M (break 2 from 1)");
  EXPECT_EQ(bill.deficit_won, 1);
  EXPECT_EQ(Price(bill),
            "lines 7420/111300; deficit 0 lb at 7420 = 0; gross 111300; net 111300; minimum 4520; "
            "tier 5565; due 116865; steps 1 +111300 =111300, 4 +5565 =116865");
}

// New York to Chicago, territory A: record 23 (s 230), class 85 L5C 9230 x
// 85 % = 78.455, 78.46; M5C 71.66. 50 lb: 39.23; at M5C 35.83 + 450 lb x
// 71.66 = 322.47 loses. The .ZMC record of 10000-19999 to 60000-69999 and
// A00000-A99999 replaces the minimum 47.30 by 55.00 and adds 2.50.
TEST(BrantRate, ZoneMinimumReplacesTheMinimumAndTheZoneChargeIsAdded) {
  const Tariff tariff = Open("MATRIX");
  const brant_bill bill = Rated(tariff.get(), Shipment("10001", "60601", {{"85", 50}}));
  EXPECT_EQ(Route(bill), "A001230 1 10001 NY to 60601 IL, 50 lb billed 50 at L5C (break 0 from 0)");
  EXPECT_EQ(Price(bill),
            "lines 7846/3923; gross 3923; net 3923; minimum 5500; zone 250; due 5750; "
            "steps 1 +3923 =3923, 2 +1577 =5500, 5 +250 =5750");
  EXPECT_STREQ(bill.steps[1].name, "minimum charge");
  EXPECT_STREQ(bill.steps[2].name, "zone charge");
}

// MATRIX, 400 lb of class 100 from Los Angeles: record 30 "C", L5C
// 93.00: 372.00; at M5C 340.00 + 100 lb x 85.00 = 425.00 loses. The tables
// charge 400 lb at their fifth bracket rate (400 to 799 lb), in cents:
// Oahu (HNL 01)  table 2: 60 x 400 = 24000, table 3: 20 x 400 = 8000,
//                table 4: 10 x 400 = 4000; 36000. 10 % of 240.00 = 24.00,
//                5 % of 80.00 = 4.00; 28.00.
// Lanai (LAN, AA instead of its 01): 110 x 400 = 44000, 30 x 400 = 12000,
//                15 x 400 = 6000; 62000. 10 % of 440.00 = 44.00, 5 % of
//                120.00 = 6.00; 50.00.
TEST(BrantRate, HawaiianTablesChargeAnOuterIslandAtRateCodeAA) {
  const Tariff tariff = Open("MATRIX");
  brant_bill bill = Rated(tariff.get(), Shipment("90001", "96813", {{"100", 400}}));
  EXPECT_EQ(Route(bill),
            "C001300 1 90001 CA to 96813 HI, 400 lb billed 400 at L5C (break 0 from 0)");
  EXPECT_EQ(Price(bill),
            "lines 9300/37200; gross 37200; net 37200; minimum 4800; hawaii 0 0 36000 "
            "2800; due 76000; steps 1 +37200 =37200, 8 +36000 =73200, 9 +2800 =76000");
  bill = Rated(tariff.get(), Shipment("90001", "96763", {{"100", 400}}));
  EXPECT_EQ(Route(bill),
            "C001300 1 90001 CA to 96763 HI, 400 lb billed 400 at L5C (break 0 from 0)");
  EXPECT_EQ(Price(bill),
            "lines 9300/37200; gross 37200; net 37200; minimum 4800; hawaii 0 0 62000 5000; due "
            "104200; steps 1 +37200 =37200, 8 +62000 =99200, 9 +5000 =104200");
}

// Anchorage to Chicago: K000500 from the Alaskan files, class 85 at M5C
// 12000 - 1000 + 1100 = 121.00: 600 lb 726.00; at M1M 666.00 + 400 lb x
// 111.00 = 444.00 loses; minimum 75.00. The 10 % discounts and the floor
// of 800.00 given are not taken.
TEST(BrantRate, AlaskanShipmentTakesNoDiscountAndNoFloor) {
  const Tariff tariff = Open("MATRIX");
  brant_shipment s = Shipment("99501", "60601", {{"85", 600}});
  s.discount_bps = s.break_discount_bps = 1000;
  s.floor_cents = 80000;
  const brant_bill bill = Rated(tariff.get(), s);
  EXPECT_EQ(Route(bill),
            "K000500 4 99501 AK to 60601 IL, 600 lb billed 600 at M5C (break 1 from 1)");
  EXPECT_EQ(Price(bill),
            "lines 12100/72600; gross 72600; net 72600; minimum 7500; due 72600; steps 1 +72600 "
            "=72600");
}

// Tijuana (22000M) to Chicago: M000700, class 100 L5C 159.00, M5C 149.00.
// 470 lb: 747.30; at M5C 700.30 + 30 lb x 149.00 = 44.70, 745.00 wins.
TEST(BrantRate, MexicanPointRatesOnTheMexicanLeg) {
  const Tariff tariff = Open("MATRIX");
  const brant_bill bill = Rated(tariff.get(), Shipment("22000M", "60601", {{"100", 470}}));
  EXPECT_EQ(Route(bill),
            "M000700 5 22000M MX to 60601 IL, 470 lb billed 500 at M5C (break 1 from 0)");
  EXPECT_EQ(bill.deficit_won, 1);
  EXPECT_EQ(Price(bill),
            "lines 14900/70030; deficit 30 lb at 14900 = 4470; gross 74500; net "
            "74500; minimum 6000; due 74500; steps 1 +74500 =74500");
}

// POINTS, base points in byte order (BP0210 ... BP9000, BPH2X0, ...):
// Montreal to Chicago is pair 6 x 9 + 3 = 57, 001570 (s 570, class 100 at
// 105 %): M5C 8770 x 105 % = 92.085, 92.09; 500 lb 460.45; M1M 83.69 x 10
// = 836.90 loses; minimum 50.70. Chicago to Montreal is pair 33, 001330
// (s 330, 100 %): M5C 85.30, 426.50; M1M 773.00 loses; minimum 48.30.
TEST(BrantRate, CanadianCodeTypedWithItsSpaceInLowerCaseRatesBothWays) {
  const Tariff tariff = Open("POINTS");
  brant_bill bill = Rated(tariff.get(), Shipment("h2x 1y4", "60601", {{"100", 500}}));
  EXPECT_EQ(Route(bill),
            " 001570 2 H2X1Y4 QC to 60601 IL, 500 lb billed 500 at M5C (break 1 from 1)");
  EXPECT_EQ(Price(bill),
            "lines 9209/46045; gross 46045; net 46045; minimum 5070; due 46045; "
            "steps 1 +46045 =46045");
  bill = Rated(tariff.get(), Shipment("60601", "h2x 1y4", {{"100", 500}}));
  EXPECT_EQ(Route(bill),
            " 001330 2 60601 IL to H2X1Y4 QC, 500 lb billed 500 at M5C (break 1 from 1)");
  EXPECT_EQ(Price(bill),
            "lines 8530/42650; gross 42650; net 42650; minimum 4830; due 42650; "
            "steps 1 +42650 =42650");
}

// Chicago to Atlanta: record 12 (s 120), class 100 L5C 91.20, 200 lb
// 182.40; at M5C 166.40 + 300 lb x 83.20 = 249.60 loses. The guide names
// CHIT (1 extra day) and ATLT (2); .SRV lists 3 days: 3 + 1 + 2 = 6.
TEST(BrantRate, TransitDaysAreTheTariffsDaysPlusEachTerminalsExtraDays) {
  const std::string guide = std::string(BRANTFUNC_STANDIN_GUIDE_DIR) + "/libbrantguide.so";
  brant_options* options = brant_options_create();
  ASSERT_EQ(brant_options_set_service_guide(options, guide.c_str(), nullptr), BRANT_OK);
  brant_shipment s = Shipment("60601", "30301", {{"100", 200}});
  s.want_transit_days = 1;
  const char* price =
      "lines 9120/18240; gross 18240; net 18240; minimum 4620; due 18240; steps 1 +18240 =18240";
  {
    const Tariff tariff = Open("MATRIX", "", options);
    const brant_bill bill = Rated(tariff.get(), s);
    EXPECT_EQ(Price(bill), price);
    EXPECT_EQ(std::string(bill.origin_terminal) + " " + bill.destination_terminal + " " +
                  std::to_string(bill.transit_days) + " " + std::to_string(bill.warning_count),
              "CHIT ATLT 6 0");
  }
  {
    // A tariff without its days file still prices the shipment.
    const Tariff tariff = Open("MATRIX", "nosrv", options);
    const brant_bill bill = Rated(tariff.get(), s);
    EXPECT_EQ(Price(bill), price);
    EXPECT_EQ(bill.transit_days, -1);
    ASSERT_EQ(bill.warning_count, 1);
    EXPECT_EQ(bill.warnings[0].record_status, 375);
    EXPECT_STREQ(bill.warnings[0].message, "no transit days: Error opening SRV file.");
  }
  brant_options_destroy(options);
  // Without a guide: the same price, no days, and a warning saying why.
  const brant_bill bill = Rated(Open("MATRIX").get(), s);
  EXPECT_EQ(Price(bill), price);
  EXPECT_EQ(bill.transit_days, -1);
  ASSERT_EQ(bill.warning_count, 1);
  EXPECT_EQ(bill.warnings[0].record_status, 0);
  EXPECT_STREQ(bill.warnings[0].message,
               "no transit days: the tariff was opened without a service guide");
}

// noadf/POINTS uses adjustments but has no .ADF: Montreal to Chicago rates
// as on POINTS (no adjustment names this lane) and keeps the status.
TEST(BrantRate, ARatingThatLeavesAStatusCarriesItAsAWarning) {
  const Tariff tariff = Open("POINTS", "noadf");
  const brant_bill bill = Rated(tariff.get(), Shipment("H2X1Y4", "60601", {{"100", 500}}));
  EXPECT_EQ(Price(bill),
            "lines 9209/46045; gross 46045; net 46045; minimum 5070; due 46045; "
            "steps 1 +46045 =46045");
  ASSERT_EQ(bill.warning_count, 1);
  EXPECT_EQ(bill.warnings[0].record_status, 210);
  EXPECT_STREQ(bill.warnings[0].message, "Error opening ADJ file.");
}

}  // namespace
}  // namespace brant::test_support::brant_golden
