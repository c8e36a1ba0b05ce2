// Rate records of every shape and the factors that widen narrow ones, on
// files the kit writes.
#include <numeric>

#include "context/byte_coding.h"
#include "context/record_fields.h"
#include "files/loaders.h"
#include "files/record_access.h"
#include "ratebase/lookups.h"
#include "ratebase/rating_state.h"
#include "support/tariff_dir.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {
namespace {

namespace kit = tariffkit;

class RateRecordTest : public TariffDirTest {
 protected:
  RateRecordTest() {
    c_.weightRecordCount = 9;
    const int32_t base[13] = {100, 200, 300, 400, 1235, 1000, 900, 800, 700, 600, 500, 400, 300};
    std::copy(base, base + 13, Rating().baseRecordValues);
    for (int32_t& cell : c_.baseRates) cell = -7;
  }
  // Result, status and rteHandle after `read` of the digits, then `cells`.
  template <typename Read>
  Ints With(const std::string& digits, Read read, std::initializer_list<int> cells = {}) {
    PutText(c_.rbno, "X" + digits);
    c_.errorCode = 0;
    Ints got{read(c_), c_.errorCode, c_.rteHandle};
    for (int cell : cells) got.push_back(c_.baseRates[cell]);
    return got;
  }
  void Remove(const std::string& extension) {
    std::filesystem::remove(dir_.PathOf("TARF" + extension));
  }
};

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
                (c_.rbno == "X" + kit::SmallTariffKey(i) && Rating().baseRecordValues[1] == i &&
                 c_.minimumCharge == (100 * i + 55) / 100.0f));
  }
  settings::wideRteRecords.Set(c_, 'Y');
  std::vector<int32_t> wide(166);
  std::iota(wide.begin(), wide.end(), 7);
  Write(".RTE", kit::RateFile({{"000100", {}}, {"000200", wide}}, true));
  ASSERT_EQ(BuildRteIndex(c_, kWideRteRecord), 1);
  EXPECT_EQ(With("000150", ReadRateRecord, {0, 165}), (Ints{1, 0, -1, 7, 172}));
  // A wide record has no minimum of its own: the last narrow one's stands.
  EXPECT_EQ((std::pair{std::string(c_.rbno), c_.minimumCharge}),
            (std::pair{std::string("X000200"), 119.55f}));
  Remove(".RTE");
  EXPECT_EQ(With("000150", ReadRateRecord), (Ints{0, 350, -1}));
  EXPECT_EQ(OpenDescriptors(), openAtStart_);
}

// .RMX takes the next greater key, .AKR only the exact one; each spreads
// its minimum over the levels its own way. An alphabetic shipment reads
// nothing.
TEST_F(RateRecordTest, LegRecords) {
  std::vector<int32_t> values(163);
  std::iota(values.begin(), values.end(), 1000);
  for (const char* leg : {".RMX", ".AKR"})
    Write(leg, kit::LegRateFile({{"000100", {5}}, {"000200", values}}));
  int32_t* legs[] = {&c_.mexicanLeg, &c_.alaskaShipment, &c_.alphaPostalShipment};
  const std::tuple<int, std::string, Ints> cases[] = {
      {0, "000150", {1, 0, -1, 1000, 1000, 1000, 1000, 1001, 1162}},
      {0, "000201", {0, 354, -1, -7, -7, -7, -7, -7, -7}},
      {1, "000200", {1, 0, -1, 1000, 1000, 0, 0, 1001, 1162}},
      {1, "000150", {0, 578, -1, -7, -7, -7, -7, -7, -7}},
      {2, "000150", {1, 0, -1, -7, -7, -7, -7, -7, -7}}};
  for (const auto& [leg, digits, expected] : cases) {
    for (int32_t* flag : legs) *flag = flag == legs[leg];
    for (int32_t& cell : c_.baseRates) cell = -7;
    EXPECT_EQ(With(digits, ReadRateRecord, {0, 1, 2, 3, 4, 165}), expected) << digits;
    EXPECT_EQ(c_.rbno, expected[0] && leg == 0 ? "X000200" : "X" + digits);
  }
  Remove(".AKR");
  std::swap(c_.alaskaShipment, c_.alphaPostalShipment);
  EXPECT_EQ(With("000200", ReadRateRecord), (Ints{0, 577, -1}));
  std::swap(c_.alaskaShipment, c_.mexicanLeg);
  Remove(".RMX");
  EXPECT_EQ(With("000200", ReadRateRecord), (Ints{0, 350, -1}));
  EXPECT_EQ(OpenDescriptors(), openAtStart_);
}

// Groups repeat over their count, a count of 0 serves every remaining cell,
// a factor of 0 repeats the cell before except at cell 22; rounding is
// half up. A Mexican leg reads the host's directory; an alphabetic code
// alone keeps its rates.
TEST_F(RateRecordTest, FacGroupsWidenTheNarrowRecord) {
  const std::string fac = kit::FactorFile(
      {{"000000", "000999", {{10000, 9}, {5000, 2}, {0, 1}, {12000, 3}, {0, 4}, {7000, 0}}},
       {"001000", "001999", {{10000, 0}}, 30000}});  // its data lies past the file
  EXPECT_EQ(fac.substr(802, 3), "\x09\xC4\x09");
  Write(".FAC", fac);
  std::memcpy(c_.facDirectory, fac.data(), sizeof c_.facDirectory);
  c_.facHandle = Openfile(&c_, ".FAC");
  c_.classCount = 3;
  std::initializer_list<int> cells = {0, 3, 4, 12, 13, 14, 15, 16, 19, 21, 22, 23, 30, 31};
  EXPECT_EQ(With("000500", ExpandFactors, cells),
            (Ints{1, 0, -1, 100, 400, 1235, 300, 618, 500, 500, 960, 720, 720, 0, 700, 210, -7}));
  EXPECT_EQ(With("002000", ExpandFactors), (Ints{0, 264, -1}));
  EXPECT_EQ(With("001500", ExpandFactors), (Ints{0, 264, -1}));
  c_.classCount = 20;  // 180 cells: more than the table holds
  EXPECT_EQ(With("000500", ExpandFactors), (Ints{0, 264, -1}));

  c_.classCount = 1;
  c_.mexicanLeg = 1;
  const std::string alt = kit::MexicanFactorFile({{"000000", "999999", {{5000, 0}}}});
  std::memcpy(c_.altFacDirectory, alt.data(), sizeof c_.altFacDirectory);
  Write(".MXF", alt);
  c_.altFactorHandle = Openfile(&c_, ".MXF");
  EXPECT_EQ(With("000500", ExpandFactors, {4, 5}), (Ints{1, 0, -1, 618, 500}));
  StoreI16(c_.altFacDirectory, 10);  // names an entry past the 10 it holds
  EXPECT_EQ(With("000500", ExpandFactors), (Ints{0, 264, -1}));
  c_.altFactorHandle = CloseHandle(c_.altFactorHandle);
  c_.mexicanLeg = 0;
  c_.alphaPostalShipment = 1;
  c_.baseRates[4] = -7;
  EXPECT_EQ(With("000500", ExpandFactors, {4}), (Ints{1, 0, -1, -7}));
}

// The group's .FC1 range is halved for; its .FC2 factors are figured in
// unsigned 32 bits, wrapping.
TEST_F(RateRecordTest, GroupFactorsInUnsigned32Bits) {
  std::vector<int32_t> first(162, 10000);
  first[1] = 0;
  Write(".FC1", kit::FactorRangeFile({{1, 499}, {500, 999}, {1000, 1999}}));
  Write(".FC2", kit::GroupFactorFile({first, std::vector<int32_t>(162, 5000)}));
  ASSERT_EQ(OpenFactorFiles(c_), 1);
  const int32_t base[] = {-100, 7, 500000, 40};
  std::copy(base, base + 4, Rating().baseRecordValues + 4);
  c_.classCount = 18;
  const std::pair<int32_t, Ints> cases[] = {{1, {1, 0, -1, 100, 429397, 429397, 70503, 40}},
                                            {499, {1, 0, -1, 100, 429397, 429397, 70503, 40}},
                                            {500, {1, 0, -1, 100, 429447, 4, 250000, 20}},
                                            {1999, {0, 264, -1, -7, -7, -7, -7, -7}},
                                            {0, {0, 264, -1, -7, -7, -7, -7, -7}},
                                            {2000, {0, 264, -1, -7, -7, -7, -7, -7}}};
  for (const auto& [group, expected] : cases) {
    Rating().factorGroup = group;
    for (int32_t& cell : c_.baseRates) cell = -7;
    EXPECT_EQ(With("000001", ExpandGroupFactors, {0, 4, 5, 6, 7}), expected) << group;
  }
  EXPECT_EQ(Bytes(c_.fc1Scratch, 8), std::string("\xE8\x03\0\0\xCF\x07\0\0", 8));
  c_.classCount = 19;  // 171 cells: more than a .FC2 record has factors
  Rating().factorGroup = 1;
  EXPECT_EQ(With("000001", ExpandGroupFactors), (Ints{0, 264, -1}));
}

}  // namespace
}  // namespace brant::test_support
