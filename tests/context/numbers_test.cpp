#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <tuple>

#include "context/numbers.h"
#include "context/record_fields.h"
#include "context/text.h"

namespace {

std::string Amount(double value, int width, int decimals = 2) {
  char field[64];
  brant::FormatAmountText(field, sizeof field, value, width, decimals);
  return field;
}

std::string Fixed(double value, int width) {
  char field[64];
  brant::FormatFixedText(field, sizeof field, value, width, 2);
  return field;
}

// Up from 0.49 of the last unit, from the single-precision value: 7.49 is
// held as 7.4899998, just under the cut-off; floor toward minus infinity.
TEST(Rndoff, CutsAtFortyNineHundredthsOfAUnit) {
  const std::tuple<float, int, double> cases[] = {
      {2.345f, 2, 2.35}, {2.3448f, 2, 2.34}, {-2.5f, 0, -2.0}, {7.49f, 0, 7.0}, {7.4901f, 0, 8.0}};
  for (auto [value, places, rounded] : cases) EXPECT_DOUBLE_EQ(rndoff(value, places), rounded);
}

TEST(ApplyRateFactor, MultipliesInSinglePrecisionOnlyWhenSwitchedOn) {
  auto context = std::make_unique<RateContext>();
  float value = 10.0f;
  brant::defaults::rateFactor.Set(*context, 1.075f);
  brant::ApplyRateFactor(*context, &value);
  EXPECT_EQ(value, 10.0f);
  brant::defaults::useRateFactor.Set(*context, 1);
  brant::ApplyRateFactor(*context, &value);
  EXPECT_EQ(value, static_cast<float>(10.75));
  value = 33.33f;  // 35.829750... in single precision rounds up
  brant::ApplyRateFactor(*context, &value);
  EXPECT_EQ(value, static_cast<float>(35.83));
}

// Right-aligned, no sign, no leading zero; exact binary ties round away from
// zero, values just below or above a half do not. A wider number is written
// in full, or cut to a field too small for it.
TEST(FormatAmount, RightAlignsAndRoundsExactTiesAwayFromZero) {
  const std::tuple<double, int, int, const char*> cases[] = {
      {12.5, 7, 2, "  12.50"},  {-3.25, 7, 2, "   3.25"}, {0.05, 7, 2, "    .05"},
      {0.0, 7, 2, "    .00"},   {1500.0, 6, 0, " 1500"},  {0.125, 7, 2, "    .13"},
      {-0.125, 7, 2, "    .13"}, {2.675, 7, 2, "   2.67"}, {0.115, 7, 2, "    .12"},
      {123456.78, 7, 2, "123456.78"}};
  for (auto [value, width, decimals, text] : cases) EXPECT_EQ(Amount(value, width, decimals), text);
  char field[8];
  EXPECT_EQ(brant::FormatAmountText(field, sizeof field, 123456.78, 7, 2), 9u);
  EXPECT_STREQ(field, "123456.");
  char record[4][8];
  std::memset(record, '#', sizeof record);
  brant::FormatAmount(record[1], 1e30, 7, 2);
  EXPECT_EQ(record[2][0], '#');  // the neighbour field is untouched
}

TEST(FormatFixed, KeepsPrintfShapeWithTiesAwayFromZero) {
  const std::tuple<double, int, const char*> cases[] = {
      {5.5, 5, " 5.50"}, {0.5, 5, " 0.50"}, {-1.125, 6, " -1.13"}, {100.0, 5, "100.00"}};
  for (auto [value, width, text] : cases) EXPECT_EQ(Fixed(value, width), text);
  char field[6];
  brant::FormatFixed(field, 100.0, 5, 2);  // a percentage above 99.99
  EXPECT_STREQ(field, "100.0");
  char zeros[16];
  brant::FormatZeroPaddedText(zeros, sizeof zeros, -12.375, 9, 2);
  EXPECT_STREQ(zeros, "-00012.38");  // the zeros follow the sign
  brant::FormatZeroPaddedText(zeros, sizeof zeros, 9500.0, 5, 0);
  EXPECT_STREQ(zeros, "09500");
}

// Away from exact ties, every digit is the one printf gives, for amounts of
// every size and for the tiny and huge values that leave the integer path.
TEST(FormatFixed, AgreesWithPrintfWhereNoTieIsInvolved) {
  std::mt19937_64 random(20261206);
  std::uniform_int_distribution<int> exponent(-40, 70);
  std::uniform_real_distribution<double> unit(1.0, 2.0);
  for (int i = 0; i < 200000; ++i) {
    const double value = std::ldexp(unit(random), exponent(random)) * (i % 2 ? -1 : 1);
    const int decimals = i % 4;
    char ours[400], theirs[400];
    brant::FormatFixedText(ours, sizeof ours, value, 0, decimals);
    std::snprintf(theirs, sizeof theirs, "%.*f", decimals, value);
    // |value| × 10^d needs at most 60 bits of mantissa: exact in long double.
    const long double scaled =
        std::fabs(static_cast<long double>(value)) * std::pow(10.0L, decimals);
    if (scaled - std::floor(scaled) == 0.5L) continue;  // a tie: rounded away, tested above
    ASSERT_STREQ(ours, theirs) << std::hexfloat << value << " " << decimals;
  }
}

TEST(FormatWhole, AgreesWithPrintfForEveryWidthAndSign) {
  std::mt19937_64 random(6122026);
  const int64_t edges[] = {0, -1, 7, INT64_MIN, INT64_MAX, 999999, -100000};
  for (int i = 0; i < 20000; ++i) {
    const int64_t value = i < 7 ? edges[i] : static_cast<int64_t>(random()) >> (random() % 64);
    const int width = i % 12;
    const bool zeros = i % 3 == 0;
    char ours[40], theirs[40];
    brant::FormatWholeText(ours, sizeof ours, value, width, zeros);
    std::snprintf(theirs, sizeof theirs, zeros ? "%0*lld" : "%*lld", width,
                  static_cast<long long>(value));
    ASSERT_STREQ(ours, theirs) << value << " " << width;
  }
}

TEST(ReadNumbers, LikeAtolFromTheFirstCharactersOnly) {
  const std::tuple<const char*, int, int> fixed[] = {
      {"12345678", 3, 123}, {"  42", 3, 4}, {"-17x9", 9, -17}, {"7", 9, 7},  // stops at the NUL
      {"1234567890", 10, 123456789}, {"5", 0, 0}};  // nine characters at most
  for (auto [text, n, value] : fixed) EXPECT_EQ(brant::ReadFixedNumber(text, n), value) << text;
  EXPECT_EQ(brant::ParseLeadingInteger(" \t+15 kg"), 15);
  EXPECT_EQ(brant::ParseLeadingInteger("- 5"), 0);
  EXPECT_EQ(brant::ParseLeadingInteger("99999999999999999999999"), INT64_MAX);
}

}  // namespace
