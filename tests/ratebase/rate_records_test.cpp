// Rate records of every shape and the factors that widen narrow ones, on
// files the kit writes.
#include <numeric>

#include "ratebase/lookup_test_support.h"

namespace brant::test_support {
namespace {

using RateRecordTest = LookupTest;

// A key not in .RTE takes the next greater key's record and digits; only
// the block the index names is read; past every key the file runs out.
TEST_F(RateRecordTest, RteRecordsTakeTheNextKeyWithinTheirBlock) {
  std::vector<kit::RateRecord> rates;
  for (int i = 0; i < 120; ++i) rates.push_back({kit::SmallTariffKey(i), {100 * i + 55, i}});
  rates[60].key = "009999";  // out of order: found only if block 1 were scanned
  Write(".RTE", kit::RateFile(rates, false));
  ASSERT_EQ(BuildRteIndex(c_, kNarrowRteRecord), 1);
  const std::pair<std::string, int> cases[] = {{"000001", 0},   {"001490", 49},  {"001495", 50},
                                               {"001995", 100}, {"002190", 119}, {"002191", -1}};
  for (const auto& [digits, i] : cases) {
    EXPECT_EQ(With(digits, ReadRateRecord), (i < 0 ? Ints{0, 354, -1} : Ints{1, 0, -1})) << digits;
    EXPECT_TRUE(i < 0 ||
                (c_.rbno + 1 == kit::SmallTariffKey(i) && Rating().baseRecordValues[1] == i &&
                 c_.minimumCharge == (100 * i + 55) / 100.0f));
  }
  Write(".RTE", "");  // the index now names a block past the end of the file
  EXPECT_EQ(With("001995", ReadRateRecord), (Ints{0, 354, -1}));
}

// .RMX takes the next greater key, .AKR only the exact one; each spreads
// its minimum over the levels its own way, fills no cell past 165, and is the minimum charge
// itself, not the narrow record read before.
TEST_F(RateRecordTest, LegRecords) {
  std::vector<int32_t> values(163);
  std::iota(values.begin(), values.end(), 1000);  // the minimum, then cells 4 to 165
  Rating().baseRecordValues[0] = 4500;  // of a narrow record read before
  for (const char* leg : {".RMX", ".AKR"})
    Write(leg, kit::LegRateFile({{"000100", {5}}, {"000200", values}}));
  const std::tuple<int, std::string, Ints> cases[] = {
      {0, "000150", {1, 0, -1, 1000, 1000, 1000, 1000, 1001, 1162, -7}},
      {1, "000200", {1, 0, -1, 1000, 1000, 0, 0, 1001, 1162, -7}},
      {1, "000150", {0, 578, -1, -7, -7, -7, -7, -7, -7, -7}}};
  for (const auto& [leg, digits, expected] : cases) {
    c_.mexicanLeg = leg == 0;
    c_.alaskaShipment = leg == 1;
    c_.minimumCharge = 0.0f;
    EXPECT_EQ(With(digits, ReadRateRecord, {0, 1, 2, 3, 4, 165, 166}), expected) << digits;
    EXPECT_EQ(c_.rbno, expected[0] && leg == 0 ? "X000200" : "X" + digits);
    EXPECT_EQ(float{c_.minimumCharge}, expected[0] ? 10.0f : 0.0f);
  }
}

// A narrow record widens through .FAC groups: they repeat over their
// count, a count of 0 serves every remaining cell, a factor of 0 repeats
// the cell before except at cell 22, and rounding is half up. A Mexican leg
// reads the host's directory. Through .FC2 factors (the group's .FC1 range
// found by halving) cells are figured in unsigned 32 bits, wrapping.
TEST_F(RateRecordTest, NarrowRecordsWidenThroughTheirFactors) {
  const int32_t base[13] = {100, 200, 300, 400, 1235, 1000, 900, 800, 700, 600, 500, 400, 300};
  std::copy(base, base + 13, Rating().baseRecordValues);
  c_.weightRecordCount = 9;
  const std::vector<kit::FactorGroup> most(172, {10000, 1});  // 516 bytes, the most
  const std::string fac = kit::FactorFile(
      {{"000000", "000999", {{10000, 9}, {5000, 2}, {0, 1}, {12000, 3}, {0, 4}, {7000, 0}}},
       {"001000", "001999", {{10000, 0}}, 30000},  // its data lies past the file
       {"003000", "003999", most, {}, 517},        // one byte more than an entry holds
       {"004000", "004999", most}});
  Write(".FAC", fac);
  std::memcpy(c_.facDirectory, fac.data(), sizeof c_.facDirectory);
  c_.facHandle = Openfile(&c_, ".FAC");
  c_.classCount = 3;
  std::initializer_list<int> cells = {0, 3, 4, 12, 13, 14, 15, 16, 19, 21, 22, 23, 30, 31};
  EXPECT_EQ(With("000000", ExpandFactors, cells),
            (Ints{1, 0, -1, 100, 400, 1235, 300, 618, 500, 500, 960, 720, 720, 0, 700, 210, -7}));
  // The last key of an entry and the one past; 516 bytes of groups, 171
  // class cells and 9 breaks fit, one byte, 180 cells or 10 breaks more do not.
  const std::tuple<const char*, int32_t, int32_t, int> limits[] = {
      {"000999", 3, 9, 1}, {"002000", 3, 9, 0}, {"001500", 3, 9, 0}, {"004000", 3, 9, 1},
      {"003000", 3, 9, 0},
      {"000500", 19, 9, 1}, {"000500", 20, 9, 0}, {"000500", 1, 10, 0}};
  for (const auto& [digits, classes, breaks, ok] : limits) {
    c_.classCount = classes;
    c_.weightRecordCount = breaks;
    EXPECT_EQ(With(digits, ExpandFactors), (Ints{ok, ok ? 0 : 264, -1})) << digits << classes;
  }
  c_.weightRecordCount = 9;

  c_.classCount = 1;
  c_.mexicanLeg = 1;
  const std::string alt = kit::MexicanFactorFile({{"000000", "999999", {{5000, 0}}}});
  std::memcpy(c_.altFacDirectory, alt.data(), sizeof c_.altFacDirectory);
  Write(".MXF", alt);
  c_.altFactorHandle = Openfile(&c_, ".MXF");
  EXPECT_EQ(With("999999", ExpandFactors, {4, 5}), (Ints{1, 0, -1, 618, 500}));
  StoreI16(c_.altFacDirectory, 10);  // names an entry past the 10 it holds
  EXPECT_EQ(With("000500", ExpandFactors), (Ints{0, 264, -1}));
  c_.altFactorHandle = CloseHandle(c_.altFactorHandle);
  c_.mexicanLeg = 0;

  const std::vector<int32_t> first = {10000, 0, 10000, 10000};  // then 0: the cell before
  Write(".FC1", kit::FactorRangeFile({{1, 499}, {500, 999}, {1000, 1999}}));
  Write(".FC2", kit::GroupFactorFile({first, first}));
  ASSERT_EQ(OpenFactorFiles(c_), 1);
  const int32_t wrapping[] = {-100, 7, 500000, 40};
  std::copy(wrapping, wrapping + 4, Rating().baseRecordValues + 4);
  for (int32_t group : {1, 999}) {  // the lowest of the first range, the highest of the last
    Rating().factorGroup = group;
    EXPECT_EQ(With("000001", ExpandGroupFactors, {0, 4, 5, 6, 7}),
              (Ints{1, 0, -1, 100, 429397, 429397, 70503, 40})) << group;
  }
  // The last range lacks its .FC2 record; 19 classes need more factors
  // than a record has.
  for (auto [group, classes] : {std::pair{1999, 1}, {0, 1}, {2000, 1}, {1, 19}}) {
    Rating().factorGroup = group;
    c_.classCount = classes;
    EXPECT_EQ(With("000001", ExpandGroupFactors), (Ints{0, 264, -1})) << group;
  }
}

}  // namespace
}  // namespace brant::test_support
