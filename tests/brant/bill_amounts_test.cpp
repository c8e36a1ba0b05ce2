// The record's amounts in the units of the rating interface: each form a
// rating path writes, read as the record holds it.
#include "brant/bill_amounts.h"

#include <gtest/gtest.h>

#include <optional>

namespace brant::api {
namespace {

TEST(BillAmounts, DollarTextsOfEveryFormReadAsHundredths) {
  EXPECT_EQ(ParseHundredths("   112.59"), 11259);     // amount text 9
  EXPECT_EQ(ParseHundredths("   .00"), 0);            // amount texts drop the leading zero
  EXPECT_EQ(ParseHundredths(".50"), 50);
  EXPECT_EQ(ParseHundredths("0107.53"), 10753);       // the engine's zero-padded minimum
  EXPECT_EQ(ParseHundredths("       3040.05"), 304005);  // "%14.2f" gross
  EXPECT_EQ(ParseHundredths("    -1.25"), -125);      // "%9.2f" keeps a sign
  EXPECT_EQ(ParseHundredths("00.00"), 0);             // the discount percentage, none taken
  EXPECT_EQ(ParseHundredths(""), 0);                  // a field the rating cleared
  EXPECT_EQ(ParseHundredths("  "), 0);
}

TEST(BillAmounts, TextsCutToTheirFieldAreNoAmount) {
  // 1234567.89 in a 10-byte field keeps nine characters.
  EXPECT_EQ(ParseHundredths("1234567.8"), std::nullopt);
  EXPECT_EQ(ParseHundredths("12345678"), std::nullopt);
  EXPECT_EQ(ParseHundredths("12.345"), std::nullopt);
  EXPECT_EQ(ParseHundredths("1.2x"), std::nullopt);
  EXPECT_EQ(ParseHundredths("- 1.00"), std::nullopt);
  EXPECT_EQ(ParseHundredths("1234567890123456.00"), std::nullopt);  // past any bill
}

TEST(BillAmounts, WholeNumbersReadAsTheyStand) {
  EXPECT_EQ(ParseWhole("  1200"), 1200);   // "%6ld" weights
  EXPECT_EQ(ParseWhole("0001650"), 1650);  // the engine's weights
  EXPECT_EQ(ParseWhole(""), 0);
  EXPECT_EQ(ParseWhole("12a"), std::nullopt);
  EXPECT_EQ(ParseWhole("1.5"), std::nullopt);
}

TEST(BillAmounts, TheMinimumDiscountRoundsFromHundredthsOfACent) {
  // 107.53 dollars at 10.5 %: rndoff(107.53 * 10.5, 2) = 1129.07 cents.
  EXPECT_EQ(HundredthsOfCentToCents("1129.07"), 1129);
  EXPECT_EQ(HundredthsOfCentToCents(" 895.49"), 895);
  EXPECT_EQ(HundredthsOfCentToCents(" 895.50"), 896);  // a tie goes away from zero
  EXPECT_EQ(HundredthsOfCentToCents(" 850.00"), 850);
  EXPECT_EQ(HundredthsOfCentToCents("    .00"), 0);
  EXPECT_EQ(HundredthsOfCentToCents("89549.9"), std::nullopt);
}

TEST(BillAmounts, SinglePrecisionDollarsBecomeTheCentsTheyWereRoundedTo) {
  EXPECT_EQ(DollarsToCents(35.0f), 3500);     // the zone charge: 3500 cents / 100
  EXPECT_EQ(DollarsToCents(123.45f), 12345);  // 123.449997 as a float
  EXPECT_EQ(DollarsToCents(999.99f), 99999);  // the largest floor
  EXPECT_EQ(DollarsToCents(0.1f), 10);
  EXPECT_EQ(DollarsToCents(0.0f), 0);
}

}  // namespace
}  // namespace brant::api
