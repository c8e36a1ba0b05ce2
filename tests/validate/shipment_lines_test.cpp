// VerClass, VerWeight and ValidWeight: each shipment line's freight class
// and weight break.
#include <brantfunc/brantfunc.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "context/byte_coding.h"
#include "context/record_fields.h"

namespace brant {
namespace {

constexpr uint32_t kLine = 3;
constexpr int32_t kOldIndex = 13;

struct Break {
  const char* label;
  int32_t minimum;
  int32_t maximum;
};

class ShipmentLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetClasses({"50", "55", "60", "65", "70", "77.5", "85"});
    // Break 2 overlaps break 3 and break 4 holds weights no later break
    // does; both are out of use. Break 6 lies past the count.
    SetBreaks({{"L5C", 0, 499},
               {"M5C", 500, 999},
               {"XXX", 1000, 1999},
               {"M1M", 1000, 4999},
               {"XXX", 5000, 9999},
               {"M10M", 10000, 1999999}});
    std::memcpy(c().weightLabels[6], "M20M", 5);
    c().weightMin[6] = 2000000;
    c().weightMax[6] = 9999999;
    MarkLine();
  }

  void SetClasses(const std::vector<std::string>& classes) {
    std::memset(c().classTable, 0, sizeof c().classTable);
    for (std::size_t i = 0; i < classes.size(); ++i) {
      PutFixedText(c().classTable[i], sizeof c().classTable[i], classes[i]);
    }
    c().classCount = static_cast<int32_t>(classes.size());
  }

  void SetBreaks(const std::vector<Break>& breaks) {
    for (std::size_t b = 0; b < breaks.size(); ++b) {
      PutFixedText(c().weightLabels[b], sizeof c().weightLabels[b], breaks[b].label);
      c().weightMin[b] = breaks[b].minimum;
      c().weightMax[b] = breaks[b].maximum;
    }
    c().weightRecordCount = static_cast<int32_t>(breaks.size());
  }

  void Substitute(std::size_t i, std::string_view code) {
    PutFixedText(profile::ClassSubstitute(c(), i), profile::kClassSubstituteWidth, code);
  }

  // Old values in the line's fields, to see what a check writes.
  void MarkLine() {
    std::memcpy(c().lineClass[kLine], "old", 4);
    c().lineClassIndex[kLine] = kOldIndex;
    std::memcpy(c().lineClassMark[kLine], "*", 2);
    std::memcpy(c().lineWeight[kLine], "9999999", 7);
    c().lineWeightBreak[kLine] = 42;
    c().errorCode = 0;
  }

  std::string LineClass() { return std::string(FixedText(c().lineClass[kLine], 5)); }
  std::string Mark() { return std::string(FixedText(c().lineClassMark[kLine], 2)); }

  RateContext& c() { return *context_; }

  std::unique_ptr<RateContext> context_ = std::make_unique<RateContext>();
};

TEST_F(ShipmentLineTest, AClassIsFoundOnlyByItsExactText) {
  const std::pair<const char*, int32_t> cases[] = {
      {"50", 0}, {"55", 1}, {"77.5", 5}, {"85", 6},
      {"5", -1}, {"500", -1}, {"50 ", -1}, {"", -1}, {"92.5", -1},
  };
  for (const auto& [text, index] : cases) {
    SCOPED_TRACE(std::string("\"") + text + "\"");
    MarkLine();
    if (index >= 0) {
      EXPECT_EQ(VerClass(&c(), text, kLine, 0), 1);
      EXPECT_EQ(int32_t{c().lineClassIndex[kLine]}, index);
      EXPECT_EQ(LineClass(), text);
      EXPECT_EQ(int32_t{c().errorCode}, 0);
    } else {
      EXPECT_EQ(VerClass(&c(), text, kLine, 0), 0);
      EXPECT_EQ(int32_t{c().errorCode}, BRANT_INVALID_CLASS);
      EXPECT_EQ(int32_t{c().lineClassIndex[kLine]}, kOldIndex);
      EXPECT_EQ(LineClass(), "old");
    }
    EXPECT_EQ(Mark(), "");
  }
}

TEST_F(ShipmentLineTest, SubstitutionTakesTheSubstituteClassAndMarksTheLine) {
  profile::classSubstitution.Set(c(), 1);
  Substitute(1, "50");  // 55 rates as 50
  Substitute(2, "60");  // 60 stands for itself
  Substitute(3, "99");  // 65 names a class the tariff lacks
  Substitute(6, "85");
  struct Case {
    const char* text;
    int32_t accepted;
    int32_t index;
    const char* mark;
  };
  const Case cases[] = {
      {"55", 1, 0, "*"},
      {"60", 1, 2, ""},
      {"85", 1, 6, ""},
      {"65", 0, kOldIndex, ""},
      {"57", 0, kOldIndex, ""},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.text);
    MarkLine();
    EXPECT_EQ(VerClass(&c(), k.text, kLine, 0), k.accepted);
    EXPECT_EQ(int32_t{c().errorCode}, k.accepted ? 0 : BRANT_INVALID_CLASS);
    EXPECT_EQ(int32_t{c().lineClassIndex[kLine]}, k.index);
    EXPECT_EQ(Mark(), k.mark);
    EXPECT_EQ(LineClass(), "old");  // the class text is kept only without substitution
  }
}

TEST_F(ShipmentLineTest, ClassesWithoutASubstituteSlotAreRefusedUnderSubstitution) {
  std::vector<std::string> twenty;
  for (int i = 0; i < 20; ++i) twenty.push_back(std::to_string(50 + 5 * i));
  SetClasses(twenty);
  for (std::size_t i = 0; i < 18; ++i) Substitute(i, twenty[i]);
  for (int32_t substitution : {0, 1}) {
    profile::classSubstitution.Set(c(), substitution);
    for (int i : {17, 18, 19}) {
      SCOPED_TRACE("substitution " + std::to_string(substitution) + ", class " + twenty[i]);
      MarkLine();
      const bool accepted = substitution == 0 || i < 18;
      EXPECT_EQ(VerClass(&c(), twenty[i].c_str(), kLine, 0), accepted ? 1 : 0);
      EXPECT_EQ(int32_t{c().lineClassIndex[kLine]}, accepted ? i : kOldIndex);
      EXPECT_EQ(int32_t{c().errorCode}, accepted ? 0 : BRANT_INVALID_CLASS);
    }
  }
}

TEST_F(ShipmentLineTest, FreightAllKindsPassesOnlyWithTheSwitchAndAClassTable) {
  EXPECT_EQ(VerClass(&c(), "FAK", kLine, 1), 1);
  EXPECT_EQ(int32_t{c().lineClassIndex[kLine]}, kOldIndex);  // nothing recorded for the line
  EXPECT_EQ(LineClass(), "old");
  EXPECT_EQ(Mark(), "");

  MarkLine();
  EXPECT_EQ(VerClass(&c(), "FAK", kLine, 0), 0);
  EXPECT_EQ(int32_t{c().errorCode}, BRANT_INVALID_CLASS);

  MarkLine();
  SetClasses({"FAK", "50"});  // a tariff class of that name is an ordinary class
  EXPECT_EQ(VerClass(&c(), "FAK", kLine, 1), 1);
  EXPECT_EQ(int32_t{c().lineClassIndex[kLine]}, 0);

  MarkLine();
  SetClasses({});
  EXPECT_EQ(VerClass(&c(), "FAK", kLine, 1), 0);
  EXPECT_EQ(int32_t{c().errorCode}, BRANT_INVALID_CLASS);
}

TEST_F(ShipmentLineTest, LineIndexesPastTheLastLineAreRefusedUntouched) {
  char weight[] = "750";
  EXPECT_EQ(VerClass(&c(), "50", 7, 0), 1);
  EXPECT_EQ(int32_t{c().lineClassIndex[7]}, 0);
  EXPECT_EQ(VerWeight(&c(), weight, 7), 1);
  EXPECT_EQ(int32_t{c().lineWeightBreak[7]}, 1);
  for (uint32_t line : {8u, 9u, 0x80000000u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(line);
    auto before = std::make_unique<RateContext>(c());
    EXPECT_EQ(VerClass(&c(), "50", line, 1), 0);
    EXPECT_EQ(int32_t{c().errorCode}, BRANT_INVALID_CLASS);
    EXPECT_EQ(VerWeight(&c(), weight, line), 0);
    EXPECT_EQ(int32_t{c().errorCode}, BRANT_INVALID_WEIGHT);
    before->errorCode = BRANT_INVALID_WEIGHT;
    EXPECT_EQ(std::memcmp(&c(), before.get(), sizeof(RateContext)), 0);
  }
}

TEST_F(ShipmentLineTest, AWeightTakesTheFirstBreakInUseThatHoldsIt) {
  const std::pair<const char*, int32_t> cases[] = {
      {"0", 0},        {"499", 0},     {"500", 1},    {"999", 1},    {"1000", 3},
      {"1999", 3},     {"4999", 3},    {"10000", 5},  {"1999999", 5}, {"  750", 1},
      {"750LB", 1},    {"12345678", 5},  // only seven characters are read
      {"5000", -1},    {"9999", -1},   {"2000000", -1}, {"-1", -1},
  };
  for (const auto& [text, wanted] : cases) {
    SCOPED_TRACE(text);
    MarkLine();
    if (wanted >= 0) {
      EXPECT_EQ(VerWeight(&c(), text, kLine), 1);
      EXPECT_EQ(int32_t{c().lineWeightBreak[kLine]}, wanted);
      std::string copied = std::string(text).substr(0, 7);
      copied.resize(7, '\0');  // copied to its terminator, then NUL-filled
      EXPECT_EQ(std::string(c().lineWeight[kLine], 7), copied);
      EXPECT_EQ(int32_t{c().errorCode}, 0);
    } else {
      EXPECT_EQ(VerWeight(&c(), text, kLine), 0);
      EXPECT_EQ(int32_t{c().errorCode}, BRANT_INVALID_WEIGHT);
      EXPECT_EQ(int32_t{c().lineWeightBreak[kLine]}, 42);
      EXPECT_EQ(std::string(c().lineWeight[kLine], 7), "9999999");
    }
  }
}

TEST_F(ShipmentLineTest, AWeightFieldWithoutTerminatorIsReadWithinItsSevenBytes) {
  auto field = std::make_unique<char[]>(7);
  std::memcpy(field.get(), "0001500", 7);
  EXPECT_EQ(VerWeight(&c(), field.get(), kLine), 1);
  EXPECT_EQ(int32_t{c().lineWeightBreak[kLine]}, 3);
  EXPECT_EQ(std::memcmp(c().lineWeight[kLine], "0001500", 7), 0);
}

TEST_F(ShipmentLineTest, CountsOutsideTheTablesAreBounded) {
  SetClasses({"50", "55"});
  PutFixedText(c().classTable[19], 6, "500");
  c().classCount = 1000;
  EXPECT_EQ(VerClass(&c(), "500", kLine, 0), 1);
  EXPECT_EQ(int32_t{c().lineClassIndex[kLine]}, 19);
  EXPECT_EQ(VerClass(&c(), "57", kLine, 0), 0);
  c().classCount = -5;
  EXPECT_EQ(VerClass(&c(), "50", kLine, 0), 0);
  for (int b = 0; b < BRANT_WEIGHT_SLOTS; ++b) std::memcpy(c().weightLabels[b], "XXX", 4);
  std::memcpy(c().weightLabels[19], "TOP", 4);
  c().weightMin[19] = 9000000;
  c().weightMax[19] = 9999999;
  c().weightRecordCount = 1000;
  EXPECT_EQ(VerWeight(&c(), "9500000", kLine), 1);
  EXPECT_EQ(int32_t{c().lineWeightBreak[kLine]}, 19);
  EXPECT_EQ(VerWeight(&c(), "1", kLine), 0);
  c().weightRecordCount = -1;
  EXPECT_EQ(VerWeight(&c(), "9500000", kLine), 0);
}

TEST_F(ShipmentLineTest, ValidWeightTestsTheFirstThreeBytesOfTheLabel) {
  std::memcpy(c().weightLabels[7], "XXXL", 5);
  std::memcpy(c().weightLabels[8], "XX", 3);
  std::memcpy(c().weightLabels[9], "xxx", 4);
  const std::pair<int32_t, uint32_t> cases[] = {
      {0, 1}, {2, 0}, {4, 0}, {7, 0}, {8, 1}, {9, 1}, {19, 1},
      {-1, 0}, {20, 0}, {INT_MIN, 0}, {INT_MAX, 0},
  };
  for (const auto& [index, valid] : cases) {
    EXPECT_EQ(ValidWeight(&c(), index), valid) << index;
  }
}

}  // namespace
}  // namespace brant
