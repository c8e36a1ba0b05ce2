// What a tariff keeps of its large files for the lookups: the sparse .RTE
// index, the .FAC directory, the .ZF1 header tables, the .SCC and .ZP6
// blocks and the .ZMC record count.
#include <brantfunc/brantfunc.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "context/byte_coding.h"
#include "context/record_fields.h"
#include "files/loaders.h"
#include "support/temp_dir.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {
namespace {

using tariffkit::SmallTariffKey;
using tariffkit::Zf1Tables;

std::size_t OpenDescriptors() {
  namespace fs = std::filesystem;
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

template <typename T>
std::string Bytes(const T* data, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

std::string RateFileOf(int records, bool wide) {
  std::vector<tariffkit::RateRecord> rates;
  for (int i = 0; i < records; ++i) rates.push_back({SmallTariffKey(i), {i}});
  return tariffkit::RateFile(rates, wide);
}

// n rows whose starts all hold 7 and whose keys are 100000, 100001, ...
Zf1Tables Rows(std::size_t n) {
  Zf1Tables t{std::vector<int16_t>(n, 7), std::vector<tariffkit::RowPlace>(n), {}, {}, {}};
  for (std::size_t i = 0; i < n; ++i) t.keys.push_back(static_cast<uint32_t>(100000 + i));
  return t;
}

class LookupIndexesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::snprintf(context_->dataDir, sizeof context_->dataDir, "%s", dir_.Slashed().c_str());
    std::snprintf(context_->tariffName, sizeof context_->tariffName, "TARF");
    c_.zf1Handle = c_.facHandle = c_.fc1Handle = c_.fc2Handle = c_.rteHandle = -1;
  }
  // Whatever a test loaded, CloseAllFiles releases it and no descriptor stays open.
  void TearDown() override {
    CloseAllFiles(context_.get());
    EXPECT_EQ(OpenDescriptors(), descriptorsBefore_);
  }
  std::string Write(const std::string& extension, const std::string& bytes) {
    return dir_.WriteFile("TARF" + extension, bytes);
  }

  TempDir dir_;
  std::unique_ptr<RateContext> context_ = std::make_unique<RateContext>();
  RateContext& c_ = *context_;
  const std::size_t descriptorsBefore_ = OpenDescriptors();
};

TEST_F(LookupIndexesTest, RateIndexKeepsTheLastKeyOfEachBlockOfFifty) {
  const struct {
    int records;
    std::size_t extraBytes;
    bool wide;
    std::vector<int> keyed;  // the records whose keys come before "999999"
  } cases[] = {{0, 0, false, {}},         {49, 0, false, {}},         {50, 0, false, {49}},
               {120, 0, false, {49, 99}}, {100, 57, false, {49, 99}}, {99, 669, true, {49}},
               {120, 0, true, {49, 99}}};
  for (const auto& k : cases) {
    SCOPED_TRACE(std::to_string(k.records) + (k.wide ? " wide" : " narrow"));
    Write(".RTE", RateFileOf(k.records, k.wide) + std::string(k.extraBytes, '9'));
    ASSERT_EQ(BuildRteIndex(c_, k.wide ? kWideRteRecord : kNarrowRteRecord), 1);
    std::string expected;
    for (int record : k.keyed) expected += SmallTariffKey(record);
    EXPECT_EQ(int32_t{c_.rteIndexCount}, static_cast<int32_t>(k.keyed.size() + 1));
    EXPECT_EQ(Bytes(c_.rteIndex, expected.size() + 6), expected + "999999");
    EXPECT_EQ(int32_t{c_.rteHandle}, -1);
    EXPECT_EQ(OpenDescriptors(), descriptorsBefore_);
  }
}

TEST_F(LookupIndexesTest, RateIndexCountMustFitItsField) {
  // Sparse files of zero records: 32767 entries is the most the count holds.
  const std::string path = Write(".RTE", "");
  std::filesystem::resize_file(path, (50 * 32766 + 49) * kNarrowRteRecord);
  ASSERT_EQ(BuildRteIndex(c_, kNarrowRteRecord), 1);
  EXPECT_EQ(int32_t{c_.rteIndexCount}, 32767);
  EXPECT_EQ(Bytes(c_.rteIndex + 6 * 32766, 6), "999999");

  std::filesystem::resize_file(path, 50 * 32767 * kNarrowRteRecord);
  EXPECT_EQ(BuildRteIndex(c_, kNarrowRteRecord), 0);
  EXPECT_EQ(int32_t{c_.errorCode}, 354);
  EXPECT_EQ(int32_t{c_.rteHandle}, -1);
}

TEST_F(LookupIndexesTest, FactorDirectoryMayNameOnlyWhatItHolds) {
  settings::useFacTables.Set(c_, 'Y');
  Write(".FC1", tariffkit::FactorRangeFile({{1, 499}}));
  Write(".FC2", tariffkit::GroupFactorFile({{10000}}));
  auto fac = [](std::optional<uint16_t> secondLength, std::optional<int16_t> last) {
    return tariffkit::FactorFile({{.lowKey = "000000", .highKey = "499999", .groups = {{10000, 0}}},
                                  {.lowKey = "500000",
                                   .highKey = "999999",
                                   .groups = {{10500, 0}},
                                   .declaredLength = secondLength}},
                                 {.declaredLastEntry = last});
  };
  const struct {
    const char* what;
    std::string file;
    int32_t result;
  } cases[] = {{"last entry 49", fac({}, 49), 1},       {"last entry 50", fac({}, 50), 0},
               {"entry of 516", fac(516, {}), 1},       {"entry of 517", fac(517, {}), 0},
               {"unused entry of 517", fac(517, 0), 1}, {"short", fac({}, {}).substr(0, 100), 1}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    std::memset(c_.facDirectory, 0xEE, sizeof c_.facDirectory);
    Write(".FAC", k.file);
    EXPECT_EQ(OpenFactorFiles(c_), k.result);
    if (k.result == 1) {
      EXPECT_GT(int32_t{c_.facHandle}, 0);
      std::string expected = k.file.substr(0, 802);
      expected.resize(802, '\0');  // what a short directory lacks reads as empty
      EXPECT_EQ(Bytes(c_.facDirectory, 802), expected);
    } else {
      EXPECT_EQ(int32_t{c_.errorCode}, 264);
      EXPECT_EQ(int32_t{c_.facHandle}, -1);
      EXPECT_EQ(int32_t{c_.fc1Handle}, -1);
      EXPECT_EQ(OpenDescriptors(), descriptorsBefore_);
    }
    CloseAllFiles(context_.get());
  }
}

TEST_F(LookupIndexesTest, ZipTablesBringTheRowStartsAndKeys) {
  const Zf1Tables tables{
      {-1, 0, 3}, {{0, 4}, {4, 6}, {10, 2}}, {100100, 100200, 300000}, {"A001000"}, {}};
  const std::string file = tariffkit::Zf1File(tables);
  Write(".ZF1", file);
  ASSERT_EQ(LoadZf1Tables(c_), 1);
  EXPECT_GT(int32_t{c_.zf1Handle}, 0);
  EXPECT_EQ(int32_t{c_.zf1Count}, 3);
  EXPECT_EQ(int32_t{c_.zf1DataStart}, 29);
  EXPECT_EQ(int32_t{c_.zf1FileSize}, static_cast<int32_t>(file.size()));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(int32_t{c_.zf1RowStarts[i]}, tables.rowStarts[i]);
    EXPECT_EQ(LoadU24(c_.zf1KeyTable[i]), tables.keys[i]);
  }
  Write(".ZF1", tariffkit::Zf1File(Rows(11200)));  // loaded again: the earlier file is closed
  ASSERT_EQ(LoadZf1Tables(c_), 1);
  EXPECT_EQ(int32_t{c_.zf1RowStarts[11199]}, 7);
  EXPECT_EQ(LoadU24(c_.zf1KeyTable[11199]), 111199u);

  c_.zf1RowStarts[0] = 1234;
  Write(".ZF1", tariffkit::Zf1File({}));
  ASSERT_EQ(LoadZf1Tables(c_), 1);
  EXPECT_EQ(int32_t{c_.zf1Count}, 0);
  EXPECT_EQ(int32_t{c_.zf1DataStart}, 2);
  EXPECT_EQ(int32_t{c_.zf1RowStarts[0]}, 1234);
}

// More rows than the record holds, a cut count and tables shorter than their count.
TEST_F(LookupIndexesTest, ZipTablesThatDoNotFitAreRefused) {
  Zf1Tables tooMany = Rows(11201), fourRows = Rows(4);
  tooMany.declaredCount = 11201;
  fourRows.declaredCount = 5;
  // zf1RowStarts and zf1KeyTable after it, as bytes of the packed record.
  uint8_t* raw = reinterpret_cast<uint8_t*>(context_.get()) + offsetof(RateContext, zf1RowStarts);
  const std::string untouched(sizeof c_.zf1RowStarts + sizeof c_.zf1KeyTable, '\x5A');
  std::memcpy(raw, untouched.data(), untouched.size());
  for (const std::string& file :
       {tariffkit::Zf1File(tooMany), std::string("\x05"), tariffkit::Zf1File(fourRows)}) {
    Write(".ZF1", file);
    EXPECT_EQ(LoadZf1Tables(c_), 0) << file.size();
    EXPECT_EQ(int32_t{c_.errorCode}, 394);
    EXPECT_EQ(int32_t{c_.zf1Handle}, -1);
    EXPECT_EQ(OpenDescriptors(), descriptorsBefore_);
    if (file.size() > 100000) {
      EXPECT_EQ(Bytes(raw, untouched.size()), untouched);  // nothing of the refused rows
    }
  }
}

TEST_F(LookupIndexesTest, PostalFilesAreReadWholeAndCounted) {
  const std::string scc = tariffkit::PostalRangeFile(
      {{"QC", "H1A", "H9Z"}, {"ON", "M1A", "M9Z"}, {"BC", "V5A", "V7Z"}});
  Write(".SCC", scc + "QC");  // a partial record is read but not counted
  ASSERT_EQ(LoadSccTable(c_), 1);
  EXPECT_EQ(int32_t{c_.sccCount}, 3);
  EXPECT_EQ(Bytes(c_.sccTable, scc.size() + 2), scc + "QC");

  Write(".ZP6", tariffkit::Zp6File({"H2X1Y4QC0001", "M5V2T6ON0002"}) + "H2X");
  ASSERT_EQ(LoadZp6Table(c_), 1);
  EXPECT_EQ(int32_t{c_.zp6Count}, 2);
  Write(".ZP6", tariffkit::Zp6File({"V6B1A1BC0003"}));  // loaded again: the earlier block is freed
  ASSERT_EQ(LoadZp6Table(c_), 1);
  EXPECT_EQ(int32_t{c_.zp6Count}, 1);
  EXPECT_EQ(Bytes(c_.zp6Table, 12), "V6B1A1BC0003");

  const tariffkit::ZoneMinimum zone{"10000", "19999", "60000", "69999", "A00000", "A99999"};
  Write(".ZMC", tariffkit::ZoneMinimumFile({zone, zone}) + std::string(20, ' '));
  EXPECT_EQ(CountZmcRecords(c_), 2);
}

}  // namespace
}  // namespace brant::test_support
