// Rate records of every shape and the factors that widen narrow ones, on
// files the kit writes.
#include <cmath>
#include <numeric>

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
  // Result, status and rteHandle after reading the digits' record.
  template <typename Read>
  Ints With(const std::string& digits, Read read) {
    PutText(c_.rbno, "X" + digits);
    c_.errorCode = 0;
    const int32_t found = read(c_);
    return {found, c_.errorCode, c_.rteHandle};
  }
  std::string Digits() const { return std::string(c_.rbno, 7); }
  Ints Cells(int from, int to) const {
    Ints cells;
    for (int i = from; i < to; ++i) cells.push_back(c_.baseRates[i]);
    return cells;
  }
  void FillCells(int32_t value) {
    for (int32_t& cell : cells_) cell = value;
    std::memcpy(c_.baseRates, cells_, sizeof cells_);
  }
  int32_t Cents(float dollars) const { return static_cast<int32_t>(std::lround(dollars * 100)); }
  int32_t cells_[175];
  void Remove(const char* extension) { std::filesystem::remove(dir_.PathOf(std::string("TARF") + extension)); }
};

// A key not in .RTE takes the next greater key's record and digits; only
// the block the index names is read; past every key the file runs out.
TEST_F(RateRecordTest, RteRecordsTakeTheNextKeyWithinTheirBlock) {
  std::vector<kit::RateRecord> rates;
  for (int i = 0; i < 120; ++i) rates.push_back({kit::SmallTariffKey(i), {100 * i + 55, i}});
  rates[60].key = "009999";  // out of order: read only when block 1 is scanned
  Write(".RTE", kit::RateFile(rates, false));
  ASSERT_EQ(BuildRteIndex(c_, kNarrowRteRecord), 1);
  const std::pair<std::string, int> cases[] = {{"000001", 0},  {"001490", 49},  {"001495", 50},
                                               {"001995", 100}, {"002190", 119}, {"002191", -1}};
  for (const auto& [digits, record] : cases) {
    if (record < 0) {
      EXPECT_EQ(With(digits, ReadRateRecord), (Ints{0, 354, -1}));
      continue;
    }
    EXPECT_EQ(With(digits, ReadRateRecord), (Ints{1, 0, -1}));
    EXPECT_EQ(Digits(), "X" + kit::SmallTariffKey(record));
    EXPECT_EQ((Ints{Rating().baseRecordValues[1], Cents(c_.minimumCharge)}),
              (Ints{record, 100 * record + 55}));
  }
  settings::wideRteRecords.Set(c_, 'Y');
  std::vector<int32_t> wide(166);
  std::iota(wide.begin(), wide.end(), 7);
  Write(".RTE", kit::RateFile({{"000100", {}}, {"000200", wide}}, true));
  ASSERT_EQ(BuildRteIndex(c_, kWideRteRecord), 1);
  Rating().baseRecordValues[0] = 1234;  // a wide record names no minimum of its own
  EXPECT_EQ(With("000150", ReadRateRecord), (Ints{1, 0, -1}));
  EXPECT_EQ((Ints{c_.baseRates[0], c_.baseRates[165], Cents(c_.minimumCharge)}),
            (Ints{7, 172, 1234}));
  EXPECT_EQ(Digits(), "X000200");
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
  const std::string legs = kit::LegRateFile({{"000100", {5}}, {"000200", values}});
  Write(".RMX", legs);
  Write(".AKR", legs);
  c_.mexicanLeg = 1;
  EXPECT_EQ(With("000150", ReadRateRecord), (Ints{1, 0, -1}));
  EXPECT_EQ(Cells(0, 6), (Ints{1000, 1000, 1000, 1000, 1001, 1002}));
  EXPECT_EQ((Ints{c_.baseRates[165]}), (Ints{1162}));
  EXPECT_EQ(Digits(), "X000200");
  EXPECT_EQ(With("000201", ReadRateRecord), (Ints{0, 354, -1}));
  c_.mexicanLeg = 0;
  c_.alaskaShipment = 1;
  EXPECT_EQ(With("000200", ReadRateRecord), (Ints{1, 0, -1}));
  EXPECT_EQ(Cells(0, 5), (Ints{1000, 1000, 0, 0, 1001}));
  EXPECT_EQ(With("000150", ReadRateRecord), (Ints{0, 578, -1}));
  Remove(".AKR");
  EXPECT_EQ(With("000200", ReadRateRecord), (Ints{0, 577, -1}));
  c_.alaskaShipment = 0;
  c_.mexicanLeg = 1;
  Remove(".RMX");
  EXPECT_EQ(With("000200", ReadRateRecord), (Ints{0, 350, -1}));
  c_.mexicanLeg = 0;
  c_.alphaPostalShipment = 1;
  EXPECT_EQ(With("000200", ReadRateRecord), (Ints{1, 0, -1}));
  EXPECT_EQ(OpenDescriptors(), openAtStart_);
}

// .RTF is halved by the RBNO's number: first, middle and last are found, a
// number between or beyond is not, without a status.
TEST_F(RateRecordTest, RtfRecordsByHalving) {
  for (bool wide : {true, false}) {
    settings::wideRteRecords.Set(c_, wide ? 'Y' : 'N');
    std::vector<kit::RtfRecord> records;
    for (int32_t n = 10; n <= 50; n += 10) {
      std::vector<int32_t> values(wide ? 166 : 13, n);
      values.back() = -n;
      records.push_back({n, 100 * n, values});
    }
    Write(".RTF", kit::RtfFile(records, wide));
    for (int32_t n : {10, 30, 50, 25, 5, 60}) {
      const bool present = n % 10 == 0 && n <= 50;
      char digits[8];
      std::snprintf(digits, sizeof digits, "%06d", n);
      EXPECT_EQ(With(digits, ReadRtfRecord), (Ints{present, 0, -1})) << n;
      if (!present) continue;
      const int32_t last = wide ? c_.baseRates[165] : Rating().baseRecordValues[12];
      EXPECT_EQ((Ints{last, wide ? 100 * n : Rating().factorGroup}), (Ints{-n, 100 * n}));
    }
  }
  Remove(".RTF");
  EXPECT_EQ(With("000010", ReadRtfRecord), (Ints{0, 350, -1}));
}

class FactorTest : public RateRecordTest {
 protected:
  FactorTest() {
    settings::useFacTables.Set(c_, 'Y');
    c_.weightRecordCount = 9;
    const int32_t base[13] = {100, 200, 300, 400, 1235, 1000, 900, 800, 700, 600, 500, 400, 300};
    std::copy(base, base + 13, Rating().baseRecordValues);
    FillCells(-7);
  }
};

// Groups repeat over their count, a count of 0 serves every remaining cell,
// a factor of 0 repeats the cell before except at cell 22; rounding is
// half up.
TEST_F(FactorTest, FacGroupsWidenTheNarrowRecord) {
  const std::string fac = kit::FactorFile(
      {{"000000", "000999", {{10000, 9}, {5000, 2}, {0, 1}, {12000, 3}, {0, 4}, {7000, 0}}},
       {"001000", "001999", {{10000, 0}}, 30000}});  // its data lies past the file
  EXPECT_EQ(fac.substr(802, 3), "\x09\xC4\x09");
  Write(".FAC", fac);
  Write(".FC1", "");
  Write(".FC2", "");
  ASSERT_EQ(OpenFactorFiles(c_), 1);
  c_.classCount = 3;
  EXPECT_EQ(With("000500", ExpandFactors), (Ints{1, 0, -1}));
  EXPECT_EQ(Cells(0, 32), (Ints{100, 200, 300, 400, 1235, 1000, 900, 800, 700, 600, 500,
                                400, 300, 618, 500, 500, 960, 840, 720, 720, 720, 720,
                                0, 700, 630, 560, 490, 420, 350, 280, 210, -7}));
  EXPECT_EQ(With("002000", ExpandFactors), (Ints{0, 264, -1}));
  EXPECT_EQ(With("001500", ExpandFactors), (Ints{0, 264, -1}));
  c_.classCount = 20;  // 180 cells: more than the table holds
  EXPECT_EQ(With("000500", ExpandFactors), (Ints{0, 264, -1}));

  // A Mexican leg reads the host's directory; an alphabetic code alone
  // keeps its rates.
  c_.classCount = 1;
  c_.mexicanLeg = 1;
  for (int16_t last : {0, 10}) {
    const std::string alt = kit::MexicanFactorFile({{"000000", "999999", {{5000, 0}}}},
                                                   {.declaredLastEntry = last});
    std::memcpy(c_.altFacDirectory, alt.data(), sizeof c_.altFacDirectory);
    Write(".MXF", alt);
    c_.altFactorHandle = Openfile(&c_, ".MXF");
    EXPECT_EQ(With("000500", ExpandFactors), (last ? Ints{0, 264, -1} : Ints{1, 0, -1}));
    c_.altFactorHandle = CloseHandle(c_.altFactorHandle);
  }
  EXPECT_EQ(Cells(4, 6), (Ints{618, 500}));
  c_.mexicanLeg = 0;
  c_.alphaPostalShipment = 1;
  FillCells(-7);
  EXPECT_EQ(With("000500", ExpandFactors), (Ints{1, 0, -1}));
  EXPECT_EQ(Cells(0, 2), (Ints{-7, -7}));
}

// The group's .FC1 range is halved for; its .FC2 factors are figured in
// unsigned 32 bits, wrapping.
TEST_F(FactorTest, GroupFactorsInUnsigned32Bits) {
  std::vector<int32_t> first(162, 10000);
  first[1] = 0;
  Write(".FAC", kit::FactorFile({}));
  Write(".FC1", kit::FactorRangeFile({{1, 499}, {500, 999}, {1000, 1999}}));
  Write(".FC2", kit::GroupFactorFile({first, std::vector<int32_t>(162, 5000)}));
  ASSERT_EQ(OpenFactorFiles(c_), 1);
  const int32_t base[] = {-100, 7, 500000, 40};
  std::copy(base, base + 4, Rating().baseRecordValues + 4);
  c_.classCount = 18;
  const std::pair<int32_t, Ints> cases[] = {
      {1, {1, 0, -1, 100, 429397, 429397, 70503, 40}},
      {499, {1, 0, -1, 100, 429397, 429397, 70503, 40}},
      {500, {1, 0, -1, 100, 429447, 4, 250000, 20}},
      {1999, {0, 264, -1}}, {0, {0, 264, -1}}, {2000, {0, 264, -1}}};
  for (const auto& [group, expected] : cases) {
    Rating().factorGroup = group;
    Ints got = With("000001", ExpandGroupFactors);
    if (got[0]) {
      got.push_back(c_.baseRates[0]);
      for (int32_t cell : Cells(4, 8)) got.push_back(cell);
    }
    EXPECT_EQ(got, expected) << group;
  }
  EXPECT_EQ(Bytes(c_.fc1Scratch, 8), std::string("\xE8\x03\0\0\xCF\x07\0\0", 8));
  c_.classCount = 19;
  Rating().factorGroup = 1;
  EXPECT_EQ(With("000001", ExpandGroupFactors), (Ints{0, 264, -1}));
}

}  // namespace
}  // namespace brant::test_support
