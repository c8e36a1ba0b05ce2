// RateBill through the C interface on a record filled as after a rate base
// resolution: weight breaks, classes and .MCH from kit files, the rates in
// baseRates, the lines through VerClass and VerWeight.
#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "bill/bill.h"
#include "formats/host_records.h"
#include "files/loaders.h"
#include "support/tariff_dir.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {
namespace {

namespace kit = tariffkit;
using Lines = std::vector<std::pair<const char*, const char*>>;  // class, weight

// Minimum levels 45.00 40.00 35.00 30.00, then a row per class by break.
constexpr int32_t kRates[] = {4500, 4000, 3500, 3000, 2000, 1500, 1200, 1000,
                              2000, 1800, 1800, 1800, 2000, 1900, 1900, 1900};

class BillTest : public TariffDirTest {
 protected:
  void SetUp() override {
    Write(".WGT", kit::WeightFile({{"L5C", 0, 499}, {"M5C", 500, 999}, {"M1M", 1000, 1999},
                                   {"M2M", 2000, kit::kNoUpperWeight}}));
    Write(".CLS", kit::ClassFile({"100", "85", "50"}));
    // The first entry that holds the rate basis wins: A165500 is kind R.
    Write(".MCH", kit::MinimumChargeFile(
                      {{'A', 165500, 165500, 'R', {{"ONE", "0"}}},
                       {'A', 150000, 179999, 'S', {{"MIN 1", "50"}, {"MIN 2", "75"}}},
                       {'B', 0, 999999, 'C', {{"CLASS", "0"}}},
                       {' ', 0, 899999, 'R', {{"MINIMUM", "0"}}}}));
    ASSERT_EQ(ReadWgtFile(&c_) + LoadClasses(c_) + LoadMchTable(c_), 3);
    for (std::size_t i = 0; i < std::size(kRates); ++i) c_.baseRates[i] = kRates[i];
    settings::useFacTables.Set(c_, 'Y');
  }
  void Shipment(const Lines& lines, const char* rbno, const kit::Defaults& defaults) {
    // A host clears the lines it fills; RateBill writes only those it prices.
    std::memset(c_.lineClass, 0, sizeof c_.lineClass);
    std::memset(c_.lineWeight, 0, sizeof c_.lineWeight);
    std::memset(c_.lineRate, 0, sizeof c_.lineRate);
    std::memset(c_.lineCharge, 0, sizeof c_.lineCharge);
    for (uint32_t i = 0; i < lines.size(); ++i) {
      ASSERT_EQ(VerClass(&c_, lines[i].first, i, 0) + VerWeight(&c_, lines[i].second, i), 2);
    }
    PutText(c_.rbno, rbno);
    std::memcpy(c_.defRecord, kit::DefaultsRecord(defaults).data(), sizeof c_.defRecord);
    c_.errorCode = 0;
  }
  template <std::size_t N>
  static std::string Text(const char (&field)[N]) { return std::string(FixedText(field, N)); }
  // Every text of the bill for the first two lines, then the index, status and result.
  std::string Bill(uint32_t bill) {
    const int32_t rated = RateBill(&c_, bill);
    std::string out;
    for (const std::string& t :
         {Text(c_.totalWeight), Text(c_.minimumChargeText), Text(c_.lineRate[0]),
          Text(c_.lineCharge[0]), Text(c_.lineRate[1]), Text(c_.lineCharge[1]),
          Text(c_.discountPercentText), Text(c_.discountAmount), Text(c_.billedWeight),
          Text(c_.deficitWeight), Text(c_.deficitRate), Text(c_.deficitCharge),
          Text(c_.grossCharge), Text(c_.weightTierCharge), Text(c_.netCharge),
          Text(c_.minimumDiscountText)}) {
      out += t + "|";
    }
    return out + std::to_string(c_.weightTierIndex) + " " + std::to_string(c_.errorCode) + " " +
           std::to_string(rated);
  }
};

// The cases run in turn on one record: each bill shows nothing of the one before.
TEST_F(BillTest, BillsPriceTheLinesAtTheCheapestBreak) {
  const float cDiscount[10] = {10, 40, 45, 50, 50};
  // 450 lb of class 100: 450 x 20.00 = 90.00 at L5C; at M5C 450 x 15.00 = 67.50
  // plus 50 deficit lb x 15.00 = 7.50, 75.00 <= 90.00 wins. M1M: 54.00 + 550 x
  // 12.00 = 120.00 and M2M: 45.00 + 1550 x 10.00 = 200.00 lose to 75.00.
  const std::string win =
      "450|    45.00|  15.00|    67.50|||00.00|      .00|   500|    50|  15.00|     7.50|"
      "         75.00|     0.00|    75.00|    .00|1 0 1";
  // Charges discounted. L5C: 60.00 + 20.00 less 40 % = 48.00. M5C: 45.00 + 19.00
  // + 100 x 15.00 (the lowest next rate) = 79.00 less 45 % (35.55) = 43.45 wins.
  // M1M: 36.00 + 19.00 + 600 x 12.00 = 127.00 less 50 % = 63.50 loses. Bill:
  // 45.00 + 19.00 + 15.00 = 79.00, 45 % = 35.55, net 43.45; minimum 45.00 x 10.
  const std::string discounted =
      "400|    45.00|  15.00|    45.00|  19.00|    19.00|45.00|    35.55|   500|   100|  15.00|"
      "    15.00|         79.00|     0.00|    43.45| 450.00|1 0 1";
  const Lines mixed = {{"100", "300"}, {"50", "100"}};
  struct Case { Lines lines; kit::Defaults d; std::string want; const float* percents = nullptr; };
  const Case cases[] = {
      {mixed, {.discountsEnabled = 1, .discountType = 'C'}, discounted, cDiscount},
      // The second switch discounts the charges but not the minimum charge.
      {mixed, {.discountType = 'C', .discountsEnabled2 = 1},
       discounted.substr(0, discounted.size() - 13) + "    .00|1 0 1", cDiscount},
      {{{"100", "450"}}, {}, win},
      // Taken from the rates: the bill shows no discount.
      {{{"100", "450"}}, {.discountsEnabled = 1, .discountType = 'R'}, win, cDiscount},
      // Class 85: 450 x 18.00 = 81.00 + 50 x 18.00 = 9.00 ties 90.00; the tie moves up.
      {{{"85", "450"}}, {}, "450|    45.00|  18.00|    81.00|||00.00|      .00|   500|    50|"
                            "  18.00|     9.00|         90.00|     0.00|    90.00|    .00|1 0 1"},
      // Class 50: 85.50 + 9.50 = 95.00 > 90.00 stays at L5C. Tier below break A = 2:
      // 10 % of 90.00 = 9.00.
      {{{"50", "450"}}, {.weightTierEnabled = 1, .weightTierPercentLow = 10,
                          .weightTierPercentHigh = 5, .weightBreakStart = "2"},
       "450|    45.00|  20.00|    90.00|||00.00|      .00|450|     0|    .00|      .00|"
       "         90.00|     9.00|    90.00|    .00|0 0 1"},
      // The top of L5C starts there: 99.80, against 74.85 + 1 lb at 15.00.
      {{{"100", "499"}}, {}, "499|    45.00|  15.00|    74.85|||00.00|      .00|   500|     1|"
                             "  15.00|      .15|         75.00|     0.00|    75.00|    .00|1 0 1"},
      // The bottom of M5C starts there, with no deficit.
      {{{"100", "500"}}, {}, "500|    45.00|  15.00|    75.00|||00.00|      .00|500|     0|"
                             "    .00|      .00|         75.00|     0.00|    75.00|    .00|1 0 1"},
      // 2500 lb sits in M2M = break A = 3, capped below it to M1M: 300.00; M2M 250.00
      // (no deficit pounds) wins. Tier from A: 5 % of 250.00 = 12.50.
      {{{"100", "2500"}}, {.weightTierEnabled = 1, .weightTierPercentLow = 10,
                           .weightTierPercentHigh = 5, .weightBreakStart = "3"},
       "2500|    45.00|  10.00|   250.00|||00.00|      .00|2500|     0|  10.00|      .00|"
       "        250.00|    12.50|   250.00|    .00|3 0 1"},
      // A = 0 caps nothing: M2M from the start, no search.
      {{{"100", "2500"}}, {.weightTierEnabled = 1, .weightTierPercentHigh = 5,
                           .weightBreakStart = "0"},
       "2500|    45.00|  10.00|   250.00|||00.00|      .00|2500|     0|    .00|      .00|"
       "        250.00|    12.50|   250.00|    .00|3 0 1"},
  };
  for (const Case& k : cases) {
    Shipment(k.lines, "A100000", k.d);
    for (int i = 0; i < 10; ++i) c_.discountPercent[i] = k.percents ? k.percents[i] : 0.0f;
    EXPECT_EQ(Bill(0), k.want) << k.lines[0].first << " " << k.lines[0].second;
    EXPECT_EQ(Bill(1), k.want) << "the second bill repeats the first";
  }
  // Refused: a total weight in no break or too long for its text, a class row
  // outside baseRates.
  Shipment({{"100", "300"}, {"50", "300"}}, "A100000", {});
  std::memcpy(c_.weightLabels[1], "XXX", 3);  // 600 lb now lies in no break
  EXPECT_EQ(Bill(0).substr(0, 4), "600|");
  EXPECT_EQ(int32_t{c_.errorCode}, 106);
  std::memcpy(c_.weightLabels[1], "M5C", 3);
  for (int32_t row : {-1, 43}) {  // 4 + 43 x 4 + 3 = 179 cells
    c_.lineClassIndex[1] = row;
    EXPECT_EQ((Ints{RateBill(&c_, 0), c_.errorCode}), (Ints{0, 105})) << row;
  }
  for (auto [weight, status] : {std::pair{"999998", 0}, {"999999", 106}}) {
    Shipment({{"100", weight}, {"100", "1"}}, "A100000", {});
    EXPECT_EQ((Ints{RateBill(&c_, 0), c_.errorCode}), (Ints{status == 0, status})) << weight;
  }
}

// The tier of the discounted bill above (gross 79.00, net 43.45, below A = 2).
TEST_F(BillTest, WeightTierTakesTheSwitchesOfTheShipmentsKind) {
  struct Case { int16_t on, alt, profileOn; int alpha; char gross; const char* tier; };
  const Case cases[] = {
      {1, 0, 0, 0, 'N', "4.35"}, {1, 0, 0, 0, 'Y', "7.90"}, {1, 0, 0, 1, 'N', "0.00"},
      {0, 0, 1, 1, 'N', "4.35"}, {0, 1, 0, 1, 'N', "8.69"}, {0, 1, 0, 0, 'N', "0.00"},
      {0, 1, 1, 1, 'N', "8.69"}};
  for (const Case& k : cases) {
    Shipment({{"100", "300"}, {"50", "100"}}, "A100000",
             {.weightTierEnabled = k.on, .discountsEnabled = 1, .weightTierPercentLow = 10,
              .weightTierPercentHigh = 5, .weightBreakStart = "2", .altWeightTierEnabled = k.alt,
              .altWeightTierPercentLow = 20, .altWeightTierPercentHigh = 30});
    const float percents[10] = {10, 40, 45, 50, 50};
    std::memcpy(c_.discountPercent, percents, sizeof percents);
    profile::profileWeightTierEnabled.Set(c_, k.profileOn);
    settings::weightTierOnGross.Set(c_, k.gross);
    c_.alphaPostalShipment = k.alpha;
    ASSERT_EQ(RateBill(&c_, 0), 1);
    EXPECT_EQ(Text(c_.weightTierCharge), std::string(9 - std::strlen(k.tier), ' ') + k.tier)
        << k.on << k.alt << k.profileOn << k.alpha << k.gross;
  }
}

TEST_F(BillTest, MinimumChargeByLevelKindAndClassTable) {
  // Key limit, weight limit, amount in hundredths of a cent; the alternative
  // amount is the next entry's key limit.
  std::vector<uint8_t> table(36);
  const int32_t entries[] = {1000, 99999, 111100, 99999, 500, 400000, 99999, 99999999, 800000};
  for (int i = 0; i < 9; ++i) StoreI32(table.data() + 4 * i, entries[i]);
  // Adjustment records of 673 bytes: the mode at byte 7, the value at bytes 9 to 12.
  std::string first(2 * 673, ' '), second(673, ' ');
  first[7] = '1';
  first[673 + 7] = '2';
  second[7] = 'A';
  StoreI32(&first[9], 9000);
  StoreI32(&first[673 + 9], 7);
  StoreI32(&second[9], -100);
  const std::string paths[] = {Write(".AD1", first), Write(".AD2", second)};
  const int files[] = {open(paths[0].c_str(), O_RDONLY), open(paths[1].c_str(), O_RDONLY)};
  c_.discountPercent[0] = 10;
  const kit::Defaults addOn{.minimumAddOn = 250};
  // Flags: the .FAC layout, wide records, the rating option, base points, adjustments.
  struct Case {
    const char* rbno; const char* weight; std::string want; std::string flags = "YNN0";
    kit::Defaults d{}; std::vector<const char*> codes{}; int file = 0;
    int32_t records = 2, count = 3;
  };
  const Case cases[] = {
      // Kind S, the matrix method, A160000 to A169999: level 1 over 100 lb.
      {"A165000", "101", "40.00"}, {"A165000", "100", "45.00"}, {"A160000", "120", "40.00"},
      {"A169999", "120", "40.00"}, {"A159999", "120", "45.00"}, {"A170000", "120", "45.00"},
      {"A165500", "120", "45.00"}, {"A165000", "120", "45.00", "NNN0"},
      {"A165000", "120", "45.00", "YNN1"},
      // J on base points: level 1 over 300 lb, 2 over 400, 3 over 500.
      {"J070100", "300", "45.00", "NNN1"}, {"J070100", "301", "40.00", "NNN1"},
      {"J070100", "400", "40.00", "NNN1"}, {"J070100", "401", "35.00", "NNN1"},
      {"J070100", "500", "35.00", "NNN1"}, {"J070100", "501", "30.00", "NNN1"},
      {"J070100", "501", "45.00", "NNN0"},
      // Wide records: level 1 over 150 lb, whatever the rate basis.
      {"J070100", "451", "40.00", "NYN1"}, {"A165000", "150", "45.00", "YYN0"},
      {"A100000", "151", "40.00", "YYN0"},
      // The add-on replaces the level minimum: on the matrix method with the .FAC
      // layout, on base points but for K and M; 3500 + 250 cents for J.
      {"A100000", "450", "47.50", "YNY0", addOn}, {"A100000", "450", "45.00", "YNN0", addOn},
      {"A100000", "450", "45.00", "NNY0", addOn}, {"J070100", "450", "37.50", "NNY1", addOn},
      {"K000100", "450", "45.00", "YNY1", addOn}, {"M000100", "450", "45.00", "YNY1", addOn},
      // Class minimums: the first entry whose key limit and weight limit both lie
      // above. Key 1234: entry 1, 400000 / 100 / 100; from 500 lb entry 2; key 999
      // entry 0, key 1000 entry 1. The alternative: 99999 / 10000 = 9.9999, and
      // entry 2 has no fourth number (unchanged).
      {"B012345", "499", "40.00"}, {"B012345", "500", "80.00"}, {"B009990", "450", "11.11"},
      {"B010000", "450", "40.00"}, {"B012345", "450", "10.00 alt", "NNY0"},
      {"B012345", "600", "12.34 alt", "NNY0"},
      {"B012345", "450", "12.34", "YNN0", {}, {}, 0, 0, 0},
      {"B012345", "450", "12.34", "YNN0", {}, {}, 0, 0, -2},
      {"B012345", "450", "20.00", "YNN0", {.rateScale = 0.5f}},
      {"B012345", "450", "40.00", "YNN0", {.rateScale = 0.0f}},  // 0 scales nothing
      {"B012345", "450", "60.00", "YNN0", {.useRateFactor = 1, .rateFactor = 1.5f}},
      {"B012345", "450", "36.00", "YNN0", {.discountsEnabled = 1, .discountType = 'R'}},
      // (400000 x 9000 + 5000) / 10000 = 360000, again 324000: each code rereads.
      // Codes from "500" read every record and take none.
      {"B012345", "450", "32.40", "YNN0Y", {}, {"100", "200"}},
      {"B012345", "450", "40.00", "YNN0N", {}, {"100"}},
      {"B012345", "450", "40.00", "YNN0Y", {}, {"500"}},
      {"B012345", "450", "39.99", "YNN0Y", {}, {"499"}, 1, 1},
      // 98 codes fit the list; the 99th slot is never read.
      {"B012345", "450", "39.02", "YNN0Y", {}, std::vector<const char*>(99, "499"), 1, 1},
      {"B012345", "450", "unread 214/0", "YNN0Y", {}, {"500"}, 0, 3},
  };
  for (const Case& k : cases) {
    Shipment({{"100", k.weight}}, k.rbno, k.d);
    settings::useFacTables.Set(c_, k.flags[0]);
    settings::wideRteRecords.Set(c_, k.flags[1]);
    settings::useAdjustments.Set(c_, k.flags.size() > 4 ? k.flags[4] : 'Y');
    for (std::size_t j = 0; j < std::size(c_.laneAdjustmentCodes); ++j) {
      PutText(c_.laneAdjustmentCodes[j], j < k.codes.size() ? k.codes[j] : "");
    }
    c_.ratingOptionFlag = k.flags[2], c_.useBasePoints = k.flags[3] - '0';
    c_.classAdjHandle = files[k.file];
    c_.classAdjCount = k.records;
    c_.classMinimumTable = k.count == 0 ? nullptr : table.data();
    c_.classMinimumCount = k.count;
    c_.minimumCharge = 1234.0f;
    PutText(c_.minimumChargeText, "unread");
    const int32_t rated = RateBill(&c_, 0);
    const std::string text = Text(c_.minimumChargeText);
    std::string got = text.substr(text.rfind(' ') + 1) + (c_.altClassMinimum ? " alt" : "");
    if (rated != 1) got += " " + std::to_string(c_.errorCode) + "/" + std::to_string(rated);
    EXPECT_EQ(got, k.want) << k.rbno << " " << k.weight;
  }
  c_.classAdjHandle = -1;
  for (int fd : files) close(fd);
}

// A range holds its lowest and highest numbers; a number no entry holds lists nothing.
TEST_F(BillTest, ChargeListTakesTheLevelsOfTheRateBasis) {
  for (auto [rbno, count] : {std::pair{"A150000", 2}, {"A179999", 2}, {"A149999", 1},
                             {"A180000", 1}, {"A900000", 0}}) {
    PutText(c_.rbno, rbno);
    BuildMinimumChargeList(c_);
    EXPECT_EQ((Ints{c_.mcCount, c_.chargeListRows, c_.chargeListRows2}), Ints(3, count)) << rbno;
  }
  // 18 levels and a 40-character label: 16 levels kept, labels cut to 32, the
  // list to 15 rows of 14 characters. Z listed after X keeps nothing of it.
  std::string mch = "\\X 0;999999;18 R";
  for (int i = 0; i < 18; ++i) {
    mch += ";L" + std::to_string(i) + std::string(i == 15 ? 38 : 0, '*') + ";1234567";
  }
  Write(".MCH", mch + "\r\\Z 0;999999;02 R;MIN 1;0;MIN 2;75\r");
  ASSERT_EQ(LoadMchTable(c_), 1);
  ChargeLevels levels{};
  ASSERT_TRUE(FindRateBaseRecord(c_, "X000001", &levels));
  EXPECT_EQ(Text(levels.labels[15]) + Text(levels.values[15]),
            "L15" + std::string(29, '*') + "123456");
  ASSERT_TRUE(FindRateBaseRecord(c_, "Z000001", &levels));
  EXPECT_EQ(Text(levels.labels[2]) + Text(levels.values[2]), "");
  PutText(c_.rbno, "X000001");
  BuildMinimumChargeList(c_);
  EXPECT_EQ((Ints{c_.mcCount, c_.mcAmounts[14]}), (Ints{15, kRates[14]}));
  EXPECT_EQ(Text(c_.mcLabels[14]), "L14");
  PutText(c_.rbno, "Z000001");
  BuildMinimumChargeList(c_);
  EXPECT_EQ((Ints{c_.mcCount, c_.chargeListRows, c_.chargeListRows2, c_.mcAmounts[0],
                  c_.mcAmounts[1], c_.mcAmounts[2], c_.mcKeys[14], c_.thirdListKeys[0],
                  c_.fifthListKeys[14], c_.mcMarks[3][0], c_.mcEntryValue}),
            (Ints{2, 2, 2, 4500, 4000, 0, -1, -1, -1, ' ', 75}));
  EXPECT_EQ(Text(c_.mcLabels[1]) + "|" + Text(c_.mcLabels[2]), "MIN 2|");
}

TEST_F(BillTest, RateTableDiscountLowersRatesToTheFirstUnusedBreak) {
  std::memcpy(c_.weightLabels[2], "XXX", 3);
  c_.baseRates[5] = 1999;
  const float percents[10] = {10, 40, 33.33f, 50, 50};
  for (int i = 0; i < 10; ++i) c_.discountPercent[i] = percents[i];
  const std::string defaults = kit::DefaultsRecord({.discountType = 'R', .discountsEnabled2 = 1});
  std::memcpy(c_.defRecord, defaults.data(), sizeof c_.defRecord);
  DiscountRateTable(c_);
  // 45.00 less 10 % = 40.50 ...; 20.00 less 40 % = 12.00; 19.99 less 33.33 %
  // (6.66) = 13.33; 19.00 less 6.33 = 12.67; XXX at break 2 ends each row.
  EXPECT_EQ((Ints{c_.baseRates[0], c_.baseRates[3], c_.baseRates[4], c_.baseRates[5],
                  c_.baseRates[6], c_.baseRates[7], c_.baseRates[13], c_.baseRates[14]}),
            (Ints{4050, 2700, 1200, 1333, 1200, 1000, 1267, 1900}));
}

}  // namespace
}  // namespace brant::test_support
