// VerClass, VerWeight and ValidWeight.
#include <climits>
#include <tuple>

#include "context/byte_coding.h"
#include "formats/host_records.h"
#include "support/tariff_dir.h"

namespace brant::test_support {
namespace {

constexpr uint32_t kLine = 7;  // the last line
const char* const kClasses[] = {"50",  "55",  "60",  "65",  "70",  "77.5", "85",
                                "92.5", "100", "110", "125", "150", "175", "200",
                                "250", "300", "400", "500", "600", "700"};

class ShipmentLineTest : public TariffDirTest {
 protected:
  void SetUp() override {
    // 2 and 4 are out of use, 6 lies past the count, 19 is reached only past 6.
    const std::tuple<int, const char*, int32_t, int32_t> breaks[] = {
        {0, "L5C", 0, 499}, {1, "M5C", 500, 999}, {2, "XXX", 1000, 1999}, {3, "M1M", 1000, 4999},
        {4, "XXX", 5000, 9999}, {5, "M10M", 10000, 499999}, {6, "M20M", 500000, 899999},
        {7, "XXXL", 0, 0}, {8, "XX", 0, 0}, {9, "xxx", 0, 0}, {19, "TOP", 900000, 9999999}};
    for (const auto& [b, label, low, high] : breaks) {
      PutText(c_.weightLabels[b], label), c_.weightMin[b] = low, c_.weightMax[b] = high;
    }
    for (int i = 0; i < 20; ++i) PutFixedText(c_.classTable[i], 6, kClasses[i]);
    for (int i = 0; i < 18; ++i) PutFixedText(profile::ClassSubstitute(c_, i), 4, kClasses[i]);
    PutFixedText(profile::ClassSubstitute(c_, 1), 4, "50");  // 55 rates as 50
    PutFixedText(profile::ClassSubstitute(c_, 3), 4, "99");  // 65 names a class the tariff lacks
  }
  // "accepted status index class mark" for `text` on a line holding markers.
  std::string Class(const char* text, uint32_t fak, int32_t count) {
    PutText(c_.lineClass[kLine], "old");
    PutText(c_.lineClassMark[kLine], "*");
    c_.lineClassIndex[kLine] = 13, c_.classCount = count, c_.errorCode = 0;
    const int32_t accepted = VerClass(&c_, text, kLine, fak);
    return std::to_string(accepted) + " " + std::to_string(c_.errorCode) + " " +
           std::to_string(c_.lineClassIndex[kLine]) + " " +
           std::string(FixedText(c_.lineClass[kLine], 5)) + " " +
           std::string(FixedText(c_.lineClassMark[kLine], 2));
  }
  // "accepted status break weight-field", the field's NULs shown as '.'.
  std::string Weight(const char* text, int32_t count) {
    std::memcpy(c_.lineWeight[kLine], "9999999", 7);
    c_.lineWeightBreak[kLine] = 42, c_.weightRecordCount = count, c_.errorCode = 0;
    const int32_t accepted = VerWeight(&c_, text, kLine);
    std::string field(c_.lineWeight[kLine], 7);
    for (char& ch : field) ch = ch ? ch : '.';
    return std::to_string(accepted) + " " + std::to_string(c_.errorCode) + " " +
           std::to_string(c_.lineWeightBreak[kLine]) + " " + field;
  }
};

TEST_F(ShipmentLineTest, ClassVerdicts) {
  const std::string kNo = "0 105 13 old ";
  // Class substitution, text, verdict, "FAK" (freight all kinds) allowed, class count.
  struct Case { int sub; const char* text; std::string want; uint32_t fak = 0; int32_t n = 20; };
  const Case cases[] = {
      {0, "50", "1 0 0 50 "}, {0, "77.5", "1 0 5 77.5 "}, {0, "700", "1 0 19 700 "},
      {0, "5", kNo}, {0, "50 ", kNo}, {0, "", kNo}, {1, "55", "1 0 0 old *"},
      {1, "60", "1 0 2 old "}, {1, "500", "1 0 17 old "}, {1, "65", kNo}, {1, "57", kNo},
      {1, "600", kNo}, {1, "700", kNo}, {0, "FAK", "1 0 13 old ", 1}, {0, "FAK", kNo},
      {0, "FAK", kNo, 1, 0}, {0, "700", "1 0 19 700 ", 0, 1000}, {0, "700", kNo, 0, 19},
      {0, "50", kNo, 0, -5}, {0, "57", kNo, 0, 1000},
  };
  for (const Case& k : cases) {
    profile::classSubstitution.Set(c_, k.sub);
    EXPECT_EQ(Class(k.text, k.fak, k.n), k.want) << k.sub << " \"" << k.text << "\" " << k.n;
  }
  PutFixedText(c_.classTable[0], 6, "FAK");  // a tariff class of that name is ordinary
  EXPECT_EQ(Class("FAK", 1, 20), "1 0 0 FAK ");
  // lineClass holds four characters: a fifth goes where the number stays.
  profile::classSubstitution.Set(c_, 0);
  PutFixedText(c_.classTable[1], 6, "055.0"), PutFixedText(c_.classTable[2], 6, "LTL12");
  EXPECT_EQ(Class("055.0", 0, 20), "1 0 1 055. ");
  EXPECT_EQ(Class("LTL12", 0, 20), kNo);
}

TEST_F(ShipmentLineTest, WeightVerdicts) {
  const std::string kNo = "0 106 42 9999999";
  struct Case { const char* text; std::string want; int32_t n = 6; };  // n: the break count
  const Case cases[] = {
      {"0", "1 0 0 0......"}, {"499", "1 0 0 499...."}, {"500", "1 0 1 500...."},
      {"1000", "1 0 3 1000..."}, {"4999", "1 0 3 4999..."},
      {"  750", "1 0 1   750.."}, {"750LB", "1 0 1 750LB.."}, {"499999", "1 0 5 499999."},
      {"0499999", "1 0 5 499999."}, {" 750LB", "1 0 1  750LB."}, {"1999999", kNo},
      {"12345678", kNo}, {"5000", kNo}, {"-1", kNo}, {"950000", "1 0 19 950000.", 1000},
      {"950000", kNo, 19}, {"0", kNo, -1}, {"5000", kNo, 1000},
  };
  for (const Case& k : cases) EXPECT_EQ(Weight(k.text, k.n), k.want) << k.text << " " << k.n;
  const char field[7] = {'0', '0', '0', '1', '5', '0', '0'};  // no terminator
  EXPECT_EQ(Weight(field, 6), "1 0 3 001500.");
}

TEST_F(ShipmentLineTest, LinesPastTheEighthAreRefusedUntouched) {
  EXPECT_EQ(Class("55", 0, 20), "1 0 1 55 ");
  EXPECT_EQ(Weight("750", 6), "1 0 1 750....");
  for (uint32_t line : {8u, 0x80000000u, 0xFFFFFFFFu}) {
    auto before = std::make_unique<RateContext>(c_);
    EXPECT_EQ((Ints{VerClass(&c_, "50", line, 1), c_.errorCode}), (Ints{0, BRANT_INVALID_CLASS}));
    EXPECT_EQ(VerWeight(&c_, "750", line), 0);
    before->errorCode = BRANT_INVALID_WEIGHT;
    EXPECT_EQ(std::memcmp(&c_, before.get(), sizeof(RateContext)), 0) << line;
  }
}

TEST_F(ShipmentLineTest, ValidWeightTestsTheFirstThreeBytesOfTheLabel) {
  const std::pair<int, unsigned> cases[] = {{0, 1},  {2, 0},  {7, 0},  {8, 1},       {9, 1},
                                           {19, 1}, {-1, 0}, {20, 0}, {INT_MIN, 0}, {INT_MAX, 0}};
  for (const auto& [index, valid] : cases) EXPECT_EQ(ValidWeight(&c_, index), valid) << index;
}

}  // namespace
}  // namespace brant::test_support
